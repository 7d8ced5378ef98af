#pragma once
// File services that need the operating system's own calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vl {

// Replaces the file at path (a path of this system) with contents so that a crash or kill at any
// moment leaves either the old or the new file: the contents go to a temporary file in the same
// folder, which is flushed to disk and renamed over the old one. False when any step failed; the
// old file is then untouched and no temporary file is left behind. The temporary files that writers
// killed in the middle of a write left beside it are removed after a successful write.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

// Whether this process may write to the file or folder at path.
bool CanWrite(const std::string& path);

struct RDiskSpace {
  uint64_t ds_free = 0; // what an unprivileged process may still use
  uint64_t ds_size = 0;
};
// The space of the file system that holds path, or nothing when it cannot be asked.
std::optional<RDiskSpace> DiskSpace(const std::string& path);

} // namespace vl
