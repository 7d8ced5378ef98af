#include "tools/writer/Game_Writer.h"

#include "data/Support_Stream.h"

#include <cstring>
#include <filesystem>

namespace vl {

namespace {

void WriteEmptyNamedSection(CStream& s) {
  s.WriteInteger(800);
  s.WriteInteger(0);
}

void WriteSections(CStream& s, const RGameData& game) {
  s.WriteInteger(700), s.WriteInteger(0); // extension packages
  WriteEmptyNamedSection(s);              // triggers
  s.WriteInteger(800);
  s.WriteInteger(int32_t(game.gd_constants.size()));
  for (const auto& [name, value] : game.gd_constants) s.WriteString(name), s.WriteString(value);
  for (int kind = 0; kind < 8; ++kind) WriteEmptyNamedSection(s); // sounds .. objects
  WriteEmptyNamedSection(s);                                      // rooms
  s.WriteInteger(game.gd_lastinstanceid);
  s.WriteInteger(game.gd_lasttileid);
  s.WriteInteger(800), s.WriteInteger(0); // included files
  s.WriteInteger(800);
  s.WriteStreamC(game.gd_help ? *game.gd_help : CStream());
  s.WriteInteger(500);
  s.WriteInteger(int32_t(game.gd_libinit.size()));
  for (const std::string& code : game.gd_libinit) s.WriteString(code);
  s.WriteInteger(700);
  s.WriteInteger(int32_t(game.gd_roomorder.size()));
  for (int32_t room : game.gd_roomorder) s.WriteInteger(room);
}

} // namespace

std::vector<uint8_t> WriteGameData(const RGameProject& project, size_t marker) {
  const RGameData& game = project.gp_game;
  CStream s;
  // The four fixed marker bytes at +1, +3, +4 and +6; the others are free.
  const uint8_t mark[8] = {'V', 0x00, 'L', 0xF7, 0x67, 'R', 0x14, 'N'};
  s.WriteBuffer(mark, 8);
  s.WriteInteger(int32_t(project.gp_keynumber));
  s.WriteInteger(0); // checksum, filled in by EncryptWad
  s.WriteInteger(kGameVersion ^ VersionXor(marker));
  s.WriteInteger(0);
  s.WriteBoolean(game.gd_debug);
  s.WriteInteger(0);
  Settings_Write(s, game.gd_settings);
  s.WriteString(game.gd_libraryname);
  s.WriteStreamC(CStream(project.gp_library));

  CStream resources;
  resources.WriteInteger(project.gp_padding);
  for (int32_t i = 0; i < project.gp_padding; ++i) resources.WriteInteger(i * 7919);
  resources.WriteInteger(0); // flags
  resources.WriteInteger(game.gd_gameid);
  resources.WriteBuffer(game.gd_guid.data(), game.gd_guid.size());
  WriteSections(resources, game);
  s.WriteStreamE(resources);

  s.EncryptWad(8);
  return std::move(s.Bytes());
}

bool WriteGameFile(const RGameProject& project, const std::string& path, const std::string& runner,
                   std::string& error) {
  CStream out;
  if (!runner.empty() && !out.LoadFromFile(runner)) {
    error = "cannot read the runner " + runner;
    return false;
  }
  if (out.Size() < kMarkerSearchStart) out.SetSize(kMarkerSearchStart); // zero bytes never form a marker
  const size_t marker = out.Size();
  const std::vector<uint8_t> data = WriteGameData(project, marker);
  out.Seek(marker);
  out.WriteBuffer(data.data(), data.size());
  if (FindMarker(out) != marker) {
    error =
        "the runner holds the marker's byte pattern past offset 3800004; the game cannot be appended to it";
    return false;
  }
  if (!out.SaveToFile(path)) {
    error = "cannot write " + path;
    return false;
  }
  if (!runner.empty()) {
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::status(runner, ec).permissions(), ec);
  }
  return true;
}

} // namespace vl
