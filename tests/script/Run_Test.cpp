#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/Variable_Class.h"
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

TEST_F(Run, VariablesOfObjectsAndInstances) {
  const int32_t hp = FindVariableId("hp");
  RValue v;
  EXPECT_TRUE(WriteVariableOf(1, hp, 0, RValue(4.0))); // obj_b: 100002 and 100003
  ASSERT_TRUE(ReadVariableOf(100003, hp, 0, v));
  EXPECT_EQ(v.Real(), 4);
  EXPECT_FALSE(ReadVariableOf(0, hp, 0, v)); // obj_a's first instance, 100001, has none
  EXPECT_TRUE(WriteVariableOf(100999, hp, 0, RValue(1.0)));
  EXPECT_FALSE(ReadVariableOf(100999, hp, 0, v));
  EXPECT_TRUE(WriteVariableOf(7, hp, 0, RValue(1.0))); // an object without instances
  EXPECT_FALSE(WriteVariableOf(SCOPE_NOONE, hp, 0, RValue(1.0)));
  EXPECT_TRUE(WriteVariableOf(SCOPE_ALL, hp, 32001, RValue(2.0)));
  ASSERT_TRUE(ReadVariableOf(SCOPE_ALL, hp, 32001, v));
  EXPECT_EQ(v.Real(), 2);
  EXPECT_FALSE(WriteVariableOf(SCOPE_ALL, FindVariableId("id"), 0, RValue(1.0))); // read-only built-in
}

TEST_F(Run, LongestAcceptedChainsRun) {
  std::string chain = "a = 0";
  for (int i = 0; i < 3990; ++i) chain += "+1";
  chain += " return a";
  RValue result;
  ASSERT_TRUE(RunTestCode(chain, false, result)) << ErrorText.substr(0, 200);
  EXPECT_EQ(result.Real(), 3990);
  std::string nested = "a = " + std::string(240, '(') + "1" + std::string(240, ')') + " return a";
  ASSERT_TRUE(RunTestCode(nested, false, result)) << ErrorText.substr(0, 200);
}

} // namespace
} // namespace vl::test
