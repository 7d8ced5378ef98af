#include "data/Game_File.h"

#include "data/Support_Stream.h"
#include "library/Path_Class.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"

#include <cstring>

namespace vl {

RGameData& GameData() {
  static RGameData game;
  return game;
}

std::optional<size_t> FindMarker(const CStream& exe) {
  const uint8_t* d = exe.Data();
  const size_t size = exe.Size();
  for (size_t m = kMarkerSearchStart; m + 8 <= size; ++m)
    if (d[m + 1] == 0x00 && d[m + 3] == 0xF7 && d[m + 4] == 0x67 && d[m + 6] == 0x14) return m;
  return std::nullopt;
}

int32_t VersionXor(size_t marker) {
  return int32_t((int64_t(marker) - 3800005) / 4);
}

bool Game_Unscramble(CStream& exe, size_t marker) {
  if (marker + 20 > exe.Size()) return false;
  uint32_t version;
  std::memcpy(&version, exe.Data() + marker + 16, 4);
  version ^= uint32_t(VersionXor(marker));
  std::memcpy(exe.Data() + marker + 16, &version, 4);
  return exe.DecryptWad(marker + 8);
}

bool Game_ReadHeader(CStream& exe, size_t marker, RGameData& game) {
  exe.Seek(marker + 16);
  if (exe.ReadInteger() != kGameVersion) return false;
  exe.ReadInteger();
  game.gd_debug = exe.ReadBoolean();
  exe.ReadInteger();
  return true;
}

std::pair<std::string, std::unique_ptr<CStream>> Game_ReadLibrary(CStream& exe) {
  std::string name = exe.ReadString();
  return {std::move(name), exe.ReadStreamC()};
}

std::unique_ptr<CStream> Game_ReadResourceHead(CStream& exe, RGameData& game) {
  auto block = exe.ReadStreamE();
  const int32_t padding = block->ReadInteger();
  if (padding > 0) {
    if (size_t(padding) > (block->Size() - block->Position()) / 4) throw EStreamError("Stream read error");
    block->Seek(block->Position() + size_t(padding) * 4);
  }
  block->ReadInteger(); // flags
  game.gd_gameid = block->ReadInteger();
  block->ReadBuffer(game.gd_guid.data(), game.gd_guid.size());
  return block;
}

// ---- Sections -----------------------------------------------------------------------------------

namespace {

constexpr int32_t kResourceVersion = 800;

bool ReadExtensions(CStream& s, RGameData&) {
  if (s.ReadInteger() != 700) return false;
  return s.ReadInteger() <= 0; // package records are not read yet
}

bool ReadTriggers(CStream& s, RGameData&) {
  return Triggers().LoadSection(s);
}

bool ReadConstants(CStream& s, RGameData& game) {
  game.gd_constants.clear();
  if (s.ReadInteger() != kResourceVersion) return false;
  const int32_t count = s.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    std::string name = s.ReadString();
    game.gd_constants.emplace_back(std::move(name), s.ReadString());
  }
  return true;
}

bool ReadNamed(CStream& s, RGameData&) {
  return ReadNamedSectionWithoutRecords(s);
}

bool ReadScripts(CStream& s, RGameData&) {
  return Scripts().LoadSection(s);
}

bool ReadPaths(CStream& s, RGameData&) {
  return Paths().LoadSection(s);
}

bool ReadObjects(CStream& s, RGameData&) {
  return Objects().LoadSection(s);
}

bool ReadRooms(CStream& s, RGameData&) {
  return Rooms().LoadSection(s);
}

bool ReadIncludedFiles(CStream& s, RGameData&) {
  if (s.ReadInteger() != kResourceVersion) return false;
  return s.ReadInteger() <= 0; // included-file records are not read yet
}

bool ReadHelp(CStream& s, RGameData& game) {
  if (s.ReadInteger() != kResourceVersion) return false;
  game.gd_help = s.ReadStreamC();
  return true;
}

bool ReadLibraryInit(CStream& s, RGameData& game) {
  game.gd_libinit.clear();
  if (s.ReadInteger() != 500) return false;
  const int32_t count = s.ReadInteger();
  for (int32_t i = 0; i < count; ++i) game.gd_libinit.push_back(s.ReadString());
  return true;
}

bool ReadRoomOrder(CStream& s, RGameData&) {
  std::vector<int32_t>& order = Rooms().t_order;
  order.clear();
  if (s.ReadInteger() != 700) return false;
  const int32_t count = s.ReadInteger();
  if (count < 1) return false;
  for (int32_t i = 0; i < count; ++i) order.push_back(s.ReadInteger());
  return true;
}

} // namespace

bool ReadNamedSectionWithoutRecords(CStream& s) {
  if (s.ReadInteger() != kResourceVersion) return false;
  const int32_t count = s.ReadInteger();
  for (int32_t i = 0; i < count; ++i)
    if (s.ReadStreamC()->ReadBoolean()) return false;
  return true;
}

const std::array<RSection, 16> kSections = {{
    {0, "Loading extension packages", ReadExtensions},
    {5, "Loading triggers", ReadTriggers},
    {6, "Loading constants", ReadConstants},
    {7, "Loading sounds", ReadNamed},
    {10, "Loading sprites", ReadNamed},
    {23, "Loading backgrounds", ReadNamed},
    {30, "Loading paths", ReadPaths},
    {32, "Loading scripts", ReadScripts},
    {34, "Loading fonts", ReadNamed},
    {36, "Loading time lines", ReadNamed},
    {38, "Loading objects", ReadObjects},
    {40, "Loading rooms", ReadRooms},
    {43, "Loading included files", ReadIncludedFiles},
    {45, "Loading help", ReadHelp},
    {47, "Loading library init code", ReadLibraryInit},
    {49, "Loading room order", ReadRoomOrder},
}};

} // namespace vl
