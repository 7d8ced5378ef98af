#include "script/Extension_Class.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

// How a script file of a package is split into the bodies of its functions.
TEST(ExtensionScripts, DefinitionsBecomeBodies) {
  struct RCase {
    const char* name;
    const char* content;
    std::optional<std::string> a, b; // the bodies functions a and b receive
  };
  const RCase cases[] = {
      {"two definitions", "#define a\rreturn argument0*2\r#define b\rreturn 1\r", "return argument0*2",
       "return 1"},
      {"lines before the first are ignored", "junk\r#define b\rx = 1\r", std::nullopt, "x = 1"},
      {"lines join with CR LF, LF dropped", "#define a\r\nx = 1\r\ny = 2\r\n", "x = 1\r\ny = 2",
       std::nullopt},
      {"a last line without CR is lost", "#define a\rx = 1\ry = 2", "x = 1", std::nullopt},
      {"the name is trimmed", "#define   b  \rreturn 3\r", std::nullopt, "return 3"},
      {"a later definition replaces", "#define a\rreturn 1\r#define a\rreturn 2\r", "return 2", std::nullopt},
      {"names match exactly", "#define A\rreturn 1\r#defineb\rreturn 2\r", std::nullopt, "return 2"},
      {"an empty definition", "#define a\r#define b\r", "", ""},
  };
  for (const RCase& c : cases) {
    CExtensionFile file;
    file.s_kind = CExtensionFile::kScript;
    file.s_functions.resize(2);
    file.s_functions[0].s_extname = "a";
    file.s_functions[1].s_extname = "b";
    file.s_functions[1].s_script = "stale";
    file.CreateScripts(c.content);
    EXPECT_EQ(file.s_functions[0].s_script, c.a) << c.name;
    EXPECT_EQ(file.s_functions[1].s_script, c.b) << c.name;
  }
}

TEST(ExtensionScripts, OnlyScriptFilesGiveBodies) {
  CExtensionFile file;
  file.s_kind = CExtensionFile::kOther;
  file.s_functions.resize(1);
  file.s_functions[0].s_extname = "a";
  file.s_functions[0].s_script = "stale";
  file.CreateScripts("#define a\rreturn 1\r");
  EXPECT_EQ(file.s_functions[0].s_script, std::nullopt);
}

} // namespace
} // namespace vl
