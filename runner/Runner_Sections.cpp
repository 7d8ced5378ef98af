#include "runner/Runner_Sections.h"

#include "data/Background_Class.h"
#include "data/Game_File.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "library/Include_File.h"
#include "library/Path_Class.h"
#include "platform/Platform.h"
#include "runner/Help_Main.h"
#include "runner/Runner_Load.h"
#include "script/Extension_Class.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "sound/Sound_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/TimeLine_Class.h"

namespace vl {

namespace {

// A package that names a place outside the temporary folder says so before the section fails.
bool ReadExtensions(CStream& s, RGameData&) {
  if (Extensions().LoadSection(s, RunTempFolder())) return true;
  if (!Extensions().t_loaderror.empty()) Dialogs().ShowMessage(Extensions().t_loaderror);
  return false;
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

bool ReadSounds(CStream& s, RGameData&) {
  return Sounds().LoadSection(s);
}

bool ReadTimeLines(CStream& s, RGameData&) {
  return TimeLines().LoadSection(s);
}

bool ReadScripts(CStream& s, RGameData&) {
  return Scripts().LoadSection(s);
}

bool ReadSprites(CStream& s, RGameData&) {
  return Sprites().LoadSection(s);
}

bool ReadBackgrounds(CStream& s, RGameData&) {
  return Backgrounds().LoadSection(s);
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
  return IncludedFiles().LoadSection(s);
}

bool ReadHelp(CStream& s, RGameData&) {
  return Load_GameInfo(s);
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

const std::array<RSection, 16> kSections = {{
    {0, "Loading extension packages", ReadExtensions},
    {5, "Loading triggers", ReadTriggers},
    {6, "Loading constants", ReadConstants},
    {7, "Loading sounds", ReadSounds},
    {10, "Loading sprites", ReadSprites},
    {23, "Loading backgrounds", ReadBackgrounds},
    {30, "Loading paths", ReadPaths},
    {32, "Loading scripts", ReadScripts},
    {34, "Loading fonts", ReadNamed},
    {36, "Loading time lines", ReadTimeLines},
    {38, "Loading objects", ReadObjects},
    {40, "Loading rooms", ReadRooms},
    {43, "Loading included files", ReadIncludedFiles},
    {45, "Loading help", ReadHelp},
    {47, "Loading library init code", ReadLibraryInit},
    {49, "Loading room order", ReadRoomOrder},
}};

} // namespace vl
