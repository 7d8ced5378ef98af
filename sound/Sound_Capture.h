#pragma once
// Writes what the mixer produces to a WAV file: 44 100 Hz, stereo, 16 bits.

#include "sound/Sound_Mixer.h"

#include <cstdio>
#include <string>

namespace vl {

class CWaveCapture final : public TMixCapture {
public:
  ~CWaveCapture() override;
  // False when the file cannot be written.
  bool Open(const std::string& path);
  void Write(const float* frames, int32_t count) override;
  // Completes the header; the file is then a whole WAV file.
  void Close();

private:
  std::FILE* wc_file = nullptr;
  uint32_t wc_frames = 0;
};

} // namespace vl
