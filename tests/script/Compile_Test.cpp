#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "tests/script/Script_Test_Support.h"

#include <gtest/gtest.h>
#include <string>

namespace vl::test {
namespace {

class Compile : public testing::Test {
protected:
  void SetUp() override { UseTestNames(); }
};

TEST_F(Compile, ErrorTextShowsLineAndCaret) {
  CCode code("a = 1;\r\nb = ;", false);
  ASSERT_FALSE(code.Compile());
  EXPECT_EQ(
      ErrorText,
      "Error in code at line 2:\r   \nb = ;\r       ^\rat position 6: Unexpected symbol in expression.");
  EXPECT_FALSE(code.i_compiled);
}

TEST_F(Compile, ErrorTextForLinefeedOnlyLines) {
  CCode code("a = 1\nb = 2\nc = ;\nd = 4", false);
  ASSERT_FALSE(code.Compile());
  EXPECT_EQ(ErrorText,
            "Error in code at line 3:\r   c = ;\r      ^\rat position 5: Unexpected symbol in expression.");
}

TEST_F(Compile, ErrorTextForExpression) {
  CCode code("1 +", true);
  ASSERT_FALSE(code.Compile());
  EXPECT_EQ(ErrorText, "Error in expression:1 +\r position 3: Unexpected symbol in expression.");
}

TEST_F(Compile, ColumnsCountCharacters) {
  CCode code("s = '\xC3\xA9\xC3\xA9' + 1", false);
  ASSERT_FALSE(code.Compile());
  EXPECT_EQ(ErrorText.substr(ErrorText.rfind('\r') + 1), "at position 12: Wrong type of arguments to +.");
}

TEST_F(Compile, OnlyTheFirstErrorIsKept) {
  CCode code("a = (", false);
  ASSERT_FALSE(code.Compile());
  std::string first = ErrorText;
  RecordError(code, 1, "later");
  EXPECT_EQ(ErrorText, first);
}

TEST_F(Compile, RecompilingIsAnError) {
  CCode code("a = 1", false);
  ASSERT_TRUE(code.Compile());
  EXPECT_FALSE(code.Compile());
  EXPECT_NE(ErrorText.find("Internal Error: Recompiling compiled code."), std::string::npos);
  EXPECT_TRUE(code.i_compiled);
}

TEST_F(Compile, StringsSpanLines) {
  CCode code("s = \"a\r\nb\"", false);
  ASSERT_TRUE(code.Compile());
  const RToken& assign = code.Child(code.Root(), 0);
  EXPECT_EQ(code.Child(assign, 1).value.Str(), "a\r\nb");
}

TEST_F(Compile, ConstantExpressionKeepsItsValue) {
  CCode constant("c_red + 1", true), varying("c_red + a", true);
  ASSERT_TRUE(constant.Compile());
  ASSERT_TRUE(varying.Compile());
  EXPECT_EQ(constant.i_kind, CCode::kConstant);
  EXPECT_EQ(constant.i_value.Real(), 256);
  EXPECT_EQ(varying.i_kind, CCode::kExpression);
}

TEST_F(Compile, ChildrenAreContiguousAfterTheirParent) {
  CCode code("if (a) { b = 1 c = f3(1, 2, d) } else e = 2", false);
  ASSERT_TRUE(code.Compile());
  for (size_t i = 0; i < code.i_token.size(); ++i) {
    const RToken& n = code.i_token[i];
    if (n.itemnumb == 0) continue;
    EXPECT_GT(n.items, int32_t(i));
    EXPECT_LE(size_t(n.items + n.itemnumb), code.i_token.size());
  }
  EXPECT_EQ(DumpTree(code), "{(if a {(= b 1) (= c (call f3 1 2 d))} (= e 2))}");
}

TEST_F(Compile, DeepNestingIsAnErrorNotACrash) {
  std::string deep = "a = " + std::string(100000, '(') + "1" + std::string(100000, ')');
  CCode code(deep, false);
  EXPECT_FALSE(code.Compile());
  EXPECT_NE(ErrorText.find("Code is nested too deeply."), std::string::npos);

  std::string chain = "a = b";
  for (int i = 0; i < 100000; ++i) chain += "+b";
  CCode longchain(chain, false);
  EXPECT_FALSE(longchain.Compile());
  EXPECT_NE(ErrorText.find("Code is nested too deeply."), std::string::npos);

  std::string blocks = std::string(50000, '{') + std::string(50000, '}');
  CCode nested(blocks, false);
  EXPECT_FALSE(nested.Compile());
}

TEST_F(Compile, LongFlatProgramsCompile) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "a += 1;\n";
  CCode code(text, false);
  EXPECT_TRUE(code.Compile()) << ErrorText;
  EXPECT_EQ(code.Root().itemnumb, 20000);
}

TEST_F(Compile, NumbersReadAsDoubles) {
  struct {
    const char* text;
    double value;
  } cases[] = {{"0.3", 0.3}, {"1.2.3", 1.23}, {"$FFFFFFFF", 4294967295.0},
               {"$", 0},     {"007", 7},      {"123456789012345678901234567890", 1.2345678901234568e29}};
  for (const auto& c : cases) {
    CCode code(c.text, true);
    ASSERT_TRUE(code.Compile()) << c.text;
    EXPECT_EQ(code.i_value.Real(), c.value) << c.text;
  }
}

} // namespace
} // namespace vl::test
