#include "data/Game_Settings.h"
#include "data/Support_Stream.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

// A settings block written field by field, up to and including field 24 (show the progress bar).
CStream HandWrittenHead(bool showProgress) {
  CStream s;
  for (int i = 0; i < 4; ++i) s.WriteBoolean(false);
  s.WriteInteger(100);
  s.WriteBoolean(false), s.WriteBoolean(false);
  s.WriteInteger(0xFFFFFF);
  s.WriteBoolean(false);
  s.WriteInteger(0), s.WriteInteger(0), s.WriteInteger(0);
  for (int i = 0; i < 9; ++i) s.WriteBoolean(true);
  s.WriteInteger(0);
  s.WriteBoolean(false);
  s.WriteBoolean(showProgress);
  return s;
}

CStream Wrap(const CStream& block, int32_t version = kSettingsVersion) {
  CStream s;
  s.WriteInteger(version);
  s.WriteStreamC(block);
  s.Seek(0);
  return s;
}

TEST(GameSettings, InitialValues) {
  const RGameSettings s;
  EXPECT_TRUE(s.gs_showcursor);
  EXPECT_EQ(s.gs_scaling, 100);
  EXPECT_EQ(s.gs_windowcolor, 0xFFFFFF);
  EXPECT_TRUE(s.gs_noscreensaver);
  EXPECT_TRUE(s.gs_showprogress);
  EXPECT_EQ(s.gs_loadalpha, 255);
  EXPECT_TRUE(s.gs_scaleprogress);
  EXPECT_TRUE(s.gs_displayerrors);
  EXPECT_FALSE(s.gs_variableerrors);
  EXPECT_TRUE(s.gs_argumenterrors);
}

TEST(GameSettings, NoBarImagesWithoutTheProgressBar) {
  CStream block = HandWrittenHead(false);
  TBitmap32 load(2, 2, 0xFF00FF00);
  block.WriteBitmap(&load); // field 25 follows field 24 directly
  block.WriteBoolean(true);
  block.WriteInteger(200);
  block.WriteBoolean(false);
  block.WriteBoolean(false), block.WriteBoolean(true), block.WriteBoolean(true);
  block.WriteInteger(1);
  CStream s = Wrap(block);
  RGameSettings settings;
  ASSERT_TRUE(Settings_Load(s, settings));
  EXPECT_FALSE(settings.gs_showprogress);
  EXPECT_FALSE(settings.gs_backimage);
  ASSERT_TRUE(settings.gs_loadimage);
  EXPECT_EQ(settings.gs_loadimage->s_w, 2);
  EXPECT_TRUE(settings.gs_loadtransparent);
  EXPECT_EQ(settings.gs_loadalpha, 200);
  EXPECT_FALSE(settings.gs_scaleprogress);
  EXPECT_FALSE(settings.gs_displayerrors);
  EXPECT_TRUE(settings.gs_aborterrors);
}

TEST(GameSettings, CodeOptionBits) {
  struct RCase {
    int32_t options;
    bool uninitializedAsZero, argumentErrors;
  };
  for (RCase c : {RCase{0, false, false}, RCase{1, true, false}, RCase{2, false, true}, RCase{3, true, true},
                  RCase{-4, false, false}, RCase{0x7FFFFFFE, false, true}}) {
    CStream block = HandWrittenHead(true);
    block.WriteBitmap(nullptr), block.WriteBitmap(nullptr), block.WriteBitmap(nullptr);
    block.WriteBoolean(false), block.WriteInteger(255), block.WriteBoolean(true);
    block.WriteBoolean(true), block.WriteBoolean(false), block.WriteBoolean(false);
    block.WriteInteger(c.options);
    CStream s = Wrap(block);
    RGameSettings out;
    ASSERT_TRUE(Settings_Load(s, out));
    EXPECT_EQ(out.gs_variableerrors, c.uninitializedAsZero) << c.options;
    EXPECT_EQ(out.gs_argumenterrors, c.argumentErrors) << c.options;
  }
}

TEST(GameSettings, WriteThenLoadKeepsEveryField) {
  RGameSettings in;
  in.gs_fullscreen = in.gs_interpolate = in.gs_noborder = in.gs_sizeable = in.gs_freeze = true;
  in.gs_showcursor = in.gs_helpkey = in.gs_closeesc = false;
  in.gs_scaling = 0, in.gs_colordepth = 2, in.gs_resolution = 6, in.gs_frequency = 5, in.gs_priority = 2;
  in.gs_backimage = std::make_unique<TBitmap32>(3, 1, 0xFF0000FF);
  in.gs_frontimage = std::make_unique<TBitmap32>(1, 3, 0x80FF0000);
  CStream s;
  Settings_Write(s, in);
  s.Seek(0);
  RGameSettings out;
  ASSERT_TRUE(Settings_Load(s, out));
  EXPECT_TRUE(out.gs_fullscreen && out.gs_interpolate && out.gs_noborder && out.gs_sizeable && out.gs_freeze);
  EXPECT_FALSE(out.gs_showcursor || out.gs_helpkey || out.gs_closeesc);
  EXPECT_EQ(out.gs_scaling, 0);
  EXPECT_EQ(out.gs_resolution, 6);
  EXPECT_EQ(out.gs_priority, 2);
  ASSERT_TRUE(out.gs_backimage && out.gs_frontimage);
  EXPECT_EQ(out.gs_frontimage->s_data, in.gs_frontimage->s_data);
  EXPECT_FALSE(out.gs_loadimage);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(GameSettings, WrongVersionAndResetBeforeReading) {
  RGameSettings settings;
  settings.gs_scaling = 7;
  CStream s = Wrap(HandWrittenHead(true), 799);
  EXPECT_FALSE(Settings_Load(s, settings));
  EXPECT_EQ(settings.gs_scaling, 100);
  CStream truncated = Wrap(HandWrittenHead(true)); // the block ends after field 24
  EXPECT_THROW(Settings_Load(truncated, settings), EStreamError);
}

} // namespace
} // namespace vl
