#include "world/Game_Names.h"

#include "data/Background_Class.h"
#include "data/Sprite_Class.h"
#include "library/Path_Class.h"
#include "script/Constant_Main.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/TimeLine_Class.h"

namespace vl {

namespace {

TResourceFinder SoundFinder = nullptr;

} // namespace

void SetSoundFinder(TResourceFinder find) {
  SoundFinder = find;
}

bool LookupGameName(std::string_view name, RValue& value) {
  int32_t index = Objects().Find(name);
  if (index < 0) index = Sprites().Find(name);
  if (index < 0 && SoundFinder) index = SoundFinder(name);
  if (index < 0) index = Backgrounds().Find(name);
  if (index < 0) index = Paths().Find(name);
  if (index < 0) index = TimeLines().Find(name);
  if (index < 0) index = Scripts().Find(name);
  if (index < 0) index = Rooms().Find(name);
  if (index < 0) index = Triggers().FindConstant(name);
  if (index >= 0) {
    value = RValue(double(index));
    return true;
  }
  return FindConstant(name, value);
}

} // namespace vl
