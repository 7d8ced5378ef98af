#pragma once
// The script language's process-wide state, emptied between games played in one process. The
// function table and the built-in variable registry are the runner's, not a game's, and stay.

namespace vl {

// Scripts, triggers, the game's constants, global variables, the arguments, the pending error and
// the settings of argument and variable checks as before any game was read.
void ResetScriptState();

} // namespace vl
