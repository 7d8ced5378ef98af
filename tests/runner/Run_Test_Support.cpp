#include "tests/runner/Run_Test_Support.h"

#include "data/Game_File.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Function.h"
#include "world/Action_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"

#include <gtest/gtest.h>

namespace vl::test {

namespace {

std::string Traced;

void F_Trace(CInstance*, CInstance*, int32_t argc, RValue& result, const RValue* args) {
  for (int32_t i = 0; i < argc; ++i) {
    if (!Traced.empty()) Traced += ' ';
    Traced += args[i].IsString() ? std::string(args[i].Str()) : std::to_string(int64_t(args[i].Real()));
  }
  result = RValue(1.0);
}

// The current event's object, type, number and action.
void F_TraceEvent(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  const RCurrentEvent& e = CurrentEvent();
  if (!Traced.empty()) Traced += ' ';
  Traced += std::to_string(e.event_object) + " " + std::to_string(e.event_type) + " " +
            std::to_string(e.event_number) + " " + std::to_string(e.event_action);
}

} // namespace

void RunnerGame::SetUp() {
  static const bool registered =
      (RegisterFunction("trace", F_Trace, -1), RegisterFunction("trace_event", F_TraceEvent, 0), true);
  (void)registered;
  Wire_Runner(platform.Services());
  Reset_Runner();
  Rooms().t_order = {0};
  Traced.clear();
}

void RunnerGame::TearDown() {
  Reset_Runner();
  Unwire_Runner();
}

int32_t RunnerGame::Object(const std::string& name, int32_t parent) {
  const int32_t index = Objects().Add();
  Objects().t_names[size_t(index)] = name;
  Objects().SetParent(index, parent);
  return index;
}

CEvent& RunnerGame::On(int32_t object, int32_t type, int32_t number, std::vector<std::string> code) {
  CEvent& event = *Objects().Get(object)->CreateEvent(type, number);
  for (const std::string& text : code) event.AddCodeAction(text);
  return event;
}

int32_t RunnerGame::Room(int32_t speed) {
  const int32_t index = Rooms().Add();
  Rooms().Get(index)->r_speed = speed;
  return index;
}

void RunnerGame::Compile() {
  ASSERT_TRUE(Objects().CompileAll()) << (platform.errors.empty() ? "" : platform.errors.back());
}

std::string RunnerGame::Trace() {
  return std::exchange(Traced, {});
}

CAction FunctionAction(int32_t functionid, bool question) {
  CAction action;
  action.act_exetype = CAction::kExeFunction;
  action.act_functionid = functionid;
  action.act_isquestion = question;
  return action;
}

CAction KindAction(int32_t kind) {
  return CAction(kind);
}

bool LoadWrittenGame(const RGameProject& project) {
  std::string error;
  EXPECT_TRUE(WriteGameFile(project, Runner().rn_options.ro_exepath, "", error)) << error;
  return Load_GameFile();
}

void StartWrittenGame(const RGameProject& project) {
  ASSERT_TRUE(LoadWrittenGame(project));
  ASSERT_TRUE(Prepare_Game());
  RunState().rs_running = true;
  Game_Start();
}

} // namespace vl::test
