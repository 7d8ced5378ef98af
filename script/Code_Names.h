#pragma once
// The names that code may call or use as values, as the compiler resolves them: functions (scripts,
// extension functions, built-in functions) and resource, trigger and constant names. The game's
// tables implement this and install it before any code is compiled.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string_view>

namespace vl {

// Function identifier ranges.
constexpr int32_t kFirstScriptFunction = 100000;
constexpr int32_t kFirstExtensionFunction = 500000;
constexpr int32_t kMaxArguments = 16;

class CCodeNames {
public:
  virtual ~CCodeNames() = default;
  // The function identifier of a name written before "(": script, extension function, built-in
  // function in that order; -1 if none.
  virtual int32_t FindFunction(std::string_view name) const = 0;
  // The fixed argument count of a function identifier; -1 accepts 0 to 16 arguments (scripts always
  // give -1: their counts are never checked at compile time).
  virtual int32_t FunctionArgCount(int32_t id) const = 0;
  // The value of a resource, trigger or constant name; the built-in constants (self, other, all,
  // noone, global, local, ...) come through here too.
  virtual bool LookupName(std::string_view name, RValue& value) const = 0;
};

// The names used by compilations from now on; null restores the empty set.
void SetCodeNames(const CCodeNames* names);
const CCodeNames& CodeNames();

} // namespace vl
