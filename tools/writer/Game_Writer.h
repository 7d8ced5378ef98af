#pragma once
// Writes game files: the inverse of the container reader, used by vlpack and by the tests.

#include "data/Game_File.h"
#include "graphics/BM32_Bitmap.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vl {

// A path resource as written.
struct RPackPath {
  std::string name;
  int32_t kind = 0; // 0 straight, 1 smooth
  bool closed = true;
  int32_t precision = 4;
  std::vector<std::array<double, 3>> points; // x, y, speed
};

// An action as stored: a function call with argument texts, or code (kind 7, execution type 2).
struct RPackAction {
  int32_t libid = 1;
  int32_t id = 0;
  int32_t kind = 0;
  bool userelative = false;
  bool isquestion = false;
  bool useapplyto = false;
  int32_t exetype = 0;
  std::string function;
  std::string code;
  std::vector<int32_t> argkinds;
  int32_t who = -1;
  bool relative = false;
  std::vector<std::string> args;
  bool isnot = false;
};

struct RPackEvent {
  int32_t type = 0;
  int32_t number = 0;
  std::vector<RPackAction> actions;
};

struct RPackObject {
  std::string name;
  int32_t sprite = -1;
  bool solid = false;
  bool visible = true;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1;
  int32_t mask = -1;
  std::vector<RPackEvent> events;
};

struct RPackBackground {
  bool visible = false, foreground = false;
  int32_t index = -1, x = 0, y = 0;
  bool htiled = true, vtiled = true;
  int32_t hspeed = 0, vspeed = 0;
  bool stretch = false;
};

struct RPackView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  int32_t hborder = 32, vborder = 32, hspeed = -1, vspeed = -1, object = -1;
};

struct RPackInstance {
  int32_t x = 0, y = 0, object = 0, id = 0;
  std::string code;
};

struct RPackTile {
  int32_t x = 0, y = 0, background = -1, xo = 0, yo = 0, w = 0, h = 0, depth = 0, id = 0;
};

struct RPackRoom {
  std::string name;
  std::string caption;
  int32_t width = 640, height = 480, speed = 30;
  bool persistent = false;
  int32_t colour = 0xC0C0C0;
  bool showcolour = true;
  bool clearviews = true;
  std::string code;
  std::array<RPackBackground, 8> backgrounds;
  bool enableviews = false;
  std::array<RPackView, 8> views;
  std::vector<RPackInstance> instances;
  std::vector<RPackTile> tiles;
};

// A sprite as written: its frames, its origin and how its masks are made from the frames.
struct RPackSprite {
  std::string name;
  std::vector<TBitmap32> frames;
  int32_t xorigin = 0, yorigin = 0;
  bool sepmasks = false;
  int32_t maskkind = 0;  // 0 precise, 1 rectangle, 2 ellipse, 3 diamond
  int32_t tolerance = 0; // alpha above it is solid
  int32_t bboxmode = 0;  // 0 automatic, 1 full image, 2 bbox
  RBox bbox;
};

struct RPackBackgroundImage {
  std::string name;
  TBitmap32 image;
};

struct RPackScript {
  std::string name;
  std::string text;
};

struct RPackTrigger {
  std::string name;
  std::string condition;
  int32_t moment = 1; // 0 step, 1 begin step, 2 end step
  std::string constname;
};

// A sound resource: the file's bytes with how it plays.
struct RPackSound {
  std::string name;
  int32_t kind = 0; // 0 normal, 1 background, 2 3D, 3 multimedia
  std::string extension, origname;
  std::optional<std::vector<uint8_t>> data;
  int32_t effects = 0;
  double volume = 1, pan = 0;
  bool preload = true;
};

struct RPackMoment {
  int32_t step = 0;
  std::vector<RPackAction> actions;
};

struct RPackTimeLine {
  std::string name;
  std::vector<RPackMoment> moments;
};

// An included file and what the runner does with it at game start and end.
struct RPackIncludedFile {
  std::string filename, origname;
  bool exists = true, store = true;
  std::vector<uint8_t> data;
  int32_t exportaction = 2; // 0 none, 1 temporary folder, 2 the name itself, 3 exportdir
  std::string exportdir;
  bool overwrite = false, freedata = true, removeend = true;
};

// The game information text and its window.
struct RPackGameInfo {
  int32_t color = 0xFFFFFF;
  bool embedded = false;
  std::string caption;
  int32_t left = -1, top = -1, width = 600, height = 400;
  bool border = true, sizeable = true, stayontop = false, pause = true;
  std::string text;
};

struct RPackExtensionFunction {
  std::string name, extname;
  int32_t kind = 11; // 12 cdecl, else stdcall
  int32_t id = 0;
  int32_t argcount = 0;
  std::array<int32_t, 17> argtypes = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
  int32_t returntype = 2;
};

struct RPackExtensionFile {
  std::string filename;
  int32_t kind = 4; // 1 library, 2 script file, 3 no content, 4 any other file
  std::string init, final;
  std::vector<RPackExtensionFunction> functions;
  std::vector<std::pair<std::string, std::string>> constants; // name, value text
  std::vector<uint8_t> data;
};

struct RPackExtension {
  std::string name, folder;
  std::vector<RPackExtensionFile> files;
  int32_t key = 0; // scrambles the files' contents
};

struct RGameProject {
  RGameData gp_game;               // header, settings, resource head and sections
  std::vector<uint8_t> gp_library; // the carried library's bytes, named by gp_game.gd_libraryname
  uint32_t gp_keynumber = 0;       // S, from which the unscrambling key text is formed
  int32_t gp_padding = 0;          // padding integers at the head of the resource block
  int32_t gp_lastinstanceid = 0;   // the last instance and tile ids handed out, written after the rooms
  int32_t gp_lasttileid = 0;
  std::vector<int32_t> gp_roomorder; // room indices in play order
  // Resources by index; an empty slot is written as an absent resource.
  std::vector<std::optional<RPackTrigger>> gp_triggers;
  std::vector<std::optional<RPackSprite>> gp_sprites;
  std::vector<std::optional<RPackBackgroundImage>> gp_backgrounds;
  std::vector<std::optional<RPackPath>> gp_paths;
  std::vector<std::optional<RPackScript>> gp_scripts;
  std::vector<std::optional<RPackObject>> gp_objects;
  std::vector<std::optional<RPackRoom>> gp_rooms;
  std::vector<std::optional<RPackSound>> gp_sounds;
  std::vector<std::optional<RPackTimeLine>> gp_timelines;
  std::vector<RPackExtension> gp_extensions;
  std::vector<RPackIncludedFile> gp_includes;
  RPackGameInfo gp_info;
};

// The game data from the marker on, scrambled and with its checksum, for a marker at `marker`.
std::vector<uint8_t> WriteGameData(const RGameProject& project, size_t marker);

// Writes a standalone game file, or, with a runner executable, a copy of the runner with the game
// appended. False with a message in `error` when it cannot.
bool WriteGameFile(const RGameProject& project, const std::string& path, const std::string& runner,
                   std::string& error);

} // namespace vl
