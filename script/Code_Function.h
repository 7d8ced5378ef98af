#pragma once
// The table of built-in functions, the argument slots of script calls, and calling scripts.

#include "script/Code_Names.h"
#include "script/Variable_Value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CCode;
class CInstance;

// A built-in handler: (self, other, argument count, result to fill, the arguments). Only the first
// argument-count values of the array exist.
using TFunctionRoutine = void (*)(CInstance* self, CInstance* other, int32_t argc, RValue& result,
                                  const RValue* args);

struct RFunction {
  std::string f_name; // at most 64 characters
  TFunctionRoutine f_routine = nullptr;
  int32_t f_argnumb = 0; // -1: any count from 0 to 16
};

void RegisterFunction(std::string_view name, TFunctionRoutine routine, int32_t argcount);
// The index of the first built-in function of that name, or -1.
int32_t FindBuiltinFunction(std::string_view name);
const RFunction* GetBuiltinFunction(int32_t id);

// The 16 argument slots of the running script, read by argument0..15 and argument[]; write them
// through ArgumentForWrite. Each script call has its own; the pointer moves, so never keep it across
// a call.
extern RValue* Arguments;
extern int32_t ArgumentCount;
// 1 + the highest slot of the running call that may differ from the real 0.
extern int32_t ArgumentsWritten;
// The name of the running script; it views the script table's name, which lives for the whole run.
extern std::string_view CurrentScriptName;
// Game code option: a script called with fewer arguments than it uses is an error.
extern bool StrictArgumentCount;

inline RValue& ArgumentForWrite(int32_t n) {
  if (n >= ArgumentsWritten) ArgumentsWritten = n + 1;
  return Arguments[n];
}

// The accessors of the built-in variables argument0..argument15 (getter and setter of slot N).
template <int N>
bool GetArgumentN(CInstance*, int32_t, RValue& v) {
  v = Arguments[N];
  return true;
}
template <int N>
bool SetArgumentN(CInstance*, int32_t, const RValue& v) {
  ArgumentForWrite(N) = v;
  return true;
}

namespace detail {
// Slots of calls come from a pool: a free frame holds 16 reals 0, and a frame is cleared as it is
// given back, so a call costs no construction of unused slots. Frames never move.
extern std::vector<std::unique_ptr<RValue[]>> FramePool;
extern size_t FramesInUse;
void GrowArgumentPool();
inline RValue* ClaimArgumentFrame() {
  if (FramesInUse == FramePool.size()) GrowArgumentPool();
  return FramePool[FramesInUse++].get();
}
inline void ReleaseArgumentFrame(RValue* slots, int32_t written) {
  for (int32_t i = 0; i < written; ++i) slots[i].SetReal(0);
  --FramesInUse;
}
} // namespace detail

// The argument slots of one script call: filled first, in the caller's context, then entered, which
// makes them, the count and the script name current until the frame ends.
class CArgumentFrame {
public:
  CArgumentFrame() : a_slots(detail::ClaimArgumentFrame()) {}
  ~CArgumentFrame() {
    if (a_entered) {
      a_written = ArgumentsWritten;
      Arguments = a_caller;
      ArgumentCount = a_count;
      ArgumentsWritten = a_callerwritten;
      CurrentScriptName = a_name;
    }
    detail::ReleaseArgumentFrame(a_slots, a_written);
  }
  CArgumentFrame(const CArgumentFrame&) = delete;
  CArgumentFrame& operator=(const CArgumentFrame&) = delete;

  // Slot i to be filled before the frame is entered; fill them in order.
  RValue& Slot(int32_t i) {
    a_written = i + 1;
    return a_slots[i];
  }
  void Enter(int32_t count, std::string_view name) {
    a_caller = Arguments;
    a_count = ArgumentCount;
    a_callerwritten = ArgumentsWritten;
    a_name = CurrentScriptName;
    Arguments = a_slots;
    ArgumentCount = count;
    ArgumentsWritten = a_written;
    CurrentScriptName = name;
    a_entered = true;
  }

private:
  RValue* a_slots;
  int32_t a_written = 0;
  bool a_entered = false;
  RValue* a_caller = nullptr;
  int32_t a_count = 0;
  int32_t a_callerwritten = 0;
  std::string_view a_name;
};

// Runs script n with the given arguments, which it takes over (they are left as reals 0); false
// (error recorded, result "ERROR") when the script fails or, with check on, was given the wrong
// number of arguments. Unknown scripts fail silently.
bool CallScript(int32_t n, CInstance* self, CInstance* other, RValue& result, bool check, RValue* args,
                int32_t count);
// What follows a script's run, ok telling whether it succeeded: the failure text names the script,
// and with check on the argument count is checked. The outcome of the call.
bool EndScriptCall(bool ok, std::string_view name, const CCode& code, bool check, int32_t count);

} // namespace vl
