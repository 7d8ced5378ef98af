#include "library/Function_Variable.h"

#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Code_Operator.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

namespace vl {

namespace {

#define VL_VARIABLE_ARGS CInstance *self, CInstance *, int32_t, RValue &r, const RValue *a

// A variable by name, with the cell of its combined index.
struct RNamedVariable {
  int32_t nv_id = 0;
  int32_t nv_k = 0;
};

// The identifier the compiler would give the name, and the cell of indices i and j; false (reported)
// when an index is out of range.
bool Resolve(const RValue& name, int32_t indices, const RValue* index, RNamedVariable& out) {
  out.nv_id = FindVariableId(name.Str());
  int64_t k = 0;
  for (int32_t n = 0; n < indices; ++n) {
    const int64_t i = RoundToInt64(index[n].IsReal() ? index[n].Real() : 0.0);
    if (i < 0 || i >= kArrayRow) {
      ReportFunctionError("Array index >= 32000");
      return false;
    }
    k = k * kArrayRow + i;
  }
  out.nv_k = static_cast<int32_t>(k);
  return true;
}

// Global variables live in the global list only, under whatever identifier the name has.
bool ReadGlobal(const RNamedVariable& v, RValue& out) {
  return GlobalVariables.GetVar(v.nv_id, v.nv_k, out);
}

void WriteGlobal(const RNamedVariable& v, const RValue& value) {
  GlobalVariables.SetVar(v.nv_id, v.nv_k, value);
}

// Self's variables: built-in identifiers reach their accessors, others self's own list.
bool ReadLocal(CInstance* self, const RNamedVariable& v, RValue& out) {
  if (v.nv_id < kFirstUserVariable) {
    const RBuiltinVariable* var = GetBuiltinVariable(v.nv_id);
    if (var && var->b_getter && var->b_getter(self, v.nv_k, out)) return true;
  } else if (self && HasCodeHost() && CodeHost().Variables(*self).GetVar(v.nv_id, v.nv_k, out)) {
    return true;
  }
  if (!TreatUninitializedAsZero) return false;
  out = RValue();
  return true;
}

// A read-only built-in variable stays as it is.
void WriteLocal(CInstance* self, const RNamedVariable& v, const RValue& value) {
  if (v.nv_id < kFirstUserVariable) {
    const RBuiltinVariable* var = GetBuiltinVariable(v.nv_id);
    if (var && var->b_settable && var->b_setter) var->b_setter(self, v.nv_k, value);
  } else if (self && HasCodeHost()) {
    CodeHost().Variables(*self).SetVar(v.nv_id, v.nv_k, value);
  }
}

template <int32_t Indices>
void global_get(VL_VARIABLE_ARGS) {
  RNamedVariable v;
  RValue value;
  if (Resolve(a[0], Indices, a + 1, v) && ReadGlobal(v, value)) r = value;
}

template <int32_t Indices>
void global_set(VL_VARIABLE_ARGS) {
  RNamedVariable v;
  if (Resolve(a[0], Indices, a + 1, v)) WriteGlobal(v, a[Indices + 1]);
}

template <int32_t Indices>
void local_get(VL_VARIABLE_ARGS) {
  RNamedVariable v;
  RValue value;
  if (Resolve(a[0], Indices, a + 1, v) && ReadLocal(self, v, value)) r = value;
}

template <int32_t Indices>
void local_set(VL_VARIABLE_ARGS) {
  RNamedVariable v;
  if (Resolve(a[0], Indices, a + 1, v)) WriteLocal(self, v, a[Indices + 1]);
}

} // namespace

void Register_Function_Variable() {
  RegisterFunction(
      "variable_global_exists",
      [](VL_VARIABLE_ARGS) {
        RNamedVariable v;
        RValue value;
        Resolve(a[0], 0, nullptr, v);
        r = RValue(ReadGlobal(v, value) ? 1.0 : 0.0);
      },
      1);
  RegisterFunction(
      "variable_local_exists",
      [](VL_VARIABLE_ARGS) {
        RNamedVariable v;
        RValue value;
        Resolve(a[0], 0, nullptr, v);
        r = RValue(ReadLocal(self, v, value) ? 1.0 : 0.0);
      },
      1);
  RegisterFunction("variable_global_get", global_get<0>, 1);
  RegisterFunction("variable_global_array_get", global_get<1>, 2);
  RegisterFunction("variable_global_array2_get", global_get<2>, 3);
  RegisterFunction("variable_local_get", local_get<0>, 1);
  RegisterFunction("variable_local_array_get", local_get<1>, 2);
  RegisterFunction("variable_local_array2_get", local_get<2>, 3);
  RegisterFunction("variable_global_set", global_set<0>, 2);
  RegisterFunction("variable_global_array_set", global_set<1>, 3);
  RegisterFunction("variable_global_array2_set", global_set<2>, 4);
  RegisterFunction("variable_local_set", local_set<0>, 2);
  RegisterFunction("variable_local_array_set", local_set<1>, 3);
  RegisterFunction("variable_local_array2_set", local_set<2>, 4);
}

} // namespace vl
