#pragma once
// Operating-system services that do not depend on the window backend.

#include <optional>
#include <string>

namespace vl {

// Full path of the running executable.
std::string ExecutablePath();
// Value of an environment variable, or nothing when it is not set.
std::optional<std::string> GetEnvironment(const std::string& name);
// The system's temporary folder: what stands in for "C:\temp".
std::string SystemTempFolder();
// Turns a path as games write it (backslashes, drive letters) into a path of this system. Existing
// folders and files are matched without regard to case, as the original file system does.
std::string MapPath(const std::string& path);

} // namespace vl

namespace vl {
// Sets the process's nice value (-20 highest .. 19 lowest); a change the system refuses, such as
// raising priority without privileges, is left undone without a message.
void SetProcessNice(int nice);
} // namespace vl
