#pragma once
// The program entry: command line, platform, temporary folder, the game run and the exit status.

#include <memory>

namespace vl {

struct TServices;

// Exit statuses of vlrun.
enum EExitCode : int {
  kExitOk = 0,         // the game ran
  kExitLoadFailed = 1, // the game could not be loaded or prepared
  kExitUsage = 2,      // wrong command line
};

// The services of a run with a window; null when no display can be opened.
using TWindowedServices = std::unique_ptr<TServices> (*)();

int RunnerMain(int argc, char** argv, TWindowedServices windowed);

} // namespace vl
