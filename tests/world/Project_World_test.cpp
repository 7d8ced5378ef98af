// Projects describe worlds in JSON: vlpack's reader and writer, read back by the game-data loader.
#include "library/Path_Class.h"
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"
#include "tests/world/World_Test_Support.h"
#include "tools/writer/Project_Reader.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"

#include <fstream>
#include <gtest/gtest.h>

namespace vl {
namespace {

class ProjectWorld : public testing::Test {
protected:
  void SetUp() override { test::ResetWorld(); }
  void TearDown() override { test::ResetWorld(); }
  bool Read(const std::string& json, RGameProject& project, std::string& error) {
    std::ofstream(dir / "game.json") << json;
    return ReadProject(dir.Path().string(), project, error);
  }
  test::TScratchDir dir;
};

TEST_F(ProjectWorld, TheExampleLoads) {
  RGameProject project;
  std::string error;
  ASSERT_TRUE(ReadProject(test::SourceFile("examples/world"), project, error)) << error;
  ASSERT_TRUE(test::LoadProject(project));

  EXPECT_EQ(Paths().Find("pth_loop"), 0);
  EXPECT_EQ(Paths().Get(0)->i_kind, 1);
  EXPECT_EQ(Paths().Get(0)->Point(1).speed, 50);
  EXPECT_EQ(Paths().Get(0)->Point(2).speed, 100);

  const int32_t ball = Objects().Find("obj_ball"), bumper = Objects().Find("obj_bumper");
  const int32_t small = Objects().Find("obj_small_ball");
  ASSERT_EQ(small, 2);
  EXPECT_EQ(Objects().Get(small)->o_parent, ball);
  EXPECT_TRUE(Objects().Get(bumper)->o_solid);
  const CEvent* hit = Objects().Get(small)->GetEventRecursive(4, bumper);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit, Objects().Get(ball)->GetEventDirect(4, bumper));
  const CAction& add = *Objects().Get(ball)->GetEventDirect(2, 0)->Action(0);
  EXPECT_EQ(add.act_kind, CAction::kVariable);
  EXPECT_TRUE(add.act_relative);
  ASSERT_TRUE(Objects().Get(ball)->GetEventDirect(2, 0)->Compile()); // the test names know no game functions
  EXPECT_EQ(Objects().Get(ball)->GetEventDirect(2, 0)->Action(0)->act_codecode->GetText(), "ticks += 1");

  const CRoom& room = *Rooms().Get(0);
  EXPECT_EQ(room.r_caption, "World");
  EXPECT_EQ(room.r_view[0].index, ball);
  ASSERT_EQ(room.Number(), 3);
  // Ids count on from the default last instance id; the counters are stored after the rooms.
  EXPECT_EQ(room.Instance(0)->i_id, 100001);
  EXPECT_EQ(room.Instance(2)->i_id, 100003);
  EXPECT_EQ(Rooms().t_lastinstanceid, 100003);
  EXPECT_EQ(room.Instance(1)->i_initcode, "image_xscale = 0.5");
  EXPECT_EQ(room.Obj_Number_Recursive(ball), 2);
  ASSERT_EQ(room.TileNumber(), 1);
  EXPECT_EQ(room.r_tile[0].id, 10000001);
  EXPECT_EQ(Rooms().t_lasttileid, 10000001);
}

TEST_F(ProjectWorld, EmptySlotsExplicitIdsAndActionForms) {
  RGameProject project;
  std::string error;
  ASSERT_TRUE(Read(R"({
    "last_instance_id": 100500,
    "paths": [null, {"name": "p", "points": [[0, 0], [10, 0]]}],
    "objects": [null, {"name": "o", "events": [
      {"type": 3, "number": 2, "actions": [
        {"function": "action_test", "args": ["1", "'a'"], "arg_kinds": [0, 2], "who": "other",
         "question": true, "not": true, "lib": 1, "id": 101},
        {"kind": "begin"}, {"repeat": "3"}, {"kind": "end"}, {"kind": "exit"}]}]}],
    "rooms": [{"name": "r", "instances": [{"x": 1, "y": 2, "object": 1, "id": 100777},
                                          {"x": 3, "y": 4, "object": "o"}]}]
  })",
                   project, error))
      << error;
  ASSERT_TRUE(test::LoadProject(project));
  EXPECT_FALSE(Paths().Exists(0));
  EXPECT_TRUE(Paths().Get(1)->i_closed);
  EXPECT_FALSE(Objects().Exists(0));
  const CEvent& event = *Objects().Get(1)->GetEventDirect(3, 2);
  ASSERT_EQ(event.Number(), 5);
  const CAction& call = *event.Action(0);
  EXPECT_GE(call.act_functionid, 0);
  EXPECT_EQ(call.act_who, -2);
  EXPECT_TRUE(call.act_isquestion);
  EXPECT_TRUE(call.act_isnot);
  EXPECT_EQ(call.act_id, 101);
  EXPECT_EQ(call.act_argtype[1], 2);
  EXPECT_EQ(event.Action(1)->act_kind, CAction::kBeginBlock);
  EXPECT_EQ(event.Action(2)->act_kind, CAction::kRepeat);
  EXPECT_EQ(event.Action(2)->act_argstring[0], "3");
  EXPECT_EQ(event.Action(4)->act_kind, CAction::kExit);
  EXPECT_EQ(Rooms().Get(0)->Instance(0)->i_id, 100777);
  EXPECT_EQ(Rooms().Get(0)->Instance(1)->i_id, 100501);
}

TEST_F(ProjectWorld, MistakesAreNamed) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"objects": [{"name": "a", "paernt": 0}]})", "unknown key \"paernt\" in an object"},
      {R"({"objects": [{"name": "a", "parent": "b"}]})", "unknown object \"b\""},
      {R"({"objects": [{"events": [{"type": "stepp"}]}]})", "unknown event type \"stepp\""},
      {R"({"paths": [{"points": [[1]]}]})", "a path point is [x, y] or [x, y, speed]"},
      {R"({"rooms": [{"instances": [{"x": 1}]}]})", "object"},
  };
  for (const auto& [json, message] : cases) {
    RGameProject project;
    std::string error;
    EXPECT_FALSE(Read(json, project, error)) << json;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

} // namespace
} // namespace vl
