#pragma once
// The game data's process-wide state, emptied between games played in one process.

namespace vl {

// The container's values and settings as before any game was read.
void ResetDataState();

} // namespace vl
