#include "world/Function_Event.h"

#include "script/Code_Function.h"
#include "script/Code_Operator.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

namespace vl {

namespace {

#define VL_EVENT_ARGS CInstance *self, CInstance *other, int32_t, RValue &, const RValue *a

void event_perform(VL_EVENT_ARGS) {
  PerformEvent(self, other, ArgumentWhole(a[0]), ArgumentWhole(a[1]));
}

void event_perform_object(VL_EVENT_ARGS) {
  PlayHost().PerformEventObject(self, other, ArgumentWhole(a[0]), ArgumentWhole(a[1]), ArgumentWhole(a[2]));
}

void event_user(VL_EVENT_ARGS) {
  PerformEvent(self, other, ev_other, 10 + ArgumentWhole(a[0]));
}

// The current object owns the event being run, so inside an inherited event this reaches the
// grandparent.
void event_inherited(CInstance* self, CInstance* other, int32_t, RValue&, const RValue*) {
  const RCurrentEvent current = CurrentEvent();
  const CObject* object = Objects().Get(current.event_object);
  if (!object || !Objects().Exists(object->o_parent)) return;
  PlayHost().PerformEventObject(self, other, object->o_parent, current.event_type, current.event_number);
}

#undef VL_EVENT_ARGS

} // namespace

void Register_Function_Event() {
  RegisterFunction("event_perform", event_perform, 2);
  RegisterFunction("event_perform_object", event_perform_object, 3);
  RegisterFunction("event_user", event_user, 1);
  RegisterFunction("event_inherited", event_inherited, 0);
}

} // namespace vl
