#include "script/Code_Function.h"

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Name_Map.h"

#include <fmt/format.h>
#include <utility>
#include <vector>

namespace vl {

namespace {
// The argument slots outside any script call.
RValue BaseArguments[kMaxArguments];
} // namespace

RValue* Arguments = BaseArguments;
int32_t ArgumentCount = 0;
std::string_view CurrentScriptName = "<unknown>";
bool StrictArgumentCount = true;

namespace {

std::vector<RFunction> Functions;
CNameMap FunctionIds;

// The argument slots of one script call, all the real 0 at first. While the call runs they are the
// current slots; when it ends, the caller's slots, count and name are current again.
class CArgumentFrame {
public:
  CArgumentFrame() : a_caller(Arguments), a_count(ArgumentCount), a_name(CurrentScriptName) {
    Arguments = a_slots;
  }
  ~CArgumentFrame() {
    Arguments = a_caller;
    ArgumentCount = a_count;
    CurrentScriptName = a_name;
  }
  CArgumentFrame(const CArgumentFrame&) = delete;
  CArgumentFrame& operator=(const CArgumentFrame&) = delete;

private:
  RValue a_slots[kMaxArguments];
  RValue* a_caller;
  int32_t a_count;
  std::string_view a_name;
};

} // namespace

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
  const std::string& name = CodeHost().ScriptName(n);
  ArgumentCount = count;
  CurrentScriptName = name;
  for (int32_t i = 0; i < count; ++i) Arguments[i].Swap(args[i]); // the frame's slots were all 0
  result = RValue();
  bool ok = RunCodeOrError(self, other, *code, result);
  if (!ok) ErrorText = fmt::format("In script {}:\r{}", name, ErrorText);
  if (check && StrictArgumentCount && (code->i_ArgArray ? count < code->i_Args : count != code->i_Args)) {
    ErrorText =
        fmt::format("Illegal argument count calling script \"{}\".\rScript requires {}{} arguments, {} "
                    "have been supplied.",
                    name, code->i_ArgArray ? "at least " : "", code->i_Args, count);
    ErrorPending = true;
    ok = false;
  }
  return ok;
}

} // namespace vl
