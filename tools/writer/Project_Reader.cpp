#include "tools/writer/Project_Reader.h"

#include "data/Support_Stream.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <png.h>
#include <stdexcept>

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace vl {

namespace {

class EProjectError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::unique_ptr<TBitmap32> ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return nullptr;
  image.format = PNG_FORMAT_BGRA; // bytes blue, green, red, alpha: 0xAARRGGBB in memory
  auto bmp = std::make_unique<TBitmap32>(int32_t(image.width), int32_t(image.height));
  if (!png_image_finish_read(&image, nullptr, bmp->s_data.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return bmp;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  CStream s;
  if (!s.LoadFromFile(path.string())) throw EProjectError("cannot read " + path.string());
  return std::move(s.Bytes());
}

// Settings by their project key; each reads its value from JSON into the record.
using RSettingReader = std::function<void(const json&, RGameSettings&, const fs::path&)>;

template <typename T>
RSettingReader Field(T RGameSettings::*field) {
  return [field](const json& v, RGameSettings& s, const fs::path&) { s.*field = v.get<T>(); };
}

RSettingReader Image(std::unique_ptr<TBitmap32> RGameSettings::*field) {
  return [field](const json& v, RGameSettings& s, const fs::path& folder) {
    const fs::path file = folder / v.get<std::string>();
    s.*field = ReadImageFile(file.string());
    if (!(s.*field)) throw EProjectError("cannot read the image " + file.string());
  };
}

const std::map<std::string, RSettingReader>& SettingReaders() {
  static const std::map<std::string, RSettingReader> readers = {
      {"fullscreen", Field(&RGameSettings::gs_fullscreen)},
      {"interpolate", Field(&RGameSettings::gs_interpolate)},
      {"no_border", Field(&RGameSettings::gs_noborder)},
      {"show_cursor", Field(&RGameSettings::gs_showcursor)},
      {"scaling", Field(&RGameSettings::gs_scaling)},
      {"sizeable", Field(&RGameSettings::gs_sizeable)},
      {"stay_on_top", Field(&RGameSettings::gs_stayontop)},
      {"window_colour", Field(&RGameSettings::gs_windowcolor)},
      {"change_resolution", Field(&RGameSettings::gs_changeresolution)},
      {"colour_depth", Field(&RGameSettings::gs_colordepth)},
      {"resolution", Field(&RGameSettings::gs_resolution)},
      {"frequency", Field(&RGameSettings::gs_frequency)},
      {"no_buttons", Field(&RGameSettings::gs_nobuttons)},
      {"vsync", Field(&RGameSettings::gs_vsync)},
      {"no_screensaver", Field(&RGameSettings::gs_noscreensaver)},
      {"f4_fullscreen", Field(&RGameSettings::gs_fullscreenkey)},
      {"f1_help", Field(&RGameSettings::gs_helpkey)},
      {"esc_ends", Field(&RGameSettings::gs_quitkey)},
      {"f5_save_f6_load", Field(&RGameSettings::gs_savekey)},
      {"f9_screenshot", Field(&RGameSettings::gs_screenshotkey)},
      {"close_is_esc", Field(&RGameSettings::gs_closeesc)},
      {"priority", Field(&RGameSettings::gs_priority)},
      {"freeze_unfocused", Field(&RGameSettings::gs_freeze)},
      {"show_progress", Field(&RGameSettings::gs_showprogress)},
      {"progress_back_image", Image(&RGameSettings::gs_backimage)},
      {"progress_front_image", Image(&RGameSettings::gs_frontimage)},
      {"loading_image", Image(&RGameSettings::gs_loadimage)},
      {"loading_transparent", Field(&RGameSettings::gs_loadtransparent)},
      {"loading_alpha", Field(&RGameSettings::gs_loadalpha)},
      {"scale_progress", Field(&RGameSettings::gs_scaleprogress)},
      {"display_errors", Field(&RGameSettings::gs_displayerrors)},
      {"write_errors", Field(&RGameSettings::gs_writeerrors)},
      {"abort_errors", Field(&RGameSettings::gs_aborterrors)},
      {"uninitialized_as_zero", Field(&RGameSettings::gs_variableerrors)},
      {"argument_errors", Field(&RGameSettings::gs_argumenterrors)},
  };
  return readers;
}

std::array<uint8_t, 16> ParseGuid(const std::string& text) {
  std::string hex;
  for (char c : text)
    if (c != '-' && c != '{' && c != '}') hex += c;
  if (hex.size() != 32) throw EProjectError("guid must have 32 hexadecimal digits");
  CStream s;
  try {
    s.ConvertFromString(hex);
  } catch (const EConvertError&) {
    throw EProjectError("guid must have 32 hexadecimal digits");
  }
  std::array<uint8_t, 16> guid;
  std::copy(s.Bytes().begin(), s.Bytes().end(), guid.begin());
  return guid;
}

void ReadGame(const json& doc, const fs::path& folder, RGameProject& project) {
  RGameData& game = project.gp_game;
  game.gd_libraryname = "D3DX8.dll";
  game.gd_roomorder = {0};
  game.gd_lastinstanceid = 100000; // instance ids live at 100000 and above
  game.gd_lasttileid = 10000000;
  for (const auto& [key, value] : doc.items()) {
    if (key == "game_id")
      game.gd_gameid = value.get<int32_t>();
    else if (key == "guid")
      game.gd_guid = ParseGuid(value.get<std::string>());
    else if (key == "debug")
      game.gd_debug = value.get<bool>();
    else if (key == "key_number")
      project.gp_keynumber = value.get<uint32_t>();
    else if (key == "padding")
      project.gp_padding = value.get<int32_t>();
    else if (key == "last_instance_id")
      game.gd_lastinstanceid = value.get<int32_t>();
    else if (key == "last_tile_id")
      game.gd_lasttileid = value.get<int32_t>();
    else if (key == "room_order")
      game.gd_roomorder = value.get<std::vector<int32_t>>();
    else if (key == "init_code")
      game.gd_libinit = value.get<std::vector<std::string>>();
    else if (key == "library") {
      game.gd_libraryname = value.at("name").get<std::string>();
      if (value.contains("file"))
        project.gp_library = ReadBytes(folder / value.at("file").get<std::string>());
    } else if (key == "constants") {
      for (const auto& c : value)
        game.gd_constants.emplace_back(c.at("name").get<std::string>(), c.at("value").get<std::string>());
    } else if (key == "settings") {
      for (const auto& [name, setting] : value.items()) {
        auto it = SettingReaders().find(name);
        if (it == SettingReaders().end()) throw EProjectError("unknown setting \"" + name + "\"");
        it->second(setting, game.gd_settings, folder);
      }
    } else {
      throw EProjectError("unknown key \"" + key + "\"");
    }
  }
}

} // namespace

std::unique_ptr<TBitmap32> ReadImageFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadBytes(path);
  } catch (const EProjectError&) {
    return nullptr;
  }
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
    return BitmapFromBmp(bytes.data(), bytes.size());
  return ReadPng(path);
}

bool ReadProject(const std::string& folder, RGameProject& project, std::string& error) {
  const fs::path file = fs::path(folder) / "game.json";
  std::ifstream in(file);
  if (!in) {
    error = "cannot read " + file.string();
    return false;
  }
  try {
    ReadGame(json::parse(in, nullptr, true, true), folder, project);
  } catch (const std::exception& e) {
    error = file.string() + ": " + e.what();
    return false;
  }
  return true;
}

} // namespace vl
