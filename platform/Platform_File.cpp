#include "platform/Platform_File.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vl {

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Makes the rename itself durable.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Temporary files of this target that a killed writer left behind: "<name>.tmp<pid>_<n>" of a
// process that no longer runs.
void RemoveLeftovers(const fs::path& target) {
  const std::string prefix = target.filename().string() + ".tmp";
  std::error_code ec;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const pid_t pid = pid_t(std::atol(name.c_str() + prefix.size()));
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) fs::remove(it->path(), ec);
  }
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  static std::atomic<unsigned> counter{0};
  const fs::path target(path);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // A replaced file keeps its permissions; a new one gets the usual ones.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  const bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(target.parent_path());
  RemoveLeftovers(target);
  return true;
}

bool CanWrite(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

std::optional<RDiskSpace> DiskSpace(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) return std::nullopt;
  return RDiskSpace{uint64_t(info.f_bavail) * info.f_frsize, uint64_t(info.f_blocks) * info.f_frsize};
}

} // namespace vl
