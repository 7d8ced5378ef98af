#pragma once
// Running the action list of one event: blocks, questions with else, repeats, exits, apply-to self,
// other or an object, function actions and code actions.

#include "script/Variable_Value.h"

#include <cstdint>

namespace vl {

class CAction;
class CCode;
class CEvent;
class CInstance;

// What every run function returns to stop the whole event.
constexpr int32_t kEndMarker = 10000000;

// Runs the event's actions from index 0 for self and other.
void Run_Actions(const CEvent& event, CInstance* self, CInstance* other);
// Runs the action at index a (with what it governs); the index of the next action or kEndMarker.
int32_t Run_Action_At(const CEvent& event, int32_t a, CInstance* self, CInstance* other);
// The index after the action at i and what it governs, or kEndMarker beyond the list.
int32_t Skip_Action(const CEvent& event, int32_t i);

void Execute_Action(CInstance* self, CInstance* other, const CAction& action);
bool Evaluate_Question(CInstance* self, CInstance* other, const CAction& action);

// Runs code; a failure is reported in the context of the current event and cleared.
bool RunCodeReporting(CInstance* self, CInstance* other, const CCode& code, RValue& result);

} // namespace vl
