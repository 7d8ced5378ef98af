#include "runner/Runner_Host.h"

#include "runner/Event_Main.h"
#include "runner/Run_Command.h"
#include "runner/Run_Error.h"
#include "script/Code_Function.h"
#include "script/Extension_Class.h"
#include "script/Script_Class.h"
#include "world/Game_Names.h"
#include "world/World_Report.h"

namespace vl {

const CCode* CRunnerHost::ScriptCode(int32_t n) const {
  const CScript* script = Scripts().Get(n);
  return script && script->s_code && script->s_code->i_compiled ? script->s_code.get() : nullptr;
}

const std::string& CRunnerHost::ScriptName(int32_t n) const {
  return Scripts().Name(n);
}

bool CRunnerHost::CallExtension(int32_t n, CInstance* self, CInstance* other, int32_t argc,
                                const RValue* args, RValue& result) {
  return Extensions().Call(n, self, other, result, args, argc);
}

int32_t CRunnerHost::FindFunction(std::string_view name) const {
  if (const int32_t script = Scripts().Find(name); script >= 0) return kFirstScriptFunction + script;
  if (const int32_t extension = Extensions().FindFunction(name); extension >= 0)
    return kFirstExtensionFunction + extension;
  return FindBuiltinFunction(name);
}

int32_t CRunnerHost::FunctionArgCount(int32_t id) const {
  if (id >= kFirstExtensionFunction) return Extensions().ArgCount(id - kFirstExtensionFunction);
  if (id >= kFirstScriptFunction) return -1;
  const RFunction* f = GetBuiltinFunction(id);
  return f ? f->f_argnumb : -1;
}

bool CRunnerHost::LookupName(std::string_view name, RValue& value) const {
  return LookupGameName(name, value);
}

void CRunnerHost::PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) {
  Perform_Event(self, other, type, number);
}

void CRunnerHost::PerformEventObject(CInstance* self, CInstance* other, int32_t object, int32_t type,
                                     int32_t number) {
  Perform_Event_Object(self, other, object, type, number);
}

void CRunnerHost::SaveGame(const std::string& file) {
  Save_Game(file);
}

bool CRunnerHost::Report(const std::string& text, bool fatal) {
  return Show_Error(text, fatal);
}

void CRunnerHost::ReportFunctionError(std::string_view message) {
  ReportEventError(std::string(message), false);
}

CRunnerHost& RunnerHost() {
  static CRunnerHost host;
  return host;
}

} // namespace vl
