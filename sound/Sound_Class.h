#pragma once
// CSound: a sound resource, the file's bytes as the game carries them with how to play them, and
// its sample in the playback layer; and the table of sound resources.

#include "data/Resource_Table.h"
#include "data/Support_Stream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vl {

class CSound {
public:
  static constexpr int32_t kVersion = 800;
  enum : int32_t { kNormal = 0, kBackground = 1, kThreeD = 2, kMultimedia = 3 };

  // Frees the sample and the data.
  void Clear();
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // The whole file as the sound's data; false when it does not exist.
  bool LoadFromFile(const std::string& file, int32_t kind, bool preload);
  // Restores the sound when it is preloaded.
  void Prepare();
  // Loads the sound into the playback layer; a multimedia sound is written to a temporary file
  // first and plays from there.
  void Restore();
  // Frees the sample; the data stays for a later Restore.
  void Discard();
  // The sample, restored first when the sound was not loaded yet; -1 when it cannot be.
  int32_t GetSoundId();

  int32_t s_kind = -1;
  std::string s_extension;          // with its dot
  std::string s_origname;           // the file the sound came from, without folder
  std::unique_ptr<CStream> s_sound; // the file's bytes; null when none
  bool s_preload = true;
  int32_t s_effects = 0; // bit set of effects
  double s_volume = 1.0;
  double s_pan = 0.0;
  int32_t s_soundid = -1; // the loaded sample, -1 while not loaded
  std::string s_fname;    // multimedia sounds: the temporary file they were written to
};

// The sound resources; new ones are named "__newsound" and their index.
class CSoundTable : public CResourceTable<CSound> {
public:
  CSoundTable() : CResourceTable({.rk_newname = "__newsound"}) {}
};

CSoundTable& Sounds();

// Readies the playback layer when the game has sounds (global volume 1), then prepares every
// sound in index order.
bool PrepareSounds();
// Frees every sound's sample and shuts the playback layer down.
void FinishSounds();

} // namespace vl
