#pragma once
// The function library's process-wide state, emptied between games played in one process.

namespace vl {

// No paths, no open INI file, no open files or file search, the registry functions under the
// current user's root, no game parameters, the random generator at seed 0 and seeded from the clock
// when a game starts.
void ResetLibraryState();

} // namespace vl
