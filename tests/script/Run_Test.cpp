#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "tests/script/Script_Test_Support.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class Run : public testing::Test {
protected:
  void SetUp() override { UseTestWorld(); }
  CInstance* Self() { return AsInstance(TestInstance(100001)); }
};

TEST_F(Run, UncompiledCodeIsAnError) {
  CCode code("a = 1", false);
  RValue result;
  EXPECT_FALSE(RunCode(Self(), Self(), code, result));
  EXPECT_NE(ErrorText.find("Internal Error: Executing non-compiled code."), std::string::npos);
}

TEST_F(Run, InstancesAreNeededExceptForConstants) {
  CCode code("a = 1", false), constant("2 * 3", true);
  ASSERT_TRUE(code.Compile());
  ASSERT_TRUE(constant.Compile());
  RValue result;
  EXPECT_FALSE(RunCode(nullptr, Self(), code, result));
  EXPECT_NE(ErrorText.find("Internal Error: Executing code for nil instance."), std::string::npos);
  EXPECT_TRUE(RunCode(nullptr, nullptr, constant, result));
  EXPECT_EQ(result.Real(), 6);
}

TEST_F(Run, RunCodeOrErrorLeavesErrorAsResult) {
  CCode code("a = nothing", false);
  ASSERT_TRUE(code.Compile());
  RValue result(1.0);
  EXPECT_FALSE(RunCodeOrError(Self(), Self(), code, result));
  EXPECT_EQ(result.Str(), "ERROR");
  EXPECT_TRUE(ErrorPending);
}

TEST_F(Run, EachRunClearsTheLastError) {
  RValue result;
  EXPECT_FALSE(RunTestCode("a = nothing", false, result));
  EXPECT_TRUE(RunTestCode("a = 1", false, result));
  EXPECT_FALSE(ErrorPending);
}

TEST_F(Run, NestedScriptFailureReadsOutermostFirst) {
  RValue result;
  ASSERT_FALSE(RunTestCode("a = outer()", false, result));
  EXPECT_EQ(ErrorText,
            "In script outer:\rIn script inner:\rError in code at line 2:\r   \nreturn argument0 + \"a\"\r"
            "                      ^\rat position 21: Wrong type of arguments to +.");
}

TEST_F(Run, CodeRunsManyTimes) {
  CCode code("n += 1 return n", false);
  ASSERT_TRUE(code.Compile());
  RValue result;
  ASSERT_TRUE(RunTestCode("n = 0", false, result));
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(RunCode(Self(), Self(), code, result)) << ErrorText;
    EXPECT_EQ(result.Real(), i);
  }
}

TEST_F(Run, StringsBuildAndCompare) {
  RValue result;
  ASSERT_TRUE(RunTestCode("s = '' repeat (3) s += 'ab' return s + 2 * 'c'", false, result)) << ErrorText;
  EXPECT_EQ(result.Str(), "abababcc");
  ASSERT_TRUE(RunTestCode("return '\xC3\xA9' > 'z'", false, result)) << ErrorText;
  EXPECT_EQ(result.Real(), 1);
  ASSERT_TRUE(RunTestCode("return '\xF0\x9F\x98\x80' < '\xEF\xBC\xA1'", false, result)) << ErrorText;
  EXPECT_EQ(result.Real(), 1); // a surrogate pair sorts before U+FF21 in code units
}

} // namespace
} // namespace vl::test
