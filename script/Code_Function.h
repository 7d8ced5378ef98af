#pragma once
// The table of built-in functions, the argument slots of script calls, and calling scripts.

#include "script/Code_Names.h"
#include "script/Variable_Value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

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

// The 16 argument slots of the running script, read and written by argument0..15 and argument[].
// Each script call has its own; the pointer moves, so never keep it across a call.
extern RValue* Arguments;
extern int32_t ArgumentCount;
// The name of the running script; it views the script table's name, which lives for the whole run.
extern std::string_view CurrentScriptName;
// Game code option: a script called with fewer arguments than it uses is an error.
extern bool StrictArgumentCount;

// Runs script n with the given arguments, which it takes over (they are left as reals 0); false
// (error recorded, result "ERROR") when the script fails or, with check on, was given the wrong
// number of arguments. Unknown scripts fail silently.
bool CallScript(int32_t n, CInstance* self, CInstance* other, RValue& result, bool check, RValue* args,
                int32_t count);

} // namespace vl
