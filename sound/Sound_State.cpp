#include "sound/Sound_State.h"

#include "sound/Sound_Class.h"

namespace vl {

void ResetSoundState() {
  Sounds().ClearAll();
}

} // namespace vl
