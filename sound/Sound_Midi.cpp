#include "sound/Sound_Midi.h"

#include "sound/Sound_Decode.h"

#include <filesystem>
#include <fluidsynth.h>
#include <vector>

namespace vl {

namespace fs = std::filesystem;

struct CMidiRenderer::RState {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  std::string bytes; // the player reads the file from here
  std::vector<float> left, right;
  int32_t tail = 0; // frames rendered after the player stopped, so that notes can fade out
  ~RState() {
    if (player) delete_fluid_player(player);
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

const std::string& CMidiRenderer::SoundFontPath() {
  static const std::string path = [] {
    for (const char* candidate :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
          "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf3/default-GM.sf3"}) {
      std::error_code ec;
      if (fs::exists(candidate, ec)) return std::string(candidate);
    }
    return std::string();
  }();
  return path;
}

std::unique_ptr<CMidiRenderer> CMidiRenderer::Create(std::string_view midi, bool loop, float tempo) {
  if (SoundFontPath().empty() || !IsMidi(midi)) return nullptr;
  // FluidSynth reports through its own log; a game's bad file is ours to report.
  static const bool quiet = [] {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
      fluid_set_log_function(level, nullptr, nullptr);
    return true;
  }();
  (void)quiet;
  std::unique_ptr<CMidiRenderer> r(new CMidiRenderer());
  r->m_state = std::make_unique<RState>();
  RState& s = *r->m_state;
  s.bytes = std::string(midi);
  s.settings = new_fluid_settings();
  if (!s.settings) return nullptr;
  fluid_settings_setnum(s.settings, "synth.sample-rate", kMixRate);
  fluid_settings_setstr(s.settings, "player.timing-source", "sample");
  fluid_settings_setint(s.settings, "synth.threadsafe-api", 0);
  fluid_settings_setint(s.settings, "synth.cpu-cores", 1);
  s.synth = new_fluid_synth(s.settings);
  if (!s.synth || fluid_synth_sfload(s.synth, SoundFontPath().c_str(), 1) == FLUID_FAILED) return nullptr;
  s.player = new_fluid_player(s.synth);
  if (!s.player || fluid_player_add_mem(s.player, s.bytes.data(), s.bytes.size()) != FLUID_OK) return nullptr;
  fluid_player_set_loop(s.player, loop ? -1 : 1);
  fluid_player_set_tempo(s.player, FLUID_PLAYER_TEMPO_INTERNAL, double(tempo));
  if (fluid_player_play(s.player) != FLUID_OK) return nullptr;
  return r;
}

CMidiRenderer::~CMidiRenderer() = default;

void CMidiRenderer::SetTempo(float factor) {
  fluid_player_set_tempo(m_state->player, FLUID_PLAYER_TEMPO_INTERNAL, double(factor));
}

bool CMidiRenderer::Mix(float* out, int32_t count, float left, float right) {
  RState& s = *m_state;
  // A second after the file ends its notes have died away.
  constexpr int32_t kTail = kMixRate;
  if (fluid_player_get_status(s.player) != FLUID_PLAYER_PLAYING) {
    if (s.tail >= kTail) return false;
    s.tail += count;
  }
  s.left.assign(size_t(count), 0.0f);
  s.right.assign(size_t(count), 0.0f);
  fluid_synth_write_float(s.synth, count, s.left.data(), 0, 1, s.right.data(), 0, 1);
  for (int32_t i = 0; i < count; ++i) {
    out[2 * i] += s.left[size_t(i)] * left;
    out[2 * i + 1] += s.right[size_t(i)] * right;
  }
  return true;
}

} // namespace vl
