#include "script/Trigger_Class.h"

#include "data/Support_Stream.h"
#include "script/Code_Error.h"

namespace vl {

void CTrigger::Clear() {
  i_name.clear();
  i_condition.clear();
  i_code.reset();
  i_constname.clear();
  i_moment = kMomentBegin;
}

bool CTrigger::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  i_name = stream.ReadString();
  i_condition = stream.ReadString();
  i_moment = stream.ReadInteger();
  i_constname = stream.ReadString();
  return true;
}

bool CTrigger::Prepare() {
  i_code = std::make_unique<CCode>(i_condition, false);
  if (i_code->Compile()) return true;
  ReportError("COMPILATION ERROR in condition of trigger " + i_name + "\r" + ErrorText, true);
  return false;
}

bool CTriggerTable::LoadSection(CStream& stream) {
  ClearAll();
  if (stream.ReadInteger() != kSectionVersion) return false;
  const int32_t count = stream.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    auto block = stream.ReadStreamC();
    t_triggers.emplace_back();
    if (!block->ReadBoolean()) continue;
    auto trigger = std::make_unique<CTrigger>();
    if (!trigger->LoadFromStream(*block)) return false;
    t_triggers.back() = std::move(trigger);
  }
  return true;
}

std::string CTriggerTable::Name(int32_t n) const {
  const CTrigger* trigger = Get(n);
  return trigger ? trigger->i_name : "<Deleted>";
}

int32_t CTriggerTable::FindConstant(std::string_view name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (t_triggers[size_t(i)] && t_triggers[size_t(i)]->i_constname == name) return i;
  return -1;
}

CTriggerTable& Triggers() {
  static CTriggerTable table;
  return table;
}

bool TriggerExists(int32_t n) {
  return Triggers().Exists(n);
}

CTrigger* GetTrigger(int32_t n) {
  return Triggers().Get(n);
}

int32_t FindTriggerConstant(std::string_view name) {
  return Triggers().FindConstant(name);
}

bool PrepareTriggers() {
  for (const auto& trigger : Triggers().t_triggers)
    if (trigger && !trigger->Prepare()) return false;
  return true;
}

} // namespace vl
