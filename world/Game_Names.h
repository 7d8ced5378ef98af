#pragma once
// How names in code become values at compile time: resource names give their index, trigger
// constant names their trigger number, then the constant table gives the newest constant.

#include "script/Variable_Value.h"

#include <string_view>

namespace vl {

// Object, path, script, room and trigger names, then constants; false when the name is none of
// them (it is then a variable).
bool LookupGameName(std::string_view name, RValue& value);

} // namespace vl
