#include "sound/Sound_Class.h"

namespace vl {

bool CSound::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  s_kind = stream.ReadInteger();
  s_extension = stream.ReadString();
  s_origname = stream.ReadString();
  if (stream.ReadBoolean()) s_sound = stream.ReadStream();
  s_effects = stream.ReadInteger();
  s_volume = stream.ReadReal();
  s_pan = stream.ReadReal();
  s_preload = stream.ReadBoolean();
  return true;
}

CSoundTable& Sounds() {
  static CSoundTable table;
  return table;
}

} // namespace vl
