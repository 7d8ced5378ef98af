#pragma once
// The constant table: names with values, fixed at load time and used by the compiler. It starts
// with the built-in constants; the game's constants and those of extension packages follow in
// definition order, and a later definition hides an earlier one of the same name.

#include "script/Variable_Value.h"

#include <string>
#include <string_view>

namespace vl {

// Empties the table down to the built-in constants.
void ResetConstants();
void AddConstant(std::string_view name, const RValue& value);
// The value of the newest constant of that name; false when there is none.
bool FindConstant(std::string_view name, RValue& value);
int32_t ConstantCount();

// A constant name: an ASCII letter or "_", then ASCII letters, digits or "_".
bool IsConstantName(std::string_view name);

} // namespace vl
