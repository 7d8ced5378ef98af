#include "script/Variable_Class.h"

#include "data/Support_Stream.h"
#include "script/Name_Map.h"
#include "script/Variable_BuiltIn.h"

namespace vl {

bool TreatUninitializedAsZero = false;
CVariableList GlobalVariables;
std::vector<bool> GlobalVarFlags(10000, false);

namespace {

constexpr int32_t kListVersion = 440;
constexpr int32_t kGlobalsVersion = 700;

std::vector<std::string> VariableNames;
CNameMap VariableIds;

void SaveValue(CStream& stream, const RValue& v) {
  stream.WriteInteger(v.Kind());
  stream.WriteReal(v.IsReal() ? v.Real() : 0);
  stream.WriteString(v.Str());
}

RValue LoadValue(CStream& stream) {
  int32_t kind = stream.ReadInteger();
  double val = stream.ReadReal();
  std::string str = stream.ReadString();
  return kind == RValue::kString ? RValue(str) : RValue(val);
}

} // namespace

RValue& GrowVariableCell(RVariable& var, int32_t k) {
  size_t row = size_t(k) / kArrayRow, col = size_t(k) % kArrayRow;
  if (row >= var.value.size()) var.value.resize(row + 1);
  auto& cells = var.value[row];
  if (col >= cells.size()) cells.resize(col + 1);
  return cells[col];
}

RVariable* CVariableList::Find(int32_t id) {
  for (size_t i = v_vars.size(); i-- > 0;)
    if (v_vars[i].ind == id) return &v_vars[i];
  return nullptr;
}

const RVariable* CVariableList::Find(int32_t id) const {
  return const_cast<CVariableList*>(this)->Find(id);
}

void CVariableList::SetVar(int32_t id, int32_t k, const RValue& value) {
  RVariable* var = Find(id);
  if (!var) {
    var = &v_vars.emplace_back();
    var->ind = id;
  }
  VariableCellForWrite(*var, k) = value;
}

bool CVariableList::GetVar(int32_t id, int32_t k, RValue& value) const {
  if (const RVariable* var = Find(id))
    if (const RValue* cell = VariableCell(*var, k)) {
      value = *cell;
      return true;
    }
  if (!TreatUninitializedAsZero) return false;
  value = RValue();
  return true;
}

void CVariableList::Init(int32_t id) {
  if (!Find(id)) v_vars.emplace_back().ind = id;
}

void CVariableList::SaveToStream(CStream& stream) const {
  stream.WriteInteger(kListVersion);
  stream.WriteInteger(Count());
  for (const RVariable& var : v_vars) {
    stream.WriteInteger(var.ind);
    SaveValue(stream, var.simplevalue);
    stream.WriteInteger(static_cast<int32_t>(var.value.size()));
    for (const auto& row : var.value) {
      stream.WriteInteger(static_cast<int32_t>(row.size()));
      for (const RValue& cell : row) SaveValue(stream, cell);
    }
  }
}

void CVariableList::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kListVersion) return;
  int32_t count = stream.ReadInteger();
  // Counts come from outside: grow as data actually arrives rather than trusting them up front.
  for (int32_t i = 0; i < count; ++i) {
    RVariable& var = v_vars.emplace_back();
    var.ind = stream.ReadInteger();
    var.simplevalue = LoadValue(stream);
    int32_t rows = stream.ReadInteger();
    for (int32_t r = 0; r < rows; ++r) {
      auto& row = var.value.emplace_back();
      int32_t cells = stream.ReadInteger();
      for (int32_t c = 0; c < cells; ++c) row.push_back(LoadValue(stream));
    }
  }
}

int32_t FindOrAddUserVariable(std::string_view name) {
  int32_t id = FindName(VariableIds, name);
  if (id >= 0) return id;
  id = kFirstUserVariable + static_cast<int32_t>(VariableNames.size());
  VariableNames.emplace_back(name);
  VariableIds.emplace(name, id);
  return id;
}

int32_t FindVariableId(std::string_view name) {
  int32_t id = FindBuiltinVariable(name);
  return id >= 0 ? id : FindOrAddUserVariable(name);
}

std::string VariableName(int32_t id) {
  if (id < kFirstUserVariable) return BuiltinVariableName(id);
  size_t n = size_t(id) - kFirstUserVariable;
  return n < VariableNames.size() ? VariableNames[n] : "<unknown variable>";
}

void ResetGlobals() {
  GlobalVariables.Clear();
  GlobalVarFlags.assign(10000, false);
}

void DeclareGlobal(int32_t id) {
  if (id < kFirstUserVariable) return;
  size_t n = size_t(id) - kFirstUserVariable;
  if (n >= GlobalVarFlags.size()) GlobalVarFlags.resize(size_t(id) - 99000, false);
  GlobalVarFlags[n] = true;
  GlobalVariables.Init(id);
}

void SaveGlobals(CStream& stream) {
  stream.WriteInteger(kGlobalsVersion);
  GlobalVariables.SaveToStream(stream);
  stream.WriteInteger(static_cast<int32_t>(GlobalVarFlags.size()));
  for (bool flag : GlobalVarFlags) stream.WriteBoolean(flag);
}

void LoadGlobals(CStream& stream) {
  if (stream.ReadInteger() != kGlobalsVersion) return;
  GlobalVariables.LoadFromStream(stream);
  int32_t count = stream.ReadInteger();
  std::vector<bool> flags;
  for (int32_t i = 0; i < count; ++i) flags.push_back(stream.ReadBoolean());
  GlobalVarFlags = std::move(flags);
}

} // namespace vl
