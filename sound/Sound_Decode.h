#pragma once
// Sound files decoded into the mixer's format: WAV, OGG, FLAC and MP3 through libsndfile,
// resampled to the output rate, always two channels.

#include <cstdint>
#include <string_view>
#include <vector>

namespace vl {

inline constexpr int32_t kMixRate = 44100;

// Interleaved stereo frames at kMixRate.
struct RPcm {
  std::vector<float> pc_samples;
  size_t Frames() const { return pc_samples.size() / 2; }
};

// False when the bytes are no audio file libsndfile reads.
bool DecodeAudio(std::string_view bytes, RPcm& out);
// A standard MIDI file, by its header chunk.
bool IsMidi(std::string_view bytes);
// A RIFF WAVE file, by its header.
bool IsWave(std::string_view bytes);

} // namespace vl
