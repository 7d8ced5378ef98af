// Code and events performed on demand from running code: execute_string, execute_file and the
// event_ functions, inside a game being played.
#include "runner/Run_Main.h"
#include "tests/runner/Run_Test_Support.h"
#include "world/Room_Class.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vl::test {
namespace {

class CodeOnDemand : public RunnerGame {
protected:
  void SetUp() override {
    RunnerGame::SetUp();
    platform.errorAnswer = EErrorAnswer::Ignore;
    Room();
  }
  // Runs the code in the step event of one instance of object (a new "controller" without one).
  void Play(const std::string& code, int32_t object = -1) {
    if (object < 0) object = Object("controller");
    On(object, ev_step, 0, {code});
    Rooms().Get(0)->AddInstance(object, 0, 0);
    Compile();
    Game_Start();
    Trace();
    Run_Step();
  }
  std::string Errors() const {
    std::string all;
    for (const std::string& e : platform.errors) all += e + "\n";
    return all;
  }
};

TEST_F(CodeOnDemand, ExecutedStringsTakeTheirArgumentsAndGiveTheCallersBack) {
  Play("argument0 = 7; trace(execute_string('return argument0 + 1', 5), argument0); "
       "trace(execute_string('return argument_count + argument1', 1, 2), execute_string()); "
       "trace(execute_string('return execute_string(\"return argument0 * 2\", argument0 + 1)', 4))");
  EXPECT_EQ(Trace(), "6 7 2 0 10");
  EXPECT_EQ(Errors(), "");
}

TEST_F(CodeOnDemand, ErrorsAreReportedAndTheCallerGoesOn) {
  Play("execute_string('x = ;'); execute_string('y = nothing_here + 1'); trace('after')");
  EXPECT_EQ(Trace(), "after");
  ASSERT_EQ(platform.errors.size(), 2u) << Errors();
  EXPECT_EQ(platform.errors[0].rfind("COMPILATION ERROR in string to be executed\r", 0), 0u) << Errors();
  // The run error carries the place of the event that executed the string.
  EXPECT_NE(platform.errors[1].find("controller"), std::string::npos) << Errors();
  EXPECT_NE(platform.errors[1].find("nothing_here"), std::string::npos) << Errors();
}

TEST_F(CodeOnDemand, FilesRunLineByLineInEitherEncoding) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vl_code_on_demand";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "lf.txt", std::ios::binary) << "s = 'caf\xE9'\nreturn s + string(argument0)";
  std::ofstream(dir / "crlf.txt", std::ios::binary) << "a = 1\r\nb = 2\r\nreturn a + b // comment";
  std::ofstream(dir / "bad.txt", std::ios::binary) << "return (";
  Play("trace(execute_file('" + (dir / "LF.TXT").string() + "', 3)); trace(execute_file('" +
       (dir / "crlf.txt").string() + "')); execute_file('" + (dir / "missing.txt").string() +
       "'); execute_file('" + (dir / "bad.txt").string() + "')");
  std::filesystem::remove_all(dir);
  EXPECT_EQ(Trace(), "caf\xC3\xA9"
                     "3 3");
  ASSERT_EQ(platform.errors.size(), 2u) << Errors();
  EXPECT_NE(platform.errors[0].find("Trying to execute non-existing file."), std::string::npos) << Errors();
  EXPECT_EQ(platform.errors[1].rfind("COMPILATION ERROR in file to be executed\r", 0), 0u) << Errors();
}

TEST_F(CodeOnDemand, EventsPerformedFromInsideEvents) {
  const int32_t a = Object("a"), b = Object("b", a), c = Object("c", b), d = Object("d", b);
  On(a, ev_other, 10, {"trace('A', other.id == id)"});
  On(b, ev_other, 10, {"trace('B'); event_inherited()"});
  On(c, ev_other, 10, {"trace('C'); event_inherited()"});
  On(c, ev_other, 12, {"trace('user2')"});
  On(d, ev_step, 0,
     {"event_user(0); event_perform(ev_other, ev_user2); event_perform_object(a, ev_other, 10); "
      "with (instance_create(0, 0, c)) { event_user(0); event_user(2) }"});
  Play("", d);
  // d has no user event 0 of its own: b's runs for it, and inheriting from there reaches a.
  EXPECT_EQ(Trace(), "B A 1 A 1 C B A 0 user2");
  EXPECT_EQ(Errors(), "");
}

} // namespace
} // namespace vl::test
