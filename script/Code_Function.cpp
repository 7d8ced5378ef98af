#include "script/Code_Function.h"

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Name_Map.h"

#include <fmt/format.h>
#include <memory>
#include <utility>
#include <vector>

namespace vl {

namespace {
// The argument slots outside any script call.
RValue BaseArguments[kMaxArguments];
} // namespace

RValue* Arguments = BaseArguments;
int32_t ArgumentCount = 0;
int32_t ArgumentsWritten = kMaxArguments;
std::string_view CurrentScriptName = "<unknown>";
bool StrictArgumentCount = true;

namespace {

std::vector<RFunction> Functions;
CNameMap FunctionIds;

} // namespace

namespace detail {

std::vector<std::unique_ptr<RValue[]>> FramePool;
size_t FramesInUse = 0;

void GrowArgumentPool() {
  FramePool.push_back(std::make_unique<RValue[]>(kMaxArguments));
}

} // namespace detail

void RegisterFunction(std::string_view name, TFunctionRoutine routine, int32_t argcount) {
  std::string cut(name.substr(0, 64));
  FunctionIds.emplace(cut, static_cast<int32_t>(Functions.size())); // the first entry of a name wins
  Functions.push_back({std::move(cut), routine, argcount});
}

int32_t FindBuiltinFunction(std::string_view name) {
  return FindName(FunctionIds, name);
}

const RFunction* GetBuiltinFunction(int32_t id) {
  return id >= 0 && size_t(id) < Functions.size() ? &Functions[id] : nullptr;
}

bool CallScript(int32_t n, CInstance* self, CInstance* other, RValue& result, bool check, RValue* args,
                int32_t count) {
  const CCode* code = CodeHost().ScriptCode(n);
  if (!code) return false;
  CArgumentFrame frame;
  for (int32_t i = 0; i < count; ++i) frame.Slot(i).Swap(args[i]);
  const std::string& name = CodeHost().ScriptName(n);
  frame.Enter(count, name);
  result = RValue();
  return EndScriptCall(RunCodeOrError(self, other, *code, result), name, *code, check, count);
}

bool EndScriptCall(bool ok, std::string_view name, const CCode& code, bool check, int32_t count) {
  if (!ok) ErrorText = fmt::format("In script {}:\r{}", name, ErrorText);
  if (check && StrictArgumentCount && (code.i_ArgArray ? count < code.i_Args : count != code.i_Args)) {
    ErrorText =
        fmt::format("Illegal argument count calling script \"{}\".\rScript requires {}{} arguments, {} "
                    "have been supplied.",
                    name, code.i_ArgArray ? "at least " : "", code.i_Args, count);
    ErrorPending = true;
    ok = false;
  }
  return ok;
}

} // namespace vl
