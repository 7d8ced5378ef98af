// Changing instances into other objects, one by one and at a point: the changed instance keeps its
// id and position, takes the new object's properties, and runs the events that were asked for.
#include "runner/Run_Main.h"
#include "tests/runner/Run_Test_Support.h"
#include "tests/support/Test_Sprites.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Sprite_Shape.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class InstanceLife : public RunnerGame {
protected:
  void SetUp() override {
    RunnerGame::SetUp();
    platform.errorAnswer = EErrorAnswer::Ignore;
    SetSpriteShapes(&shapes);
    Room();
    from = Object("from");
    into = Object("into");
    Objects().Get(from)->o_spriteindex = 0;
    Objects().Get(into)->o_spriteindex = 0;
    Objects().Get(into)->o_depth = 7;
    On(from, ev_destroy, 0, {"trace('from destroy')"});
    On(into, ev_create, 0, {"trace('into create')"});
  }
  void TearDown() override {
    SetSpriteShapes(nullptr);
    RunnerGame::TearDown();
  }
  // Plays the room with the code in a step event of a controller, then removes marked instances.
  void Play(const std::string& code) {
    const int32_t controller = Object("controller");
    On(controller, ev_step, 0, {code});
    Rooms().Get(0)->AddInstance(controller, -100, -100);
    Compile();
    Game_Start();
    Trace();
    Run_Step();
    PlayState().ps_room->RemoveMarked();
  }
  std::vector<const CInstance*> Of(int32_t object) {
    const auto& list = PlayState().ps_room->ObjectList(object);
    return {list.begin(), list.end()};
  }

  CSquareSprite shapes{8, 0, 0};
  int32_t from = -1, into = -1;
};

TEST_F(InstanceLife, ChangeKeepsIdAndPositionAndRunsTheEventsAskedFor) {
  struct RCase {
    std::string events;
    std::string trace;
  };
  const RCase cases[] = {{"true", "from destroy into create"}, {"false", ""}};
  for (const RCase& c : cases) {
    TearDown();
    SetUp(); // a fresh game for each case
    Rooms().Get(0)->AddInstance(from, 16, 24);
    Play("with (from) instance_change(into, " + c.events + ")");
    EXPECT_EQ(Trace(), c.trace) << c.events;
    EXPECT_TRUE(Of(from).empty());
    ASSERT_EQ(Of(into).size(), 1u);
    const CInstance& changed = *Of(into)[0];
    EXPECT_EQ(changed.i_id, 100001);
    EXPECT_EQ(changed.i_x, 16);
    EXPECT_EQ(changed.i_y, 24);
    EXPECT_EQ(changed.i_depth, 7);
    EXPECT_EQ(Rooms().t_lastinstanceid, 100003); // the change took an id of its own
  }
}

TEST_F(InstanceLife, ChangeIntoAMissingObjectIsReported) {
  Rooms().Get(0)->AddInstance(from, 16, 24);
  Play("with (from) instance_change(99, true)");
  EXPECT_EQ(Trace(), "");
  EXPECT_EQ(Of(from).size(), 1u);
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_NE(platform.errors[0].find("Asking to change into non-existing object: 99"), std::string::npos);
}

TEST_F(InstanceLife, AtAPointOnlyTheInstancesThatContainIt) {
  for (double x : {0.0, 100.0, 4.0}) Rooms().Get(0)->AddInstance(from, x, 0);
  Play("position_destroy(5, 5)");
  EXPECT_EQ(Trace(), "from destroy from destroy");
  ASSERT_EQ(Of(from).size(), 1u);
  EXPECT_EQ(Of(from)[0]->i_x, 100);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(InstanceLife, ChangeAtAPoint) {
  for (double x : {0.0, 100.0, 4.0}) Rooms().Get(0)->AddInstance(from, x, 0);
  Play("position_change(5, 5, into, true); position_change(5, 5, 99, true)");
  EXPECT_EQ(Trace(), "from destroy into create from destroy into create");
  EXPECT_EQ(Of(from).size(), 1u);
  ASSERT_EQ(Of(into).size(), 2u);
  EXPECT_EQ(Of(into)[0]->i_id, 100001); // in the order they were changed, with their own ids
  EXPECT_EQ(Of(into)[1]->i_id, 100003);
  EXPECT_EQ(Of(from)[0]->i_x, 100);
  ASSERT_EQ(platform.errors.size(), 1u); // the missing object once, however many instances are hit
  EXPECT_NE(platform.errors[0].find("Asking to change into non-existing object: 99"), std::string::npos);
}

} // namespace
} // namespace vl::test
