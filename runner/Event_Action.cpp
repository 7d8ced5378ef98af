#include "runner/Event_Action.h"

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <cmath>
#include <vector>

namespace vl {

namespace {

bool Pending() {
  return New_Room != kRoomNone;
}

void SetCurrentAction(int32_t a) {
  CurrentEvent().event_action = a;
}

// The instances an object apply-to reaches: the object and its descendants, unmarked, as they are
// now (the actions may create or destroy instances).
std::vector<CInstance*> ApplyTargets(int32_t object) {
  std::vector<CInstance*> targets;
  if (CRoom* room = PlayState().ps_room)
    for (CInstance* inst : room->ObjectListRecursive(object)) targets.push_back(inst);
  return targets;
}

bool IsObjectTarget(int32_t who) {
  return who >= 0 && who < Objects().Count();
}

void EvaluateArgument(const CAction& action, int32_t i, CInstance* self, CInstance* other, RValue& into) {
  if (action.act_argtype[size_t(i)] == CAction::kArgConstant || !action.act_argcode[size_t(i)])
    into = action.act_argvalue[size_t(i)];
  else
    RunCodeReporting(self, other, *action.act_argcode[size_t(i)], into);
}

void SetRelative(const CAction& action) {
  PlayState().ps_argumentrelative = action.act_userelative && action.act_relative;
}

// Calls what a function action names. An action whose function could not be located calls nothing
// and gives the real 0.
void CallActionFunction(CInstance* self, CInstance* other, const CAction& action, RValue* args,
                        RValue& result) {
  const int32_t id = action.act_functionid, argc = action.act_argumentcount;
  result = RValue();
  bool ok = true;
  if (id >= kFirstExtensionFunction) {
    ok = !HasCodeHost() ||
         CodeHost().CallExtension(id - kFirstExtensionFunction, self, other, argc, args, result);
  } else if (id >= kFirstScriptFunction) {
    ok = CallScript(id - kFirstScriptFunction, self, other, result, true, args, argc);
  } else if (const RFunction* function = GetBuiltinFunction(id); function && function->f_routine) {
    function->f_routine(self, other, argc, result, args);
  }
  if (!ok && ErrorPending) {
    ReportEventError(ErrorText, false);
    ClearError();
  }
}

bool RunCodeAction(CInstance* self, CInstance* other, const CAction& action, RValue& result) {
  if (action.act_exetype != CAction::kExeCode || !action.act_codecode) return false;
  const int32_t count = action.act_argumentcount;
  const bool savedRelative = PlayState().ps_argumentrelative;
  SetRelative(action);
  result = RValue();
  if (count == 0) {
    RunCodeReporting(self, other, *action.act_codecode, result);
  } else {
    RValue saved[kActionArguments];
    for (int32_t i = 0; i < count; ++i) saved[i] = Arguments[i];
    for (int32_t i = 0; i < count; ++i) EvaluateArgument(action, i, self, other, Arguments[i]);
    RunCodeReporting(self, other, *action.act_codecode, result);
    for (int32_t i = 0; i < count; ++i) Arguments[i] = std::move(saved[i]);
  }
  PlayState().ps_argumentrelative = savedRelative;
  return true;
}

bool IsTrue(const RValue& v) {
  return v.IsReal() && v.Real() >= 0.5;
}

// Skips whole inner blocks too, so that an end block closes its own begin block.
int32_t Skip_Block(const CEvent& event, int32_t i) {
  int32_t at = i + 1;
  while (at < event.Number() && event.Action(at)->act_kind != CAction::kEndBlock) at = Skip_Action(event, at);
  return at < event.Number() ? at + 1 : kEndMarker;
}

int32_t Run_Normal(const CEvent& event, int32_t a, CInstance* self, CInstance* other) {
  SetCurrentAction(a);
  const CAction& action = *event.Action(a);
  if (action.act_kind == CAction::kExit) return kEndMarker;
  const int32_t who = action.act_useapplyto ? action.act_who : -1;
  if (who == -1) {
    if (self) Execute_Action(self, other, action);
  } else if (who == -2) {
    if (other) Execute_Action(other, self, action);
  } else if (IsObjectTarget(who)) {
    for (CInstance* inst : ApplyTargets(who)) {
      if (inst->i_marked) continue;
      Execute_Action(inst, other, action);
      if (Pending()) return kEndMarker;
    }
  }
  return Pending() ? kEndMarker : a + 1;
}

bool Answer(const CAction& action, CInstance* self, CInstance* other) {
  const int32_t who = action.act_useapplyto ? action.act_who : -1;
  if (who == -1) return self ? Evaluate_Question(self, other, action) : true;
  if (who == -2) return other ? Evaluate_Question(other, self, action) : true;
  if (!IsObjectTarget(who)) return true;
  for (CInstance* inst : ApplyTargets(who))
    if (!inst->i_marked && !Evaluate_Question(inst, other, action)) return false;
  return true;
}

int32_t Run_Question(const CEvent& event, int32_t a, CInstance* self, CInstance* other) {
  SetCurrentAction(a);
  const bool b = Answer(*event.Action(a), self, other);
  int32_t next = b ? Run_Action_At(event, a + 1, self, other) : Skip_Action(event, a + 1);
  if (next < event.Number() && !Pending() && event.Action(next)->act_kind == CAction::kElse)
    next = b ? Skip_Action(event, next + 1) : Run_Action_At(event, next + 1, self, other);
  return Pending() ? kEndMarker : next;
}

int32_t Run_Repeat(const CEvent& event, int32_t a, CInstance* self, CInstance* other) {
  SetCurrentAction(a);
  RValue value;
  if (event.Action(a)->act_argumentcount > 0) EvaluateArgument(*event.Action(a), 0, self, other, value);
  if (Pending()) return kEndMarker;
  const double count = value.IsReal() ? std::nearbyint(value.Real()) : 0;
  for (double i = 0; i < count; ++i)
    if (Run_Action_At(event, a + 1, self, other) == kEndMarker || Pending()) return kEndMarker;
  return Skip_Action(event, a + 1);
}

int32_t Run_Block(const CEvent& event, int32_t a, CInstance* self, CInstance* other) {
  int32_t at = a + 1;
  while (at < event.Number() && event.Action(at)->act_kind != CAction::kEndBlock) {
    at = Run_Action_At(event, at, self, other);
    if (at == kEndMarker || Pending()) return kEndMarker;
  }
  return at + 1;
}

} // namespace

bool RunCodeReporting(CInstance* self, CInstance* other, const CCode& code, RValue& result) {
  if (RunCode(self, other, code, result)) return true;
  ReportEventError(ErrorText, false);
  ClearError();
  return false;
}

void Run_Actions(const CEvent& event, CInstance* self, CInstance* other) {
  for (int32_t at = 0; at < event.Number();) at = Run_Action_At(event, at, self, other);
}

int32_t Run_Action_At(const CEvent& event, int32_t a, CInstance* self, CInstance* other) {
  if (a >= event.Number() || a < 0 || Pending()) return kEndMarker;
  const CAction& action = *event.Action(a);
  int32_t next;
  if (action.act_kind == CAction::kBeginBlock)
    next = Run_Block(event, a, self, other);
  else if (action.act_kind == CAction::kRepeat)
    next = Run_Repeat(event, a, self, other);
  else if (action.act_isquestion)
    next = Run_Question(event, a, self, other);
  else
    next = Run_Normal(event, a, self, other);
  return Pending() ? kEndMarker : next;
}

int32_t Skip_Action(const CEvent& event, int32_t i) {
  if (i >= event.Number() || i < 0) return kEndMarker;
  const CAction& action = *event.Action(i);
  if (action.act_kind == CAction::kBeginBlock) return Skip_Block(event, i);
  if (action.act_isquestion || action.act_kind == CAction::kRepeat) return Skip_Action(event, i + 1);
  return i + 1;
}

void Execute_Action(CInstance* self, CInstance* other, const CAction& action) {
  RValue result;
  if (action.act_exetype != CAction::kExeFunction) {
    RunCodeAction(self, other, action, result);
    return;
  }
  SetRelative(action);
  RValue args[kActionArguments];
  for (int32_t i = 0; i < action.act_argumentcount; ++i) EvaluateArgument(action, i, self, other, args[i]);
  CallActionFunction(self, other, action, args, result);
}

bool Evaluate_Question(CInstance* self, CInstance* other, const CAction& action) {
  RValue result;
  if (action.act_exetype != CAction::kExeFunction)
    return RunCodeAction(self, other, action, result) && IsTrue(result) != action.act_isnot;
  SetRelative(action);
  RValue args[kActionArguments];
  for (int32_t i = 0; i < action.act_argumentcount; ++i) EvaluateArgument(action, i, self, other, args[i]);
  CallActionFunction(self, other, action, args, result);
  return IsTrue(result) != action.act_isnot;
}

} // namespace vl
