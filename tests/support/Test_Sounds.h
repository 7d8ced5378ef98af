#pragma once
// Small sound files for tests: 16-bit PCM WAV files and a one-note MIDI file.

#include <cstdint>
#include <string>
#include <vector>

namespace vl::test {

// A WAV file of interleaved 16-bit frames with the given channel count and rate.
inline std::string WaveBytes(const std::vector<int16_t>& samples, int32_t channels = 2,
                             int32_t rate = 44100) {
  std::string out;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
  };
  const auto data = uint32_t(samples.size() * 2);
  out += "RIFF";
  put(36 + data, 4);
  out += "WAVEfmt ";
  put(16, 4);
  put(1, 2);
  put(uint32_t(channels), 2);
  put(uint32_t(rate), 4);
  put(uint32_t(rate * channels * 2), 4);
  put(uint32_t(channels * 2), 2);
  put(16, 2);
  out += "data";
  put(data, 4);
  for (int16_t s : samples) put(uint16_t(s), 2);
  return out;
}

// frames of a constant level on both channels.
inline std::string ConstantWave(int32_t frames, int16_t level) {
  return WaveBytes(std::vector<int16_t>(size_t(frames) * 2, level));
}

// Middle C on a piano for two seconds at 120 beats per minute.
inline std::string OneNoteMidi() {
  const unsigned char bytes[] = {'M',  'T', 'h', 'd',  0,   0,    0,  6,  0,  0,    0,    1, 0,
                                 96,   'M', 'T', 'r',  'k', 0,    0,  0,  16, 0,    0xC0, 0, 0,
                                 0x90, 60,  100, 0x83, 0,   0x80, 60, 64, 0,  0xFF, 0x2F, 0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

} // namespace vl::test
