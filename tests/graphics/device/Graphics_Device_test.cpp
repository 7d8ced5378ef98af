// The render device's logic on a recording device: the render area, the texture pool and its
// fill, blend modes, read-back clipping, the reset path and the trace texts.
#include "graphics/Function_Device.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Texture.h"
#include "tests/graphics/device/Recording_Device.h"
#include "tests/library/Function_Test_Support.h"
#include "tests/support/Test_Platform.h"
#include "world/Variable_World.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

std::vector<std::string>* TraceLines = nullptr;

class DeviceLogic : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Device(), true);
    (void)registered;
    platform.Services().sv_render = std::make_unique<TRecordingFactory>(log);
    InstallServices(&platform.Services());
    TraceLines = &traces;
    SetGraphicsTrace([](const std::string& line) { TraceLines->push_back(line); });
  }
  void TearDown() override {
    ResetGraphicsState();
    SetGraphicsTrace(nullptr);
    InstallServices(nullptr);
  }
  void Start() {
    ASSERT_TRUE(GR_D3D_Init(nullptr, 640, 480, false));
    log.calls.clear();
    log.states.clear();
    traces.clear();
  }

  TTestPlatform platform;
  RDeviceLog log;
  std::vector<std::string> traces;
};

TEST_F(DeviceLogic, CreationTracesAndSetsUpInOrder) {
  ASSERT_TRUE(GR_D3D_Init(nullptr, 640, 480, false));
  EXPECT_EQ(traces, (std::vector<std::string>{
                        "D3D Create Device :: H/W processing + D24S8 + Copy",
                        "D3D Create Device :: Success",
                        "D3D Create Device :: Clear",
                        "D3D Create Device :: Texture Init",
                        "D3D Create Device :: Settings Init",
                        "D3D Create Device :: Finished",
                    }));
  // The back buffer is the screen's size; the viewport and camera cover the render area.
  EXPECT_EQ(log.calls, (std::vector<std::string>{"backbuffer 1024x768", "clear", "viewport 640x480",
                                                 "transform", "transform", "transform"}));
  EXPECT_EQ(GameVariables().gv_displayaa, 2 | 4); // what the device accepts of 2, 4, 8, 16
}

TEST_F(DeviceLogic, EveryAttemptTracedAndTheLastFailureShowsItsCode) {
  auto factory = std::make_unique<TRecordingFactory>(log, 4);
  TRecordingFactory& attempts = *factory;
  platform.Services().sv_render = std::move(factory);
  EXPECT_FALSE(GR_D3D_Init(nullptr, 640, 480, false));
  EXPECT_EQ(traces, (std::vector<std::string>{
                        "D3D Create Device :: H/W processing + D24S8 + Copy",
                        "D3D Create Device :: H/W processing + D16 + Copy",
                        "D3D Create Device :: H/W processing + D16 + Discard",
                        "D3D Create Device :: S/W processing + D16 + Discard",
                    }));
  EXPECT_EQ(attempts.depthBits, (std::vector<int32_t>{24, 16, 16, 16}));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("D3D.CreateDevice() Error: "), std::string::npos);
  EXPECT_NE(platform.messages[0].find("(Error: 7)"), std::string::npos);
  EXPECT_FALSE(GR_D3D_Start_Frame());
}

TEST_F(DeviceLogic, DesktopDepthsWithoutA32BitFormRefuseToStart) {
  platform.mode.bits = 24; // the usual X visual: counts as 32 bits
  EXPECT_TRUE(GR_D3D_Init(nullptr, 640, 480, false));
  GR_D3D_Finish();
  platform.mode.bits = 8;
  EXPECT_FALSE(GR_D3D_Init(nullptr, 640, 480, false));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(
      platform.messages[0].rfind("This program requires 16-bit (High Color) or 32-bit (Full Color) mode.", 0),
      0u);
}

TEST_F(DeviceLogic, RenderAreaIsClampedToTheScreenAndAnUnchangedSizeSetsNothing) {
  Start();
  GR_Set_RenderArea(2000, 100);
  EXPECT_EQ(GraphicsDevice().gd_width, 1024);
  EXPECT_EQ(GraphicsDevice().gd_height, 100);
  EXPECT_EQ(log.calls,
            (std::vector<std::string>{"viewport 1024x100", "transform", "transform", "transform"}));
  log.calls.clear();
  GR_Set_RenderArea(1024, 100);
  GR_Set_RenderArea(5000, 100); // clamps to the same size
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(DeviceLogic, NewTexturesTakeTheLowestFreeSlot) {
  Start();
  EXPECT_EQ(GR_Texture_Create_Empty(8, 8, false), 0);
  EXPECT_EQ(GR_Texture_Create_Empty(8, 8, false), 1);
  EXPECT_EQ(GR_Texture_Create_Empty(8, 8, false), 2);
  GR_Texture_Free(1);
  EXPECT_FALSE(GR_Texture_Exists(1));
  EXPECT_EQ(GR_Texture_Create_Empty(8, 8, false), 1);
  EXPECT_EQ(GR_Texture_Create_Empty(8, 8, false), 3);
  EXPECT_EQ(GraphicsDevice().gd_textures.size(), 4u);
  GR_Texture_Free(17); // no such texture: nothing happens
  GR_Texture_Free(-1);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"free 2"}));
}

TEST_F(DeviceLogic, TextureTracesInTheirOrder) {
  Start();
  const int32_t id = GR_Texture_Create_Bitmap(TBitmap32(3, 2, 0xFF000000u));
  GR_Texture_Free(id);
  EXPECT_EQ(traces, (std::vector<std::string>{
                        "GR_Texture_Create_Empty :: Find an empty index",
                        "GR_Texture_Create_Empty :: Texture",
                        "GR_Texture_Create_Empty :: Found an empty index id=0",
                        "GR_Texture_Create_Empty :: Check Texture Requirements w=3 h=2",
                        "GR_Texture_Create_Empty :: D3DXCreateTexture w=4 h=2",
                        "GR_Texture_Create_Empty :: Finished",
                        "GR_Texture_Fill :: Started id=0",
                        "GR_Texture_Fill :: GetSurfaceLevel",
                        "GR_Texture_Fill :: D3DXLoadSurfaceFromMemory",
                        "GR_Texture_Fill :: Finished",
                        "GR_Texture_Free :: 0",
                        "GR_Texture_Free :: Finished",
                    }));
}

TEST_F(DeviceLogic, AnImageSmallerThanItsTextureRepeatsItsLastColumnAndRow) {
  Start();
  TBitmap32 image(33, 17);
  for (int32_t y = 0; y < 17; ++y)
    for (int32_t x = 0; x < 33; ++x) image.SetPixel(x, y, 0xFF000000u | uint32_t(y) << 8 | uint32_t(x));
  const int32_t id = GR_Texture_Create_Bitmap(image);
  ASSERT_EQ(log.loads.size(), 1u);
  const RLoad& load = log.loads[0];
  EXPECT_EQ(load.ld_w, 34);
  EXPECT_EQ(load.ld_h, 18);
  auto at = [&](int32_t x, int32_t y) { return load.ld_pixels[size_t(y * 34 + x)]; };
  for (int32_t y = 0; y < 17; ++y) EXPECT_EQ(at(33, y), image.GetPixel(32, y)) << y;
  for (int32_t x = 0; x < 33; ++x) EXPECT_EQ(at(x, 17), image.GetPixel(x, 16)) << x;
  EXPECT_EQ(at(33, 17), image.GetPixel(32, 16));
  EXPECT_EQ(at(5, 7), image.GetPixel(5, 7));
  EXPECT_DOUBLE_EQ(CallFunction("texture_get_width", {double(id)}).Real(), 33.0 / 64.0);
  EXPECT_DOUBLE_EQ(CallFunction("texture_get_height", {double(id)}).Real(), 17.0 / 32.0);
  EXPECT_DOUBLE_EQ(CallFunction("texture_get_width", {99}).Real(), 1.0);

  // A size the device accepts as it is loads without any repeated edge.
  GR_Texture_Create_Bitmap(TBitmap32(32, 16, 0xFF00FF00u));
  ASSERT_EQ(log.loads.size(), 2u);
  EXPECT_EQ(log.loads[1].ld_w, 32);
  EXPECT_EQ(log.loads[1].ld_h, 16);
  // Where only one side is short, only that side repeats.
  GR_Texture_Create_Bitmap(TBitmap32(32, 15, 0xFF00FF00u));
  EXPECT_EQ(log.loads[2].ld_w, 32);
  EXPECT_EQ(log.loads[2].ld_h, 16);
}

TEST_F(DeviceLogic, AlphaMapsBecomeWhiteTexturesWithThatAlpha) {
  Start();
  const uint8_t alpha[] = {0, 128, 255, 7};
  ASSERT_EQ(GR_Texture_Create_Alpha(2, 2, alpha), 0);
  ASSERT_EQ(log.loads.size(), 1u);
  EXPECT_EQ(log.loads[0].ld_pixels,
            (std::vector<uint32_t>{0x00FFFFFFu, 0x80FFFFFFu, 0xFFFFFFFFu, 0x07FFFFFFu}));
}

TEST_F(DeviceLogic, SpriteRecordsMakeTheirTexturesInTheDevicePool) {
  Start();
  CTexturePool& pool = TexturePool();
  const int32_t id = pool.CreateTexture(4, 4);
  EXPECT_TRUE(pool.FillTexture(id, TBitmap32(4, 4, 0xFFFFFFFFu)));
  EXPECT_FALSE(pool.FillTexture(id, TBitmap32(5, 4, 0xFFFFFFFFu))); // not the texture's size
  EXPECT_TRUE(GR_Texture_Exists(id));
  pool.FreeTexture(id);
  EXPECT_FALSE(GR_Texture_Exists(id));
  GR_D3D_Finish();
  EXPECT_EQ(TexturePool().CreateTexture(4, 4), 0); // the recording pool is back
}

TEST_F(DeviceLogic, BlendModesSetTheirFactors) {
  Start();
  struct RCase {
    int32_t mode, src, dest;
  } const cases[] = {
      {0, kBlendSrcAlpha, kBlendInvSrcAlpha},  {1, kBlendSrcAlpha, kBlendOne},
      {2, kBlendSrcAlpha, kBlendInvSrcColour}, {3, kBlendZero, kBlendInvSrcColour},
      {7, kBlendSrcAlpha, kBlendInvSrcAlpha},  {-1, kBlendSrcAlpha, kBlendInvSrcAlpha},
  };
  for (const RCase& c : cases) {
    CallFunction("draw_set_blend_mode", {double(c.mode)});
    ASSERT_FALSE(log.states.empty());
    EXPECT_EQ(log.states.back().ds_blendsrc, c.src) << c.mode;
    EXPECT_EQ(log.states.back().ds_blenddest, c.dest) << c.mode;
  }
  CallFunction("draw_set_blend_mode_ext", {9, 11});
  EXPECT_EQ(log.states.back().ds_blendsrc, 9);
  EXPECT_EQ(log.states.back().ds_blenddest, 11);
}

TEST_F(DeviceLogic, TextureStatesReachTheDeviceAndQuadsAlwaysClamp) {
  Start();
  CallFunction("texture_set_interpolation", {0});
  CallFunction("texture_set_blending", {0});
  CallFunction("texture_set_repeat", {1});
  const RDeviceStates last = log.states.back();
  EXPECT_FALSE(last.ds_linear);
  EXPECT_FALSE(last.ds_modulate);
  EXPECT_FALSE(GR_DrawStates(false).ds_repeat);
  EXPECT_TRUE(GR_DrawStates(true).ds_repeat);
  EXPECT_FALSE(last.ds_depthtest); // 2D: no depth or alpha test
  EXPECT_FALSE(last.ds_alphatest);
}

TEST_F(DeviceLogic, ReadBackClipsToTheRenderArea) {
  Start();
  struct RCase {
    int32_t x, y, w, h;
    RRect read;
  } const cases[] = {
      {-5, -5, 10, 10, {0, 0, 10, 10}},
      {635, 475, 10, 10, {635, 475, 5, 5}},
      {0, 0, 640, 480, {0, 0, 640, 480}},
  };
  for (const RCase& c : cases) {
    log.reads.clear();
    std::unique_ptr<TBitmap32> bmp = GR_Read_RenderArea(c.x, c.y, c.w, c.h);
    ASSERT_NE(bmp, nullptr);
    ASSERT_EQ(log.reads.size(), 1u);
    const RRect& r = log.reads[0];
    EXPECT_EQ((std::array{r.x, r.y, r.w, r.h}), (std::array{c.read.x, c.read.y, c.read.w, c.read.h})) << c.x;
    EXPECT_EQ(bmp->s_w, c.read.w);
  }
  EXPECT_EQ(GR_Read_RenderArea(700, 0, 5, 5), nullptr); // nothing left after the cut
  EXPECT_EQ(GR_Read_Pixel(3, 4), 0x302010u);            // 0x00BBGGRR
}

TEST_F(DeviceLogic, ResetFreesRenderTargetsKeepsTexturesAndFallsBackFromAntiAliasing) {
  Start();
  const int32_t texture = GR_Texture_Create_Empty(8, 8, false);
  const int32_t target = GR_Texture_Create_Empty(8, 8, true);
  CallFunction("display_reset", {8}); // more than the device can
  EXPECT_TRUE(GraphicsDevice().gd_resetwanted);
  log.calls.clear();
  EXPECT_TRUE(GR_D3D_Reset());
  EXPECT_TRUE(GR_Texture_Exists(texture));
  EXPECT_FALSE(GR_Texture_Exists(target));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"free 2", "backbuffer 1024x768", "reset 0",
                                                 "viewport 640x480", "clear+depth"}));
  CallFunction("display_reset", {4});
  log.calls.clear();
  GR_D3D_Reset();
  EXPECT_EQ(log.calls[1], "reset 4");
  CallFunction("display_reset", {3});
  EXPECT_EQ(GraphicsDevice().gd_aa, 0);
}

TEST_F(DeviceLogic, AResetThatFailsThreeTimesLosesTheDevice) {
  Start();
  GraphicsDevice().gd_aa = 4;
  log.resetsToFail = 3;
  EXPECT_FALSE(GR_D3D_Reset());
  EXPECT_TRUE(GraphicsDevice().gd_lost);
  EXPECT_EQ(platform.clock, 10000000); // two waits of five seconds
  // The third try went without anti-aliasing.
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "reset 4"), 2);
  EXPECT_EQ(log.calls.back(), "reset 0");
}

TEST_F(DeviceLogic, FrameCycleNeedsADevice) {
  EXPECT_FALSE(GR_D3D_Start_Frame());
  EXPECT_FALSE(GR_D3D_End_Frame());
  EXPECT_FALSE(GR_D3D_Refresh());
  Start();
  EXPECT_TRUE(GR_D3D_Start_Frame());
  EXPECT_TRUE(GR_D3D_End_Frame());
  EXPECT_TRUE(GR_D3D_Refresh());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"present", "present"}));
}

} // namespace
} // namespace vl::test
