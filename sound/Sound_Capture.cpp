#include "sound/Sound_Capture.h"

#include "sound/Sound_Decode.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vl {

namespace {

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v), p[1] = static_cast<unsigned char>(v >> 8);
}

void Header(unsigned char* h, uint32_t frames) {
  const uint32_t data = frames * 4;
  std::copy_n("RIFF", 4, h);
  Put32(h + 4, 36 + data);
  std::copy_n("WAVEfmt ", 8, h + 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1); // PCM
  Put16(h + 22, 2);
  Put32(h + 24, kMixRate);
  Put32(h + 28, kMixRate * 4);
  Put16(h + 32, 4);
  Put16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  Put32(h + 40, data);
}

} // namespace

CWaveCapture::~CWaveCapture() {
  Close();
}

bool CWaveCapture::Open(const std::string& path) {
  Close();
  wc_file = std::fopen(path.c_str(), "wb");
  if (!wc_file) return false;
  unsigned char h[44];
  Header(h, 0);
  wc_frames = 0;
  return std::fwrite(h, 1, sizeof h, wc_file) == sizeof h;
}

void CWaveCapture::Write(const float* frames, int32_t count) {
  // A WAV file counts its bytes in 32 bits: beyond that (about six hours) the capture stops.
  if (!wc_file || count <= 0 || wc_frames > (UINT32_MAX - 44) / 4 - uint32_t(count)) return;
  std::vector<unsigned char> bytes(size_t(count) * 4);
  for (size_t i = 0; i < size_t(count) * 2; ++i) {
    const auto s = int16_t(std::lrint(std::clamp(frames[i], -1.0f, 1.0f) * 32767.0f));
    Put16(&bytes[2 * i], uint16_t(s));
  }
  std::fwrite(bytes.data(), 1, bytes.size(), wc_file);
  wc_frames += uint32_t(count);
}

void CWaveCapture::Close() {
  if (!wc_file) return;
  unsigned char h[44];
  Header(h, wc_frames);
  std::fseek(wc_file, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof h, wc_file);
  std::fclose(wc_file);
  wc_file = nullptr;
}

} // namespace vl
