// Writes the seed games of the container fuzz target into a folder (tests/fuzz/corpus/fuzz_container):
// small valid games with objects, rooms, instances, tiles, scripts, triggers, paths, sprites and
// backgrounds, and one with every section populated, each as plain game data (mode byte 1) and one
// also scrambled as stored (mode byte 0). Every instance names an object below the object count, so
// what the fuzzer finds beyond that it found by itself.
#include "data/Game_File.h"
#include "tools/writer/Game_Writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace vl;

RGameProject Base() {
  RGameProject p;
  p.gp_game.gd_libraryname = "D3DX8.dll";
  p.gp_library = {1, 2, 3};
  p.gp_roomorder = {0};
  p.gp_lastinstanceid = 100000;
  p.gp_lasttileid = 10000000;
  p.gp_rooms.push_back(RPackRoom{.name = "room0"});
  return p;
}

RPackAction Code(const std::string& code) {
  RPackAction action;
  action.kind = 7;
  action.exetype = 2;
  action.args = {code};
  action.argkinds = {1};
  return action;
}

RPackRoom RoomWith(const std::string& name, std::vector<RPackInstance> instances) {
  RPackRoom room{.name = name};
  room.instances = std::move(instances);
  return room;
}

RGameProject GameWithObjects() {
  RGameProject p = Base();
  p.gp_objects.push_back(RPackObject{.name = "parent"});
  p.gp_objects.push_back(RPackObject{.name = "child", .depth = -5, .parent = 0});
  p.gp_objects[1]->events.push_back({0, 0, {Code("x = 1;")}});
  p.gp_rooms[0] =
      RoomWith("room0", {{32, 32, 0, 100001, ""}, {64, 32, 1, 100002, "y = 2;"}, {0, 0, 1, 100003, ""}});
  p.gp_rooms[0]->tiles = {{0, 0, 0, 0, 0, 16, 16, 1000, 10000001}, {16, 0, 0, 16, 0, 16, 16, 1000, 10000002}};
  p.gp_lastinstanceid = 100003;
  p.gp_lasttileid = 10000002;
  return p;
}

RGameProject GameWithRooms() {
  RGameProject p = GameWithObjects();
  p.gp_rooms.push_back(RoomWith("room1", {{10, 10, 1, 100004, ""}}));
  p.gp_rooms.push_back(std::nullopt);
  p.gp_rooms.push_back(RoomWith("room3", {{5, 5, 0, 100005, ""}, {6, 6, 0, 100006, ""}}));
  p.gp_rooms[3]->enableviews = true;
  p.gp_rooms[3]->views[0].visible = true;
  p.gp_rooms[3]->views[0].object = 1;
  p.gp_rooms[3]->persistent = true;
  p.gp_roomorder = {3, 0, 1};
  p.gp_lastinstanceid = 100006;
  return p;
}

RGameProject GameWithResources() {
  RGameProject p = GameWithObjects();
  p.gp_scripts.push_back(RPackScript{"scr_add", "return argument0 + argument1;"});
  p.gp_triggers.push_back(RPackTrigger{.name = "tr", .condition = "return false;", .constname = "tr_c"});
  p.gp_paths.push_back(RPackPath{.name = "path0", .points = {{0, 0, 100}, {64, 64, 100}}});
  p.gp_game.gd_constants = {{"ten", "10"}};
  p.gp_objects.push_back(RPackObject{.name = "keeper", .persistent = true});
  p.gp_rooms[0]->instances.push_back({1, 2, 2, 100004, ""});
  p.gp_lastinstanceid = 100004;
  return p;
}

// A sprite of two frames with separate masks and a background, for the image sections.
RGameProject GameWithImages() {
  RGameProject p = GameWithObjects();
  RPackSprite sprite{.name = "spr_dot", .xorigin = 1, .yorigin = 1, .sepmasks = true};
  for (uint32_t colour : {0xFF0000FFu, 0x80FF0000u}) {
    sprite.frames.emplace_back(3, 3);
    sprite.frames.back().SetPixel(1, 1, colour);
  }
  p.gp_sprites.push_back(sprite);
  p.gp_backgrounds.push_back(RPackBackgroundImage{"bck_grey", TBitmap32(4, 2, 0xFF808080u)});
  p.gp_objects[0]->sprite = 0;
  return p;
}

// Every section populated: a sound, a time line, included files, the game information and a package
// with a script file, a library and a data file.
RGameProject GameWithEverySection() {
  RGameProject p = GameWithResources();
  p.gp_sounds.push_back(RPackSound{
      .name = "snd", .extension = ".wav", .origname = "a.wav", .data = std::vector<uint8_t>{1, 2}});
  p.gp_timelines.push_back(RPackTimeLine{.name = "tl", .moments = {{0, {Code("x = 1;")}}, {5, {}}}});
  p.gp_includes.push_back(RPackIncludedFile{.filename = "data.txt", .data = {'a'}, .exportaction = 0});
  p.gp_info.text = "{\\rtf1 info}";
  RPackExtension package{.name = "ext", .folder = "extdir", .key = 77};
  RPackExtensionFile script{.filename = "ext.script", .kind = 2, .init = "ext_init"};
  const std::string text = "#define ext_init\rglobal.e = 1\r#define ext_twice\rreturn argument0 * 2\r";
  script.data.assign(text.begin(), text.end());
  script.functions = {{.name = "ext_init", .id = 0}, {.name = "ext_twice", .id = 1, .argcount = 1}};
  script.constants = {{"ext_const", "3"}};
  RPackExtensionFile library{.filename = "ext.dll", .kind = 1, .data = {'M', 'Z'}};
  library.functions = {{.name = "ext_native", .id = 2, .argcount = 2, .argtypes = {1, 2}}};
  package.files = {script, library, RPackExtensionFile{.filename = "none", .kind = 3}};
  p.gp_extensions.push_back(package);
  return p;
}

void Save(const std::filesystem::path& file, uint8_t mode, const std::vector<uint8_t>& data) {
  std::ofstream out(file, std::ios::binary);
  out.put(char(mode));
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

std::vector<uint8_t> Plain(const RGameProject& project) {
  CStream s(WriteGameData(project, 0));
  Game_Unscramble(s, 0);
  return std::move(s.Bytes());
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]), 2;
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  Save(folder / "plain_empty_room", 1, Plain(Base()));
  Save(folder / "plain_objects", 1, Plain(GameWithObjects()));
  Save(folder / "plain_rooms", 1, Plain(GameWithRooms()));
  Save(folder / "plain_resources", 1, Plain(GameWithResources()));
  Save(folder / "plain_images", 1, Plain(GameWithImages()));
  Save(folder / "plain_every_section", 1, Plain(GameWithEverySection()));
  Save(folder / "scrambled_objects", 0, WriteGameData(GameWithObjects(), 0));
  return 0;
}
