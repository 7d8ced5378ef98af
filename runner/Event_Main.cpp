#include "runner/Event_Main.h"

#include "runner/Event_Action.h"
#include "script/Code_Error.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <vector>

namespace vl {

CEvent* Find_Event(int32_t object, int32_t type, int32_t number, int32_t* owner) {
  return Objects().FindEvent(object, type, number, owner);
}

void Perform_Event(CInstance* inst, CInstance* other, int32_t type, int32_t number) {
  if (New_Room != kRoomNone || !inst) return;
  Perform_Event_Object(inst, other, inst->i_objectindex, type, number);
}

void Perform_Event_Object(CInstance* inst, CInstance* other, int32_t object, int32_t type, int32_t number) {
  if (New_Room != kRoomNone) return;
  int32_t owner = -1;
  if (const CEvent* event = Find_Event(object, type, number, &owner))
    Perform_Found(inst, other, *event, owner, type, number);
}

void Perform_Found(CInstance* inst, CInstance* other, const CEvent& event, int32_t owner, int32_t type,
                   int32_t number) {
  if (New_Room != kRoomNone) return;
  RCurrentEvent& current = CurrentEvent();
  const RCurrentEvent saved = current;
  current.event_object = owner;
  current.event_type = type;
  current.event_number = number;
  Run_Actions(event, inst, other);
  current = saved;
}

void Perform_Event_All(int32_t type, int32_t number) {
  CRoom* room = PlayState().ps_room;
  if (New_Room != kRoomNone || !room) return;
  // Events may create or destroy instances; the instances present now are the ones visited.
  std::vector<CInstance*> snapshot;
  snapshot.reserve(size_t(room->Number()));
  for (const auto& inst : room->r_instance) snapshot.push_back(inst.get());
  for (CInstance* inst : snapshot)
    if (!inst->i_marked) Perform_Event_Object(inst, inst, inst->i_objectindex, type, number);
}

void Install_Event_Dispatch() {
  PlayState().ps_perform = Perform_Event;
}

} // namespace vl
