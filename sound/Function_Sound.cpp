#include "sound/Function_Sound.h"

#include "script/Code_Function.h"
#include "script/Code_Operator.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Play.h"
#include "world/World_Report.h"

#include <cstdio>
#include <string>
#include <utility>

namespace vl {

namespace {

#define VL_SOUND_ARGS CInstance *, CInstance *, int32_t, RValue &r, const RValue *a

// The sample of the sound an argument names; -1 (reported) when there is no such sound.
int32_t SampleOf(const RValue& snd) {
  CSound* sound = Sounds().Get(RoundToInt32(ArgumentReal(snd)));
  if (!sound) {
    ReportEventError("Sound does not exist.", false);
    return -1;
  }
  return sound->GetSoundId();
}

void sound_play(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0) SoundLayer().Play(id, false);
}

void sound_loop(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0) SoundLayer().Play(id, true);
}

void sound_stop(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0) SoundLayer().Stop(id);
}

void sound_stop_all(VL_SOUND_ARGS) {
  SoundLayer().StopAll();
}

void sound_isplaying(VL_SOUND_ARGS) {
  CSound* sound = Sounds().Get(RoundToInt32(ArgumentReal(a[0])));
  r = RValue(sound && SoundLayer().IsPlaying(sound->GetSoundId()) ? 1.0 : 0.0);
}

void sound_volume(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0) SoundLayer().SetVolume(id, 0, ArgumentReal(a[1]));
}

void sound_fade(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0)
    SoundLayer().SetVolume(id, RoundToInt32(ArgumentReal(a[2])), ArgumentReal(a[1]));
}

void sound_pan(VL_SOUND_ARGS) {
  if (const int32_t id = SampleOf(a[0]); id >= 0) SoundLayer().SetPan(id, ArgumentReal(a[1]));
}

void sound_background_tempo(VL_SOUND_ARGS) {
  SoundLayer().SetTempo(ArgumentReal(a[0]));
}

void sound_global_volume(VL_SOUND_ARGS) {
  SoundLayer().SetGlobalVolume(ArgumentReal(a[0]));
}

void sound_set_search_directory(VL_SOUND_ARGS) {
  SoundLayer().SetSearchDirectory(std::string(a[0].Str()));
}

// Effects and 3D sound come later: a game that uses them runs on, and its first use of each
// function says so once.
template <const char* Name>
void NotYet(VL_SOUND_ARGS) {
  static bool told = false;
  if (SampleOf(a[0]) < 0 || std::exchange(told, true)) return;
  std::fprintf(stderr, "vlrun: %s: sound effects and 3D sound are not available yet\n", Name);
}

#undef VL_SOUND_ARGS

constexpr char kEffectSet[] = "sound_effect_set", kChorus[] = "sound_effect_chorus",
               kCompressor[] = "sound_effect_compressor", kEcho[] = "sound_effect_echo",
               kFlanger[] = "sound_effect_flanger", kGargle[] = "sound_effect_gargle",
               kEqualizer[] = "sound_effect_equalizer", kReverb[] = "sound_effect_reverb",
               kPosition[] = "sound_3d_set_sound_position", kVelocity[] = "sound_3d_set_sound_velocity",
               kDistance[] = "sound_3d_set_sound_distance", kCone[] = "sound_3d_set_sound_cone";

} // namespace

void Register_Function_Sound() {
  RegisterFunction("sound_play", sound_play, 1);
  RegisterFunction("sound_loop", sound_loop, 1);
  RegisterFunction("sound_stop", sound_stop, 1);
  RegisterFunction("sound_stop_all", sound_stop_all, 0);
  RegisterFunction("sound_isplaying", sound_isplaying, 1);
  RegisterFunction("sound_volume", sound_volume, 2);
  RegisterFunction("sound_fade", sound_fade, 3);
  RegisterFunction("sound_pan", sound_pan, 2);
  RegisterFunction("sound_background_tempo", sound_background_tempo, 1);
  RegisterFunction("sound_global_volume", sound_global_volume, 1);
  RegisterFunction("sound_set_search_directory", sound_set_search_directory, 1);
  RegisterFunction(kEffectSet, NotYet<kEffectSet>, 2);
  RegisterFunction(kChorus, NotYet<kChorus>, 8);
  RegisterFunction(kCompressor, NotYet<kCompressor>, 7);
  RegisterFunction(kEcho, NotYet<kEcho>, 6);
  RegisterFunction(kFlanger, NotYet<kFlanger>, 8);
  RegisterFunction(kGargle, NotYet<kGargle>, 3);
  RegisterFunction(kEqualizer, NotYet<kEqualizer>, 4);
  RegisterFunction(kReverb, NotYet<kReverb>, 5);
  RegisterFunction(kPosition, NotYet<kPosition>, 4);
  RegisterFunction(kVelocity, NotYet<kVelocity>, 4);
  RegisterFunction(kDistance, NotYet<kDistance>, 3);
  RegisterFunction(kCone, NotYet<kCone>, 7);
}

} // namespace vl
