// Runs the annotated cases in tests/script/cases: those in compile/ are compiled, those in run/ are
// also run (see RunTestCode). A file holds cases, each starting with a "// --- title" line; the
// lines of a case that are not annotations are its code. Annotations:
//   // form: expression            compile as an expression instead of statements
//   // setting: uninitialized zero reading unset variables gives 0
//   // setting: strict arguments   script argument counts are checked
//   // expect tree: <dump>         the compiled tree (see DumpTree)
//   // expect args: N [array]      i_Args, and i_ArgArray when "array" follows
//   // expect: <value>             the result of the run (see DumpValue)
//   // expect log: <values>        what the run passed to show()
//   // expect error: L:C: message  the error at line L, column C (expressions: "C: message")
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "tests/script/Script_Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vl::test {
namespace {

struct RCase {
  std::string c_title;
  int c_line = 0;
  std::string c_code;
  bool c_expression = false;
  bool c_zero = false;
  bool c_strict = false;
  std::vector<std::pair<std::string, std::string>> c_expect;
};

bool TakePrefix(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

std::vector<RCase> ReadCases(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<RCase> cases;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::string_view s = line;
    if (TakePrefix(s, "// --- ")) {
      RCase& c = cases.emplace_back();
      c.c_title = s;
      c.c_line = n;
      continue;
    }
    if (cases.empty()) continue;
    RCase& c = cases.back();
    if (TakePrefix(s, "// form: expression")) {
      c.c_expression = true;
    } else if (TakePrefix(s, "// setting: uninitialized zero")) {
      c.c_zero = true;
    } else if (TakePrefix(s, "// setting: strict arguments")) {
      c.c_strict = true;
    } else if (TakePrefix(s, "// expect ")) {
      auto colon = s.find(": ");
      std::string expected = colon == s.npos ? std::string() : std::string(s.substr(colon + 2));
      for (size_t p; (p = expected.find("\\r")) != std::string::npos;) expected.replace(p, 2, "\r");
      c.c_expect.emplace_back(std::string(s.substr(0, colon)), expected);
    } else {
      c.c_code += c.c_code.empty() && c.c_expect.empty() && line.empty() ? "" : line + "\n";
    }
  }
  for (RCase& c : cases)
    while (!c.c_code.empty() && c.c_code.back() == '\n') c.c_code.pop_back();
  return cases;
}

// "...Error in code at line L:\r...\rat position C: message" as "L:C: message"; script prefixes go.
std::string ShortError(const std::string& text, bool expression) {
  if (expression) {
    auto p = text.rfind("\r position ");
    return p == std::string::npos ? text : text.substr(p + 11);
  }
  auto start = text.find("Error in code at line ");
  auto p = text.rfind("\rat position ");
  if (start == std::string::npos || p == std::string::npos) return text;
  std::string line = text.substr(start + 22, text.find(':', start) - start - 22);
  return line + ":" + text.substr(p + 13);
}

class ScriptCases : public testing::TestWithParam<std::string> {};

TEST_P(ScriptCases, Match) {
  const bool run = GetParam().substr(0, 4) == "run/";
  auto cases = ReadCases(std::filesystem::path(VL_SCRIPT_CASES) / GetParam());
  ASSERT_FALSE(cases.empty());
  for (const RCase& c : cases) {
    SCOPED_TRACE(GetParam() + ":" + std::to_string(c.c_line) + " " + c.c_title);
    UseTestWorld();
    TreatUninitializedAsZero = c.c_zero;
    StrictArgumentCount = c.c_strict;
    CCode code(c.c_code, c.c_expression);
    bool ok = code.Compile();
    RValue result;
    if (ok && run)
      ok = RunCode(AsInstance(TestInstance(100001)), AsInstance(TestInstance(100002)), code, result);
    for (const auto& [what, expected] : c.c_expect) {
      if (what == "error") {
        EXPECT_FALSE(ok) << DumpValue(result);
        EXPECT_EQ(ShortError(ErrorText, c.c_expression), expected) << ErrorText;
        continue;
      }
      if (what == "log") { // what ran before a failure shows too
        EXPECT_EQ(TestLog(), expected);
        continue;
      }
      EXPECT_TRUE(ok) << ErrorText;
      if (!ok) continue;
      if (what == "tree") {
        EXPECT_EQ(DumpTree(code), expected);
      } else if (what == "args") {
        EXPECT_EQ(code.i_Args, std::stoi(expected));
        EXPECT_EQ(code.i_ArgArray, expected.find("array") != std::string::npos);
      } else if (what == "") {
        EXPECT_EQ(DumpValue(result), expected);
      } else {
        ADD_FAILURE() << "unknown annotation " << what;
      }
    }
  }
  TreatUninitializedAsZero = false;
}

std::vector<std::string> CaseFiles() {
  std::vector<std::string> files;
  for (const char* folder : {"compile", "run"})
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(VL_SCRIPT_CASES) / folder))
      if (entry.path().extension() == ".txt")
        files.push_back(folder + ("/" + entry.path().filename().string()));
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Files, ScriptCases, testing::ValuesIn(CaseFiles()), [](const auto& info) {
  std::string name = info.param.substr(0, info.param.size() - 4);
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
});

} // namespace
} // namespace vl::test
