#include "sound/Sound_Decode.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <sndfile.h>
#include <speex/speex_resampler.h>

namespace vl {

namespace {

// libsndfile reads from memory through these callbacks.
struct RMemoryFile {
  std::string_view mf_bytes;
  sf_count_t mf_pos = 0;
};

sf_count_t MemLength(void* user) {
  return sf_count_t(static_cast<RMemoryFile*>(user)->mf_bytes.size());
}

sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<RMemoryFile*>(user);
  const sf_count_t size = sf_count_t(f->mf_bytes.size());
  sf_count_t pos = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f->mf_pos + offset : size + offset;
  f->mf_pos = std::clamp<sf_count_t>(pos, 0, size);
  return f->mf_pos;
}

sf_count_t MemRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<RMemoryFile*>(user);
  const sf_count_t n = std::clamp<sf_count_t>(sf_count_t(f->mf_bytes.size()) - f->mf_pos, 0, count);
  std::memcpy(ptr, f->mf_bytes.data() + f->mf_pos, size_t(n));
  f->mf_pos += n;
  return n;
}

sf_count_t MemWrite(const void*, sf_count_t, void*) {
  return 0;
}

sf_count_t MemTell(void* user) {
  return static_cast<RMemoryFile*>(user)->mf_pos;
}

// Longer sounds than this (about an hour of stereo at the mix rate) are refused, so that a hostile
// header cannot ask for unbounded memory.
constexpr sf_count_t kMaxFrames = sf_count_t(kMixRate) * 3600;

bool Resample(std::vector<float>& stereo, int32_t rate) {
  if (rate == kMixRate) return true;
  int err = 0;
  SpeexResamplerState* st = speex_resampler_init(2, spx_uint32_t(rate), kMixRate, 5, &err);
  if (!st) return false;
  const size_t in_frames = stereo.size() / 2;
  const size_t out_cap = size_t(double(in_frames) * kMixRate / rate) + 64;
  std::vector<float> out(out_cap * 2);
  spx_uint32_t in_len = spx_uint32_t(in_frames), out_len = spx_uint32_t(out_cap);
  speex_resampler_process_interleaved_float(st, stereo.data(), &in_len, out.data(), &out_len);
  // Flush the filter's delay line with silence so the end of the sound is not cut.
  const int32_t latency = speex_resampler_get_output_latency(st);
  std::vector<float> zeros(size_t(speex_resampler_get_input_latency(st)) * 2 + 2, 0.0f);
  spx_uint32_t zin = spx_uint32_t(zeros.size() / 2), zout = spx_uint32_t(out_cap) - out_len;
  speex_resampler_process_interleaved_float(st, zeros.data(), &zin, out.data() + size_t(out_len) * 2, &zout);
  speex_resampler_destroy(st);
  size_t total = size_t(out_len) + zout;
  // Drop the leading delay so that the sound starts where it starts.
  const size_t skip = std::min(size_t(std::max(latency, 0)), total);
  const size_t want = std::min(total - skip, size_t(double(in_frames) * kMixRate / rate + 0.5));
  stereo.assign(out.begin() + std::ptrdiff_t(skip * 2), out.begin() + std::ptrdiff_t((skip + want) * 2));
  return true;
}

} // namespace

bool IsMidi(std::string_view bytes) {
  return bytes.size() >= 14 && bytes.substr(0, 4) == "MThd";
}

bool IsWave(std::string_view bytes) {
  return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE";
}

bool DecodeAudio(std::string_view bytes, RPcm& out) {
  out.pc_samples.clear();
  RMemoryFile file{bytes};
  SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
  SF_INFO info{};
  SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (!sf) return false;
  const bool sane = info.channels >= 1 && info.channels <= 16 && info.samplerate >= 1000 &&
                    info.samplerate <= 384000 && info.frames >= 0 && info.frames <= kMaxFrames;
  if (!sane) {
    sf_close(sf);
    return false;
  }
  const auto channels = size_t(info.channels);
  std::vector<float> block(4096 * channels);
  std::vector<float>& stereo = out.pc_samples;
  stereo.reserve(size_t(info.frames) * 2);
  for (;;) {
    const sf_count_t n = sf_readf_float(sf, block.data(), 4096);
    if (n <= 0) break;
    for (sf_count_t i = 0; i < n; ++i) {
      const float* f = &block[size_t(i) * channels];
      stereo.push_back(f[0]);
      stereo.push_back(channels > 1 ? f[1] : f[0]);
    }
    if (sf_count_t(stereo.size() / 2) > kMaxFrames) break;
  }
  sf_close(sf);
  return Resample(stereo, info.samplerate);
}

} // namespace vl
