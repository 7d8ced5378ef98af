#include "runner/Run_Command.h"

#include "data/Game_File.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Window.h"
#include "runner/IO_Main.h"
#include "runner/Run_Main.h"
#include "script/Code_Error.h"
#include "script/Variable_Class.h"
#include "world/Room_Class.h"
#include "world/Variable_World.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace vl {

namespace {

constexpr int32_t kGlobalsVersion = 700;
// The slots are positional: a live room far past the room table (an empty room entered through a
// damaged room order) would need that many empty slots before it, so such a game is not saved.
constexpr int64_t kMaxSlotsPastTable = 65536;

// Everything a saved game holds, read in full before any of it replaces the running state.
struct RSavedGame {
  int32_t sg_roomindex = 0, sg_transition = 0, sg_score = 0, sg_lives = 0;
  double sg_health = 0;
  int32_t sg_cursorsprite = 0, sg_cursorimage = 0;
  bool sg_autodraw = true;
  CVariableList sg_globals;
  std::vector<bool> sg_globalflags;
  std::map<int32_t, std::unique_ptr<CRoom>> sg_rooms; // the present slots
  int32_t sg_lastinstanceid = 0, sg_lasttileid = 0;
};

// The globals through their own reader, which fills the running ones: those are kept aside and put
// back, also when the stream ends early.
bool ReadGlobals(CStream& s, RSavedGame& game) {
  const size_t start = s.Position();
  if (s.ReadInteger() != kGlobalsVersion) return false;
  s.Seek(start);
  struct RKeepRunning {
    RSavedGame& game;
    CVariableList vars = std::move(GlobalVariables);
    std::vector<bool> flags = std::move(GlobalVarFlags);
    ~RKeepRunning() {
      game.sg_globals = std::exchange(GlobalVariables, std::move(vars));
      game.sg_globalflags = std::exchange(GlobalVarFlags, std::move(flags));
    }
  } keep{game};
  LoadGlobals(s);
  return true;
}

// False when the body after the version and game id is damaged or cut short.
bool ReadBody(CStream& s, RSavedGame& game) {
  game.sg_roomindex = s.ReadInteger();
  game.sg_transition = s.ReadInteger();
  game.sg_score = s.ReadInteger();
  game.sg_lives = s.ReadInteger();
  game.sg_health = s.ReadReal();
  game.sg_cursorsprite = s.ReadInteger();
  game.sg_cursorimage = s.ReadInteger();
  game.sg_autodraw = s.ReadBoolean();
  if (!ReadGlobals(s, game)) return false;
  const int32_t slots = s.ReadInteger();
  if (slots < 0) return false;
  for (int32_t i = 0; i < slots; ++i) {
    if (!s.ReadBoolean()) continue;
    auto room = std::make_unique<CRoom>();
    if (!room->LoadGameFromStream(s)) return false;
    game.sg_rooms[i] = std::move(room);
  }
  game.sg_lastinstanceid = s.ReadInteger();
  game.sg_lasttileid = s.ReadInteger();
  // The game goes on in the current room: a saved game without it has nothing to play.
  const int32_t r = game.sg_roomindex;
  return game.sg_rooms.count(r) && s.Position() == s.Size();
}

void Failed(const std::string& message) {
  ReportEventError(message, false);
}

} // namespace

void Save_Game(const std::string& file) {
  if (GameData().gd_securemode && file.find_first_of("\\/") != std::string::npos)
    return Failed("In secure mode you cannot save game to file " + file);
  const RRunState& state = RunState();
  const RGameVariables& vars = GameVariables();
  CStream s;
  s.WriteInteger(kSavedGameVersion);
  s.WriteInteger(GameData().gd_gameid);
  s.WriteInteger(PlayState().ps_roomindex);
  s.WriteInteger(PlayState().ps_transition);
  s.WriteInteger(vars.gv_score);
  s.WriteInteger(vars.gv_lives);
  s.WriteReal(vars.gv_health);
  s.WriteInteger(vars.gv_cursorsprite);
  s.WriteInteger(state.rs_cursorimage);
  s.WriteBoolean(state.rs_autodraw);
  SaveGlobals(s);
  // A slot for every room of the table and up to the highest live room past it.
  const int64_t past =
      state.rs_rooms.empty() ? 0 : int64_t(state.rs_rooms.rbegin()->first) + 1 - Rooms().Count();
  if (past > kMaxSlotsPastTable) return Failed("Failed to save game to file " + file);
  const int32_t slots = Rooms().Count() + int32_t(std::max<int64_t>(past, 0));
  s.WriteInteger(slots);
  for (int32_t i = 0; i < slots; ++i) {
    auto room = state.rs_rooms.find(i);
    s.WriteBoolean(room != state.rs_rooms.end());
    if (room != state.rs_rooms.end()) room->second->SaveGameToStream(s);
  }
  s.WriteInteger(Rooms().t_lastinstanceid);
  s.WriteInteger(Rooms().t_lasttileid);
  if (!s.SaveToFile(file)) Failed("Failed to save game to file " + file);
}

void Read_Game(const std::string& file) {
  std::error_code missing;
  if (!std::filesystem::exists(file, missing)) return;
  CStream s;
  if (!s.LoadFromFile(file)) return Failed("Failed to load game from file " + file);
  RSavedGame game;
  try {
    if (s.ReadInteger() != kSavedGameVersion) return Failed("Cannot load game saved with other version.");
    if (s.ReadInteger() != GameData().gd_gameid) return Failed("This is a save file for a different game!");
    if (!ReadBody(s, game)) return Failed("Failed to load game from file " + file);
  } catch (const EStreamError&) {
    return Failed("Failed to load game from file " + file);
  }

  RRunState& state = RunState();
  RGameVariables& vars = GameVariables();
  PlayState().ps_transition = game.sg_transition;
  vars.gv_score = game.sg_score;
  vars.gv_lives = game.sg_lives;
  vars.gv_health = game.sg_health;
  vars.gv_cursorsprite = game.sg_cursorsprite;
  state.rs_cursorimage = game.sg_cursorimage;
  state.rs_autodraw = game.sg_autodraw;
  GlobalVariables = std::move(game.sg_globals);
  GlobalVarFlags = std::move(game.sg_globalflags);
  state.rs_rooms = std::move(game.sg_rooms);
  Set_PlayedRoom(state.rs_rooms.at(game.sg_roomindex).get(), game.sg_roomindex);
  Rooms().t_lastinstanceid = game.sg_lastinstanceid;
  Rooms().t_lasttileid = game.sg_lasttileid;
  Room_SetRegion(*state.rs_rooms.at(game.sg_roomindex));
}

void Game_LoadPending() {
  New_Room = kRoomNone;
  StepInput().Clear();
  Read_Game(PlayState().ps_loadfile);
}

std::string Key_SaveFile() {
  return "_save" + std::to_string(GameData().gd_gameid) + ".sav";
}

} // namespace vl
