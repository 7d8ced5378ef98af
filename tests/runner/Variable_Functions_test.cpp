// The variable functions inside a running game: run locals, built-in variables and refusals.
#include "runner/Run_Main.h"
#include "tests/runner/Run_Test_Support.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class VariableFunctions : public RunnerGame {
protected:
  void SetUp() override {
    RunnerGame::SetUp();
    platform.errorAnswer = EErrorAnswer::Ignore;
    Room();
  }
  // Runs the code in the step event of one instance at (16, 24).
  void Play(const std::string& code) {
    const int32_t controller = Object("controller");
    On(controller, ev_step, 0, {code});
    Rooms().Get(0)->AddInstance(controller, 16, 24);
    Compile();
    Game_Start();
    Trace();
    Run_Step();
  }
};

TEST_F(VariableFunctions, RunLocalsAreNeverReached) {
  Play("var hp; hp = 1; variable_local_set('hp', 5); trace(hp, variable_local_get('hp'), self.hp, "
       "variable_local_exists('hp'))");
  EXPECT_EQ(Trace(), "1 5 5 1");
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(VariableFunctions, OnlyLocalFunctionsReachBuiltInVariables) {
  Play("variable_global_set('x', 7); variable_local_set('y', 40); variable_local_set('id', 5); "
       "trace(x, y, variable_local_get('x'), variable_global_get('x'), global.x, "
       "variable_global_exists('y'), id)");
  EXPECT_EQ(Trace(), "16 40 16 7 7 0 100001");
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(VariableFunctions, ANegativeIndexIsReportedAndTheEventGoesOn) {
  Play("a[2] = 3; trace(variable_local_array_get('a', -1)); trace(variable_local_array_get('a', 2))");
  EXPECT_EQ(Trace(), "0 3");
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_NE(platform.errors[0].find("Array index >= 32000"), std::string::npos) << platform.errors[0];
}

} // namespace
} // namespace vl::test
