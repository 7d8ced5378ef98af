#include "world/Function_Interaction.h"

#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <cmath>
#include <string>
#include <vector>

namespace vl {

namespace {

constexpr double kNoone = -4;

int32_t ToInt(const RValue& v) {
  return v.IsReal() ? int32_t(std::nearbyint(v.Real())) : 0;
}

void Fatal(const std::string& message) {
  ReportEventError(message, true);
  New_Room = kRoomFatal;
}

} // namespace

void Goto_Room(int32_t index, int32_t transition) {
  New_Room = index;
  PlayState().ps_transition = transition;
  if (!Rooms().Exists(index)) Fatal("Unexisting room number: " + std::to_string(index));
}

void Goto_Previous(int32_t transition) {
  const int32_t current = PlayState().ps_roomindex;
  if (current == RoomOrderFirst()) return Fatal("Moving to previous room before the first room.");
  Goto_Room(RoomOrderPrevious(current), transition);
}

void Goto_Next(int32_t transition) {
  const int32_t current = PlayState().ps_roomindex;
  if (current == RoomOrderLast()) return Fatal("Moving to next room after the last room.");
  Goto_Room(RoomOrderNext(current), transition);
}

void Restart_Room(int32_t transition) {
  Goto_Room(PlayState().ps_roomindex, transition);
}

void End_Game() {
  New_Room = kRoomEnd;
}

void Restart_Game() {
  New_Room = kRoomRestart;
}

void Load_Game(const std::string& file) {
  PlayState().ps_loadfile = file;
  New_Room = kRoomLoad;
}

CInstance* Create_Instance(int32_t object, double x, double y) {
  CRoom* room = PlayState().ps_room;
  if (!Objects().Exists(object)) {
    ReportEventError("Creating instance for non-existing object: " + std::to_string(object), false);
    return nullptr;
  }
  if (!room) return nullptr;
  CInstance* inst = room->AddInstance(object, x, y);
  if (!inst) return nullptr; // the ids are used up, which is reported
  PerformEvent(inst, inst, ev_create, 0);
  return inst;
}

void Destroy_Instance(CInstance* inst) {
  if (!inst || inst->i_marked) return;
  PerformEvent(inst, inst, ev_destroy, 0);
  inst->i_marked = true;
}

namespace {

void ReportNoObject(int32_t object) {
  ReportEventError("Asking to change into non-existing object: " + std::to_string(object), false);
}

// The active instances containing the point, in room order, before any of them is acted on.
std::vector<CInstance*> InstancesAt(double x, double y) {
  std::vector<CInstance*> hits;
  if (const CRoom* room = PlayState().ps_room)
    for (const auto& inst : room->r_instance)
      if (!inst->i_marked && inst->Collision_Point(true, x, y)) hits.push_back(inst.get());
  return hits;
}

} // namespace

void Change_Instance(CInstance* inst, int32_t object, bool events) {
  if (!Objects().Exists(object)) return ReportNoObject(object);
  CRoom* room = PlayState().ps_room;
  if (!inst || inst->i_marked || !room) return;
  if (events) PerformEvent(inst, inst, ev_destroy, 0);
  // The new instance takes an id of its own before it becomes a copy that keeps the old one; when
  // the ids are used up (reported) the instance stays as it is.
  if (!Rooms().NextInstanceId()) return;
  CInstance copy;
  copy.Assign(*inst);
  copy.SetObjectIndex(object);
  CInstance* changed = room->AddInstanceCopy(copy);
  inst->i_marked = true;
  if (events) PerformEvent(changed, changed, ev_create, 0);
}

void Destroy_At(double x, double y) {
  for (CInstance* inst : InstancesAt(x, y)) Destroy_Instance(inst);
}

void Change_At(int32_t object, bool events, double x, double y) {
  if (!Objects().Exists(object)) return ReportNoObject(object);
  for (CInstance* inst : InstancesAt(x, y)) Change_Instance(inst, object, events);
}

namespace {

double ToReal(const RValue& v) {
  return v.IsReal() ? v.Real() : 0;
}

bool ToBool(const RValue& v) {
  return v.IsReal() && v.Real() >= 0.5;
}

void F_InstanceChange(CInstance* self, CInstance*, int32_t, RValue&, const RValue* args) {
  Change_Instance(self, ToInt(args[0]), ToBool(args[1]));
}

void F_PositionDestroy(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  Destroy_At(ToReal(args[0]), ToReal(args[1]));
}

void F_PositionChange(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  Change_At(ToInt(args[2]), ToBool(args[3]), ToReal(args[0]), ToReal(args[1]));
}

void F_PathEnd(CInstance* self, CInstance*, int32_t, RValue&, const RValue*) {
  if (self) self->i_pathindex = -1;
}

// path_start(path, speed, endaction, absolute): follows the path unscaled and unturned.
void F_PathStart(CInstance* self, CInstance*, int32_t, RValue&, const RValue* args) {
  if (!self) return;
  const double speed = args[1].IsReal() ? args[1].Real() : 0;
  const bool absolute = args[3].IsReal() && args[3].Real() >= 0.5;
  self->Assign_Path(ToInt(args[0]), speed, ToInt(args[2]), absolute, 1, 0);
}

void F_InstanceDestroy(CInstance* self, CInstance*, int32_t, RValue&, const RValue*) {
  Destroy_Instance(self);
}

void F_RoomGotoPrevious(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  Goto_Previous(PlayState().ps_transition);
}

void F_RoomGotoNext(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  Goto_Next(PlayState().ps_transition);
}

void F_RoomRestart(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  Restart_Room(PlayState().ps_transition);
}

void F_GameEnd(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  End_Game();
}

void F_GameRestart(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  Restart_Game();
}

void F_RoomGoto(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  Goto_Room(ToInt(args[0]), PlayState().ps_transition);
}

// The neighbour of an existing room in the room order, else -1.
void F_RoomPrevious(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  const int32_t r = ToInt(args[0]);
  result = RValue(double(Rooms().Exists(r) ? RoomOrderPrevious(r) : -1));
}

void F_RoomNext(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  const int32_t r = ToInt(args[0]);
  result = RValue(double(Rooms().Exists(r) ? RoomOrderNext(r) : -1));
}

std::string ToText(const RValue& v) {
  return v.IsString() ? std::string(v.Str()) : std::string();
}

void F_GameLoad(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  Load_Game(ToText(args[0]));
}

// Saving is the main loop's.
void F_GameSave(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  PlayHost().SaveGame(ToText(args[0]));
}

void F_InstanceCreate(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  const double x = args[0].IsReal() ? args[0].Real() : 0, y = args[1].IsReal() ? args[1].Real() : 0;
  CInstance* inst = Create_Instance(ToInt(args[2]), x, y);
  result = inst ? RValue(double(inst->i_id)) : RValue(kNoone);
}

} // namespace

void Register_Function_Interaction() {
  RegisterFunction("path_end", F_PathEnd, 0);
  RegisterFunction("instance_destroy", F_InstanceDestroy, 0);
  RegisterFunction("room_goto_previous", F_RoomGotoPrevious, 0);
  RegisterFunction("room_goto_next", F_RoomGotoNext, 0);
  RegisterFunction("room_restart", F_RoomRestart, 0);
  RegisterFunction("game_end", F_GameEnd, 0);
  RegisterFunction("game_restart", F_GameRestart, 0);
  RegisterFunction("room_goto", F_RoomGoto, 1);
  RegisterFunction("room_previous", F_RoomPrevious, 1);
  RegisterFunction("room_next", F_RoomNext, 1);
  RegisterFunction("game_load", F_GameLoad, 1);
  RegisterFunction("game_save", F_GameSave, 1);
  RegisterFunction("instance_change", F_InstanceChange, 2);
  RegisterFunction("position_destroy", F_PositionDestroy, 2);
  RegisterFunction("instance_create", F_InstanceCreate, 3);
  RegisterFunction("path_start", F_PathStart, 4);
  RegisterFunction("position_change", F_PositionChange, 4);
}

} // namespace vl
