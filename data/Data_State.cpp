#include "data/Data_State.h"

#include "data/Game_File.h"

namespace vl {

void ResetDataState() {
  GameData() = RGameData();
}

} // namespace vl
