// Runs the annotated compile cases in tests/script/cases. A file holds cases, each starting with a
// "// --- title" line; the lines of a case that are not annotations are its code. Annotations:
//   // form: expression            compile as an expression instead of statements
//   // expect tree: <dump>         the compiled tree (see DumpTree)
//   // expect error: L:C: message  the error at line L, column C (expressions: "C: message")
//   // expect args: N [array]      i_Args, and i_ArgArray when "array" follows
#include "script/Code_Error.h"
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
    } else if (TakePrefix(s, "// expect ")) {
      auto colon = s.find(": ");
      c.c_expect.emplace_back(std::string(s.substr(0, colon)),
                              colon == s.npos ? std::string() : std::string(s.substr(colon + 2)));
    } else {
      c.c_code += c.c_code.empty() && c.c_expect.empty() && line.empty() ? "" : line + "\n";
    }
  }
  for (RCase& c : cases)
    while (!c.c_code.empty() && c.c_code.back() == '\n') c.c_code.pop_back();
  return cases;
}

// "Error in code at line L:\r...\rat position C: message" as "L:C: message".
std::string ShortError(const std::string& text, bool expression) {
  if (expression) {
    auto p = text.rfind("\r position ");
    return p == std::string::npos ? text : text.substr(p + 11);
  }
  std::string_view s = text;
  if (!TakePrefix(s, "Error in code at line ")) return text;
  std::string line(s.substr(0, s.find(':')));
  auto p = text.rfind("\rat position ");
  return p == std::string::npos ? text : line + ":" + text.substr(p + 13);
}

class CompileCases : public testing::TestWithParam<std::string> {};

TEST_P(CompileCases, Match) {
  UseTestNames();
  auto cases = ReadCases(std::filesystem::path(VL_SCRIPT_CASES) / GetParam());
  ASSERT_FALSE(cases.empty());
  for (const RCase& c : cases) {
    SCOPED_TRACE(GetParam() + ":" + std::to_string(c.c_line) + " " + c.c_title);
    CCode code(c.c_code, c.c_expression);
    bool ok = code.Compile();
    for (const auto& [what, expected] : c.c_expect) {
      if (what == "tree") {
        EXPECT_TRUE(ok) << ErrorText;
        if (ok) {
          EXPECT_EQ(DumpTree(code), expected);
        }
      } else if (what == "error") {
        EXPECT_FALSE(ok) << DumpTree(code);
        EXPECT_EQ(ShortError(ErrorText, c.c_expression), expected) << ErrorText;
      } else if (what == "args") {
        EXPECT_TRUE(ok) << ErrorText;
        bool array = expected.find("array") != std::string::npos;
        EXPECT_EQ(code.i_Args, std::stoi(expected));
        EXPECT_EQ(code.i_ArgArray, array);
      } else {
        ADD_FAILURE() << "unknown annotation " << what;
      }
    }
  }
}

std::vector<std::string> CaseFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(VL_SCRIPT_CASES))
    if (entry.path().extension() == ".txt") files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Files, CompileCases, testing::ValuesIn(CaseFiles()),
                         [](const auto& info) { return info.param.substr(0, info.param.size() - 4); });

} // namespace
} // namespace vl::test
