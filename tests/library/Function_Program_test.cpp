#include "data/Game_File.h"
#include "library/Function_Program.h"
#include "tests/library/File_Test_Support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace vl {
namespace {

using test::Contents;

TEST(CommandLine, SplitAsWindowsProgramsSplitTheirs) {
  using RArgs = std::vector<std::string>;
  const struct {
    const char* line;
    RArgs args;
  } cases[] = {
      {"prog a b", {"prog", "a", "b"}},
      {"  prog \t a   b  ", {"prog", "a", "b"}},
      {"", {}},
      {"   ", {}},
      {"\"my prog\" \"a b\" c", {"my prog", "a b", "c"}},
      {"C:\\dir\\prog.exe x", {"C:\\dir\\prog.exe", "x"}},
      {"prog \"\"", {"prog", ""}},
      {"prog a\\\\b \\\\server", {"prog", "a\\\\b", "\\\\server"}}, // backslashes alone stay
      {"prog \\\"a\\\"", {"prog", "\"a\""}},                        // \" is a quote
      {"prog \\\\\"a b\"", {"prog", "\\a b"}},                      // \\" is \ and a group
      {"prog \\\\\\\"a", {"prog", "\\\"a"}},                        // \\\" is \ and a quote
      {"prog \"a \"\"b\"\" c\"", {"prog", "a \"b\" c"}},            // "" inside quotes
      {"prog a\"b c\"d e", {"prog", "ab cd", "e"}},
      {"prog \"open", {"prog", "open"}},
      {"p\\\"x y", {"p\\x y"}}, // the program name knows no escapes
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

class Programs : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Program(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
  }
  void TearDown() override {
    ResetProgramState();
    CFileFunctionTest::TearDown();
  }
  RValue Call(const char* function, std::vector<RValue> args) {
    return CallBuiltin(function, std::move(args), 3);
  }
};

TEST_F(Programs, ParametersAreTheGameFileAndTheWordsAfterIt) {
  SetGameParameters({"/games/Game.vlg", "-level", "3", ""});
  EXPECT_EQ(Call("parameter_count", {}).Real(), 3);
  const struct {
    double n;
    const char* text;
  } cases[] = {{0, "/games/Game.vlg"}, {1, "-level"}, {2.4, "3"}, {3, ""}, {4, ""}, {-1, ""}, {1e300, ""}};
  for (const auto& c : cases) EXPECT_EQ(Call("parameter_string", {RValue(c.n)}).Str(), c.text) << c.n;
  // Without parameters of its own the game sees only its program.
  ResetProgramState();
  EXPECT_EQ(Call("parameter_count", {}).Real(), 0);
  EXPECT_FALSE(Call("parameter_string", {RValue(0.0)}).Str().empty());
}

TEST_F(Programs, EnvironmentVariables) {
  setenv("VL_TEST_GAME_VAR", "a = b", 1);
  EXPECT_EQ(Call("environment_get_variable", {RValue("VL_TEST_GAME_VAR")}).Str(), "a = b");
  unsetenv("VL_TEST_GAME_VAR");
  EXPECT_EQ(Call("environment_get_variable", {RValue("VL_TEST_GAME_VAR")}).Str(), "");
}

TEST_F(Programs, ExecuteProgramSplitsTheLineAndWaits) {
  // A script in the working folder, called by its name in another case, with quoted arguments.
  std::ofstream("Write.sh") << "#!/bin/sh\nsleep 0.2\nprintf '%s|' \"$@\" > out.txt\n";
  fs::permissions("Write.sh", fs::perms::owner_exec, fs::perm_options::add);
  static int pumps;
  pumps = 0;
  SetProgramWaitPump([] { ++pumps; });
  Call("execute_program", {RValue("write.sh"), RValue("\"a b\" c\\\"d"), RValue(1.0)});
  SetProgramWaitPump(nullptr);
  EXPECT_EQ(Contents("out.txt"), "a b|c\"d|");
  EXPECT_GE(pumps, 2); // the window lives on while the program runs for 0.2 s
  EXPECT_TRUE(Messages().empty());

  // Without waiting the call returns before the program is done.
  Call("execute_program", {RValue("write.sh"), RValue("later"), RValue(0.0)});
  EXPECT_EQ(Contents("out.txt"), "a b|c\"d|");
}

TEST_F(Programs, WhatCannotRunAndSecureModeRefusals) {
  const struct {
    const char* function;
    const char* prog;
    bool secure;
    const char* message;
  } cases[] = {
      {"execute_program", "setup.EXE", false, "Cannot execute setup.EXE"},
      {"execute_program", "C:\\tools\\run.exe", false, "Cannot execute C:\\tools\\run.exe"},
      {"execute_program", "no-such-program-here", false, "Cannot execute no-such-program-here"},
      {"execute_program", "", false, "Cannot execute "},
      {"execute_shell", "setup.exe", false, "Cannot execute setup.exe"},
      {"execute_program", "true", true, "In Secure mode you cannot execute program true"},
      {"execute_shell", "readme.txt", true, "In Secure mode you cannot execute program readme.txt"},
  };
  for (const auto& c : cases) {
    GameData().gd_securemode = c.secure;
    testing::internal::CaptureStderr();
    Call(c.function, {RValue(c.prog), RValue(""), RValue(1.0)});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function << " " << c.prog;
    // One line says why a program did not start; a refusal says nothing more.
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.secure ? 0 : 1) << err;
  }
}

} // namespace
} // namespace vl
