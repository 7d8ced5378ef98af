// Frames of 10000 sprites of 16 x 16 from 4 textures, drawn on llvmpipe through EGL. Four objects
// at four depths draw them, so each texture's sprites are consecutive; the interleaved case
// changes texture at every sprite. Each frame ends by reading a pixel back, which waits for the
// rasterizer, so the times are whole frames. Counters: frames per second and draw calls per frame.
#include "graphics/Graphics_Matrix.h"
#include "platform/Platform_Gl.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

using namespace vl;

namespace {

constexpr int32_t kSprites = 10000, kTextures = 4, kWidth = 800, kHeight = 600;

// The same code generation on every CPU, as in the tests.
[[maybe_unused]] const bool kPinned = [] {
  setenv("LP_NATIVE_VECTOR_WIDTH", "128", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  return true;
}();

void Frames(benchmark::State& state, bool batching, bool interleaved) {
  int32_t error = 0;
  std::unique_ptr<TRenderDevice> device = CreateEglRenderFactory()->CreateDevice(nullptr, {24}, error);
  uint32_t probe = 0;
  if (!device || !device->SetBackBuffer(kWidth, kHeight) || !device->ReadBack(0, 0, 1, 1, &probe)) {
    state.SkipWithError("no OpenGL 3.3 core context through EGL");
    return;
  }
  device->SetViewport({0, 0, kWidth, kHeight});
  const RMatrix view =
      MatrixLookAtLH({kWidth / 2.0f, kHeight / 2.0f, -16000}, {kWidth / 2.0f, kHeight / 2.0f, 0}, {0, 1, 0});
  const RMatrix projection = MatrixOrthoLH(kWidth, -kHeight, 1, 32000);
  device->SetTransform(TTransform::View, view.data());
  device->SetTransform(TTransform::Projection, projection.data());
  device->SetBatching(batching);
  RDeviceStates states;
  states.ds_linear = false;
  device->SetStates(states);
  TTextureHandle textures[kTextures];
  for (int32_t t = 0; t < kTextures; ++t) {
    textures[t] = device->CreateTexture(16, 16, false);
    const std::vector<uint32_t> pixels(256, 0xFF000000u | uint32_t(0x3F << (t * 6)));
    device->LoadTexture(textures[t], 0, 0, 16, 16, pixels.data());
  }
  // Sprite i of texture t; positions spread over the area, in drawing order.
  std::vector<RVertex> quads(size_t(kSprites) * 6);
  for (int32_t i = 0; i < kSprites; ++i) {
    const float x = float((i * 37) % (kWidth - 16)) - 0.5f, y = float((i * 53) % (kHeight - 16)) - 0.5f;
    const RVertex corners[6] = {
        {x, y, 0, 0, 0, 0, 0xFFFFFFFFu, 0, 0},           {x + 16, y, 0, 0, 0, 0, 0xFFFFFFFFu, 1, 0},
        {x, y + 16, 0, 0, 0, 0, 0xFFFFFFFFu, 0, 1},      {x + 16, y, 0, 0, 0, 0, 0xFFFFFFFFu, 1, 0},
        {x + 16, y + 16, 0, 0, 0, 0, 0xFFFFFFFFu, 1, 1}, {x, y + 16, 0, 0, 0, 0, 0xFFFFFFFFu, 0, 1}};
    std::copy(corners, corners + 6, quads.begin() + i * 6);
  }
  const int64_t callsBefore = device->Stats().st_drawcalls;
  for (auto _ : state) {
    device->Clear(0xFF000000u, false);
    for (int32_t i = 0; i < kSprites; ++i) {
      const int32_t t = interleaved ? i % kTextures : i / (kSprites / kTextures);
      device->SetTexture(textures[t]);
      device->Draw(TPrimitive::TriangleList, quads.data() + i * 6, 6);
    }
    device->ReadBack(0, 0, 1, 1, &probe);
    benchmark::DoNotOptimize(probe);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["drawcalls"] =
      double(device->Stats().st_drawcalls - callsBefore) / double(std::max<int64_t>(state.iterations(), 1));
}

void BM_SpritesBatched(benchmark::State& state) {
  Frames(state, true, false);
}
void BM_SpritesOneCallEach(benchmark::State& state) {
  Frames(state, false, false);
}
void BM_SpritesInterleavedBatched(benchmark::State& state) {
  Frames(state, true, true);
}

} // namespace

BENCHMARK(BM_SpritesBatched)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpritesOneCallEach)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpritesInterleavedBatched)->Unit(benchmark::kMillisecond)->UseRealTime();
