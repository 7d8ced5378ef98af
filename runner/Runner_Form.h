#pragma once
// The program entry: command line, platform, temporary folder, the game run and the exit status.

namespace vl {

// Exit statuses of vlrun.
enum EExitCode : int {
  kExitOk = 0,         // the game ran
  kExitLoadFailed = 1, // the game could not be loaded or prepared
  kExitUsage = 2,      // wrong command line
};

int RunnerMain(int argc, char** argv);

} // namespace vl
