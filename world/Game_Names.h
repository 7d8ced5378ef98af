#pragma once
// How names in code become values at compile time: resource names give their index, trigger
// constant names their trigger number, then the constant table gives the newest constant.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string_view>

namespace vl {

// Object, sound, path, time line, script and room names, then trigger constants, then constants;
// false when the name is none of them (it is then a variable).
bool LookupGameName(std::string_view name, RValue& value);

// Sounds live above the world: their table tells the lookup a sound's index (-1 for none). Null
// restores the default, which knows no sounds.
using TResourceFinder = int32_t (*)(std::string_view name);
void SetSoundFinder(TResourceFinder find);

} // namespace vl
