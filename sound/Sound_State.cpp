#include "sound/Sound_State.h"

#include "sound/Sound_Class.h"
#include "sound/Sound_Play.h"

namespace vl {

void ResetSoundState() {
  FinishSounds();
  Sounds().ClearAll();
  SoundLayer().SetCapture(nullptr);
}

} // namespace vl
