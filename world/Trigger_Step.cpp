#include "world/Trigger_Step.h"

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Trigger_Class.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <vector>

namespace vl {

namespace {

void TestInstances(int32_t t, const CTrigger& trigger, int32_t object) {
  CRoom* room = PlayState().ps_room;
  if (!room) return;
  // A copy: the events performed may create or destroy instances.
  const std::vector<CInstance*> instances = room->ObjectList(object);
  for (CInstance* inst : instances) {
    if (New_Room != kRoomNone) return;
    if (inst->i_marked) continue;
    RValue result;
    if (!RunCodeOrError(inst, inst, *trigger.i_code, result)) {
      ReportError("ERROR in trigger " + trigger.i_name + "\r\n" + ErrorText, false);
      continue;
    }
    if (result.IsReal() && result.Real() >= 0.5) PerformEvent(inst, inst, ev_trigger, t);
  }
}

} // namespace

void Trigger_Step(int32_t moment) {
  const CTriggerTable& triggers = Triggers();
  for (int32_t t = 0; t < triggers.Count(); ++t) {
    const CTrigger* trigger = triggers.Get(t);
    if (!trigger || trigger->i_moment != moment || !trigger->i_code || !trigger->i_code->i_compiled) continue;
    for (int32_t o = 0; o < Objects().Count(); ++o)
      if (Objects().Exists(o) && Objects().FindEvent(o, ev_trigger, t)) TestInstances(t, *trigger, o);
  }
}

} // namespace vl
