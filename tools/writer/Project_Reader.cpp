#include "tools/writer/Project_Reader.h"

#include "data/Background_Class.h"
#include "data/Image_Record.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "graphics/Image_File.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace vl {

namespace {

class EProjectError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

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

// ---- Paths, objects and rooms -------------------------------------------------------------------

// Rejects keys outside `known`, so that typing mistakes do not pass unnoticed.
void CheckKeys(const json& value, const char* what, std::initializer_list<const char*> known) {
  if (!value.is_object()) throw EProjectError(std::string(what) + " must be an object");
  for (const auto& [key, v] : value.items())
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) == known.end())
      throw EProjectError("unknown key \"" + key + "\" in " + what);
}

template <typename T>
void Get(const json& value, const char* key, T& into) {
  if (value.contains(key)) into = value.at(key).get<T>();
}

// An object given by index or by name.
int32_t ObjectRef(const json& value, const RGameProject& project) {
  if (value.is_number_integer()) return value.get<int32_t>();
  const std::string name = value.get<std::string>();
  for (size_t i = 0; i < project.gp_objects.size(); ++i)
    if (project.gp_objects[i] && project.gp_objects[i]->name == name) return int32_t(i);
  throw EProjectError("unknown object \"" + name + "\"");
}

void GetObjectRef(const json& value, const char* key, const RGameProject& project, int32_t& into) {
  if (value.contains(key)) into = ObjectRef(value.at(key), project);
}

RPackPath ReadPath(const json& v) {
  CheckKeys(v, "a path", {"name", "smooth", "closed", "precision", "points"});
  RPackPath path;
  Get(v, "name", path.name);
  path.kind = v.value("smooth", false) ? 1 : 0;
  Get(v, "closed", path.closed);
  Get(v, "precision", path.precision);
  for (const json& point : v.value("points", json::array())) {
    const auto p = point.get<std::vector<double>>();
    if (p.size() != 2 && p.size() != 3) throw EProjectError("a path point is [x, y] or [x, y, speed]");
    path.points.push_back({p[0], p[1], p.size() == 3 ? p[2] : 100.0});
  }
  return path;
}

int32_t EventType(const json& v) {
  static const std::map<std::string, int32_t> types = {
      {"create", 0}, {"destroy", 1}, {"alarm", 2}, {"step", 3},     {"collision", 4},   {"keyboard", 5},
      {"mouse", 6},  {"other", 7},   {"draw", 8},  {"keypress", 9}, {"keyrelease", 10}, {"trigger", 11}};
  if (v.is_number_integer()) return v.get<int32_t>();
  auto it = types.find(v.get<std::string>());
  if (it == types.end()) throw EProjectError("unknown event type \"" + v.get<std::string>() + "\"");
  return it->second;
}

int32_t ActionKind(const json& v) {
  static const std::map<std::string, int32_t> kinds = {{"normal", 0},   {"begin", 1}, {"end", 2},
                                                       {"else", 3},     {"exit", 4},  {"repeat", 5},
                                                       {"variable", 6}, {"code", 7}};
  if (v.is_number_integer()) return v.get<int32_t>();
  auto it = kinds.find(v.get<std::string>());
  if (it == kinds.end()) throw EProjectError("unknown action kind \"" + v.get<std::string>() + "\"");
  return it->second;
}

// -1 self, -2 other, or an object.
int32_t ApplyTo(const json& v, const RGameProject& project) {
  if (v.is_string() && v.get<std::string>() == "self") return -1;
  if (v.is_string() && v.get<std::string>() == "other") return -2;
  return ObjectRef(v, project);
}

RPackAction ReadAction(const json& v, const RGameProject& project) {
  CheckKeys(v, "an action",
            {"code", "function", "kind", "args", "arg_kinds", "who", "relative", "question", "not",
             "use_relative", "use_apply_to", "execute", "lib", "id", "variable", "value", "repeat"});
  RPackAction a;
  if (v.contains("code")) { // a code action
    a.kind = 7, a.exetype = 2, a.useapplyto = true;
    a.args = {v.at("code").get<std::string>()};
    a.argkinds = {1};
  } else if (v.contains("variable")) { // name = value, or name += value when relative
    a.kind = 6, a.exetype = 2, a.useapplyto = true, a.userelative = true;
    a.args = {v.at("variable").get<std::string>(), v.value("value", std::string("0"))};
    a.argkinds = {0, 0};
  } else if (v.contains("repeat")) {
    a.kind = 5;
    a.args = {v.at("repeat").get<std::string>()};
    a.argkinds = {0};
  } else if (v.contains("function")) {
    a.exetype = 1, a.useapplyto = true;
    a.function = v.at("function").get<std::string>();
  }
  if (v.contains("kind")) a.kind = ActionKind(v.at("kind"));
  Get(v, "args", a.args);
  if (v.contains("args") && !v.contains("arg_kinds")) a.argkinds.assign(a.args.size(), 0);
  Get(v, "arg_kinds", a.argkinds);
  if (a.args.size() > 8 || a.argkinds.size() != a.args.size())
    throw EProjectError("an action has at most 8 arguments and one kind per argument");
  if (v.contains("who")) a.who = ApplyTo(v.at("who"), project);
  Get(v, "relative", a.relative);
  Get(v, "question", a.isquestion);
  Get(v, "not", a.isnot);
  Get(v, "use_relative", a.userelative);
  Get(v, "use_apply_to", a.useapplyto);
  Get(v, "execute", a.exetype);
  Get(v, "lib", a.libid);
  Get(v, "id", a.id);
  return a;
}

RPackObject ReadObject(const json& v, const RGameProject& project) {
  CheckKeys(v, "an object",
            {"name", "sprite", "solid", "visible", "depth", "persistent", "parent", "mask", "events"});
  RPackObject object;
  Get(v, "name", object.name);
  Get(v, "sprite", object.sprite);
  Get(v, "solid", object.solid);
  Get(v, "visible", object.visible);
  Get(v, "depth", object.depth);
  Get(v, "persistent", object.persistent);
  Get(v, "mask", object.mask);
  for (const json& e : v.value("events", json::array())) {
    CheckKeys(e, "an event", {"type", "number", "actions"});
    RPackEvent event;
    event.type = EventType(e.at("type"));
    if (e.contains("number"))
      event.number = event.type == 4 ? ObjectRef(e.at("number"), project) : e.at("number").get<int32_t>();
    for (const json& a : e.value("actions", json::array())) event.actions.push_back(ReadAction(a, project));
    object.events.push_back(std::move(event));
  }
  return object;
}

RPackRoom ReadRoom(const json& v, RGameProject& project) {
  CheckKeys(v, "a room",
            {"name", "caption", "width", "height", "speed", "persistent", "colour", "show_colour",
             "clear_view_background", "code", "views_enabled", "backgrounds", "views", "instances", "tiles"});
  RPackRoom room;
  Get(v, "name", room.name);
  Get(v, "caption", room.caption);
  Get(v, "width", room.width);
  Get(v, "height", room.height);
  Get(v, "speed", room.speed);
  Get(v, "persistent", room.persistent);
  Get(v, "colour", room.colour);
  Get(v, "show_colour", room.showcolour);
  Get(v, "clear_view_background", room.clearviews);
  Get(v, "code", room.code);
  Get(v, "views_enabled", room.enableviews);
  const json backgrounds = v.value("backgrounds", json::array());
  if (backgrounds.size() > 8) throw EProjectError("a room has at most 8 backgrounds");
  for (size_t i = 0; i < backgrounds.size(); ++i) {
    const json& b = backgrounds[i];
    CheckKeys(
        b, "a room background",
        {"visible", "foreground", "background", "x", "y", "htiled", "vtiled", "hspeed", "vspeed", "stretch"});
    RPackBackground& back = room.backgrounds[i];
    Get(b, "visible", back.visible);
    Get(b, "foreground", back.foreground);
    Get(b, "background", back.index);
    Get(b, "x", back.x);
    Get(b, "y", back.y);
    Get(b, "htiled", back.htiled);
    Get(b, "vtiled", back.vtiled);
    Get(b, "hspeed", back.hspeed);
    Get(b, "vspeed", back.vspeed);
    Get(b, "stretch", back.stretch);
  }
  const json views = v.value("views", json::array());
  if (views.size() > 8) throw EProjectError("a room has at most 8 views");
  for (size_t i = 0; i < views.size(); ++i) {
    const json& w = views[i];
    CheckKeys(w, "a room view",
              {"visible", "xview", "yview", "wview", "hview", "xport", "yport", "wport", "hport", "hborder",
               "vborder", "hspeed", "vspeed", "object"});
    RPackView& view = room.views[i];
    Get(w, "visible", view.visible);
    Get(w, "xview", view.xview);
    Get(w, "yview", view.yview);
    Get(w, "wview", view.wview);
    Get(w, "hview", view.hview);
    Get(w, "xport", view.xport);
    Get(w, "yport", view.yport);
    Get(w, "wport", view.wport);
    Get(w, "hport", view.hport);
    Get(w, "hborder", view.hborder);
    Get(w, "vborder", view.vborder);
    Get(w, "hspeed", view.hspeed);
    Get(w, "vspeed", view.vspeed);
    GetObjectRef(w, "object", project, view.object);
  }
  for (const json& i : v.value("instances", json::array())) {
    CheckKeys(i, "an instance", {"x", "y", "object", "id", "code"});
    RPackInstance inst;
    Get(i, "x", inst.x);
    Get(i, "y", inst.y);
    inst.object = ObjectRef(i.at("object"), project);
    inst.id = i.contains("id") ? i.at("id").get<int32_t>() : ++project.gp_lastinstanceid;
    Get(i, "code", inst.code);
    room.instances.push_back(std::move(inst));
  }
  for (const json& t : v.value("tiles", json::array())) {
    CheckKeys(t, "a tile", {"x", "y", "background", "xo", "yo", "w", "h", "depth", "id"});
    RPackTile tile;
    Get(t, "x", tile.x);
    Get(t, "y", tile.y);
    Get(t, "background", tile.background);
    Get(t, "xo", tile.xo);
    Get(t, "yo", tile.yo);
    Get(t, "w", tile.w);
    Get(t, "h", tile.h);
    Get(t, "depth", tile.depth);
    tile.id = t.contains("id") ? t.at("id").get<int32_t>() : ++project.gp_lasttileid;
    room.tiles.push_back(tile);
  }
  return room;
}

// Resources in index order; null leaves the slot empty.
template <typename T, typename Read>
std::vector<std::optional<T>> ReadResources(const json& list, Read read) {
  std::vector<std::optional<T>> items;
  for (const json& v : list) {
    if (v.is_null())
      items.emplace_back();
    else
      items.emplace_back(read(v));
  }
  return items;
}

RPackTimeLine ReadTimeLine(const json& v, const RGameProject& project) {
  CheckKeys(v, "a time line", {"name", "moments"});
  RPackTimeLine timeline;
  Get(v, "name", timeline.name);
  for (const json& m : v.value("moments", json::array())) {
    CheckKeys(m, "a moment", {"step", "actions"});
    RPackMoment moment;
    Get(m, "step", moment.step);
    for (const json& a : m.value("actions", json::array())) moment.actions.push_back(ReadAction(a, project));
    timeline.moments.push_back(std::move(moment));
  }
  std::stable_sort(timeline.moments.begin(), timeline.moments.end(),
                   [](const RPackMoment& a, const RPackMoment& b) { return a.step < b.step; });
  return timeline;
}

void ReadWorld(const json& paths, const json& objects, const json& rooms, const json& timelines,
               RGameProject& project) {
  project.gp_paths = ReadResources<RPackPath>(paths, ReadPath);
  // Names first, so that parents, collisions and apply-to may name objects defined later.
  for (const json& v : objects) {
    project.gp_objects.emplace_back();
    if (!v.is_null()) project.gp_objects.back().emplace().name = v.value("name", std::string());
  }
  for (size_t i = 0; i < objects.size(); ++i)
    if (!objects[i].is_null()) {
      RPackObject object = ReadObject(objects[i], project);
      GetObjectRef(objects[i], "parent", project, object.parent);
      project.gp_objects[i] = std::move(object);
    }
  project.gp_rooms = ReadResources<RPackRoom>(rooms, [&](const json& v) { return ReadRoom(v, project); });
  project.gp_timelines =
      ReadResources<RPackTimeLine>(timelines, [&](const json& v) { return ReadTimeLine(v, project); });
}

// ---- Sounds, included files, game information and extension packages ---------------------------

// A value given by its name in `names` (index = value) or as an integer.
int32_t NamedCode(const json& v, std::initializer_list<const char*> names, const char* what) {
  if (v.is_number_integer()) return v.get<int32_t>();
  const std::string name = v.get<std::string>();
  int32_t code = 0;
  for (const char* n : names) {
    if (name == n) return code;
    ++code;
  }
  throw EProjectError(std::string("unknown ") + what + " \"" + name + "\"");
}

RPackSound ReadSound(const json& v, const fs::path& folder) {
  CheckKeys(v, "a sound", {"name", "file", "kind", "preload", "effects", "volume", "pan"});
  RPackSound sound;
  Get(v, "name", sound.name);
  if (v.contains("file")) {
    const fs::path file = v.at("file").get<std::string>();
    sound.data = ReadBytes(folder / file);
    sound.extension = file.extension().string();
    sound.origname = file.filename().string();
  }
  if (v.contains("kind"))
    sound.kind = NamedCode(v.at("kind"), {"normal", "background", "3d", "multimedia"}, "sound kind");
  Get(v, "preload", sound.preload);
  Get(v, "effects", sound.effects);
  Get(v, "volume", sound.volume);
  Get(v, "pan", sound.pan);
  return sound;
}

RPackIncludedFile ReadIncludedFile(const json& v, const fs::path& folder) {
  CheckKeys(v, "an included file",
            {"file", "name", "export", "folder", "overwrite", "free_data", "remove_at_end", "store"});
  RPackIncludedFile file;
  const std::string source = v.at("file").get<std::string>();
  file.data = ReadBytes(folder / source);
  file.origname = fs::path(source).filename().string();
  file.filename = v.value("name", file.origname);
  if (v.contains("export"))
    file.exportaction = NamedCode(v.at("export"), {"none", "temp", "name", "folder"}, "export place");
  Get(v, "folder", file.exportdir);
  Get(v, "overwrite", file.overwrite);
  Get(v, "free_data", file.freedata);
  Get(v, "remove_at_end", file.removeend);
  Get(v, "store", file.store);
  if (!file.store) file.data.clear();
  return file;
}

RPackGameInfo ReadGameInfo(const json& v, const fs::path& folder) {
  CheckKeys(v, "the game information",
            {"text", "file", "colour", "embedded", "caption", "left", "top", "width", "height", "border",
             "sizeable", "stay_on_top", "pause"});
  RPackGameInfo info;
  Get(v, "text", info.text);
  if (v.contains("file")) {
    const std::vector<uint8_t> bytes = ReadBytes(folder / v.at("file").get<std::string>());
    info.text.assign(bytes.begin(), bytes.end());
  }
  Get(v, "colour", info.color);
  Get(v, "embedded", info.embedded);
  Get(v, "caption", info.caption);
  Get(v, "left", info.left);
  Get(v, "top", info.top);
  Get(v, "width", info.width);
  Get(v, "height", info.height);
  Get(v, "border", info.border);
  Get(v, "sizeable", info.sizeable);
  Get(v, "stay_on_top", info.stayontop);
  Get(v, "pause", info.pause);
  return info;
}

RPackExtensionFunction ReadExtensionFunction(const json& v, int32_t& nextid) {
  CheckKeys(v, "an extension function",
            {"name", "external", "convention", "id", "args", "arg_types", "returns"});
  RPackExtensionFunction f;
  Get(v, "name", f.name);
  Get(v, "external", f.extname);
  if (v.contains("convention"))
    f.kind = NamedCode(v.at("convention"), {"stdcall", "cdecl"}, "convention") == 1 ? 12 : 11;
  f.id = v.value("id", nextid);
  nextid = std::max(nextid, f.id + 1);
  Get(v, "args", f.argcount);
  const auto types = v.value("arg_types", std::vector<std::string>());
  if (types.size() > f.argtypes.size())
    throw EProjectError("an extension function has at most 17 argument types");
  for (size_t i = 0; i < types.size(); ++i)
    f.argtypes[i] = NamedCode(types[i], {"", "string", "real"}, "argument type");
  if (v.contains("returns")) f.returntype = NamedCode(v.at("returns"), {"", "string", "real"}, "result type");
  return f;
}

RPackExtension ReadExtension(const json& v, const fs::path& folder, int32_t& nextid) {
  CheckKeys(v, "an extension package", {"name", "folder", "key", "files"});
  RPackExtension package;
  Get(v, "name", package.name);
  package.folder = v.value("folder", package.name);
  Get(v, "key", package.key);
  for (const json& f : v.value("files", json::array())) {
    CheckKeys(f, "an extension file", {"file", "name", "kind", "init", "final", "functions", "constants"});
    RPackExtensionFile file;
    if (f.contains("kind"))
      file.kind = NamedCode(f.at("kind"), {"", "library", "script", "none", "other"}, "file kind");
    if (f.contains("file")) {
      const std::string source = f.at("file").get<std::string>();
      if (file.kind != 3) file.data = ReadBytes(folder / source);
      file.filename = fs::path(source).filename().string();
    }
    Get(f, "name", file.filename);
    Get(f, "init", file.init);
    Get(f, "final", file.final);
    for (const json& fn : f.value("functions", json::array()))
      file.functions.push_back(ReadExtensionFunction(fn, nextid));
    for (const json& c : f.value("constants", json::array())) {
      CheckKeys(c, "an extension constant", {"name", "value"});
      file.constants.emplace_back(c.at("name").get<std::string>(), c.at("value").get<std::string>());
    }
    package.files.push_back(std::move(file));
  }
  return package;
}

// ---- Sprites and backgrounds --------------------------------------------------------------------

int32_t MaskKind(const json& v) {
  static const std::map<std::string, int32_t> kinds = {
      {"precise", 0}, {"rectangle", 1}, {"ellipse", 2}, {"diamond", 3}};
  if (v.is_number_integer()) return v.get<int32_t>();
  auto it = kinds.find(v.get<std::string>());
  if (it == kinds.end()) throw EProjectError("unknown mask kind \"" + v.get<std::string>() + "\"");
  return it->second;
}

void ReadMask(const json& v, RPackSprite& sprite) {
  CheckKeys(v, "a sprite mask", {"kind", "tolerance", "separate", "bbox"});
  if (v.contains("kind")) sprite.maskkind = MaskKind(v.at("kind"));
  Get(v, "tolerance", sprite.tolerance);
  Get(v, "separate", sprite.sepmasks);
  if (!v.contains("bbox")) return;
  const json& box = v.at("bbox");
  if (box.is_array()) {
    const auto b = box.get<std::vector<int32_t>>();
    if (b.size() != 4) throw EProjectError("a mask's bbox is [left, top, right, bottom]");
    sprite.bboxmode = 2, sprite.bbox = {b[0], b[1], b[2], b[3]};
  } else if (box == "automatic") {
    sprite.bboxmode = 0;
  } else if (box == "full") {
    sprite.bboxmode = 1;
  } else {
    throw EProjectError("a mask's bbox is \"automatic\", \"full\" or [left, top, right, bottom]");
  }
}

// Frames from one image file (a strip, or every frame of a GIF) or one frame per file.
RPackSprite ReadSprite(const json& v, const fs::path& folder) {
  CheckKeys(v, "a sprite",
            {"name", "file", "files", "frames", "origin", "remove_background", "smooth", "mask"});
  RPackSprite pack;
  Get(v, "name", pack.name);
  const bool removeback = v.value("remove_background", false), smooth = v.value("smooth", false);
  if (v.contains("file") == v.contains("files"))
    throw EProjectError("a sprite needs either \"file\" or \"files\"");
  if (v.contains("file")) {
    const std::string file = (folder / v.at("file").get<std::string>()).string();
    CSprite sprite;
    if (!sprite.LoadFromFile(file, v.value("frames", 1), removeback, smooth, 0, 0))
      throw EProjectError("cannot read the image " + file);
    pack.frames = std::move(sprite.i_bitmap);
  } else {
    for (const json& name : v.at("files")) {
      const std::string file = (folder / name.get<std::string>()).string();
      std::unique_ptr<TBitmap32> frame = LoadImageFile(file);
      if (!frame) throw EProjectError("cannot read the image " + file);
      PrepareImage(*frame, removeback, smooth);
      pack.frames.push_back(std::move(*frame));
    }
  }
  if (v.contains("origin")) {
    const auto origin = v.at("origin").get<std::vector<int32_t>>();
    if (origin.size() != 2) throw EProjectError("a sprite's origin is [x, y]");
    pack.xorigin = origin[0], pack.yorigin = origin[1];
  }
  if (v.contains("mask")) ReadMask(v.at("mask"), pack);
  return pack;
}

RPackBackgroundImage ReadBackgroundImage(const json& v, const fs::path& folder) {
  CheckKeys(v, "a background", {"name", "file", "remove_background", "smooth"});
  RPackBackgroundImage pack;
  Get(v, "name", pack.name);
  const std::string file = (folder / v.at("file").get<std::string>()).string();
  CBackground back;
  if (!back.LoadFromFile(file, v.value("remove_background", false), v.value("smooth", false)))
    throw EProjectError("cannot read the image " + file);
  pack.image = std::move(back.i_bitmap);
  return pack;
}

// A script's code is inline ("code") or in a file of the project ("file").
RPackScript ReadScript(const json& v, const fs::path& folder) {
  CheckKeys(v, "a script", {"name", "code", "file"});
  RPackScript script;
  Get(v, "name", script.name);
  if (v.contains("code") == v.contains("file"))
    throw EProjectError("a script needs either \"code\" or \"file\"");
  if (v.contains("code")) {
    script.text = v.at("code").get<std::string>();
  } else {
    const std::vector<uint8_t> bytes = ReadBytes(folder / v.at("file").get<std::string>());
    script.text.assign(bytes.begin(), bytes.end());
  }
  return script;
}

int32_t TriggerMoment(const json& value) {
  if (value.is_number_integer()) {
    const int32_t moment = value.get<int32_t>();
    if (moment >= 0 && moment <= 2) return moment;
  } else if (value.is_string()) {
    const std::string name = value.get<std::string>();
    if (name == "step") return 0;
    if (name == "begin_step") return 1;
    if (name == "end_step") return 2;
  }
  throw EProjectError("a trigger's moment is 0 to 2 or \"step\", \"begin_step\", \"end_step\"");
}

RPackTrigger ReadTrigger(const json& v) {
  CheckKeys(v, "a trigger", {"name", "condition", "moment", "constant"});
  RPackTrigger trigger;
  Get(v, "name", trigger.name);
  Get(v, "condition", trigger.condition);
  if (v.contains("moment")) trigger.moment = TriggerMoment(v.at("moment"));
  Get(v, "constant", trigger.constname);
  return trigger;
}

void ReadGame(const json& doc, const fs::path& folder, RGameProject& project) {
  RGameData& game = project.gp_game;
  game.gd_libraryname = "D3DX8.dll";
  project.gp_roomorder = {0};
  project.gp_lastinstanceid = 100000; // instance ids live at 100000 and above
  project.gp_lasttileid = 10000000;
  json paths = json::array(), objects = json::array(), rooms = json::array(), timelines = json::array();
  int32_t nextid = 0; // extension function identifiers not given count on from the highest so far
  for (const auto& [key, value] : doc.items()) {
    if (key == "paths")
      paths = value;
    else if (key == "objects")
      objects = value;
    else if (key == "rooms")
      rooms = value;
    else if (key == "time_lines")
      timelines = value;
    else if (key == "sounds")
      project.gp_sounds =
          ReadResources<RPackSound>(value, [&](const json& v) { return ReadSound(v, folder); });
    else if (key == "included_files") {
      for (const json& v : value) project.gp_includes.push_back(ReadIncludedFile(v, folder));
    } else if (key == "game_info") {
      project.gp_info = ReadGameInfo(value, folder);
    } else if (key == "extensions") {
      for (const json& v : value) project.gp_extensions.push_back(ReadExtension(v, folder, nextid));
    } else if (key == "scripts")
      project.gp_scripts =
          ReadResources<RPackScript>(value, [&](const json& v) { return ReadScript(v, folder); });
    else if (key == "triggers")
      project.gp_triggers = ReadResources<RPackTrigger>(value, ReadTrigger);
    else if (key == "sprites")
      project.gp_sprites =
          ReadResources<RPackSprite>(value, [&](const json& v) { return ReadSprite(v, folder); });
    else if (key == "backgrounds")
      project.gp_backgrounds = ReadResources<RPackBackgroundImage>(
          value, [&](const json& v) { return ReadBackgroundImage(v, folder); });
    else if (key == "game_id")
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
      project.gp_lastinstanceid = value.get<int32_t>();
    else if (key == "last_tile_id")
      project.gp_lasttileid = value.get<int32_t>();
    else if (key == "room_order")
      project.gp_roomorder = value.get<std::vector<int32_t>>();
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
  ReadWorld(paths, objects, rooms, timelines, project);
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
  return DecodeImage(bytes.data(), bytes.size());
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
