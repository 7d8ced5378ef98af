#pragma once
// Files and folders by name (file_exists, file_delete, file_rename, file_copy, directory_) and the
// filename_ text operations.

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

// Whether a file name a game gives names a folder too: secure mode refuses such names.
bool IsPathName(std::string_view name);
bool SecureMode();

void Register_Function_FileSystem();

} // namespace vl
