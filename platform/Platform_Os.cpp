#include "platform/Platform_Os.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vl {

std::string ExecutablePath() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

std::string SystemTempFolder() {
  std::error_code ec;
  fs::path tmp = fs::temp_directory_path(ec);
  return ec ? std::string("/tmp") : tmp.string();
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Drive letters live under the user's data folder, so that "C:\..." never reaches the real root.
fs::path DriveRoot(char letter) {
  fs::path base;
  if (auto xdg = GetEnvironment("XDG_DATA_HOME"); xdg && !xdg->empty())
    base = *xdg;
  else if (auto home = GetEnvironment("HOME"); home && !home->empty())
    base = fs::path(*home) / ".local/share";
  else
    base = SystemTempFolder();
  return base / "vlrun" / (std::string("drive_") + char(std::tolower(static_cast<unsigned char>(letter))));
}

} // namespace

std::string MapPath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  fs::path result;
  size_t start = 0;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    result = DriveRoot(p[0]);
    start = 2;
  }
  // Walk the parts, matching existing entries without regard to case.
  fs::path rest(p.substr(start));
  if (rest.is_absolute() && result.empty()) result = "/";
  for (const auto& part : rest.relative_path()) {
    const std::string name = part.string();
    if (name.empty()) continue;
    fs::path exact = result / name;
    std::error_code ec;
    if (name == "." || name == ".." || fs::exists(exact, ec)) {
      result = exact;
      continue;
    }
    const fs::path dir = result.empty() ? fs::path(".") : result;
    fs::path found;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
      if (SameIgnoringCase(it->path().filename().string(), name)) {
        found = result / it->path().filename();
        break;
      }
    result = found.empty() ? exact : found;
  }
  return result.string();
}

} // namespace vl

#include <sys/resource.h>

namespace vl {

void SetProcessNice(int nice) {
  setpriority(PRIO_PROCESS, 0, nice);
}

} // namespace vl
