// 64 instances of a 44.1 kHz sound playing at once (8 sounds, 8 instances each), every sound's path
// fading all the time, mixed in blocks of 1024 frames as the output pulls them. "core_percent" is
// the share of one core the mixer needs to keep up in real time.
#include "sound/Sound_Play.h"
#include "tests/support/Test_Sounds.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

using namespace vl;

void BM_Mix64Instances(benchmark::State& state) {
  CSoundLayer& layer = SoundLayer();
  layer.Shutdown();
  layer.Initialise();
  std::vector<int16_t> tone(44100 * 2 * 10);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t((i * 37) % 2000 - 1000);
  const std::string wave = test::WaveBytes(tone);
  std::vector<int32_t> ids;
  for (int s = 0; s < 8; ++s) {
    ids.push_back(layer.LoadFromMemory(wave, 0));
    for (int k = 0; k < 8; ++k) layer.Play(ids.back(), true);
  }
  constexpr int32_t kBlock = 1024;
  std::vector<float> out(2 * kBlock);
  int64_t blocks = 0;
  for (auto _ : state) {
    // A new fade on every path every block keeps every gain moving.
    for (size_t s = 0; s < ids.size(); ++s)
      layer.SetVolume(ids[s], 20, (blocks + int64_t(s)) % 2 ? 0.9 : 0.7);
    layer.Mixer().Fill(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    ++blocks;
  }
  const double seconds_of_sound = double(blocks) * kBlock / 44100.0;
  // Processor seconds per hundredth of the sound's duration.
  state.counters["core_percent"] =
      benchmark::Counter(seconds_of_sound / 100, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  layer.Shutdown();
}
BENCHMARK(BM_Mix64Instances);

} // namespace
