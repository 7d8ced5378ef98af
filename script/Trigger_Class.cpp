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

namespace {

// A trigger's entry is its record alone; the name comes from inside it.
bool ReadTriggerEntry(CStream& block, CTrigger& trigger, std::string& name) {
  if (!trigger.LoadFromStream(block)) return false;
  name = trigger.i_name;
  return true;
}

} // namespace

CTriggerTable::CTriggerTable() : CResourceTable({.rk_missing = "<Deleted>", .rk_read = ReadTriggerEntry}) {}

int32_t CTriggerTable::FindConstant(std::string_view name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (t_items[size_t(i)] && t_items[size_t(i)]->i_constname == name) return i;
  return -1;
}

CTriggerTable& Triggers() {
  static CTriggerTable table;
  return table;
}

bool PrepareTriggers() {
  for (const auto& trigger : Triggers().t_items)
    if (trigger && !trigger->Prepare()) return false;
  return true;
}

} // namespace vl
