// The step and the loop: frame timing on a virtual clock, alarms, keys, animation, and the
// persistent-instance and persistent-room rules of entering and leaving rooms.
#include "data/Game_File.h"
#include "graphics/Graphics_Window.h"
#include "runner/IO_Main.h"
#include "runner/Run_Clock.h"
#include "runner/Run_Main.h"
#include "script/Code_Error.h"
#include "script/Variable_Class.h"
#include "tests/runner/Run_Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

using Timing = RunnerGame;

TEST_F(Timing, FrameDelayAtTheRoomSpeed) {
  struct RCase {
    int32_t speed;
    int64_t now, last, delay;
  };
  const RCase cases[] = {
      {30, 10000, 0, 23333},      // a 10 ms step at speed 30
      {30, 0, 0, 33333},          //
      {30, 50000, 0, 0},          // a late frame never gives a negative delay
      {0, 0, 0, 1000000},         // speed 0 counts as 1
      {-5, 0, 0, 1000000},        //
      {1, 0, 500000, 1000000},    // never more than one second
      {60, 110000, 100000, 6666}, // measured from the previous frame's due time
      {1000, 0, 0, 1000},         //
  };
  for (const RCase& c : cases)
    EXPECT_EQ(Frame_Delay(c.speed, c.now, c.last), c.delay) << c.speed << " " << c.now;
}

TEST_F(Timing, WaitAdvancesTheVirtualClockToTheTarget) {
  Timer_Reset();
  for (int64_t delay : {23333, 1500, 2000, 0, -4}) {
    const int64_t before = Timer_Now();
    Timer_Wait(delay);
    EXPECT_EQ(Timer_Now() - before, std::max<int64_t>(delay, 0)) << delay;
  }
}

TEST_F(Timing, FramesPerSecondCountTheFramesOfThePreviousSecond) {
  RFrameCount frames;
  frames.Reset(0);
  for (int32_t pass = 1; pass <= 61; ++pass) {
    frames.Advance((pass - 1) * 33333, 33333);
    if (pass == 30) {
      EXPECT_EQ(frames.fc_fps, 0);
    }
  }
  EXPECT_EQ(frames.fc_fps, 30);
}

TEST_F(Timing, HeadlessRunKeepsTheRoomSpeedAndCorrectsSpeedZero) {
  Room(0);
  const int32_t obj = Object("obj");
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  RunState().rs_steplimit = 3;
  Run_Game();
  EXPECT_EQ(platform.clock, 3 * 1000000);
  EXPECT_FALSE(RunState().rs_running);
}

class Step : public RunnerGame {
protected:
  CRoom& Played() { return *PlayState().ps_room; }
  CInstance* First(int32_t obj) { return Played().ObjectList(obj).at(0); }
};

TEST_F(Step, AlarmsCountDownOnlyWithAnEvent) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_alarm, 0, {"trace('alarm0')"});
  On(obj, ev_alarm, 1, {"trace('alarm1')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  Game_Start();
  CInstance* inst = First(obj);
  inst->SetAlarm(0, 1); // fires in the next step
  inst->SetAlarm(1, 0); // does not fire and becomes -1
  inst->SetAlarm(3, 5); // no event: unchanged
  Run_Step();
  EXPECT_EQ(Trace(), "alarm0");
  EXPECT_EQ(inst->GetAlarm(0), 0);
  EXPECT_EQ(inst->GetAlarm(1), -1);
  EXPECT_EQ(inst->GetAlarm(3), 5);
  Run_Step();
  EXPECT_EQ(Trace(), "");
  EXPECT_EQ(inst->GetAlarm(0), -1);
  EXPECT_EQ(inst->GetAlarm(3), 5);
}

TEST_F(Step, KeysBeyondTheListsAndKeysPressedAndReleasedInOneStep) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_keyboard, 0, {"trace('no key')"});
  On(obj, ev_keyboard, 1, {"trace('any key')"});
  On(obj, ev_keyboard, 65, {"trace('A held')"});
  On(obj, ev_keypress, 65, {"trace('A pressed')"});
  On(obj, ev_keyrelease, 65, {"trace('A released')"});
  On(obj, ev_keypress, 0, {"trace('no press')"});
  On(obj, ev_keyrelease, 0, {"trace('no release')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  Game_Start();
  RStepInput& input = StepInput();
  input.si_keyheld[200] = true;
  Run_Step();
  EXPECT_EQ(Trace(), "any key no press no release");
  input.si_keyheld[200] = false;
  input.si_keypressed[65] = input.si_keyreleased[65] = true;
  Run_Step();
  EXPECT_EQ(Trace(), "A held any key A pressed A released");
  Run_Step(); // the step's flags were cleared
  EXPECT_EQ(Trace(), "no key no press no release");
}

TEST_F(Step, EscEndsTheGameWithRoomEndBeforeGameEnd) {
  Room();
  GameData().gd_settings.gs_quitkey = true;
  const int32_t obj = Object("obj");
  On(obj, ev_step, 0, {"trace('step')"});
  On(obj, ev_other, 5, {"trace('room end')"});
  On(obj, ev_other, 3, {"trace('game end')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  RunState().rs_running = true;
  Game_Start();
  Run_Step();
  StepInput().si_lastkey = 27;
  Run_Step();
  Act_On_Code();
  EXPECT_FALSE(RunState().rs_running);
  Game_End();
  EXPECT_EQ(Trace(), "step step room end room end game end game end");
}

// F4 switches full screen when the settings let it; a resize message makes the window remember the
// client area the user dragged it to.
TEST_F(Step, F4SwitchesFullScreenAndResizingIsRemembered) {
  Room();
  Compile();
  RunState().rs_running = true;
  Game_Start();
  Window_Create();
  GameData().gd_settings.gs_fullscreenkey = true;
  for (const bool expected : {true, false}) {
    StepInput().si_lastkey = 115;
    Run_Step();
    EXPECT_EQ(WindowState().ws_fullscreen, expected);
    EXPECT_EQ(StepInput().si_lastkey, 0);
  }
  GameData().gd_settings.gs_fullscreenkey = false;
  StepInput().si_lastkey = 115;
  Run_Step();
  EXPECT_FALSE(WindowState().ws_fullscreen);

  GameWindow()->SetClientRect({10, 20, 900, 700});
  platform.pending = {REvent{EEventKind::Resized}};
  IO_Pump();
  EXPECT_EQ(WindowState().ws_client.w, 900);
  EXPECT_EQ(WindowState().ws_client.y, 20);
}

// Window messages reach the input state between steps: a key pressed and released before the next
// step is seen as pressed and released but not held.
TEST_F(Step, KeyMessagesBetweenStepsFillTheInput) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_keyboard, 65, {"trace('A held')"});
  On(obj, ev_keypress, 65, {"trace('A pressed')"});
  On(obj, ev_keyrelease, 65, {"trace('A released')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  Game_Start();
  REvent down{EEventKind::KeyDown}, up{EEventKind::KeyUp};
  down.ev_key = up.ev_key = 65;
  platform.pending = {down, down, up}; // the second down is auto-repeat
  IO_Pump();
  EXPECT_EQ(StepInput().si_lastkey, 65);
  Run_Step();
  EXPECT_EQ(Trace(), "A held A pressed A released"); // held by the press of this step only
  platform.pending = {down};
  IO_Pump();
  Run_Step();
  platform.pending = {down};
  IO_Pump();
  Run_Step();
  EXPECT_EQ(Trace(), "A held A pressed A held");
}

// The close button never closes the window itself: it performs the close-button event, or, with
// the setting that treats it as Esc, makes Esc held so that the next step ends the game.
TEST_F(Step, CloseButtonAsEventOrAsEsc) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_other, ev_close_button, {"trace('close button')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  RunState().rs_running = true;
  Game_Start();
  RGameSettings& settings = GameData().gd_settings;
  settings.gs_quitkey = true;
  settings.gs_closeesc = false;
  platform.pending = {REvent{EEventKind::Close}};
  IO_Pump();
  EXPECT_EQ(Trace(), "close button");
  Run_Step();
  Act_On_Code();
  EXPECT_TRUE(RunState().rs_running);

  settings.gs_closeesc = true;
  platform.pending = {REvent{EEventKind::Close}};
  IO_Pump();
  EXPECT_EQ(Trace(), "");
  EXPECT_TRUE(StepInput().si_keyheld[vk_escape]);
  EXPECT_FALSE(StepInput().si_keypressed[vk_escape]);
  Run_Step();
  Act_On_Code();
  EXPECT_FALSE(RunState().rs_running);
}

// Without images there is nothing to wrap: the index advances and no animation end fires.
TEST_F(Step, AnimationWithoutImagesAdvancesWithoutEnding) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_other, 7, {"trace('animation end')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  Game_Start();
  CInstance* inst = First(obj);
  inst->i_imagespeed = 0.5;
  for (int i = 0; i < 4; ++i) Run_Step();
  EXPECT_EQ(Trace(), "");
  EXPECT_DOUBLE_EQ(inst->i_imageindex, 2.0);
}

TEST_F(Step, DestroyedInstancesMissLaterEventsAndLeaveAtTheStepEnd) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_step, 1, {"if (tag == 1) with (obj) if (tag == 2) instance_destroy()"});
  On(obj, ev_step, 0, {"trace('step', tag)"});
  On(obj, ev_destroy, 0, {"trace('destroy', tag)"});
  Rooms().Get(0)->AddInstance(obj, 0, 0)->i_vars.SetVar(FindOrAddUserVariable("tag"), 0, RValue(1.0));
  Rooms().Get(0)->AddInstance(obj, 0, 0)->i_vars.SetVar(FindOrAddUserVariable("tag"), 0, RValue(2.0));
  Compile();
  Game_Start();
  Run_Step();
  EXPECT_EQ(Trace(), "destroy 2 step 1");
  EXPECT_EQ(Played().Number(), 1);
}

// A second destroy of an instance already destroyed in this step does not run its destroy event again.
TEST_F(Step, DestroyEventRunsOnce) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_step, 0, {"instance_destroy(); instance_destroy()"});
  On(obj, ev_step, 2, {"trace('end step')"});
  On(obj, ev_destroy, 0, {"trace('destroy')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  Game_Start();
  Run_Step();
  EXPECT_EQ(Trace(), "destroy");
  EXPECT_EQ(Played().Number(), 0);
}

TEST_F(Step, PersistentInstanceReplacesTheInstanceWithItsId) {
  Room();
  Room();
  Rooms().t_order = {0, 1};
  const int32_t keeper = Object("keeper"), local = Object("local");
  Objects().Get(keeper)->o_persistent = true;
  On(keeper, ev_create, 0, {"trace('keeper create')"});
  On(local, ev_create, 0, {"trace('local create')"});
  On(keeper, ev_other, 4, {"trace('keeper room start')"});
  CInstance* carried = Rooms().Get(0)->AddInstance(keeper, 10, 20);
  carried->i_persistent = true;
  // Room 1 holds an instance with the same id, with creation code.
  CInstance* twin = Rooms().Get(1)->AddInstance(local, 0, 0);
  twin->i_id = carried->i_id;
  twin->i_initcode = "trace('twin code')";
  Rooms().Get(1)->AddInstance(local, 0, 0);
  Compile();
  Game_Start();
  EXPECT_EQ(Trace(), "keeper create keeper room start");
  PlayState().ps_room->ObjectList(keeper).at(0)->i_x = 99;
  Room_Change(1);
  EXPECT_EQ(Trace(), "local create keeper room start");
  ASSERT_EQ(Played().ObjectList(keeper).size(), 1u);
  EXPECT_EQ(Played().ObjectList(keeper)[0]->i_id, carried->i_id);
  EXPECT_EQ(Played().ObjectList(keeper)[0]->i_x, 99);
  Run_Step();
  EXPECT_EQ(Played().Number(), 2); // the replaced twin left
}

TEST_F(Step, PersistentRoomIsNotCreatedAgain) {
  Room();
  Room();
  Rooms().t_order = {0, 1};
  Rooms().Get(0)->r_persistent = true;
  const int32_t obj = Object("obj");
  On(obj, ev_create, 0, {"trace('create')"});
  On(obj, ev_other, 4, {"trace('room start')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Rooms().Get(0)->r_code = "trace('room code')";
  Compile();
  Game_Start();
  EXPECT_EQ(Trace(), "create room code room start");
  Room_Change(1);
  Room_Change(0);
  EXPECT_EQ(Trace(), "room start");
}

TEST_F(Step, RoomGotoBeyondTheRoomsIsFatal) {
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_step, 0, {"room_goto(5)", "trace('not reached')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  RunState().rs_steplimit = 10;
  Run_Game();
  EXPECT_EQ(Trace(), "");
  ASSERT_FALSE(platform.errors.empty());
  EXPECT_NE(platform.errors[0].find("Unexisting room number: 5"), std::string::npos) << platform.errors[0];
  EXPECT_EQ(RunState().rs_steps, 1);
}

} // namespace
} // namespace vl::test
