#include "sound/Sound_Class.h"

#include "library/Support_Random.h"
#include "sound/Sound_Play.h"
#include "world/Variable_World.h"

#include <filesystem>

namespace vl {

namespace fs = std::filesystem;

namespace {

// Only a dot and a few letters or digits reach a file name: the extension comes from game data.
std::string PlainExtension(const std::string& ext) {
  if (ext.size() < 2 || ext.size() > 9 || ext[0] != '.') return "";
  for (size_t i = 1; i < ext.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(ext[i]))) return "";
  return ext;
}

} // namespace

void CSound::Clear() {
  Discard();
  *this = CSound();
}

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

bool CSound::LoadFromFile(const std::string& file, int32_t kind, bool preload) {
  Clear();
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return false;
  auto data = std::make_unique<CStream>();
  if (!data->LoadFromFile(file)) return false;
  const fs::path path(file);
  s_extension = path.extension().string();
  s_origname = path.filename().string();
  s_sound = std::move(data);
  s_kind = kind;
  s_preload = preload;
  Prepare();
  return true;
}

void CSound::Prepare() {
  if (s_preload) Restore();
}

void CSound::Restore() {
  CSoundLayer& layer = SoundLayer();
  if (s_kind >= kNormal && s_kind <= kThreeD && s_sound) {
    s_soundid = layer.LoadFromMemory(
        std::string_view(reinterpret_cast<const char*>(s_sound->Data()), s_sound->Size()), s_kind);
    if (s_soundid == -1) s_kind = kMultimedia;
  }
  if (s_kind == kMultimedia) {
    if (s_sound) {
      const fs::path folder = GameVariables().gv_tempdirectory;
      const std::string ext = PlainExtension(s_extension);
      fs::path name;
      std::error_code ec;
      do name = folder / ("a" + std::to_string(Random(100000)) + ext);
      while (fs::exists(name, ec));
      if (s_sound->SaveToFile(name.string())) s_fname = name.string();
      s_sound.reset();
    }
    if (s_fname.empty()) return;
    s_soundid = layer.LoadFromFile(s_fname, kMultimedia);
  }
  if (s_soundid >= 0) {
    layer.SetVolume(s_soundid, 0, s_volume);
    layer.SetPan(s_soundid, s_pan);
  }
}

void CSound::Discard() {
  if (s_soundid >= 0) SoundLayer().FreeSample(s_soundid);
  s_soundid = -1;
}

int32_t CSound::GetSoundId() {
  if (s_soundid < 0) Restore();
  return s_soundid;
}

CSoundTable& Sounds() {
  static CSoundTable table;
  return table;
}

bool PrepareSounds() {
  CSoundTable& table = Sounds();
  if (table.Count() > 0) {
    SoundLayer().Initialise();
    SoundLayer().SetGlobalVolume(1);
  }
  for (int32_t i = 0; i < table.Count(); ++i)
    if (CSound* sound = table.Get(i)) sound->Prepare();
  return true;
}

void FinishSounds() {
  CSoundTable& table = Sounds();
  for (int32_t i = 0; i < table.Count(); ++i)
    if (CSound* sound = table.Get(i)) sound->Discard();
  SoundLayer().Shutdown();
}

} // namespace vl
