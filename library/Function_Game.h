#pragma once
// Game-level built-in functions: events, rooms, game state, code execution, time.

#include "script/Variable_Value.h"

#include <string>
#include <string_view>

namespace vl {

void Register_Function_Game();

// The text show_debug_message shows for a value: strings as they are, whole reals as integers,
// other reals with two decimals.
std::string DebugMessageText(const RValue& value);

// Text read line by line as executed files are: each line (ended by CR LF, LF or CR) followed by CR.
std::string JoinLinesWithCr(std::string_view text);

} // namespace vl
