// The render device on OpenGL through EGL (llvmpipe): what lands on which pixel, blending, the
// opaque back buffer, batching, and the exact golden image of textured quads.
#include "graphics/Graphics_Device.h"
#include "platform/Platform_Gl.h"
#include "tests/graphics/device/Golden_Image.h"
#include "tests/support/Test_Platform.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace vl::test {
namespace {

class GlDevice : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // The same code generation on every CPU, so that images compare exactly.
    setenv("LP_NATIVE_VECTOR_WIDTH", "128", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
  }
  void SetUp() override {
    platform.Services().sv_render = CreateEglRenderFactory();
    InstallServices(&platform.Services());
    ASSERT_TRUE(GR_D3D_Init(nullptr, 640, 480, false));
    ASSERT_NE(GR_Read_Whole(), nullptr) << "no OpenGL 3.3 core context through EGL";
    device = GR_Device();
  }
  void TearDown() override {
    ResetGraphicsState();
    InstallServices(nullptr);
  }

  // A quad of the texture's image size with its top-left pixel at (x, y), as sprites are drawn.
  void Quad(int32_t id, float x, float y, uint32_t colour = 0xFFFFFFFFu) {
    const RTexture& t = GraphicsDevice().gd_textures[size_t(id)];
    const float u = float(t.w) / float(t.wt), v = float(t.h) / float(t.ht);
    const float x0 = x - 0.5f, y0 = y - 0.5f, x1 = x0 + float(t.w), y1 = y0 + float(t.h);
    const RVertex q[6] = {
        {x0, y0, 0, 0, 0, 0, colour, 0, 0}, {x1, y0, 0, 0, 0, 0, colour, u, 0},
        {x0, y1, 0, 0, 0, 0, colour, 0, v}, {x1, y0, 0, 0, 0, 0, colour, u, 0},
        {x1, y1, 0, 0, 0, 0, colour, u, v}, {x0, y1, 0, 0, 0, 0, colour, 0, v},
    };
    GR_Texture_Set(id);
    device->SetStates(GR_DrawStates(false));
    device->Draw(TPrimitive::TriangleList, q, 6);
  }
  // A plain rectangle covering the pixels (x, y) to (x + w - 1, y + h - 1).
  void Rectangle(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    GR_Texture_Set(-1);
    const float x0 = float(x) - 0.5f, y0 = float(y) - 0.5f, x1 = x0 + float(w), y1 = y0 + float(h);
    const RVertex q[6] = {
        {x0, y0, 0, 0, 0, 0, colour}, {x1, y0, 0, 0, 0, 0, colour}, {x0, y1, 0, 0, 0, 0, colour},
        {x1, y0, 0, 0, 0, 0, colour}, {x1, y1, 0, 0, 0, 0, colour}, {x0, y1, 0, 0, 0, 0, colour},
    };
    device->SetStates(GR_DrawStates(false));
    device->Draw(TPrimitive::TriangleList, q, 6);
  }

  TTestPlatform platform;
  TRenderDevice* device = nullptr;
};

TBitmap32 Checker() {
  TBitmap32 bmp(4, 4);
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) bmp.SetPixel(x, y, colours[(x + y) % 4] - uint32_t(x * 16 + y));
  return bmp;
}

TEST_F(GlDevice, TexelsLandOnPixelsAndReadBackStartsAtTheTopRow) {
  GR_Set_RenderArea(48, 32);
  GR_Set_Interpolation(false);
  device->Clear(0xFF203040u, false);
  const TBitmap32 checker = Checker();
  const int32_t id = GR_Texture_Create_Bitmap(checker);
  Quad(id, 2, 3);
  std::unique_ptr<TBitmap32> shot = GR_Read_Whole();
  ASSERT_NE(shot, nullptr);
  ASSERT_EQ(shot->s_w, 48);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(shot->GetPixel(2 + x, 3 + y), checker.GetPixel(x, y)) << x << "," << y;
  for (auto [x, y] : {std::pair{1, 3}, {6, 3}, {2, 2}, {2, 7}}) EXPECT_EQ(shot->GetPixel(x, y), 0xFF203040u);
  EXPECT_EQ(GR_Read_Pixel(2, 3), 0x0000FFu); // red as 0x00BBGGRR
}

TEST_F(GlDevice, TheBackBufferStaysOpaqueAndBlendModesAddAndSubtract) {
  GR_Set_RenderArea(16, 16);
  device->Clear(0xFF404040u, false);
  Rectangle(0, 0, 8, 8, 0x80FF0000u); // half-transparent red, normal blending
  GR_Set_BlendMode(1);                // add
  Rectangle(8, 0, 8, 8, 0xFF202020u);
  GR_Set_BlendMode(3); // subtract: dest × (1 − source colour)
  Rectangle(0, 8, 8, 8, 0xFF808080u);
  GR_Set_BlendMode(0);
  std::unique_ptr<TBitmap32> shot = GR_Read_Whole();
  ASSERT_NE(shot, nullptr);
  auto near = [](uint32_t actual, uint32_t expected) {
    for (int shift = 0; shift < 32; shift += 8)
      if (std::abs(int32_t(actual >> shift & 255) - int32_t(expected >> shift & 255)) > 1) return false;
    return true;
  };
  EXPECT_PRED2(near, shot->GetPixel(3, 3), 0xFFA02020u); // alpha stays 255 however the source blends
  EXPECT_PRED2(near, shot->GetPixel(12, 3), 0xFF606060u);
  EXPECT_PRED2(near, shot->GetPixel(3, 12), 0xFF202020u);
  EXPECT_EQ(shot->GetPixel(12, 12), 0xFF404040u);
}

TEST_F(GlDevice, QuadsOfOneTextureAreOneDrawCall) {
  GR_Set_RenderArea(64, 64);
  const int32_t a = GR_Texture_Create_Bitmap(Checker());
  const int32_t b = GR_Texture_Create_Bitmap(TBitmap32(2, 2, 0xFFFFFFFFu));
  const int64_t before = device->Stats().st_drawcalls;
  for (int32_t i = 0; i < 50; ++i) Quad(a, float(i % 60), float(i / 8));
  for (int32_t i = 0; i < 50; ++i) Quad(b, float(i % 60), 40);
  ASSERT_NE(GR_Read_Whole(), nullptr); // reading flushes
  EXPECT_EQ(device->Stats().st_drawcalls - before, 2);
  // Alternating textures cannot batch.
  for (int32_t i = 0; i < 10; ++i) Quad(i % 2 ? a : b, float(i), 50);
  ASSERT_NE(GR_Read_Whole(), nullptr);
  EXPECT_EQ(device->Stats().st_drawcalls - before, 12);
}

// Integer and half positions, nearest filtering, a texture with see-through pixels whose size is
// not a power of two: exact on a pinned llvmpipe.
TEST_F(GlDevice, GoldenTexturedQuadsAtIntegerAndHalfPositions) {
  GR_Set_RenderArea(48, 32);
  GR_Set_Interpolation(false);
  device->Clear(0xFF203040u, false);
  const int32_t checker = GR_Texture_Create_Bitmap(Checker());
  TBitmap32 holes(3, 2, 0xFFE0E0E0u);
  holes.SetPixel(1, 0, 0x00FFFFFFu);
  holes.SetPixel(2, 1, 0x00000000u);
  const int32_t hole = GR_Texture_Create_Bitmap(holes);
  Quad(checker, 2, 2);
  Quad(checker, 10.5f, 2);
  Quad(checker, 2, 10.5f);
  Quad(checker, 18.5f, 10.5f);
  Quad(hole, 30, 4);
  Quad(hole, 30.5f, 12.5f);
  std::unique_ptr<TBitmap32> shot = GR_Read_Whole();
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->GetPixel(31, 4), 0xFF203040u); // see-through
  EXPECT_EQ(shot->GetPixel(30, 4), 0xFFE0E0E0u);
  EXPECT_TRUE(MatchesGolden(*shot, "quads_nearest"));
}

} // namespace
} // namespace vl::test
