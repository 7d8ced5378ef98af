#pragma once
// The registry of built-in variables: names with a getter, an optional setter and a writable flag.
// Identifiers are the registration order, 0 to kMaxBuiltinVariables - 1.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CInstance;

constexpr int32_t kMaxBuiltinVariables = 500;

// Accessors get the instance that owns the access and the combined array index.
using TBuiltinGetter = bool (*)(CInstance* inst, int32_t k, RValue& value);
using TBuiltinSetter = bool (*)(CInstance* inst, int32_t k, const RValue& value);

struct RBuiltinVariable {
  std::string b_name;
  TBuiltinGetter b_getter = nullptr;
  TBuiltinSetter b_setter = nullptr;
  bool b_settable = false;
};

// The new identifier, or -1 when the registry is full ("INTERNAL ERROR: Adding too many variables",
// which start-up shows).
int32_t RegisterBuiltinVariable(std::string_view name, TBuiltinGetter getter, TBuiltinSetter setter,
                                bool settable);
int32_t FindBuiltinVariable(std::string_view name);
std::string BuiltinVariableName(int32_t id);
namespace detail {
extern std::vector<RBuiltinVariable> BuiltinVariables;
} // namespace detail

// The entry of an identifier, or null.
inline const RBuiltinVariable* GetBuiltinVariable(int32_t id) {
  return id >= 0 && size_t(id) < detail::BuiltinVariables.size() ? &detail::BuiltinVariables[size_t(id)]
                                                                 : nullptr;
}

} // namespace vl
