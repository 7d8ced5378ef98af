#pragma once
// Writes game files: the inverse of the container reader, used by vlpack and by the tests.

#include "data/Game_File.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vl {

struct RGameProject {
  RGameData gp_game;               // header, settings, resource head and sections
  std::vector<uint8_t> gp_library; // the carried library's bytes, named by gp_game.gd_libraryname
  uint32_t gp_keynumber = 0;       // S, from which the unscrambling key text is formed
  int32_t gp_padding = 0;          // padding integers at the head of the resource block
};

// The game data from the marker on, scrambled and with its checksum, for a marker at `marker`.
std::vector<uint8_t> WriteGameData(const RGameProject& project, size_t marker);

// Writes a standalone game file, or, with a runner executable, a copy of the runner with the game
// appended. False with a message in `error` when it cannot.
bool WriteGameFile(const RGameProject& project, const std::string& path, const std::string& runner,
                   std::string& error);

} // namespace vl
