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

bool CScriptTable::LoadSection(CStream& stream) {
  ClearAll();
  if (stream.ReadInteger() != kSectionVersion) return false;
  const int32_t count = stream.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    auto block = stream.ReadStreamC();
    t_scripts.emplace_back();
    t_names.emplace_back();
    if (!block->ReadBoolean()) continue;
    t_names.back() = block->ReadString();
    auto script = std::make_unique<CScript>();
    if (!script->LoadFromStream(*block)) return false;
    t_scripts.back() = std::move(script);
  }
  return true;
}

void CScriptTable::ClearAll() {
  t_scripts.clear();
  t_names.clear();
}

const std::string& CScriptTable::Name(int32_t n) const {
  static const std::string kUndefined = "<undefined>";
  return Exists(n) ? t_names[size_t(n)] : kUndefined;
}

int32_t CScriptTable::Find(std::string_view name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (t_scripts[size_t(i)] && t_names[size_t(i)] == name) return i;
  return -1;
}

CScriptTable& Scripts() {
  static CScriptTable table;
  return table;
}

bool ScriptExists(int32_t n) {
  return Scripts().Exists(n);
}

const std::string& ScriptName(int32_t n) {
  return Scripts().Name(n);
}

int32_t FindScript(std::string_view name) {
  return Scripts().Find(name);
}

CScript* GetScript(int32_t n) {
  return Scripts().Get(n);
}

const CCode* ScriptCode(int32_t n) {
  const CScript* script = GetScript(n);
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
