// The game variables: one value for the whole game, whatever instance the access names.

#include "data/Game_File.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"
#include "script/Variable_BuiltIn.h"
#include "world/Event_Class.h"
#include "world/Function_Interaction.h"
#include "world/Room_Class.h"
#include "world/Variable_World.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fmt/format.h>
#include <vector>

namespace vl {

namespace {

enum : int32_t { kNoMoreLives = 6, kNoMoreHealth = 9 };

double Num(const RValue& v) {
  return v.IsReal() ? v.Real() : 0;
}
int32_t Int(const RValue& v) {
  return RoundToInt32(Num(v));
}
bool Bool(const RValue& v) {
  return Int(v) >= 1;
}
// Background and view arrays have 8 elements; another index means element 0.
size_t Slot8(int32_t k) {
  return k >= 0 && k < kRoomBackgrounds ? size_t(k) : 0;
}
size_t ArgumentSlot(int32_t k) {
  return k >= 0 && k < kMaxArguments ? size_t(k) : 0;
}

// Room variables of a game without a room read as 0 and refuse writes.
CRoom* Room() {
  return PlayState().ps_room;
}

// Performs an other event for every live instance, unless a room change is pending.
void PerformForAll(int32_t number) {
  CRoom* room = Room();
  if (!room || New_Room != kRoomNone) return;
  std::vector<CInstance*> list;
  for (const auto& inst : room->r_instance) list.push_back(inst.get());
  for (CInstance* inst : list)
    if (!inst->i_marked) PerformEvent(inst, inst, ev_other, number);
}

std::tm Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

struct RGameVariable {
  const char* name;
  TBuiltinGetter get;
  TBuiltinSetter set;
};

#define VL_GET(expr)                                                                                         \
  [](CInstance*, int32_t, RValue& v) {                                                                       \
    v = RValue(double(expr));                                                                                \
    return true;                                                                                             \
  }
#define VL_GETS(expr)                                                                                        \
  [](CInstance*, int32_t, RValue& v) {                                                                       \
    v = RValue(std::string_view(expr));                                                                      \
    return true;                                                                                             \
  }
#define VL_SET(stmt)                                                                                         \
  [](CInstance*, int32_t, const RValue& v) {                                                                 \
    stmt;                                                                                                    \
    return true;                                                                                             \
  }
#define VL_ROOM_GET(expr)                                                                                    \
  [](CInstance*, int32_t, RValue& v) {                                                                       \
    v = RValue(Room() ? double(Room()->expr) : 0.0);                                                         \
    return true;                                                                                             \
  }
#define VL_ROOM_SET(stmt)                                                                                    \
  [](CInstance*, int32_t, const RValue& v) {                                                                 \
    if (!Room()) return false;                                                                               \
    Room()->stmt;                                                                                            \
    return true;                                                                                             \
  }
#define VL_ARRAY_GET(array, field)                                                                           \
  [](CInstance*, int32_t k, RValue& v) {                                                                     \
    v = RValue(Room() ? double(Room()->array[Slot8(k)].field) : 0.0);                                        \
    return true;                                                                                             \
  }
#define VL_ARRAY_SET(array, field, conv)                                                                     \
  [](CInstance*, int32_t k, const RValue& v) {                                                               \
    if (!Room()) return false;                                                                               \
    Room()->array[Slot8(k)].field = conv(v);                                                                 \
    return true;                                                                                             \
  }
#define VL_BACK(name, field, conv)                                                                           \
  { name, VL_ARRAY_GET(r_background, field), VL_ARRAY_SET(r_background, field, conv) }
#define VL_VIEW(name, field, conv)                                                                           \
  { name, VL_ARRAY_GET(r_view, field), VL_ARRAY_SET(r_view, field, conv) }

bool GetArgument(CInstance*, int32_t k, RValue& v) {
  if (StrictArgumentCount && k >= ArgumentCount) {
    ReportEventError(
        fmt::format("Illegal array index in script \"{}\".\rtrying to access argument[{}], but only "
                    "{} arguments have been supplied.",
                    CurrentScriptName, k, ArgumentCount),
        false);
    return false;
  }
  v = Arguments[ArgumentSlot(k)];
  return true;
}

bool SetRoom(CInstance*, int32_t, const RValue& v) {
  Goto_Room(Int(v), PlayState().ps_transition);
  return true;
}

bool SetRoomSpeed(CInstance*, int32_t, const RValue& v) {
  const int32_t speed = Int(v);
  if (speed <= 0) {
    ReportEventError("Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  if (!Room()) return false;
  Room()->r_speed = speed;
  return true;
}

bool SetLives(CInstance*, int32_t, const RValue& v) {
  const int32_t old = GameVariables().gv_lives;
  GameVariables().gv_lives = Int(v);
  if (old > 0 && GameVariables().gv_lives <= 0) PerformForAll(kNoMoreLives);
  return true;
}

bool SetHealth(CInstance*, int32_t, const RValue& v) {
  const double old = GameVariables().gv_health;
  GameVariables().gv_health = Num(v);
  if (old > 0 && GameVariables().gv_health <= 0) PerformForAll(kNoMoreHealth);
  return true;
}

bool GetInstanceId(CInstance*, int32_t k, RValue& v) {
  const CInstance* inst = Room() ? Room()->Instance(k) : nullptr;
  v = RValue(inst ? double(inst->i_id) : -4.0);
  return true;
}

const RGameVariable kGameVariables[] = {
    {"argument_relative", VL_GET(PlayState().ps_argumentrelative ? 1 : 0), nullptr},
    {"argument0", GetArgumentN<0>, SetArgumentN<0>},
    {"argument1", GetArgumentN<1>, SetArgumentN<1>},
    {"argument2", GetArgumentN<2>, SetArgumentN<2>},
    {"argument3", GetArgumentN<3>, SetArgumentN<3>},
    {"argument4", GetArgumentN<4>, SetArgumentN<4>},
    {"argument5", GetArgumentN<5>, SetArgumentN<5>},
    {"argument6", GetArgumentN<6>, SetArgumentN<6>},
    {"argument7", GetArgumentN<7>, SetArgumentN<7>},
    {"argument8", GetArgumentN<8>, SetArgumentN<8>},
    {"argument9", GetArgumentN<9>, SetArgumentN<9>},
    {"argument10", GetArgumentN<10>, SetArgumentN<10>},
    {"argument11", GetArgumentN<11>, SetArgumentN<11>},
    {"argument12", GetArgumentN<12>, SetArgumentN<12>},
    {"argument13", GetArgumentN<13>, SetArgumentN<13>},
    {"argument14", GetArgumentN<14>, SetArgumentN<14>},
    {"argument15", GetArgumentN<15>, SetArgumentN<15>},
    {"argument", GetArgument,
     [](CInstance*, int32_t k, const RValue& v) {
       ArgumentForWrite(int32_t(ArgumentSlot(k))) = v;
       return true;
     }},
    {"argument_count", VL_GET(ArgumentCount), nullptr},
    {"room", VL_GET(PlayState().ps_roomindex), SetRoom},
    {"room_first", VL_GET(RoomOrderFirst()), nullptr},
    {"room_last", VL_GET(RoomOrderLast()), nullptr},
    {"transition_kind", VL_GET(PlayState().ps_transition), VL_SET(PlayState().ps_transition = Int(v))},
    {"transition_steps", VL_GET(GameVariables().gv_transitionsteps),
     VL_SET(GameVariables().gv_transitionsteps = Int(v))},
    {"score", VL_GET(GameVariables().gv_score), VL_SET(GameVariables().gv_score = Int(v))},
    {"lives", VL_GET(GameVariables().gv_lives), SetLives},
    {"health", VL_GET(GameVariables().gv_health), SetHealth},
    {"game_id", VL_GET(GameData().gd_gameid), nullptr},
    {"working_directory",
     [](CInstance*, int32_t, RValue& v) {
       std::error_code ec;
       v = RValue(std::string_view(std::filesystem::current_path(ec).string()));
       return true;
     },
     nullptr},
    {"temp_directory", VL_GETS(GameVariables().gv_tempdirectory), nullptr},
    {"program_directory", VL_GETS(GameVariables().gv_programdirectory), nullptr},
    {"instance_count", VL_GET(Room() ? Room()->Number() : 0), nullptr},
    {"instance_id", GetInstanceId, nullptr},
    {"room_width", VL_ROOM_GET(r_width), nullptr},
    {"room_height", VL_ROOM_GET(r_height), nullptr},
    {"room_caption", VL_GETS(Room() ? Room()->r_caption : std::string()),
     VL_ROOM_SET(r_caption = std::string(v.Str()))},
    {"room_speed", VL_ROOM_GET(r_speed), SetRoomSpeed},
    {"room_persistent", VL_ROOM_GET(r_persistent ? 1 : 0), VL_ROOM_SET(r_persistent = Bool(v))},
    {"background_color", VL_ROOM_GET(r_color), VL_ROOM_SET(r_color = Int(v))},
    {"background_showcolor", VL_ROOM_GET(r_showcolor ? 1 : 0), VL_ROOM_SET(r_showcolor = Bool(v))},
    VL_BACK("background_visible", visible, Bool),
    VL_BACK("background_foreground", foreground, Bool),
    VL_BACK("background_index", index, Int),
    VL_BACK("background_x", x, Num),
    VL_BACK("background_y", y, Num),
    VL_BACK("background_htiled", htiled, Bool),
    VL_BACK("background_vtiled", vtiled, Bool),
    VL_BACK("background_xscale", xscale, Num),
    VL_BACK("background_yscale", yscale, Num),
    VL_BACK("background_hspeed", hspeed, Num),
    VL_BACK("background_vspeed", vspeed, Num),
    VL_BACK("background_blend", blend, Int),
    VL_BACK("background_alpha", alpha, Num),
    {"view_enabled", VL_ROOM_GET(r_enableviews ? 1 : 0), VL_ROOM_SET(r_enableviews = Bool(v))},
    {"view_current", VL_GET(GameVariables().gv_viewcurrent), nullptr},
    VL_VIEW("view_visible", visible, Bool),
    VL_VIEW("view_xview", xview, Int),
    VL_VIEW("view_yview", yview, Int),
    VL_VIEW("view_wview", wview, Int),
    VL_VIEW("view_hview", hview, Int),
    VL_VIEW("view_xport", xport, Int),
    VL_VIEW("view_yport", yport, Int),
    VL_VIEW("view_wport", wport, Int),
    VL_VIEW("view_hport", hport, Int),
    VL_VIEW("view_angle", angle, Num),
    VL_VIEW("view_hborder", hborder, Int),
    VL_VIEW("view_vborder", vborder, Int),
    VL_VIEW("view_hspeed", hspeed, Int),
    VL_VIEW("view_vspeed", vspeed, Int),
    VL_VIEW("view_object", index, Int),
    {"cursor_sprite", VL_GET(GameVariables().gv_cursorsprite),
     VL_SET(GameVariables().gv_cursorsprite = Int(v))},
    {"show_score", VL_GET(GameVariables().gv_showscore ? 1 : 0),
     VL_SET(GameVariables().gv_showscore = Bool(v))},
    {"show_lives", VL_GET(GameVariables().gv_showlives ? 1 : 0),
     VL_SET(GameVariables().gv_showlives = Bool(v))},
    {"show_health", VL_GET(GameVariables().gv_showhealth ? 1 : 0),
     VL_SET(GameVariables().gv_showhealth = Bool(v))},
    {"caption_score", VL_GETS(GameVariables().gv_captionscore),
     VL_SET(GameVariables().gv_captionscore = std::string(v.Str()))},
    {"caption_lives", VL_GETS(GameVariables().gv_captionlives),
     VL_SET(GameVariables().gv_captionlives = std::string(v.Str()))},
    {"caption_health", VL_GETS(GameVariables().gv_captionhealth),
     VL_SET(GameVariables().gv_captionhealth = std::string(v.Str()))},
    {"fps", VL_GET(GameVariables().gv_fps), nullptr},
    {"current_time",
     VL_GET(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count()),
     nullptr},
    {"current_year", VL_GET(Now().tm_year + 1900), nullptr},
    {"current_month", VL_GET(Now().tm_mon + 1), nullptr},
    {"current_day", VL_GET(Now().tm_mday), nullptr},
    {"current_weekday", VL_GET(Now().tm_wday + 1), nullptr},
    {"current_hour", VL_GET(Now().tm_hour), nullptr},
    {"current_minute", VL_GET(Now().tm_min), nullptr},
    {"current_second", VL_GET(Now().tm_sec), nullptr},
    {"event_type", VL_GET(CurrentEvent().event_type), nullptr},
    {"event_number", VL_GET(CurrentEvent().event_number), nullptr},
    {"event_object", VL_GET(CurrentEvent().event_object), nullptr},
    {"event_action", VL_GET(CurrentEvent().event_action), nullptr},
    {"secure_mode", VL_GET(GameData().gd_securemode ? 1 : 0), nullptr},
    {"debug_mode", VL_GET(GameVariables().gv_debugmode ? 1 : 0), nullptr},
    {"error_occurred", VL_GET(ErrorOccurred ? 1 : 0), VL_SET(ErrorOccurred = Num(v) >= 0.5)},
    {"error_last", VL_GETS(LastError), VL_SET(LastError = std::string(v.Str()))},
    {"velmora_version", VL_GET(810), nullptr},
    {"os_type", VL_GET(GameVariables().gv_ostype), nullptr},
    {"os_device", VL_GET(GameVariables().gv_osdevice), nullptr},
    {"display_aa", VL_GET(GameVariables().gv_displayaa), nullptr},
};

} // namespace

RGameVariables& GameVariables() {
  static RGameVariables state;
  return state;
}

void RegisterGameVariables() {
  for (const RGameVariable& var : kGameVariables)
    if (RegisterBuiltinVariable(var.name, var.get, var.set, var.set != nullptr) < 0)
      ShowLoadMessage("INTERNAL ERROR: Adding too many variables");
}

void RegisterBuiltinVariables() {
  if (FindBuiltinVariable("x") >= 0) return;
  RegisterInstanceVariables();
  RegisterGameVariables();
}

} // namespace vl
