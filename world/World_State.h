#pragma once
// The world's process-wide state, emptied between games played in one process.

namespace vl {

// No objects or rooms, no room being played or requested, no current event, and the game
// variables at their start values.
void ResetWorldState();

} // namespace vl
