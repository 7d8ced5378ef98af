#pragma once
// Other programs, the command line and the environment: execute_program, execute_shell,
// parameter_count, parameter_string and environment_get_variable.

#include <string>
#include <string_view>
#include <vector>

namespace vl {

// A command line split into arguments as Windows programs split theirs: the program name up to
// the first blank or inside quotes; then blank-separated arguments where quotes group, "\"" is a
// quote, backslashes before a quote pair up and a doubled quote inside quotes is one quote.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Parameter 0 first (the game file), then the game's own parameters.
void SetGameParameters(std::vector<std::string> parameters);
// What execute_program runs between its 50 ms waits for the program to end, so the game window
// stays alive; null for nothing.
void SetProgramWaitPump(void (*pump)());

void Register_Function_Program();
// Parameter 0 is this executable again and there are no others.
void ResetProgramState();

} // namespace vl
