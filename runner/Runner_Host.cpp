#include "runner/Runner_Host.h"

#include "script/Code_Function.h"
#include "script/Script_Class.h"
#include "world/Game_Names.h"

namespace vl {

const CCode* CRunnerHost::ScriptCode(int32_t n) const {
  const CScript* script = Scripts().Get(n);
  return script && script->s_code && script->s_code->i_compiled ? script->s_code.get() : nullptr;
}

const std::string& CRunnerHost::ScriptName(int32_t n) const {
  return Scripts().Name(n);
}

bool CRunnerHost::CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) {
  return false;
}

int32_t CRunnerHost::FindFunction(std::string_view name) const {
  if (const int32_t script = Scripts().Find(name); script >= 0) return kFirstScriptFunction + script;
  return FindBuiltinFunction(name);
}

int32_t CRunnerHost::FunctionArgCount(int32_t id) const {
  if (id >= kFirstScriptFunction) return -1;
  const RFunction* f = GetBuiltinFunction(id);
  return f ? f->f_argnumb : -1;
}

bool CRunnerHost::LookupName(std::string_view name, RValue& value) const {
  return LookupGameName(name, value);
}

CRunnerHost& RunnerHost() {
  static CRunnerHost host;
  return host;
}

void Install_RunnerHost() {
  SetCodeHost(&RunnerHost());
  SetCodeNames(&RunnerHost());
}

} // namespace vl
