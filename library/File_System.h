#pragma once
// Files and folders by name (file_exists, file_delete, file_rename, file_copy, directory_), the
// file search, attributes, disks and the filename_ text operations.

#include <string>
#include <string_view>

namespace vl {

// The filename_ operations: "\" and ":" separate, "/" does not, and nothing is looked up.
std::string FileNameName(std::string_view fname);
std::string FileNamePath(std::string_view fname);
std::string FileNameDir(std::string_view fname);
std::string FileNameDrive(std::string_view fname);
std::string FileNameExt(std::string_view fname);
std::string FileNameChangeExt(std::string_view fname, std::string_view newext);

// Whether name matches a file mask: "*" any run of characters, "?" any one, letter case ignored; a
// mask ending in ".*" also matches names without a dot ("*.*" matches every name) and one ending
// in "." only names without a dot.
bool MatchMask(std::string_view name, std::string_view mask);
// The attribute bits of the file or folder at a path of this system (1 read-only: not writable by
// this process, 2 hidden: a name starting with ".", 16 directory, 32 archive: a regular file), or
// -1 when it cannot be read.
int32_t FileAttributeBits(const std::string& path);

// Whether a file name a game gives names a folder too: secure mode refuses such names.
bool IsPathName(std::string_view name);
bool SecureMode();

void Register_Function_FileSystem();
// Ends the open file search.
void ResetFileSearch();

} // namespace vl
