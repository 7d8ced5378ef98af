#pragma once
// File services that need the operating system's own calls.

#include <string>
#include <string_view>

namespace vl {

// Replaces the file at path (a path of this system) with contents so that a crash or kill at any
// moment leaves either the old or the new file: the contents go to a temporary file in the same
// folder, which is flushed to disk and renamed over the old one. False when any step failed; the
// old file is then untouched and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace vl
