#include "data/Game_File.h"

#include "data/Support_Stream.h"

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

bool ReadNamedSectionWithoutRecords(CStream& s) {
  if (s.ReadInteger() != kResourceVersion) return false;
  const int32_t count = s.ReadInteger();
  for (int32_t i = 0; i < count; ++i)
    if (s.ReadStreamC()->ReadBoolean()) return false;
  return true;
}

} // namespace vl
