#pragma once
// The one place where the runner is connected to the floors below: the platform's services, and
// the runner's host, through which the script language, the function library and the world reach
// the runner. The program and the tests wire and reset through here alike.

namespace vl {

struct TServices;

// Installs services (kept by the caller) and the runner's host everywhere it is asked for, and
// registers the built-in functions and variables, so that action functions resolve while loading.
void Wire_Runner(TServices& services);
// Restores every default: headless services, no host, errors on standard error.
void Unwire_Runner();
// Empties the process-wide state of every floor, so that another game loads as into a new process.
void Reset_Runner();

} // namespace vl
