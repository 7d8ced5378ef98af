// The golden-image comparison: tolerance, edge band, the limit on differing pixels, and the images
// written on a mismatch.
#include "graphics/Image_File.h"
#include "tests/graphics/device/Golden_Image.h"
#include "tests/support/Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vl::test {
namespace {

// A grey square on black.
TBitmap32 Square() {
  TBitmap32 bmp(12, 12, 0xFF000000u);
  for (int32_t y = 4; y < 8; ++y)
    for (int32_t x = 4; x < 8; ++x) bmp.SetPixel(x, y, 0xFF808080u);
  return bmp;
}

class GoldenCompare : public ::testing::Test {
protected:
  void SetUp() override {
    const std::vector<uint8_t> png = BitmapToPng(Square());
    std::ofstream(reference, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), long(png.size()));
  }
  ::testing::AssertionResult Compare(const TBitmap32& actual, const RGoldenCompare& compare) {
    return MatchesReference(actual, reference, dir / "out", "square", compare);
  }
  TScratchDir dir;
  std::string reference = dir / "square.png";
};

TEST_F(GoldenCompare, ToleranceEdgeBandAndDifferingLimit) {
  TBitmap32 lighter = Square();
  lighter.SetPixel(5, 5, 0xFF828080u); // 2 off in red
  EXPECT_FALSE(Compare(lighter, {1, 0, 0}));
  EXPECT_TRUE(Compare(lighter, {2, 0, 0}));
  EXPECT_TRUE(Compare(lighter, {0, 0, 1}));

  TBitmap32 shifted = Square();
  for (int32_t y = 4; y < 8; ++y) shifted.SetPixel(8, y, 0xFF808080u); // one column wider
  EXPECT_FALSE(Compare(shifted, {}));
  EXPECT_TRUE(Compare(shifted, {0, 1, 0}));
  shifted.SetPixel(0, 0, 0xFFFFFFFFu); // far from any edge
  EXPECT_FALSE(Compare(shifted, {0, 1, 0}));
}

TEST_F(GoldenCompare, AMismatchWritesTheActualAndTheDifferenceImages) {
  TBitmap32 wrong = Square();
  wrong.SetPixel(1, 2, 0xFFFFFFFFu);
  EXPECT_FALSE(Compare(wrong, {}));
  std::unique_ptr<TBitmap32> actual = LoadImageFile(dir / "out/square.actual.png");
  std::unique_ptr<TBitmap32> diff = LoadImageFile(dir / "out/square.diff.png");
  ASSERT_NE(actual, nullptr);
  ASSERT_NE(diff, nullptr);
  EXPECT_EQ(actual->GetPixel(1, 2), 0xFFFFFFFFu);
  EXPECT_NE(diff->GetPixel(1, 2), 0xFF000000u);                      // marked
  EXPECT_EQ(diff->GetPixel(5, 5), 0xFF000000u);                      // equal pixels stay black
  EXPECT_FALSE(Compare(TBitmap32(3, 3, 0xFF000000u), {0, 0, 1000})); // sizes must match
}

} // namespace
} // namespace vl::test
