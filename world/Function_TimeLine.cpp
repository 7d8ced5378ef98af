#include "world/Function_TimeLine.h"

#include "script/Code_Function.h"
#include "script/Code_Operator.h"
#include "world/TimeLine_Class.h"
#include "world/World_Report.h"

#include <string>

namespace vl {

namespace {

#define VL_TIMELINE_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *a

void timeline_exists(VL_TIMELINE_ARGS) {
  result = RValue(TimeLines().Exists(ArgumentWhole(a[0])) ? 1.0 : 0.0);
}

void timeline_name(VL_TIMELINE_ARGS) {
  result = RValue(TimeLines().Name(ArgumentWhole(a[0])));
}

void timeline_add(VL_TIMELINE_ARGS) {
  result = RValue(double(TimeLines().Add()));
}

void timeline_delete(VL_TIMELINE_ARGS) {
  const int32_t ind = ArgumentWhole(a[0]);
  if (!TimeLines().Exists(ind)) return ReportEventError("Trying to delete non-existing timeline.", false);
  TimeLines().Delete(ind);
  result = RValue(1.0);
}

void timeline_clear(VL_TIMELINE_ARGS) {
  if (CTimeLine* timeline = TimeLines().Get(ArgumentWhole(a[0]))) timeline->Clear();
}

void timeline_moment_clear(VL_TIMELINE_ARGS) {
  if (CTimeLine* timeline = TimeLines().Get(ArgumentWhole(a[0]))) timeline->DeleteMoment(ArgumentWhole(a[1]));
}

// The action compiles as part of the code that adds it: a compile error names that code's event.
void timeline_moment_add(VL_TIMELINE_ARGS) {
  CTimeLine* timeline = TimeLines().Get(ArgumentWhole(a[0]));
  if (!timeline) return;
  CEvent& event = *timeline->AddMoment(ArgumentWhole(a[1])).m_event;
  event.AddCodeAction(a[2].IsString() ? std::string(a[2].Str()) : std::string());
  event.e_actions.back().Compile();
}

#undef VL_TIMELINE_ARGS

} // namespace

void Register_Function_TimeLine() {
  RegisterFunction("timeline_add", timeline_add, 0);
  RegisterFunction("timeline_name", timeline_name, 1);
  RegisterFunction("timeline_exists", timeline_exists, 1);
  RegisterFunction("timeline_get_name", timeline_name, 1);
  RegisterFunction("timeline_delete", timeline_delete, 1);
  RegisterFunction("timeline_clear", timeline_clear, 1);
  RegisterFunction("timeline_moment_clear", timeline_moment_clear, 2);
  RegisterFunction("timeline_moment_add", timeline_moment_add, 3);
}

} // namespace vl
