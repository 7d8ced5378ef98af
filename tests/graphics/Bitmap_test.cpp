#include "graphics/BM32_Bitmap.h"
#include "tests/support/Test_Support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <random>
#include <zlib.h>

namespace vl {
namespace {

// libpng's reading of our PNG bytes, as 0xAARRGGBB pixels.
TBitmap32 DecodeWithLibpng(const std::vector<uint8_t>& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << image.message;
  image.format = PNG_FORMAT_BGRA;
  TBitmap32 bmp(int32_t(image.width), int32_t(image.height));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, bmp.s_data.data(), 0, nullptr)) << image.message;
  return bmp;
}

uint32_t Be32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

TEST(Bitmap, PngDecodesBackToTheSamePixels) {
  std::mt19937 random(7);
  TBitmap32 noisy(13, 5);
  for (uint32_t& px : noisy.s_data) px = random();
  for (const TBitmap32& bmp : {TBitmap32(1, 1, 0x80FF0000u), noisy, TBitmap32(300, 2, 0x00000000u)}) {
    const TBitmap32 back = DecodeWithLibpng(BitmapToPng(bmp));
    EXPECT_EQ(back.s_w, bmp.s_w);
    EXPECT_EQ(back.s_h, bmp.s_h);
    EXPECT_EQ(back.s_data, bmp.s_data);
  }
}

TEST(Bitmap, PngHasHeaderOneDataChunkAndEndWithTheirChecksums) {
  TBitmap32 bmp(3, 2, 0xFF102030u);
  const std::vector<uint8_t> png = BitmapToPng(bmp);
  const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  std::vector<std::string> types;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = Be32(&png[at]);
    types.emplace_back(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
    const uint32_t crc = uint32_t(crc32(0, &png[at + 4], uInt(length + 4)));
    EXPECT_EQ(Be32(&png[at + 8 + length]), crc) << types.back();
    if (types.back() == "IHDR") {
      ASSERT_EQ(length, 13u);
      EXPECT_EQ(Be32(&png[at + 8]), 3u);
      EXPECT_EQ(Be32(&png[at + 12]), 2u);
      EXPECT_EQ(std::vector<uint8_t>(png.begin() + long(at) + 16, png.begin() + long(at) + 21),
                (std::vector<uint8_t>{8, 6, 0, 0, 0}));
    }
    if (types.back() == "IDAT") {
      // Rows with filter byte 0 and the bytes red, green, blue, alpha.
      std::vector<uint8_t> raw(2 * (1 + 3 * 4));
      uLongf size = uLongf(raw.size());
      ASSERT_EQ(uncompress(raw.data(), &size, &png[at + 8], length), Z_OK);
      EXPECT_EQ(std::vector<uint8_t>(raw.begin(), raw.begin() + 5),
                (std::vector<uint8_t>{0, 0x10, 0x20, 0x30, 0xFF}));
    }
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

TEST(Bitmap, SaveToImageFileWritesPngWhateverTheExtension) {
  const test::TScratchDir dir;
  TBitmap32 bmp(2, 2, 0x7F00FF00u);
  const std::string file = dir / "picture.bmp";
  ASSERT_TRUE(bmp.SaveToImageFile(file));
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, BitmapToPng(bmp));
  EXPECT_FALSE(bmp.SaveToImageFile(dir / "missing/x.png"));
}

TEST(Bitmap, StretchSamplesNearestAndAveragesWithQuality) {
  TBitmap32 two(2, 1);
  two.s_data = {0xFF112233u, 0x00445566u};
  two.Stretch(4, 1, 1);
  EXPECT_EQ(two.s_data, (std::vector<uint32_t>{0xFF112233u, 0xFF112233u, 0, 0}));

  // Four samples of white and black average to 127.5 per channel, rounded to even.
  TBitmap32 pair(2, 1);
  pair.s_data = {0xFFFFFFFFu, 0xFF000000u};
  pair.Stretch(1, 1, 2);
  EXPECT_EQ(pair.s_data, (std::vector<uint32_t>{0xFF808080u}));

  // A transparent sample lowers alpha and darkens alike.
  TBitmap32 half(2, 1);
  half.s_data = {0xFFC8C8C8u, 0x00FFFFFFu};
  half.Stretch(1, 1, 2);
  EXPECT_EQ(half.s_data, (std::vector<uint32_t>{0x80646464u}));

  TBitmap32 empty;
  empty.Stretch(4, 4, 1);
  EXPECT_TRUE(empty.Empty());
  EXPECT_TRUE(empty.s_data.empty());

  TBitmap32 same(3, 3, 5);
  same.Stretch(0, 3, 1);
  same.Stretch(3, 3, 1);
  EXPECT_EQ(same.s_data, std::vector<uint32_t>(9, 5));
}

TEST(Bitmap, StretchShrinksByNearestPixel) {
  TBitmap32 row(5, 1);
  for (int32_t x = 0; x < 5; ++x) row.s_data[size_t(x)] = 0xFF000000u | uint32_t(x);
  row.Stretch(2, 1, 1);
  // floor(j * 5 / 2): columns 0 and 2.
  EXPECT_EQ(row.s_data, (std::vector<uint32_t>{0xFF000000u, 0xFF000002u}));
}

TEST(Bitmap, BoundingBoxOfVisiblePixels) {
  TBitmap32 bmp(10, 10);
  EXPECT_EQ(bmp.BoundingBox(0), (RBox{9, 9, 0, 0}));
  bmp.SetPixel(3, 7, 0x10000000u);
  bmp.SetPixel(6, 2, 0x80000000u);
  EXPECT_EQ(bmp.BoundingBox(0), (RBox{3, 2, 6, 7}));
  EXPECT_EQ(bmp.BoundingBox(0x10), (RBox{6, 2, 6, 2}));
  EXPECT_EQ(bmp.BoundingBox(0x80), (RBox{9, 9, 0, 0}));
}

TEST(Bitmap, PixelsOutsideReadTransparentAndIgnoreWrites) {
  TBitmap32 bmp(2, 2, 0xFFFFFFFFu);
  EXPECT_EQ(bmp.GetPixel(-1, 0), 0u);
  EXPECT_EQ(bmp.GetPixel(0, 2), 0u);
  bmp.SetPixel(2, 0, 1);
  EXPECT_EQ(bmp.s_data, std::vector<uint32_t>(4, 0xFFFFFFFFu));
}

TEST(Bitmap, OpaqueOnlyWhenNoPixelHasAlpha) {
  TBitmap32 none(2, 1, 0x00123456u);
  none.OpaqueWhenNoAlpha();
  EXPECT_EQ(none.s_data, std::vector<uint32_t>(2, 0xFF123456u));
  TBitmap32 one(2, 1, 0x00123456u);
  one.SetPixel(1, 0, 0x01123456u);
  one.OpaqueWhenNoAlpha();
  EXPECT_EQ(one.s_data, (std::vector<uint32_t>{0x00123456u, 0x01123456u}));
}

TEST(Bitmap, ResizeKeepsAnUnchangedSizeAndAssignCopies) {
  TBitmap32 bmp(2, 2, 7);
  bmp.Resize(2, 2);
  bmp.Resize(0, 5);
  EXPECT_EQ(bmp.s_data, std::vector<uint32_t>(4, 7));
  bmp.Resize(3, 1, 9);
  EXPECT_EQ(bmp.s_data, std::vector<uint32_t>(3, 9));

  TBitmap32 copy;
  copy.Assign(&bmp);
  EXPECT_EQ(copy.s_data, bmp.s_data);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.s_w, 3);
  const TBitmap32 empty;
  copy.Assign(&empty);
  EXPECT_TRUE(copy.Empty());
  bmp.Assign(&bmp);
  EXPECT_EQ(bmp.s_data, std::vector<uint32_t>(3, 9));
}

TEST(Bitmap, DrawPartClipsToBothBitmaps) {
  TBitmap32 source(3, 3);
  for (int32_t i = 0; i < 9; ++i) source.s_data[size_t(i)] = uint32_t(i + 1);
  struct RCase {
    int32_t x, y, xo, yo, wo, ho;
    std::vector<uint32_t> expect; // the 3 x 3 destination, rows from the top
  };
  const RCase cases[] = {
      {0, 0, 0, 0, 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {1, 1, 0, 0, 3, 3, {0, 0, 0, 0, 1, 2, 0, 4, 5}},
      {-1, 0, 0, 0, 3, 1, {2, 3, 0, 0, 0, 0, 0, 0, 0}},
      {0, 0, -1, -1, 2, 2, {0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {0, 0, 2, 2, 5, 5, {9, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0, 0, 3, 0, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {5, 0, 0, 0, 3, 3, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0, 0, 0, 0, INT32_MAX, INT32_MIN, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const RCase& c : cases) {
    TBitmap32 dest(3, 3);
    dest.DrawPart(c.x, c.y, source, c.xo, c.yo, c.wo, c.ho);
    EXPECT_EQ(dest.s_data, c.expect) << c.x << "," << c.y << " from " << c.xo << "," << c.yo;
  }
}

TEST(Bitmap, HorizontalGradientNeverDrawsTheSecondColour) {
  const TBitmap32 g = GradientBitmap(4, 2, 0x000000, 0x0000FF, 0); // black to red
  for (int32_t y = 0; y < 2; ++y)
    EXPECT_EQ(std::vector<uint32_t>(g.Row(y), g.Row(y) + 4),
              (std::vector<uint32_t>{0xFF000000u, 0xFF400000u, 0xFF800000u, 0xFFBF0000u}));
}

TEST(Bitmap, GradientKinds) {
  const uint32_t c1 = 0x000000, c2 = 0xFF0000; // black to blue
  // Vertical: rows.
  const TBitmap32 v = GradientBitmap(2, 4, c1, c2, 1);
  EXPECT_EQ(v.GetPixel(1, 0), 0xFF000000u);
  EXPECT_EQ(v.GetPixel(0, 2), 0xFF000080u);
  // Rectangles: the centre has the last colour, the rim the first.
  const TBitmap32 r = GradientBitmap(5, 5, c1, c2, 2);
  EXPECT_EQ(r.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(r.GetPixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(r.GetPixel(1, 1), 0xFF000080u);
  // Top-left corner: col1 far from the corner is never drawn over beyond the largest circle.
  const TBitmap32 corner = GradientBitmap(4, 4, c1, c2, 8);
  EXPECT_EQ(corner.GetPixel(0, 0), 0xFF000000u + 0xBF);
  EXPECT_EQ(corner.GetPixel(3, 3), 0xFF000000u);
  // Other kinds: the plain fill; a size of 0 becomes 1.
  EXPECT_EQ(GradientBitmap(2, 2, 0x0000FF, c2, 99).s_data, std::vector<uint32_t>(4, 0xFFFF0000u));
  const TBitmap32 thin = GradientBitmap(0, 3, c1, c2, 0);
  EXPECT_EQ(thin.s_w, 1);
  EXPECT_EQ(thin.s_h, 3);
  for (int32_t kind = 0; kind <= 12; ++kind)
    for (uint32_t px : GradientBitmap(7, 5, 0x123456, 0xABCDEF, kind).s_data)
      EXPECT_EQ(px >> 24, 0xFFu) << kind;
}

} // namespace
} // namespace vl
