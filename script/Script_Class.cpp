#include "script/Script_Class.h"

#include "data/Support_Stream.h"
#include "script/Code_Error.h"

namespace vl {

void CScript::Clear() {
  s_code.reset();
  s_text.clear();
}

bool CScript::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  s_text = stream.ReadString();
  return true;
}

bool CScript::Compile() {
  s_code = std::make_unique<CCode>(s_text, false);
  return s_code->Compile();
}

CScriptTable& Scripts() {
  static CScriptTable table;
  return table;
}

const CCode* ScriptCode(int32_t n) {
  const CScript* script = Scripts().Get(n);
  return script && script->s_code && script->s_code->i_compiled ? script->s_code.get() : nullptr;
}

bool CompileScripts() {
  CScriptTable& table = Scripts();
  for (int32_t n = 0; n < table.Count(); ++n) {
    CScript* script = table.Get(n);
    if (!script) continue;
    if (!script->Compile()) {
      ReportError("COMPILATION ERROR in Script: " + table.Name(n) + "\r" + ErrorText, true);
      return false;
    }
  }
  return true;
}

} // namespace vl
