#pragma once
// The math, random, conversion, geometry and string built-in functions.

#include "script/Variable_Value.h"

#include <string>
#include <string_view>

namespace vl {

// Registers the family's functions in the built-in function table.
void Register_Function_Math();

// The text of string(v) and string_format(v, tot, dec) for a real; shared with the functions of
// other families that show numbers the same way.
std::string RealToString(double x);
std::string RealToStringFormat(double x, int32_t tot, int32_t dec);
// real(text): false for a text that is no number (value then 0).
bool StringToReal(std::string_view text, double& value);
// The text of v in upper or lower case over the whole Unicode range (string_upper, string_lower).
std::string ChangeCase(const RValue& v, bool upper);

} // namespace vl
