#include "data/Background_Class.h"
#include "data/Image_Record.h"
#include "data/Support_Stream.h"
#include "tests/support/Test_Support.h"

#include <fstream>
#include <gtest/gtest.h>

namespace vl {
namespace {

class Backgrounds_ : public ::testing::Test {
protected:
  void SetUp() override { Backgrounds().ClearAll(); }
  void TearDown() override { Backgrounds().ClearAll(); }
  test::TScratchDir dir;
};

TEST_F(Backgrounds_, RecordRoundTripsAndRefusesAnotherVersion) {
  CBackground back;
  back.i_bitmap = TBitmap32(3, 2, 0x80102030u);
  CStream s;
  back.SaveToStream(s);
  s.Seek(0);
  CBackground read;
  ASSERT_TRUE(read.LoadFromStream(s));
  EXPECT_EQ(read.i_bitmap.s_data, back.i_bitmap.s_data);
  EXPECT_EQ(read.GetTexture(), -1); // textures are made at start-up
  CStream old;
  old.WriteInteger(800);
  old.Seek(0);
  EXPECT_FALSE(read.LoadFromStream(old));
}

TEST_F(Backgrounds_, BackgroundFilesSkipTheirSettings) {
  auto write = [&](const std::string& name, int32_t version) {
    CStream body;
    body.WriteInteger(version);
    body.WriteBoolean(true);
    for (int i = 0; i < 6; ++i) body.WriteInteger(99);
    TBitmap32 bmp(2, 1);
    bmp.s_data = {0xFF445566u, 0};
    SaveBitmapRecord(body, bmp);
    CStream file;
    file.WriteInteger(kImageFileMark);
    file.WriteStreamC(body);
    file.SaveToFile(dir / name);
  };
  write("good.vlbck", 710);
  write("old.vlbck", 800);
  CBackground back;
  ASSERT_TRUE(back.LoadFromBackgroundFile(dir / "good.vlbck"));
  EXPECT_EQ(back.i_bitmap.s_data, (std::vector<uint32_t>{0xFF445566u, 0x00445566u}));
  EXPECT_GE(back.GetTexture(), 0);
  EXPECT_FALSE(back.LoadFromBackgroundFile(dir / "old.vlbck"));
  EXPECT_FALSE(back.LoadFromBackgroundFile(dir / "missing.vlbck"));
}

TEST_F(Backgrounds_, ColoursGradientsAndAlpha) {
  CBackground back;
  back.CreateColor(2, 1, 0x0000FF);
  EXPECT_EQ(back.i_bitmap.s_data, std::vector<uint32_t>(2, 0xFFFF0000u));
  back.CreateGradient(4, 1, 0x000000, 0x0000FF, 0);
  EXPECT_EQ(back.i_bitmap.GetPixel(2, 0), 0xFF800000u);
  CBackground light;
  light.CreateColor(1, 1, 0x030609);
  back.SetAlphaFromBackground(light);
  EXPECT_EQ(back.i_bitmap.s_data[0], 0x06000000u);
  EXPECT_EQ(back.i_bitmap.s_data[1] >> 24, 0xFFu);
}

TEST_F(Backgrounds_, AddingFromAMissingImageLeavesTheTable) {
  CBackgroundTable& table = Backgrounds();
  auto load = [&](const std::string& name) {
    return [&, name](CBackground& b) { return b.LoadFromFile(dir / name, false, false); };
  };
  EXPECT_EQ(table.AddLoaded(load("missing.png")), -1);
  EXPECT_EQ(table.Count(), 0);
  const std::vector<uint8_t> png = BitmapToPng(TBitmap32(3, 3, 0xFF0000FFu));
  std::ofstream(dir / "blue.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), long(png.size()));
  EXPECT_EQ(table.AddLoaded(load("blue.png")), 0);
  EXPECT_EQ(table.Name(0), "__newbackground0");
  EXPECT_EQ(table.Get(0)->GetWidth(), 3);
}

} // namespace
} // namespace vl
