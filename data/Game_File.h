#pragma once
// The game container: the marker in the executable, the unscrambling and verification of the game
// data, the header, the carried library and the resource block with its sixteen sections.

#include "data/Game_Settings.h"
#include "data/Support_Stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vl {

inline constexpr size_t kMarkerSearchStart = 3800004;
inline constexpr int32_t kGameVersion = 810;
// The version of most resource records and of the sections that hold them.
inline constexpr int32_t kResourceVersion = 800;

// Process-wide values read from the game data.
struct RGameData {
  bool gd_debug = false;
  RGameSettings gd_settings;
  std::string gd_libraryname;
  int32_t gd_gameid = 0;
  std::array<uint8_t, 16> gd_guid{};
  std::vector<std::pair<std::string, std::string>> gd_constants; // name, value text
  std::vector<std::string> gd_libinit;                           // library initialization code
  // Decided once at start-up; refuses writes outside the working folder, exports and extension
  // packages. The runner sets it from the user's preferences before the game data loads.
  bool gd_securemode = false;
};

RGameData& GameData();

// The first marker offset from kMarkerSearchStart on, or nothing when the file holds no game.
std::optional<size_t> FindMarker(const CStream& exe);
// The number the stored format version is xor-ed with for a marker at `marker`.
int32_t VersionXor(size_t marker);
// Restores the version, unscrambles and verifies the game data; false on a checksum mismatch.
bool Game_Unscramble(CStream& exe, size_t marker);

// Reads the version at the marker + 16 and the header fields; false on a wrong version number.
bool Game_ReadHeader(CStream& exe, size_t marker, RGameData& game);
// Reads the carried library: its file name and its bytes.
std::pair<std::string, std::unique_ptr<CStream>> Game_ReadLibrary(CStream& exe);
// Unscrambles the resource block and reads its head (padding, flags, game id, identifier); the
// returned stream is positioned at the first section.
std::unique_ptr<CStream> Game_ReadResourceHead(CStream& exe, RGameData& game);

// Reads the named-resource framing with a record loader that accepts no records yet: only entries
// whose exists flag is false load. Used for the kinds whose records are not read yet.
bool ReadNamedSectionWithoutRecords(CStream& block);

} // namespace vl
