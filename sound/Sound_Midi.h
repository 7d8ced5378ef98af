#pragma once
// MIDI files rendered by FluidSynth with a General MIDI SoundFont, one synthesizer per playing
// instance, driven by the samples it renders so that the result does not depend on any clock.

#include <memory>
#include <string>
#include <string_view>

namespace vl {

class CMidiRenderer {
public:
  // Null when no SoundFont is installed or the file is no MIDI file FluidSynth plays.
  static std::unique_ptr<CMidiRenderer> Create(std::string_view midi, bool loop, float tempo);
  ~CMidiRenderer();
  CMidiRenderer(const CMidiRenderer&) = delete;
  CMidiRenderer& operator=(const CMidiRenderer&) = delete;

  // Adds count stereo frames at the mix rate to out, scaled by gains left and right; false once
  // the file has ended (and the voices have died away).
  bool Mix(float* out, int32_t count, float left, float right);
  void SetTempo(float factor);

  // The SoundFont used: the system's default General MIDI one, else the first installed; empty
  // when there is none.
  static const std::string& SoundFontPath();

private:
  CMidiRenderer() = default;
  struct RState;
  std::unique_ptr<RState> m_state;
};

} // namespace vl
