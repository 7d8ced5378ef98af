// Precise collision tests of two 64 x 64 sprites (a disk each), unrotated and rotated by 30 degrees
// at scale 1.5, for boxes that overlap where the disks miss (the whole overlap is scanned) and for
// disks that meet; loading a GIF of 100 frames of 128 x 128 as a sprite; and the precise masks of
// 32 frames of 256 x 256, separate and merged into one.
#include "data/Sprite_Class.h"
#include "tests/support/Test_Images.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <fstream>

using namespace vl;

namespace {

TBitmap32 Disk(int32_t size) {
  TBitmap32 bmp(size, size);
  const double c = (size - 1) / 2.0, r = size / 2.0;
  for (int32_t y = 0; y < size; ++y)
    for (int32_t x = 0; x < size; ++x)
      if ((x - c) * (x - c) + (y - c) * (y - c) < r * r) bmp.SetPixel(x, y, 0xFF00FF00u);
  return bmp;
}

// A sprite with its origin in the middle and the instance's room box for a placement.
struct RBenchSprite {
  CSprite sb_sprite;
  RBenchSprite() {
    sb_sprite.i_bitmap.push_back(Disk(64));
    sb_sprite.i_xorig = sb_sprite.i_yorig = 32;
    sb_sprite.ComputeMask(false, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
  }
  RSpritePlace Place(int32_t x, int32_t y, double scale, double angle) const {
    // The box of the rotated, scaled frame, as the instance keeps it.
    const double half =
        32 * scale * (std::abs(std::cos(angle * M_PI / 180)) + std::abs(std::sin(angle * M_PI / 180)));
    const int32_t h = int32_t(std::ceil(half));
    return {0, {x - h, y - h, x + h, y + h}, x, y, scale, scale, angle};
  }
};

void Collide(benchmark::State& state, double scale, double angle, int32_t distance) {
  const RBenchSprite s;
  const RSpritePlace a = s.Place(100, 100, scale, angle);
  const RSpritePlace b = s.Place(100 + distance, 100 + distance, scale, angle);
  bool hit = false;
  for (auto _ : state) {
    hit = s.sb_sprite.CheckCollision(a, &s.sb_sprite, b);
    benchmark::DoNotOptimize(hit);
  }
  state.SetLabel(hit ? "hit" : "miss");
}

// Diagonal neighbours whose boxes overlap by a quarter of a side while the disks stay apart.
void BM_Collision64_Plain_Miss(benchmark::State& state) {
  Collide(state, 1, 0, 48);
}
void BM_Collision64_Plain_Hit(benchmark::State& state) {
  Collide(state, 1, 0, 40);
}
void BM_Collision64_Rotated30Scale15_Miss(benchmark::State& state) {
  Collide(state, 1.5, 30, 72);
}
void BM_Collision64_Rotated30Scale15_Hit(benchmark::State& state) {
  Collide(state, 1.5, 30, 60);
}

void BM_LoadGif100Frames(benchmark::State& state) {
  std::vector<test::RGifFrame> frames;
  for (int i = 0; i < 100; ++i) {
    test::RGifFrame f{i % 64, 0, 64, 128, std::vector<uint8_t>(64 * 128), 0, i % 2 ? DISPOSE_DO_NOT : 0};
    for (size_t p = 0; p < f.pixels.size(); ++p) f.pixels[p] = uint8_t((p / 7 + size_t(i)) % 4);
    frames.push_back(std::move(f));
  }
  const std::vector<uint8_t> gif = test::WriteGif(128, 128, frames);
  const std::string file = (std::filesystem::temp_directory_path() / "vl_images_bench.gif").string();
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(gif.data()), long(gif.size()));
  for (auto _ : state) {
    CSprite spr;
    if (!spr.LoadFromFile(file, 1, true, false, 0, 0)) state.SkipWithError("not loaded");
    benchmark::DoNotOptimize(spr.i_mask.data());
  }
  std::filesystem::remove(file);
  state.SetLabel(std::to_string(gif.size()) + " bytes");
}

void MasksOfAStrip(benchmark::State& state, bool sepmasks) {
  CSprite spr;
  const TBitmap32 disk = Disk(256);
  for (int i = 0; i < 32; ++i) spr.i_bitmap.push_back(disk);
  for (auto _ : state) {
    spr.ComputeMask(sepmasks, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
    benchmark::DoNotOptimize(spr.i_mask.data());
  }
}
void BM_PreciseMasks32x256_Separate(benchmark::State& state) {
  MasksOfAStrip(state, true);
}
void BM_PreciseMasks32x256_Merged(benchmark::State& state) {
  MasksOfAStrip(state, false);
}

} // namespace

BENCHMARK(BM_Collision64_Plain_Miss);
BENCHMARK(BM_Collision64_Plain_Hit);
BENCHMARK(BM_Collision64_Rotated30Scale15_Miss);
BENCHMARK(BM_Collision64_Rotated30Scale15_Hit);
BENCHMARK(BM_LoadGif100Frames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseMasks32x256_Separate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseMasks32x256_Merged)->Unit(benchmark::kMillisecond);
