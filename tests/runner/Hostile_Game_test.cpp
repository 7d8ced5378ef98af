// Crafted game files as an attacker or a damaged download presents them: numbers at the edge of their
// range in room records, the room order and the id counters load and play without sizing anything by
// those numbers and without overflowing a counter.
#include "data/Game_File.h"
#include "runner/Run_Command.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "script/Variable_Class.h"
#include "tests/runner/Run_Test_Support.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"
#include "tools/writer/Game_Writer.h"
#include "world/Function_Interaction.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace vl {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

class HostileGame : public ::testing::Test {
protected:
  void SetUp() override {
    Wire_Runner(platform.Services());
    platform.errorAnswer = EErrorAnswer::Ignore;
    Restart();
  }
  // Forgets the game, ready to load the next one.
  void Restart() {
    Reset_Runner();
    Runner().rn_loadwindow = &window;
    Runner().rn_tempfolder = scratch.Path().string();
    Runner().rn_options.ro_exepath = scratch / "game.exe";
  }
  void TearDown() override {
    Reset_Runner();
    Unwire_Runner();
  }

  // Two objects, the second persistent, and two rooms played in order; instance 100001 in room 0.
  static RGameProject Game() {
    RGameProject p;
    p.gp_game.gd_libraryname = "D3DX8.dll";
    p.gp_library = {1, 2, 3};
    p.gp_objects = {RPackObject{.name = "obj"}, RPackObject{.name = "keeper", .persistent = true}};
    p.gp_rooms = {RPackRoom{.name = "room0"}, RPackRoom{.name = "room1"}};
    p.gp_rooms[0]->instances = {{16, 16, 0, 100001, ""}};
    p.gp_roomorder = {0, 1};
    p.gp_lastinstanceid = 100001;
    p.gp_lasttileid = 10000000;
    return p;
  }

  static bool Load(const RGameProject& project) { return test::LoadWrittenGame(project); }
  static void Start(const RGameProject& project) {
    test::StartWrittenGame(project);
    if (HasFatalFailure()) return;
    ASSERT_NE(PlayState().ps_room, nullptr);
  }

  bool Reported(const std::string& message) const {
    for (const std::string& e : platform.errors)
      if (e.find(message) != std::string::npos) return true;
    return false;
  }

  test::TScratchDir scratch;
  test::TTestPlatform platform;
  test::TTestLoadWindow window;
};

TEST_F(HostileGame, InstancesOfObjectsOutsideTheTableAreKeptInNoList) {
  for (int32_t object : {kMax, 100000000, 10000000, 2, -1, std::numeric_limits<int32_t>::min()}) {
    SCOPED_TRACE(object);
    RGameProject p = Game();
    p.gp_rooms[0]->instances.push_back({32, 32, object, 100002, ""});
    p.gp_rooms[0]->instances.push_back({48, 48, 1, 100003, ""});
    ASSERT_TRUE(Load(p));
    const CRoom& resource = *Rooms().Get(0);
    ASSERT_EQ(resource.Number(), 3);
    EXPECT_EQ(resource.Instance(1)->i_objectindex, object);
    EXPECT_EQ(resource.r_obj_instance.size(), 2u);
    EXPECT_EQ(resource.r_obj_instance_recursive.size(), 2u);
    EXPECT_EQ(resource.Obj_Number(object), 0);
    EXPECT_EQ(resource.Obj_Number(1), 1);
    EXPECT_EQ(resource.FindInstance(100002), resource.Instance(1));

    ASSERT_TRUE(Prepare_Game());
    RunState().rs_running = true;
    Game_Start();
    const CRoom& live = *PlayState().ps_room;
    ASSERT_EQ(live.Number(), 3);
    EXPECT_EQ(live.r_obj_instance.size(), 2u);
    EXPECT_EQ(live.Obj_Number(0), 1);
    EXPECT_EQ(live.Obj_Number(1), 1);
    Game_End();
    Restart();
  }
}

TEST_F(HostileGame, RoomOrderEntryThatNamesNoRoomPlaysAnEmptyRoomSizingNothing) {
  for (int32_t entry : {2, 100000000, kMax}) {
    SCOPED_TRACE(entry);
    RGameProject p = Game();
    p.gp_roomorder = {entry, 0};
    Start(p);
    EXPECT_EQ(PlayState().ps_roomindex, entry);
    EXPECT_EQ(PlayState().ps_room->Number(), 0);
    ASSERT_EQ(RunState().rs_rooms.size(), 1u);
    EXPECT_EQ(RunState().rs_rooms.begin()->first, entry);

    // A few empty slots past the table are saved; a room far past it is not.
    platform.errors.clear();
    const std::string file = scratch / "game.sav";
    std::filesystem::remove(file);
    Save_Game(file);
    if (entry == 2) {
      EXPECT_TRUE(platform.errors.empty());
      Room_Change(0);
      Read_Game(file);
      EXPECT_TRUE(platform.errors.empty());
      EXPECT_EQ(PlayState().ps_roomindex, 2);
    } else {
      EXPECT_TRUE(Reported("Failed to save game to file " + file));
      EXPECT_FALSE(std::filesystem::exists(file));
    }

    Room_Change(0); // the empty room is not persistent: it is let go
    EXPECT_EQ(PlayState().ps_roomindex, 0);
    ASSERT_EQ(RunState().rs_rooms.size(), 1u);
    EXPECT_EQ(RunState().rs_rooms.begin()->first, 0);
    Restart_Game(); // game_restart enters the order's first entry again
    Act_On_Code();
    EXPECT_EQ(PlayState().ps_roomindex, entry);
    EXPECT_EQ(RunState().rs_rooms.size(), 1u);
    Game_End();
    Restart();
  }
}

TEST_F(HostileGame, InstanceIdsUsedUpRefuseNewInstancesWithoutOverflow) {
  RGameProject p = Game();
  p.gp_lastinstanceid = kMax - 1;
  p.gp_rooms[0]->code = "global.first = instance_create(1, 2, 0); global.second = instance_create(3, 4, 0);";
  p.gp_rooms[0]->instances.push_back({48, 48, 1, 100002, ""});
  Start(p);
  CRoom& room = *PlayState().ps_room;
  RValue first, second;
  ASSERT_TRUE(GlobalVariables.GetVar(FindOrAddUserVariable("first"), 0, first));
  ASSERT_TRUE(GlobalVariables.GetVar(FindOrAddUserVariable("second"), 0, second));
  EXPECT_EQ(first.Real(), kMax);
  EXPECT_EQ(second.Real(), -4); // noone
  EXPECT_TRUE(Reported("Cannot create an instance: every instance id is in use."));
  EXPECT_EQ(room.Number(), 3);
  EXPECT_EQ(Rooms().t_lastinstanceid, kMax);

  platform.errors.clear();
  EXPECT_EQ(Create_Instance(0, 0, 0), nullptr);
  CInstance* old = room.Instance(0);
  Change_Instance(old, 1, true);
  EXPECT_EQ(old->i_objectindex, 0);
  EXPECT_FALSE(old->i_marked);
  EXPECT_EQ(platform.errors.size(), 2u);
  EXPECT_EQ(room.Number(), 3);
  EXPECT_EQ(Rooms().t_lastinstanceid, kMax);

  // A carried persistent instance keeps its id: it takes none of the used-up ones.
  platform.errors.clear();
  Room_Change(1);
  ASSERT_EQ(PlayState().ps_room->Number(), 1);
  EXPECT_EQ(PlayState().ps_room->Instance(0)->i_id, 100002);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(HostileGame, TileIdsUsedUpRefuseNewTilesWithoutOverflow) {
  RGameProject p = Game();
  p.gp_lasttileid = kMax - 1;
  Start(p);
  CRoom& room = *PlayState().ps_room;
  RTile tile;
  EXPECT_EQ(room.AddTile(tile), 0);
  EXPECT_EQ(room.r_tile[0].id, kMax);
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(room.AddTile(tile), -1);
  EXPECT_EQ(room.TileNumber(), 1);
  EXPECT_EQ(Rooms().t_lasttileid, kMax);
  EXPECT_TRUE(Reported("Cannot add a tile: every tile id is in use."));
}

} // namespace
} // namespace vl
