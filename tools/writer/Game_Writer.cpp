#include "tools/writer/Game_Writer.h"

#include "data/Background_Class.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"

#include <cstring>
#include <filesystem>

namespace vl {

namespace {

void WriteEmptyNamedSection(CStream& s) {
  s.WriteInteger(800);
  s.WriteInteger(0);
}

// A section of slots: per slot a compressed block with the exists flag and, when it exists, the record.
template <typename T, typename Write>
void WriteSlots(CStream& s, const std::vector<std::optional<T>>& items, Write write) {
  s.WriteInteger(800);
  s.WriteInteger(int32_t(items.size()));
  for (const auto& item : items) {
    CStream block;
    block.WriteBoolean(item.has_value());
    if (item) write(block, *item);
    s.WriteStreamC(block);
  }
}

// A named-resource section: the name stands before each record.
template <typename T, typename Write>
void WriteNamedSection(CStream& s, const std::vector<std::optional<T>>& items, Write write) {
  WriteSlots(s, items, [&](CStream& block, const T& item) {
    block.WriteString(item.name);
    write(block, item);
  });
}

void WritePath(CStream& s, const RPackPath& path) {
  s.WriteInteger(530);
  s.WriteInteger(path.kind);
  s.WriteBoolean(path.closed);
  s.WriteInteger(path.precision);
  s.WriteInteger(int32_t(path.points.size()));
  for (const auto& point : path.points)
    for (double v : point) s.WriteReal(v);
}

void WriteScript(CStream& s, const RPackScript& script) {
  s.WriteInteger(800);
  s.WriteString(script.text);
}

// Trigger records carry their name inside the record, so the section has no name per slot.
void WriteTrigger(CStream& s, const RPackTrigger& trigger) {
  s.WriteInteger(800);
  s.WriteString(trigger.name);
  s.WriteString(trigger.condition);
  s.WriteInteger(trigger.moment);
  s.WriteString(trigger.constname);
}

void WriteAction(CStream& s, const RPackAction& action) {
  s.WriteInteger(440);
  s.WriteInteger(action.libid);
  s.WriteInteger(action.id);
  s.WriteInteger(action.kind);
  s.WriteBoolean(action.userelative);
  s.WriteBoolean(action.isquestion);
  s.WriteBoolean(action.useapplyto);
  s.WriteInteger(action.exetype);
  s.WriteString(action.function);
  s.WriteString(action.code);
  s.WriteInteger(int32_t(action.args.size()));
  s.WriteInteger(int32_t(action.argkinds.size()));
  for (int32_t kind : action.argkinds) s.WriteInteger(kind);
  s.WriteInteger(action.who);
  s.WriteBoolean(action.relative);
  s.WriteInteger(int32_t(action.args.size()));
  for (const std::string& arg : action.args) s.WriteString(arg);
  s.WriteBoolean(action.isnot);
}

void WriteEvent(CStream& s, const std::vector<RPackAction>& actions) {
  s.WriteInteger(400);
  s.WriteInteger(int32_t(actions.size()));
  for (const RPackAction& action : actions) WriteAction(s, action);
}

void WriteObject(CStream& s, const RPackObject& object) {
  s.WriteInteger(430);
  s.WriteInteger(object.sprite);
  s.WriteBoolean(object.solid);
  s.WriteBoolean(object.visible);
  s.WriteInteger(object.depth);
  s.WriteBoolean(object.persistent);
  s.WriteInteger(object.parent);
  s.WriteInteger(object.mask);
  s.WriteInteger(11);
  for (int32_t type = 0; type <= 11; ++type) {
    for (const RPackEvent& event : object.events) {
      if (event.type != type) continue;
      s.WriteInteger(event.number);
      WriteEvent(s, event.actions);
    }
    s.WriteInteger(-1);
  }
}

void WriteRoom(CStream& s, const RPackRoom& room) {
  s.WriteInteger(541);
  s.WriteString(room.caption);
  s.WriteInteger(room.width);
  s.WriteInteger(room.height);
  s.WriteInteger(room.speed);
  s.WriteBoolean(room.persistent);
  s.WriteInteger(room.colour);
  s.WriteInteger((room.showcolour ? 1 : 0) | (room.clearviews ? 0 : 2));
  s.WriteString(room.code);
  s.WriteInteger(int32_t(room.backgrounds.size()));
  for (const RPackBackground& b : room.backgrounds) {
    s.WriteBoolean(b.visible);
    s.WriteBoolean(b.foreground);
    s.WriteInteger(b.index);
    s.WriteInteger(b.x);
    s.WriteInteger(b.y);
    s.WriteBoolean(b.htiled);
    s.WriteBoolean(b.vtiled);
    s.WriteInteger(b.hspeed);
    s.WriteInteger(b.vspeed);
    s.WriteBoolean(b.stretch);
  }
  s.WriteBoolean(room.enableviews);
  s.WriteInteger(int32_t(room.views.size()));
  for (const RPackView& v : room.views) {
    s.WriteBoolean(v.visible);
    for (int32_t f : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport, v.hborder,
                      v.vborder, v.hspeed, v.vspeed, v.object})
      s.WriteInteger(f);
  }
  s.WriteInteger(int32_t(room.instances.size()));
  for (const RPackInstance& inst : room.instances) {
    for (int32_t f : {inst.x, inst.y, inst.object, inst.id}) s.WriteInteger(f);
    s.WriteString(inst.code);
  }
  s.WriteInteger(int32_t(room.tiles.size()));
  for (const RPackTile& t : room.tiles)
    for (int32_t f : {t.x, t.y, t.background, t.xo, t.yo, t.w, t.h, t.depth, t.id}) s.WriteInteger(f);
}

void WriteSprite(CStream& s, const RPackSprite& pack) {
  CSprite sprite;
  sprite.i_bitmap = pack.frames;
  sprite.i_xorig = pack.xorigin;
  sprite.i_yorig = pack.yorigin;
  sprite.ComputeMask(pack.sepmasks, pack.bboxmode, pack.bbox, pack.maskkind, pack.tolerance);
  sprite.SaveToStream(s);
}

void WriteBackgroundImage(CStream& s, const RPackBackgroundImage& pack) {
  CBackground back;
  back.i_bitmap = pack.image;
  back.SaveToStream(s);
}

void WriteTimeLine(CStream& s, const RPackTimeLine& timeline) {
  s.WriteInteger(500);
  s.WriteInteger(int32_t(timeline.moments.size()));
  for (const RPackMoment& moment : timeline.moments) {
    s.WriteInteger(moment.step);
    WriteEvent(s, moment.actions);
  }
}

void WriteSound(CStream& s, const RPackSound& sound) {
  s.WriteInteger(800);
  s.WriteInteger(sound.kind);
  s.WriteString(sound.extension);
  s.WriteString(sound.origname);
  s.WriteBoolean(sound.data.has_value());
  if (sound.data) s.WriteStream(CStream(*sound.data));
  s.WriteInteger(sound.effects);
  s.WriteReal(sound.volume);
  s.WriteReal(sound.pan);
  s.WriteBoolean(sound.preload);
}

void WriteExtensionFile(CStream& s, const RPackExtensionFile& file) {
  s.WriteInteger(700);
  s.WriteString(file.filename);
  s.WriteInteger(file.kind);
  s.WriteString(file.init);
  s.WriteString(file.final);
  s.WriteInteger(int32_t(file.functions.size()));
  for (const RPackExtensionFunction& f : file.functions) {
    s.WriteInteger(700);
    s.WriteString(f.name);
    s.WriteString(f.extname);
    s.WriteInteger(f.kind);
    s.WriteInteger(f.id);
    s.WriteInteger(f.argcount);
    for (int32_t type : f.argtypes) s.WriteInteger(type);
    s.WriteInteger(f.returntype);
  }
  s.WriteInteger(int32_t(file.constants.size()));
  for (const auto& [name, value] : file.constants) {
    s.WriteInteger(700);
    s.WriteString(name);
    s.WriteString(value);
  }
}

// Packages follow each other without blocks; each ends with its files' contents, scrambled with
// the package's key from the sixth byte on.
void WriteExtensions(CStream& s, const std::vector<RPackExtension>& packages) {
  s.WriteInteger(700);
  s.WriteInteger(int32_t(packages.size()));
  for (const RPackExtension& package : packages) {
    s.WriteInteger(700);
    s.WriteString(package.name);
    s.WriteString(package.folder);
    s.WriteInteger(int32_t(package.files.size()));
    for (const RPackExtensionFile& file : package.files) WriteExtensionFile(s, file);
    CStream content;
    content.WriteInteger(package.key);
    for (const RPackExtensionFile& file : package.files)
      if (file.kind != 3) content.WriteStreamC(CStream(file.data));
    content.Encrypt(package.key, 5, 0);
    s.WriteStream(content);
  }
}

void WriteIncludedFiles(CStream& s, const std::vector<RPackIncludedFile>& files) {
  s.WriteInteger(800);
  s.WriteInteger(int32_t(files.size()));
  for (const RPackIncludedFile& file : files) {
    CStream block;
    block.WriteInteger(800);
    block.WriteString(file.filename);
    block.WriteString(file.origname);
    block.WriteBoolean(file.exists);
    block.WriteInteger(int32_t(file.data.size()));
    block.WriteBoolean(file.store);
    if (file.exists && file.store) block.WriteStream(CStream(file.data));
    block.WriteInteger(file.exportaction);
    block.WriteString(file.exportdir);
    block.WriteBoolean(file.overwrite);
    block.WriteBoolean(file.freedata);
    block.WriteBoolean(file.removeend);
    s.WriteStreamC(block);
  }
}

void WriteGameInfo(CStream& s, const RPackGameInfo& info) {
  s.WriteInteger(800);
  CStream block;
  block.WriteInteger(info.color);
  block.WriteBoolean(info.embedded);
  block.WriteString(info.caption);
  for (int32_t v : {info.left, info.top, info.width, info.height}) block.WriteInteger(v);
  for (bool b : {info.border, info.sizeable, info.stayontop, info.pause}) block.WriteBoolean(b);
  block.WriteStream(CStream(std::vector<uint8_t>(info.text.begin(), info.text.end())));
  s.WriteStreamC(block);
}

void WriteSections(CStream& s, const RGameProject& project) {
  const RGameData& game = project.gp_game;
  WriteExtensions(s, project.gp_extensions);
  WriteSlots(s, project.gp_triggers, WriteTrigger);
  s.WriteInteger(800);
  s.WriteInteger(int32_t(game.gd_constants.size()));
  for (const auto& [name, value] : game.gd_constants) s.WriteString(name), s.WriteString(value);
  WriteNamedSection(s, project.gp_sounds, WriteSound);
  WriteNamedSection(s, project.gp_sprites, WriteSprite);
  WriteNamedSection(s, project.gp_backgrounds, WriteBackgroundImage);
  WriteNamedSection(s, project.gp_paths, WritePath);
  WriteNamedSection(s, project.gp_scripts, WriteScript);
  WriteEmptyNamedSection(s); // fonts
  WriteNamedSection(s, project.gp_timelines, WriteTimeLine);
  WriteNamedSection(s, project.gp_objects, WriteObject);
  WriteNamedSection(s, project.gp_rooms, WriteRoom);
  s.WriteInteger(project.gp_lastinstanceid);
  s.WriteInteger(project.gp_lasttileid);
  WriteIncludedFiles(s, project.gp_includes);
  WriteGameInfo(s, project.gp_info);
  s.WriteInteger(500);
  s.WriteInteger(int32_t(game.gd_libinit.size()));
  for (const std::string& code : game.gd_libinit) s.WriteString(code);
  s.WriteInteger(700);
  s.WriteInteger(int32_t(project.gp_roomorder.size()));
  for (int32_t room : project.gp_roomorder) s.WriteInteger(room);
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
  WriteSections(resources, project);
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
