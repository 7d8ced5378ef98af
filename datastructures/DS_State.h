#pragma once
// The data structures' process-wide state, emptied between games played in one process.

namespace vl {

// No container of any kind, and the default comparison precision.
void ResetDataStructureState();

} // namespace vl
