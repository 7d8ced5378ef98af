// The built-in variables of instances, rooms, views and the game, reached from code.
#include "runner/Run_Error.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Main.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"
#include "tests/world/World_Test_Support.h"
#include "world/Event_Class.h"
#include "world/Game_Names.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Variable_World.h"
#include "world/World_Host.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

class CHost final : public CWorldHost {
public:
  const CCode* ScriptCode(int32_t) const override { return nullptr; }
  const std::string& ScriptName(int32_t) const override { return t_none; }
  bool CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) override {
    return false;
  }
  std::string t_none;
};

// Built-in functions and constants only.
class CNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override { return FindBuiltinFunction(name); }
  int32_t FunctionArgCount(int32_t) const override { return -1; }
  bool LookupName(std::string_view name, RValue& value) const override { return LookupGameName(name, value); }
};

std::vector<std::pair<int32_t, int32_t>> Performed; // instance id, other event number

void Record(CInstance* self, CInstance*, int32_t type, int32_t number) {
  if (type == ev_other) Performed.emplace_back(self->i_id, number);
}

class Variables : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    RegisterBuiltinVariables();
    SetCodeNames(&names);
    test::Reports().errorAnswer = EErrorAnswer::Ignore;
    object = Objects().Add();
    Rooms().Add();
    room.r_speed = 30;
    SetCodeHost(&host);
    PlayState().ps_room = &room;
    PlayState().ps_roomindex = 0;
    static test::CPerformRecorder recorder(Record);
    SetPlayHost(&recorder);
    Performed.clear();
    self = room.AddInstance(object, 10, 20);
  }
  void TearDown() override { test::ResetWorld(); }
  // Runs code for self; the error text, empty when the run succeeded.
  std::string Run(const std::string& text) {
    CCode code(text, false);
    RValue result;
    const bool ok = code.Compile() && RunCode(self, self, code, result);
    std::string error = ok ? "" : ErrorText;
    ClearError();
    return error;
  }
  double Get(const std::string& expression) {
    CCode code("return " + expression, false);
    RValue result;
    EXPECT_TRUE(code.Compile() && RunCode(self, self, code, result)) << expression << ": " << ErrorText;
    ClearError();
    return result.Real();
  }

  int32_t object = 0;
  CNames names;
  CRoom room;
  CHost host;
  CInstance* self = nullptr;
};

TEST_F(Variables, InstanceVariablesComeFirst) {
  const std::pair<const char*, int32_t> ids[] = {
      {"x", 0}, {"alarm", 15}, {"bbox_bottom", 23}, {"image_single", 26}, {"timeline_loop", 50}};
  for (const auto& [name, id] : ids) EXPECT_EQ(FindBuiltinVariable(name), id) << name;
  EXPECT_GT(FindBuiltinVariable("score"), 50);
}

TEST_F(Variables, WritesAndReadsFollowTheirConversions) {
  const struct {
    const char* code;
    const char* read;
    double want;
  } cases[] = {
      {"x[5] = 3", "x", 3},
      {"alarm[12] = 5", "alarm[0]", 5},
      {"alarm[3] = 2.5", "alarm[3]", 2},
      {"solid = 0.5", "solid", 0},
      {"solid = 0.51", "solid", 1},
      {"visible = 0", "visible", 0},
      {"image_single = 2", "image_index + 10 * image_speed", 2},
      {"image_index = 4; image_single = -1", "image_index + 10 * image_speed", 14},
      {"image_speed = 0; image_index = 3", "image_single", 3},
      {"image_blend = 255.5", "image_blend", 256},
      {"view_xview[9] = 7", "view_xview[0]", 7},
      {"view_xview[2] = 9", "view_xview[2]", 9},
      {"background_x[8] = 4", "background_x[0]", 4},
      {"room_speed = 60.4", "room_speed", 60},
      {"score = 10.5", "score", 10},
      {"health = 12.5", "health", 12.5},
      {"global.score = 99", "score", 0},
  };
  for (const auto& c : cases) {
    SetUp();
    ASSERT_EQ(Run(c.code), "") << c.code;
    EXPECT_EQ(Get(c.read), c.want) << c.code;
    TearDown();
  }
}

TEST_F(Variables, MotionSettersAreCoupled) {
  ASSERT_EQ(Run("speed = 2; direction = 90"), "");
  EXPECT_NEAR(self->i_vspeed, -2, 1e-12);
  EXPECT_NEAR(self->i_hspeed, 0, 1e-12);
  ASSERT_EQ(Run("hspeed = 3; vspeed = 0"), "");
  EXPECT_NEAR(Get("speed"), 3, 1e-12);
  EXPECT_NEAR(Get("direction"), 0, 1e-12);
  ASSERT_EQ(Run("x = 50"), "");
  EXPECT_EQ(self->i_x, 50);
  EXPECT_EQ(self->i_y, 20);
}

TEST_F(Variables, ReadOnlyVariablesRefuseWrites) {
  for (const char* code : {"object_index = 3", "id = 1", "bbox_left = 0", "instance_count = 2", "fps = 1",
                           "room_width = 4", "argument_count = 1", "velmora_version = 1"}) {
    const std::string error = Run(code);
    EXPECT_NE(error.find("Cannot assign to the variable"), std::string::npos) << code << ": " << error;
  }
  EXPECT_EQ(self->i_objectindex, object);
}

TEST_F(Variables, RoomSpeedBelowOneIsRefusedWithItsMessage) {
  for (const char* code : {"room_speed = 0", "room_speed = 0.4", "room_speed = -3"}) {
    test::Reports().errors.clear();
    const std::string error = Run(code);
    EXPECT_NE(error.find("Cannot assign to the variable"), std::string::npos) << code;
    ASSERT_EQ(test::Reports().errors.size(), 1u) << code;
    EXPECT_NE(test::Reports().errors[0].find("Trying to set the room speed to a value <= 0."),
              std::string::npos);
    EXPECT_EQ(room.r_speed, 30);
  }
}

TEST_F(Variables, LivesAndHealthRaiseTheirEventsWhenTheyRunOut) {
  room.AddInstance(object, 0, 0)->i_marked = true;
  ASSERT_EQ(Run("lives = 3; lives = 0; lives = -1"), "");
  const std::vector<std::pair<int32_t, int32_t>> once = {{self->i_id, 6}};
  EXPECT_EQ(Performed, once);
  Performed.clear();
  ASSERT_EQ(Run("health = 0.5; health = 0"), "");
  const std::vector<std::pair<int32_t, int32_t>> health = {{self->i_id, 9}};
  EXPECT_EQ(Performed, health);
  Performed.clear();
  New_Room = 0;
  ASSERT_EQ(Run("lives = 1; lives = 0"), "");
  EXPECT_TRUE(Performed.empty());
  New_Room = kRoomNone;
}

TEST_F(Variables, InstanceListAndRoomRequests) {
  room.AddInstance(object, 0, 0);
  EXPECT_EQ(Get("instance_count"), 2);
  EXPECT_EQ(Get("instance_id[1]"), room.Instance(1)->i_id);
  EXPECT_EQ(Get("instance_id[instance_count]"), -4);
  ASSERT_EQ(Run("room = 0"), "");
  EXPECT_EQ(New_Room, 0);
  New_Room = kRoomNone;
  Run("room = 5");
  ASSERT_FALSE(test::Reports().errors.empty());
  EXPECT_NE(test::Reports().errors.back().find("Unexisting room number: 5"), std::string::npos);
  EXPECT_EQ(New_Room, kRoomFatal);
  New_Room = kRoomNone;
  ErrorState().es_aborting = false;
}

TEST_F(Variables, ErrorAndCaptionStrings) {
  ASSERT_EQ(Run("error_last = \"oops\"; error_occurred = 0.6; caption_score = \"Points: \""), "");
  EXPECT_EQ(LastError, "oops");
  EXPECT_TRUE(ErrorOccurred);
  EXPECT_EQ(GameVariables().gv_captionscore, "Points: ");
  ErrorOccurred = false;
  LastError.clear();
}

} // namespace
} // namespace vl

namespace vl {
namespace {

TEST_F(Variables, StrictArgumentReadsPastTheCountAreReported) {
  RValue slots[kMaxArguments];
  RValue* const savedArguments = Arguments;
  const int32_t savedCount = ArgumentCount;
  const std::string_view savedName = CurrentScriptName;
  const bool savedStrict = StrictArgumentCount;
  Arguments = slots;
  ArgumentCount = 1;
  CurrentScriptName = "scr_move";
  slots[0] = RValue(7.0);
  StrictArgumentCount = false;
  EXPECT_EQ(Get("argument[20]"), 7); // outside 0..15 means slot 0
  StrictArgumentCount = true;
  EXPECT_EQ(Get("argument[0]"), 7);
  test::Reports().errors.clear();
  EXPECT_NE(Run("a = argument[2]"), "");
  ASSERT_EQ(test::Reports().errors.size(), 1u);
  EXPECT_NE(test::Reports().errors[0].find("Illegal array index in script \"scr_move\".\rtrying to access "
                                           "argument[2], but only 1 arguments have been supplied."),
            std::string::npos)
      << test::Reports().errors[0];
  Arguments = savedArguments;
  ArgumentCount = savedCount;
  CurrentScriptName = savedName;
  StrictArgumentCount = savedStrict;
}

} // namespace
} // namespace vl
