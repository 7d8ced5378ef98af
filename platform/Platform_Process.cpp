#include "platform/Platform_Process.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vl {

namespace {

// Programs started and not yet reaped; those nobody waits for are reaped at the next start, so
// they do not linger as zombies.
std::vector<int>& Started() {
  static std::vector<int> pids;
  return pids;
}

void ReapEnded() {
  std::vector<int>& pids = Started();
  std::erase_if(pids, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

} // namespace

int SpawnProgram(const std::vector<std::string>& argv, std::string& why) {
  ReapEnded();
  if (argv.empty() || argv[0].empty()) {
    why = "no program named";
    return -1;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int error = ::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
  if (error != 0) {
    why = std::strerror(error);
    return -1;
  }
  Started().push_back(pid);
  return pid;
}

bool ProgramRunning(int pid) {
  int status = 0;
  const pid_t r = ::waitpid(pid, &status, WNOHANG);
  if (r == 0) return true;
  std::erase(Started(), pid);
  return false;
}

} // namespace vl
