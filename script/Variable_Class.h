#pragma once
// Variable lists (instance, global and local variables) with their arrays, the user-variable
// names and the global-variable declarations.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CStream;

// Identifier spaces: built-in variables below this, user variables from it on.
constexpr int32_t kFirstUserVariable = 100000;
// Array indices are combined as i * kArrayRow + j; each index must stay below kArrayRow.
constexpr int32_t kArrayRow = 32000;

// Game code option: reading a variable that was never written gives the real 0.
extern bool TreatUninitializedAsZero;

struct RVariable {
  int32_t ind = 0;
  RValue simplevalue;
  std::vector<std::vector<RValue>> value;
};

class CVariableList {
public:
  void Clear() { v_vars.clear(); }
  void Assign(const CVariableList& source) { v_vars = source.v_vars; }
  int32_t Count() const { return static_cast<int32_t>(v_vars.size()); }

  void SetVar(int32_t id, int32_t k, const RValue& value);
  // False when the variable or the cell does not exist, unless uninitialised reads give 0.
  bool GetVar(int32_t id, int32_t k, RValue& value) const;
  void Init(int32_t id);
  // The variable with that identifier, or null; searches from the newest.
  RVariable* Find(int32_t id);
  const RVariable* Find(int32_t id) const;
  // Find that tries the entry at hint first and leaves the entry found there.
  RVariable* Find(int32_t id, int32_t& hint) {
    if (hint < Count() && v_vars[hint].ind == id) return &v_vars[hint];
    RVariable* var = Find(id);
    if (var) hint = static_cast<int32_t>(var - v_vars.data());
    return var;
  }

  void SaveToStream(CStream& stream) const;
  // A list of another version reads as empty and the rest of the stream is left alone.
  void LoadFromStream(CStream& stream);

  std::vector<RVariable> v_vars;
};

// The cell of a variable selected by the combined index k, or null outside the stored extent.
inline const RValue* VariableCell(const RVariable& var, int32_t k) {
  if (k == 0) return &var.simplevalue;
  size_t row = size_t(k) / kArrayRow, col = size_t(k) % kArrayRow;
  if (row >= var.value.size() || col >= var.value[row].size()) return nullptr;
  return &var.value[row][col];
}
// The cell selected by k, grown on demand.
RValue& GrowVariableCell(RVariable& var, int32_t k);
inline RValue& VariableCellForWrite(RVariable& var, int32_t k) {
  if (const RValue* cell = VariableCell(var, k)) return const_cast<RValue&>(*cell);
  return GrowVariableCell(var, k);
}

// User-variable names: identifier for a name (appending an unknown one) and back.
int32_t FindOrAddUserVariable(std::string_view name);
// Built-in variable first, else the user variable (appended when new).
int32_t FindVariableId(std::string_view name);
std::string VariableName(int32_t id);

// Globals.
extern CVariableList GlobalVariables;
extern std::vector<bool> GlobalVarFlags;
void ResetGlobals();
void DeclareGlobal(int32_t id);
inline bool IsGlobalDeclared(int32_t id) {
  size_t n = size_t(id) - kFirstUserVariable;
  return id >= kFirstUserVariable && n < GlobalVarFlags.size() && GlobalVarFlags[n];
}
void SaveGlobals(CStream& stream);
void LoadGlobals(CStream& stream);

} // namespace vl
