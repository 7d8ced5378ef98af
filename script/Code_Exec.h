#pragma once
// Running compiled code for a self and an other instance.

#include "script/Variable_Value.h"

#include <cstdint>

namespace vl {

class CCode;
class CInstance;

// Completion codes of statements.
enum : int {
  EXEC_NORMAL = 0,
  EXEC_ERROR = -1, // a message has been recorded
  EXEC_EXIT = -2,  // exit or return
  EXEC_BREAK = -3,
  EXEC_CONTINUE = -4,
};

// Runs code; the result is the last value assigned, returned or produced by a call statement (or the
// expression's value). False when the run stopped on an error, which is recorded (Code_Error).
bool RunCode(CInstance* self, CInstance* other, const CCode& code, RValue& result);
// The variables of the instances that a scope names: all (-3), an object index with its descendants
// or an instance id. A read takes the first live owner and fails without one; a write goes to every
// live owner and fails only when one refuses it (a missing instance id is no failure).
bool ReadVariableOf(int32_t scope, int32_t id, int32_t k, RValue& value);
bool WriteVariableOf(int32_t scope, int32_t id, int32_t k, const RValue& value);

// RunCode that leaves the string "ERROR" as the result of a failed run.
bool RunCodeOrError(CInstance* self, CInstance* other, const CCode& code, RValue& result);

} // namespace vl
