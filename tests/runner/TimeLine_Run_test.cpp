// Time lines in the step: the moments an instance passes at fractional speeds in both directions,
// looping, the current event of a moment, and moments whose code changes the time line it runs.
#include "runner/Run_Main.h"
#include "tests/runner/Run_Test_Support.h"
#include "world/Room_Class.h"
#include "world/TimeLine_Class.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace vl::test {
namespace {

class TimeLineRun : public RunnerGame {
protected:
  // A time line with one moment per step, each tracing its step and then running its extra code.
  int32_t Line(std::vector<int32_t> steps, const std::map<int32_t, std::string>& extra = {}) {
    const int32_t index = TimeLines().Add();
    for (int32_t step : steps) {
      CEvent& event = *TimeLines().Get(index)->AddMoment(step).m_event;
      event.AddCodeAction("trace('" + std::to_string(step) + "')");
      if (auto it = extra.find(step); it != extra.end()) event.AddCodeAction(it->second);
    }
    return index;
  }
  // Starts a room with one instance of an object that has a begin step and an alarm 0 event.
  CInstance* Start() {
    Room();
    const int32_t obj = Object("obj");
    Rooms().Get(0)->AddInstance(obj, 0, 0);
    Compile();
    EXPECT_TRUE(TimeLines().CompileAll());
    Game_Start();
    return PlayState().ps_room->Instance(0);
  }
  void Run(CInstance* inst, int32_t line, double position, double speed, bool loop) {
    inst->i_timelineindex = line;
    inst->i_timelineposition = position;
    inst->i_timelinespeed = speed;
    inst->i_timelinerunning = true;
    inst->i_timelineloop = loop;
  }
  // What each of the steps traced, separated by '|'.
  std::string Steps(int32_t count) {
    std::string out;
    for (int32_t i = 0; i < count; ++i) {
      Run_Step();
      out += (i ? "|" : "") + Trace();
    }
    return out;
  }
};

TEST_F(TimeLineRun, MomentsPassedForwardAndBackwardAtFractionalSpeeds) {
  struct RCase {
    double position, speed;
    bool loop;
    int32_t steps;
    std::string traced;
    double after;
  };
  const RCase cases[] = {
      {0, 1, false, 12, "0|||||5|||||10|", 12}, // moment 5 runs as the position goes from 5 to 6
      {4, 2.5, false, 1, "5", 6.5},             //
      {0, 0.5, false, 3, "0||", 1.5},           // 0.5 and 1 pass no step
      {0, 10, false, 2, "0 5|10", 20},          // several moments in one step, in order
      {9, 1, true, 3, "|10|0", 1},              // reset after moment 10 ran; moment 0 next step
      {10, -1, false, 6, "10|||||5", 4},        // backwards: the old position's moment first
      {10, -2.5, true, 6, "10||5||0|10", 7.5},  // below 0 the position becomes the last step
      {10, -2.5, false, 5, "10||5||0", -2.5},   //
      {12, 1, true, 2, "|0", 1},                // beyond the last moment a looping line restarts
  };
  for (const RCase& c : cases) {
    SetUp();
    const int32_t line = Line({0, 5, 10});
    CInstance* inst = Start();
    Run(inst, line, c.position, c.speed, c.loop);
    EXPECT_EQ(Steps(c.steps), c.traced) << c.position << " " << c.speed;
    EXPECT_DOUBLE_EQ(inst->i_timelineposition, c.after) << c.position << " " << c.speed;
    TearDown();
  }
}

TEST_F(TimeLineRun, RunsAfterBeginStepAsItsOwnEventAndOnlyWhenRunning) {
  const int32_t line = Line({0}, {{0, "trace_event()"}});
  Room();
  const int32_t obj = Object("obj");
  On(obj, ev_step, ev_step_begin, {"trace('begin')"});
  On(obj, ev_alarm, 0, {"trace('alarm')"});
  Rooms().Get(0)->AddInstance(obj, 0, 0);
  Compile();
  ASSERT_TRUE(TimeLines().CompileAll());
  Game_Start();
  CInstance* played = PlayState().ps_room->Instance(0);
  Run(played, line, 0, 1, false);
  played->SetAlarm(0, 1);
  Run_Step();
  EXPECT_EQ(Trace(), "begin 0 0 100000 0 1 alarm"); // time line 0, its type, step 0, action 1

  struct RCase {
    const char* what;
    void (*change)(CInstance&);
  };
  const RCase skipped[] = {
      {"paused", [](CInstance& i) { i.i_timelinerunning = false; }},
      {"speed 0", [](CInstance& i) { i.i_timelinespeed = 0; }},
      {"no time line", [](CInstance& i) { i.i_timelineindex = -1; }},
      {"a missing time line", [](CInstance& i) { i.i_timelineindex = 7; }},
  };
  for (const RCase& c : skipped) {
    Run(played, line, 0, 1, false);
    c.change(*played);
    Run_Step();
    EXPECT_EQ(Trace(), "begin") << c.what;
    EXPECT_EQ(played->i_timelineposition, 0) << c.what;
  }
}

TEST_F(TimeLineRun, MomentsThatChangeTheirTimeLineWhileLaterMomentsRemain) {
  struct RCase {
    std::string code; // run by moment 0 of time line 0, in a step that passes 0, 2 and 4
    std::string traced;
  };
  const RCase cases[] = {
      {"timeline_moment_clear(0, 0); trace('still')", "0 still 2 4"}, // the running moment goes on
      {"timeline_moment_add(0, 1, \"trace('1')\")", "0 1 2 4"},       // a new moment ahead runs
      {"timeline_moment_add(0, 0, \"trace('again')\")", "0 again 2 4"},
      {"timeline_moment_clear(0, 2)", "0 4"},
      {"timeline_clear(0)", "0"},
      {"timeline_delete(0); trace(timeline_exists(0))", "0 0"},
      {"timeline_index = 1", "0"}, // the other line's moments wait for the next step
      {"instance_destroy()", "0"},
  };
  for (const RCase& c : cases) {
    SetUp();
    const int32_t line = Line({0, 2, 4}, {{0, c.code}});
    Line({0, 6}, {});
    CInstance* inst = Start();
    Run(inst, line, 0, 5, false);
    EXPECT_EQ(Steps(1), c.traced) << c.code;
    EXPECT_TRUE(platform.errors.empty()) << c.code << ": " << platform.errors.front();
    TearDown();
  }
}

TEST_F(TimeLineRun, TimeLineIndexChangedInAMomentRunsTheNewLineFromTheNextStep) {
  const int32_t line = Line({0, 2}, {{0, "timeline_index = 1; timeline_position = 5"}});
  Line({5, 6});
  CInstance* inst = Start();
  Run(inst, line, 0, 1, false);
  EXPECT_EQ(Steps(3), "0|5|6");
}

} // namespace
} // namespace vl::test
