#pragma once
// Game-level built-in functions: events, rooms, game state, code execution, time.

#include "script/Variable_Value.h"

#include <string>

namespace vl {

void Register_Function_Game();

// The text show_debug_message shows for a value: strings as they are, whole reals as integers,
// other reals with two decimals.
std::string DebugMessageText(const RValue& value);

} // namespace vl
