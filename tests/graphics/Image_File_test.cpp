#include "graphics/Image_File.h"
#include "tests/support/Test_Images.h"
#include "tests/support/Test_Support.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <zlib.h>

namespace vl {
namespace {

using test::RGifFrame;
using test::WriteGif;
using test::WriteJpeg;

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

// ---- Tests --------------------------------------------------------------------------------------

TEST(ImageFile, PngKeepsItsAlpha) {
  TBitmap32 bmp(2, 1);
  bmp.s_data = {0x80FF0000u, 0x00000000u};
  const std::vector<uint8_t> png = BitmapToPng(bmp);
  const auto back = DecodeImage(png.data(), png.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->s_data, bmp.s_data);
}

TEST(ImageFile, JpegIsOpaque) {
  const std::vector<uint8_t> jpeg = WriteJpeg(9, 3, 200, 100, 50);
  const auto bmp = DecodeImage(jpeg.data(), jpeg.size());
  ASSERT_TRUE(bmp);
  ASSERT_EQ(bmp->s_w, 9);
  ASSERT_EQ(bmp->s_h, 3);
  for (uint32_t px : bmp->s_data) {
    EXPECT_EQ(px >> 24, 0xFFu);
    EXPECT_NEAR(int(px >> 16 & 255), 200, 3);
    EXPECT_NEAR(int(px >> 8 & 255), 100, 3);
    EXPECT_NEAR(int(px & 255), 50, 3);
  }
}

TEST(ImageFile, BmpWithoutAlphaBecomesOpaque) {
  TBitmap32 bmp(2, 2, 0x00336699u);
  const std::vector<uint8_t> file = BitmapToBmp(bmp);
  const auto back = DecodeImage(file.data(), file.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->s_data, std::vector<uint32_t>(4, 0xFF336699u));
}

TEST(ImageFile, GifFramesAccumulateOnlyWhenTheirDisposalKeepsThem) {
  // Frame 1 paints (0, 0) red and is kept; frame 2 paints (1, 1) green and is cleared; frame 3
  // paints (1, 0) blue over what is left. Index 0 is transparent in every frame.
  const std::vector<uint8_t> gif = WriteGif(2, 2,
                                            {
                                                {0, 0, 1, 1, {1}, 0, DISPOSE_DO_NOT},
                                                {1, 1, 1, 1, {2}, 0, DISPOSE_BACKGROUND},
                                                {0, 0, 2, 1, {0, 3}, 0, DISPOSAL_UNSPECIFIED},
                                            });
  std::vector<TBitmap32> frames;
  ASSERT_TRUE(DecodeGifFrames(gif.data(), gif.size(), frames));
  ASSERT_EQ(frames.size(), 3u);
  const uint32_t c = kGifCanvas;
  EXPECT_EQ(frames[0].s_data, (std::vector<uint32_t>{kRed, c, c, c}));
  EXPECT_EQ(frames[1].s_data, (std::vector<uint32_t>{kRed, c, c, kGreen}));
  EXPECT_EQ(frames[2].s_data, (std::vector<uint32_t>{c, kBlue, c, c}));
}

TEST(ImageFile, GifInterlacedRowsAndPlacesOutsideTheScreen) {
  std::vector<uint8_t> pixels;
  for (int r = 0; r < 10; ++r) pixels.push_back(uint8_t(1 + r % 3));
  const std::vector<uint8_t> gif =
      WriteGif(1, 10,
               {{0, 0, 1, 10, pixels, NO_TRANSPARENT_COLOR, DISPOSAL_UNSPECIFIED, true},
                {5, 5, 1, 1, {1}, NO_TRANSPARENT_COLOR, DISPOSAL_UNSPECIFIED}});
  std::vector<TBitmap32> frames;
  ASSERT_TRUE(DecodeGifFrames(gif.data(), gif.size(), frames));
  ASSERT_EQ(frames.size(), 2u);
  const uint32_t colours[3] = {kRed, kGreen, kBlue};
  for (int r = 0; r < 10; ++r) EXPECT_EQ(frames[0].s_data[size_t(r)], colours[r % 3]) << r;
  EXPECT_EQ(frames[1].s_data, std::vector<uint32_t>(10, kGifCanvas));
}

TEST(ImageFile, GifAsOneImageKeepsTransparency) {
  const std::vector<uint8_t> gif = WriteGif(2, 1, {{0, 0, 2, 1, {0, 3}, 0}});
  const auto bmp = DecodeImage(gif.data(), gif.size());
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->s_data, (std::vector<uint32_t>{0, kBlue}));
}

TEST(ImageFile, DamagedOrForeignBytesGiveNothing) {
  TBitmap32 bmp(4, 4, 0xFF000000u);
  std::vector<uint8_t> png = BitmapToPng(bmp);
  const std::vector<uint8_t> gif = WriteGif(2, 1, {{0, 0, 2, 1, {1, 2}}});
  std::vector<uint8_t> jpeg = WriteJpeg(8, 8, 1, 2, 3);
  // A header that asks for 100000 x 100000 pixels is refused before anything is allocated.
  std::vector<uint8_t> huge = png;
  huge[16] = 0, huge[17] = 1, huge[18] = 0x86, huge[19] = 0xA0;
  huge[20] = 0, huge[21] = 1, huge[22] = 0x86, huge[23] = 0xA0;
  const uint32_t crc = uint32_t(crc32(0, &huge[12], 17));
  for (int i = 0; i < 4; ++i) huge[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
  // A bitmap whose height is the lowest integer, which cannot be turned into rows from the top.
  std::vector<uint8_t> lowest = BitmapToBmp(bmp);
  lowest[22] = 0, lowest[23] = 0, lowest[24] = 0, lowest[25] = 0x80;
  const std::vector<std::vector<uint8_t>> inputs = {
      {},
      {'G', 'I', 'F'},
      {0x89, 'P', 'N', 'G'},
      {'h', 'e', 'l', 'l', 'o'},
      std::vector<uint8_t>(png.begin(), png.begin() + long(png.size()) / 2),
      std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 20),
      std::vector<uint8_t>(gif.begin(), gif.begin() + 10),
      huge,
      lowest,
  };
  for (const auto& bytes : inputs) {
    EXPECT_FALSE(DecodeImage(bytes.data(), bytes.size())) << bytes.size();
    std::vector<TBitmap32> frames;
    EXPECT_FALSE(DecodeGifFrames(bytes.data(), bytes.size(), frames)) << bytes.size();
  }
}

TEST(ImageFile, ALimitRefusesLargerImagesOfEveryFormat) {
  const TBitmap32 bmp(16, 16, 0xFF000000u);
  const std::vector<std::vector<uint8_t>> files = {
      BitmapToPng(bmp), BitmapToBmp(bmp), WriteJpeg(16, 16, 1, 2, 3), WriteGif(16, 16, {{0, 0, 1, 1, {1}}})};
  for (const auto& file : files) {
    EXPECT_TRUE(DecodeImage(file.data(), file.size(), 256));
    EXPECT_FALSE(DecodeImage(file.data(), file.size(), 255));
  }
  // For GIFs the frames count together.
  const std::vector<uint8_t> gif = WriteGif(4, 4, {{0, 0, 1, 1, {1}}, {0, 0, 1, 1, {2}}, {0, 0, 1, 1, {3}}});
  std::vector<TBitmap32> frames;
  EXPECT_TRUE(DecodeGifFrames(gif.data(), gif.size(), frames, 40));
  EXPECT_EQ(frames.size(), 2u);
}

TEST(ImageFile, LoadsFromFilesByContent) {
  const test::TScratchDir dir;
  TBitmap32 bmp(3, 1, 0xFF010203u);
  const std::vector<uint8_t> png = BitmapToPng(bmp);
  std::ofstream(dir / "named.jpg", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), long(png.size()));
  const auto back = LoadImageFile(dir / "named.jpg");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->s_data, bmp.s_data);
  EXPECT_FALSE(LoadImageFile(dir / "missing.png"));
}

} // namespace
} // namespace vl
