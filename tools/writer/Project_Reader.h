#pragma once
// Reads a vlpack project folder: "game.json" plus the files it names.

#include "tools/writer/Game_Writer.h"

#include <string>

namespace vl {

// Fills `project` from the folder; false with a message naming the problem in `error`.
bool ReadProject(const std::string& folder, RGameProject& project, std::string& error);

// Reads a PNG or BMP image file; null when it cannot.
std::unique_ptr<TBitmap32> ReadImageFile(const std::string& path);

} // namespace vl
