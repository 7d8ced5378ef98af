#pragma once
// The time-line functions of the resource family: existence and names, adding, deleting and
// clearing time lines, and adding to and clearing their moments while the game runs.

namespace vl {

void Register_Function_TimeLine();

} // namespace vl
