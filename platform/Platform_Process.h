#pragma once
// Starting other programs without a shell, and watching them end.

#include <string>
#include <vector>

namespace vl {

// Starts argv[0] (searched on PATH when it names no folder) with the given arguments in the
// current folder. The process id, or -1 with the reason in `why`.
int SpawnProgram(const std::vector<std::string>& argv, std::string& why);
// Whether a process started here still runs; an ended one is reaped.
bool ProgramRunning(int pid);

} // namespace vl
