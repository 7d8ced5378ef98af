#include "data/Data_State.h"

#include "data/Background_Class.h"
#include "data/Game_File.h"
#include "data/Sprite_Class.h"

namespace vl {

void ResetDataState() {
  GameData() = RGameData();
  Sprites().ClearAll();
  Backgrounds().ClearAll();
}

} // namespace vl
