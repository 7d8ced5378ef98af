// Saved games: a file written by one state restores every field of it after changes, and a file
// that is foreign, of another version, cut short or damaged is refused with the game untouched.
#include "data/Game_File.h"
#include "data/Support_Stream.h"
#include "runner/IO_Main.h"
#include "runner/Run_Command.h"
#include "runner/Run_Main.h"
#include "script/Code_Error.h"
#include "script/Variable_Class.h"
#include "tests/runner/Run_Test_Support.h"
#include "tests/support/Test_Support.h"
#include "world/Function_Interaction.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Variable_World.h"
#include "world/World_Run.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace vl::test {
namespace {

class SavedGame : public RunnerGame {
protected:
  void SetUp() override {
    RunnerGame::SetUp();
    platform.errorAnswer = EErrorAnswer::Ignore;
    GameData().gd_gameid = 4711;
    Rooms().t_order = {0, 1};
    obj = Object("obj");
    On(obj, ev_create, 0, {"trace('create')"});
    On(obj, ev_other, 4, {"trace('room start')"});
    Room();
    Room();
    Rooms().Get(0)->r_persistent = true;
    Rooms().Get(0)->AddInstance(obj, 16, 32);
    Compile();
    RunState().rs_running = true;
    Game_Start();
    Trace();
  }

  // Changes every saved field away from the state of a fresh game.
  void ChangeState(double base) {
    RGameVariables& vars = GameVariables();
    vars.gv_score = int32_t(base);
    vars.gv_lives = int32_t(base) + 1;
    vars.gv_health = base + 0.5;
    vars.gv_cursorsprite = int32_t(base) + 2;
    RunState().rs_cursorimage = int32_t(base) + 3;
    RunState().rs_autodraw = !RunState().rs_autodraw;
    PlayState().ps_transition = int32_t(base) + 4;
    const int32_t g = FindOrAddUserVariable("saved_global");
    GlobalVariables.SetVar(g, 0, RValue(base));
    GlobalVariables.SetVar(g, 3 * kArrayRow + 2, RValue("cell"));
    DeclareGlobal(FindOrAddUserVariable("declared" + std::to_string(int32_t(base))));
    CRoom& room = *PlayState().ps_room;
    room.Instance(0)->SetPosition(base, -base);
    room.Instance(0)->i_vars.SetVar(FindOrAddUserVariable("hp"), 0, RValue(base * 2));
    room.AddInstance(obj, base, base);
    RTile tile;
    tile.id = *Rooms().NextTileId();
    tile.depth = base;
    room.AddTile(tile);
    room.r_caption = "at " + std::to_string(base);
  }

  // The whole state as a saved game writes it.
  std::vector<uint8_t> Snapshot() {
    const std::string file = dir / "snapshot.sav";
    Save_Game(file);
    CStream s;
    EXPECT_TRUE(s.LoadFromFile(file));
    return s.Bytes();
  }

  std::vector<uint8_t> Saved(const std::string& file) {
    Save_Game(file);
    CStream s;
    EXPECT_TRUE(s.LoadFromFile(file));
    return s.Bytes();
  }

  void Write(const std::string& file, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(CStream(bytes).SaveToFile(file));
  }

  bool Reported(const std::string& message) {
    for (const std::string& e : platform.errors)
      if (e.find(message) != std::string::npos) return true;
    return false;
  }

  TScratchDir dir;
  int32_t obj = -1;
};

TEST_F(SavedGame, ReloadAfterChangesRestoresEveryField) {
  ChangeState(7);
  Room_Change(1); // room 0 is persistent: two live rooms are saved
  PlayState().ps_transition = 11;
  Trace();
  const std::string file = dir / "game.sav";
  const std::vector<uint8_t> saved = Saved(file);

  Room_Change(0);
  ChangeState(42);
  Destroy_Instance(PlayState().ps_room->Instance(0));
  Trace();
  ASSERT_NE(Snapshot(), saved);

  Read_Game(file);
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(Snapshot(), saved);
  EXPECT_EQ(PlayState().ps_roomindex, 1);
  EXPECT_EQ(PlayState().ps_room, RunState().rs_rooms[1].get());
  EXPECT_EQ(GameVariables().gv_score, 7);
  EXPECT_EQ(GameVariables().gv_health, 7.5);
  EXPECT_EQ(PlayState().ps_transition, 11);
  RValue value;
  ASSERT_TRUE(GlobalVariables.GetVar(FindOrAddUserVariable("saved_global"), 3 * kArrayRow + 2, value));
  EXPECT_EQ(value.Str(), "cell");
  EXPECT_TRUE(IsGlobalDeclared(FindOrAddUserVariable("declared7")));
  EXPECT_FALSE(IsGlobalDeclared(FindOrAddUserVariable("declared42")));
  const CRoom& first = *RunState().rs_rooms[0];
  ASSERT_EQ(first.Number(), 2);
  EXPECT_EQ(first.Instance(0)->i_x, 7);
  EXPECT_EQ(first.Instance(0)->i_id, 100001);
  EXPECT_EQ(first.r_caption, "at 7.000000");
  EXPECT_EQ(Trace(), "");                                          // no create, room start or room end events
  EXPECT_EQ(Rooms().Get(0)->AddInstance(obj, 0, 0)->i_id, 100003); // ids go on from the saved ones
}

TEST_F(SavedGame, RefusedFilesLeaveTheGameUntouched) {
  ChangeState(3);
  const std::string file = dir / "game.sav";
  const std::vector<uint8_t> good = Saved(file);
  ChangeState(9);
  const std::vector<uint8_t> before = Snapshot();

  auto with = [&](size_t at, int32_t value) {
    std::vector<uint8_t> bytes = good;
    std::memcpy(bytes.data() + at, &value, 4);
    return bytes;
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  struct RCase {
    std::vector<uint8_t> bytes;
    std::string message;
  };
  std::vector<RCase> cases = {
      {with(4, 4712), "This is a save file for a different game!"},
      {with(0, 541), "Cannot load game saved with other version."},
      {with(8, 1), "Failed to load game from file "},    // the current room is no live room
      {with(8, -1), "Failed to load game from file "},   //
      {with(44, 701), "Failed to load game from file "}, // the globals' version
      {longer, "Failed to load game from file "},
      {{}, "Failed to load game from file "}, // empty: no version at all
  };
  for (size_t cut = 4; cut < good.size(); cut += 1 + cut / 8)
    cases.push_back({std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(cut)),
                     "Failed to load game from file "});
  for (const RCase& c : cases) {
    platform.errors.clear();
    Write(file, c.bytes);
    Read_Game(file);
    EXPECT_EQ(platform.errors.size(), 1u) << c.bytes.size();
    EXPECT_TRUE(Reported(c.message)) << c.bytes.size() << " " << c.message;
    EXPECT_EQ(Snapshot(), before) << c.bytes.size();
  }
}

TEST_F(SavedGame, InstancesOfObjectsThatDoNotExistLoadUnlessTheNumberIsNegative) {
  const int32_t gone = Object("gone");
  CRoom& room = *PlayState().ps_room;
  room.AddInstance(gone, 1, 1);
  room.AddInstance(5000, 2, 2); // as a room record may hold
  Objects().Delete(gone);
  const std::string file = dir / "objects.sav";
  const std::vector<uint8_t> saved = Saved(file);
  ChangeState(5);
  Read_Game(file);
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(Snapshot(), saved);
  ASSERT_EQ(PlayState().ps_room->Number(), 3);
  EXPECT_EQ(PlayState().ps_room->Instance(1)->i_objectindex, gone);
  EXPECT_EQ(PlayState().ps_room->Instance(2)->i_objectindex, 5000);

  PlayState().ps_room->Instance(2)->i_objectindex = -1;
  Save_Game(file);
  PlayState().ps_room->Instance(2)->i_objectindex = 5000;
  const std::vector<uint8_t> before = Snapshot();
  Read_Game(file);
  EXPECT_TRUE(Reported("Failed to load game from file " + file));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SavedGame, MissingFileDoesNothingAndAnUnreadableOneIsReported) {
  const std::vector<uint8_t> before = Snapshot();
  Read_Game(dir / "absent.sav");
  EXPECT_TRUE(platform.errors.empty());
  const std::string folder = dir / "folder.sav";
  std::filesystem::create_directory(folder);
  Read_Game(folder);
  EXPECT_TRUE(Reported("Failed to load game from file " + folder));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SavedGame, SecureModeRefusesFoldersAndFailuresAreReported) {
  GameData().gd_securemode = true;
  const std::string file = dir / "secure.sav";
  Save_Game(file);
  EXPECT_TRUE(Reported("In secure mode you cannot save game to file " + file));
  EXPECT_FALSE(std::filesystem::exists(file));
  GameData().gd_securemode = false;
  platform.errors.clear();
  const std::string missing = (dir.Path() / "no folder" / "x.sav").string();
  Save_Game(missing);
  EXPECT_TRUE(Reported("Failed to save game to file " + missing));
}

TEST_F(SavedGame, SaveAndLoadInOneStepRestoreTheMomentOfSaving) {
  const std::string file = dir / "step.sav";
  On(obj, ev_step, 0,
     {"global.v = 5; game_save('" + file + "'); global.v = 99; game_load('" + file + "'); trace(global.v)"});
  Compile();
  Game_Start();
  Trace();
  Run_Step();
  EXPECT_EQ(Trace(), "99"); // the code runs on; the load waits for the end of the step
  EXPECT_EQ(New_Room, kRoomLoad);
  Act_On_Code();
  EXPECT_EQ(New_Room, kRoomNone);
  RValue v;
  ASSERT_TRUE(GlobalVariables.GetVar(FindOrAddUserVariable("v"), 0, v));
  EXPECT_EQ(v.Real(), 5);
  EXPECT_EQ(Trace(), ""); // no room start
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(SavedGame, FunctionKeysSaveAndLoadTheGamesOwnFile) {
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  GameData().gd_settings.gs_savekey = true;
  GameVariables().gv_score = 12;
  StepInput().si_lastkey = 116;
  Run_Step();
  EXPECT_TRUE(std::filesystem::exists("_save4711.sav"));
  EXPECT_EQ(StepInput().si_lastkey, 0);
  GameVariables().gv_score = 30;
  StepInput().si_lastkey = 117;
  Run_Step();
  EXPECT_EQ(GameVariables().gv_score, 12);
  GameData().gd_settings.gs_savekey = false;
  GameVariables().gv_score = 30;
  StepInput().si_lastkey = 117;
  Run_Step();
  EXPECT_EQ(GameVariables().gv_score, 30);
  std::filesystem::current_path(here);
}

TEST_F(SavedGame, PreviousAndNextRoomInTheOrder) {
  Rooms().t_order = {0, 1, 2};
  Room();
  On(obj, ev_step, 0,
     {"trace(room_previous(1), room_previous(0), room_next(1), room_next(0), room_next(2), "
      "room_previous(-1))"});
  Compile();
  Game_Start();
  Trace();
  Run_Step();
  EXPECT_EQ(Trace(), "0 -1 2 1 -1 -1");
}

} // namespace
} // namespace vl::test
