#include "data/Image_Record.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Texture.h"
#include "tests/support/Test_Images.h"
#include "tests/support/Test_Support.h"

#include <fstream>
#include <gtest/gtest.h>

namespace vl {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

// A bitmap whose pixel (x, y) is opaque with the value x + 16 y, so that frames show where they came from.
TBitmap32 Numbered(int32_t w, int32_t h) {
  TBitmap32 bmp(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) bmp.SetPixel(x, y, kOpaque | uint32_t(x + 16 * y));
  return bmp;
}

class Sprites_ : public ::testing::Test {
protected:
  void SetUp() override { Sprites().ClearAll(); }
  void TearDown() override { Sprites().ClearAll(); }

  // A sprite of n frames of w x h, with separate masks when asked.
  static void Make(CSprite& spr, int32_t n, int32_t w, int32_t h, bool sepmasks = false) {
    spr.Clear();
    for (int32_t i = 0; i < n; ++i) spr.i_bitmap.push_back(TBitmap32(w, h, kOpaque | uint32_t(i)));
    spr.InitTexture();
    spr.ComputeMask(sepmasks, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
  }

  test::TScratchDir dir;
};

TEST_F(Sprites_, RecordRoundTripsWithSharedAndSeparateMasks) {
  for (bool sep : {false, true}) {
    CSprite spr;
    spr.i_bitmap = {TBitmap32(4, 3), TBitmap32(4, 3)};
    spr.i_bitmap[0].SetPixel(1, 1, kOpaque);
    spr.i_bitmap[1].SetPixel(3, 2, 0x80FF0000u);
    spr.i_xorig = 2, spr.i_yorig = -1;
    spr.ComputeMask(sep, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
    CStream s;
    spr.SaveToStream(s);
    s.Seek(0);
    CSprite back;
    ASSERT_TRUE(back.LoadFromStream(s));
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(back.Count(), 2);
    EXPECT_EQ(back.i_bitmap[1].s_data, spr.i_bitmap[1].s_data);
    EXPECT_EQ(back.i_xorig, 2);
    EXPECT_EQ(back.i_yorig, -1);
    EXPECT_EQ(back.i_sepmasks, sep);
    ASSERT_EQ(back.i_mask.size(), sep ? 2u : 1u);
    EXPECT_EQ(back.i_mask[0].i_mask, spr.i_mask[0].i_mask);
    EXPECT_EQ(back.i_bbox, (RBox{1, 1, 3, 2}));
  }
  CStream wrong;
  wrong.WriteInteger(801);
  wrong.Seek(0);
  CSprite spr;
  EXPECT_FALSE(spr.LoadFromStream(wrong));
}

TEST_F(Sprites_, BitmapRecordsTrustThePixelsPresentNotTheSize) {
  // Width 0: no pixel block follows the height.
  CStream zero;
  zero.WriteInteger(800), zero.WriteInteger(0), zero.WriteInteger(5), zero.WriteInteger(12345);
  zero.Seek(0);
  TBitmap32 bmp(2, 2);
  EXPECT_TRUE(LoadBitmapRecord(zero, bmp));
  EXPECT_TRUE(bmp.Empty());
  EXPECT_EQ(zero.ReadInteger(), 12345);

  // A block of another size than width x height x 4 leaves the bitmap empty and the stream after it.
  CStream lying;
  lying.WriteInteger(800), lying.WriteInteger(30000), lying.WriteInteger(30000);
  lying.WriteStream(CStream(std::vector<uint8_t>(16, 0xAB)));
  lying.WriteInteger(777);
  lying.Seek(0);
  bmp = TBitmap32(1, 1);
  EXPECT_FALSE(LoadBitmapRecord(lying, bmp));
  EXPECT_TRUE(bmp.Empty());
  EXPECT_EQ(lying.ReadInteger(), 777);

  // A mask record asking for more pixels than the stream holds fails before allocating.
  CStream mask;
  mask.WriteInteger(800), mask.WriteInteger(1 << 30), mask.WriteInteger(1 << 30);
  for (int i = 0; i < 4; ++i) mask.WriteInteger(0);
  mask.Seek(0);
  TMask m;
  EXPECT_THROW(LoadMaskRecord(mask, m), EStreamError);
  // A mask without columns holds no pixels whatever its height.
  CStream flat;
  flat.WriteInteger(800), flat.WriteInteger(0), flat.WriteInteger(INT32_MAX);
  for (int i = 0; i < 4; ++i) flat.WriteInteger(1);
  flat.WriteInteger(4242);
  flat.Seek(0);
  EXPECT_TRUE(LoadMaskRecord(flat, m));
  EXPECT_FALSE(m.Bit(0, 0));
  EXPECT_EQ(flat.ReadInteger(), 4242);
  CStream old;
  old.WriteInteger(700);
  old.Seek(0);
  EXPECT_FALSE(LoadMaskRecord(old, m));
  EXPECT_TRUE(m.Empty());
}

TEST_F(Sprites_, ASpriteRecordWithAHugeFrameCountRunsOutOfBytes) {
  CStream s;
  s.WriteInteger(800), s.WriteInteger(0), s.WriteInteger(0), s.WriteInteger(2000000000);
  s.WriteInteger(800), s.WriteInteger(0), s.WriteInteger(0);
  s.Seek(0);
  CSprite spr;
  EXPECT_THROW(spr.LoadFromStream(s), EStreamError);
}

TEST_F(Sprites_, FramesAndTexturesWrapTheIndex) {
  CSprite spr;
  Make(spr, 4, 2, 2);
  EXPECT_EQ(spr.GetTexture(-1), spr.i_tex[3]);
  EXPECT_EQ(spr.GetTexture(9), spr.i_tex[1]);
  EXPECT_EQ(spr.GetTexture(-8), spr.i_tex[0]);
  CSprite none;
  EXPECT_EQ(none.GetWidth(), 1);
  EXPECT_EQ(none.GetHeight(), 1);
  EXPECT_EQ(none.GetTexture(0), -1);
  EXPECT_FALSE(none.GetBitmap(0));
  EXPECT_EQ(none.GetBoundingBoxImg(0), RBox());
  EXPECT_FALSE(spr.GetBitmap(4));
  EXPECT_EQ(spr.GetBitmap(3)->s_data, spr.i_bitmap[3].s_data);
}

TEST_F(Sprites_, TexturesComeFromThePoolAndGoBack) {
  CRecordingTexturePool pool;
  SetTexturePool(&pool);
  {
    CSprite spr;
    Make(spr, 3, 5, 4);
    EXPECT_EQ(pool.Live(), 3);
    ASSERT_TRUE(pool.Size(spr.GetTexture(2)));
    EXPECT_EQ(pool.Size(spr.GetTexture(2))->ts_w, 5);
    CSprite copy;
    copy.Assign(spr);
    EXPECT_EQ(pool.Live(), 6);
    copy.Assign(copy);
    EXPECT_EQ(pool.Live(), 6);
    spr.FreeTexture();
    EXPECT_EQ(spr.GetTexture(0), -1);
    EXPECT_EQ(pool.Live(), 3);
  }
  EXPECT_EQ(pool.Live(), 0);
  SetTexturePool(nullptr);
}

TEST_F(Sprites_, SeparateMasksFollowTheFrameIndex) {
  CSprite spr;
  spr.i_bitmap.assign(4, TBitmap32(3, 1));
  for (int32_t i = 0; i < 3; ++i) spr.i_bitmap[size_t(i)].SetPixel(i, 0, kOpaque);
  spr.ComputeMask(true, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
  // Frame 3 is blank: its box is inverted and leaves the union alone.
  EXPECT_EQ(spr.i_bbox, (RBox{0, 0, 2, 0}));
  RSpritePlace place;
  place.sp_bbox = {-10, -10, 10, 10};
  auto hits = [&](int32_t image, int32_t x) {
    place.sp_image = image;
    return spr.CheckCollisionPoint(place, x, 0);
  };
  EXPECT_TRUE(hits(5, 1));
  EXPECT_FALSE(hits(5, 0));
  EXPECT_FALSE(hits(-1, 0) || hits(-1, 1) || hits(-1, 2));
  EXPECT_TRUE(hits(-2, 2));
  CSprite none;
  EXPECT_FALSE(none.CheckCollisionPoint(place, 0, 0));
  EXPECT_FALSE(spr.CheckCollision(place, &none, place));
  EXPECT_FALSE(spr.CheckCollision(place, nullptr, place));
  place.sp_image = 0;
  EXPECT_TRUE(spr.CheckCollision(place, &spr, place));
}

TEST_F(Sprites_, AStripDropsTheRemainderColumns) {
  WriteFile(dir / "strip.png", BitmapToPng(Numbered(100, 2)));
  CSprite spr;
  ASSERT_TRUE(spr.LoadFromFile(dir / "strip.png", 3, false, false, 4, 5));
  ASSERT_EQ(spr.Count(), 3);
  EXPECT_EQ(spr.GetWidth(), 33);
  EXPECT_EQ(spr.i_bitmap[2].GetPixel(0, 1), kOpaque | (66 + 16));
  EXPECT_EQ(spr.i_bitmap[2].GetPixel(32, 0), kOpaque | 98);
  EXPECT_EQ(spr.i_xorig, 4);
  EXPECT_EQ(spr.i_yorig, 5);
  EXPECT_EQ(spr.i_bbox, (RBox{0, 0, 32, 1}));
  ASSERT_TRUE(spr.LoadFromFile(dir / "strip.png", 0, false, false, 0, 0));
  EXPECT_EQ(spr.Count(), 1);
  EXPECT_FALSE(spr.LoadFromFile(dir / "missing.png", 1, false, false, 0, 0));
  EXPECT_EQ(spr.Count(), 1);
}

TEST_F(Sprites_, GifFilesGiveEveryFrameByTheirName) {
  using test::RGifFrame;
  const auto gif = test::WriteGif(2, 1, {{0, 0, 1, 1, {1}}, {1, 0, 1, 1, {2}}});
  WriteFile(dir / "anim.GIF", gif);
  WriteFile(dir / "anim.png", gif);
  CSprite spr;
  ASSERT_TRUE(spr.LoadFromFile(dir / "anim.GIF", 1, false, false, 0, 0));
  EXPECT_EQ(spr.Count(), 2);
  // Named otherwise, the same bytes are one image, split as a strip.
  ASSERT_TRUE(spr.LoadFromFile(dir / "anim.png", 2, false, false, 0, 0));
  EXPECT_EQ(spr.Count(), 2);
  EXPECT_EQ(spr.GetWidth(), 1);
}

TEST_F(Sprites_, BackgroundRemovalSmoothingAndHiddenColoursInThatOrder) {
  // The bottom-left colour (green) is removed; smoothing takes 32 from every pixel next to a
  // removed one; removed pixels then show the colour of their first visible neighbour.
  TBitmap32 bmp(4, 2);
  bmp.s_data = {0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu, 0xFF00FF00u, //
                0xFF00FF00u, 0xFF0000FFu, 0xFF123456u, 0xFF00FF00u};
  PrepareImage(bmp, true, true);
  EXPECT_EQ(bmp.s_data, (std::vector<uint32_t>{0xDFFF0000u, 0xDF0000FFu, 0xBF0000FFu, 0x000000FFu, //
                                               0x000000FFu, 0xDF0000FFu, 0xBF123456u, 0x00123456u}));
}

TEST_F(Sprites_, SmoothingCascadesThroughPixelsItEmpties) {
  TBitmap32 bmp(4, 1);
  bmp.s_data = {0x00000000u, 0x20000000u, 0x20000000u, 0x20000000u};
  SmoothEdges(bmp);
  // Each pixel reaches 0 while its left neighbour is visited and then empties the next.
  EXPECT_EQ(bmp.s_data, (std::vector<uint32_t>{0, 0, 0, 0}));
}

TEST_F(Sprites_, HiddenColoursLookLeftRightAboveBelow) {
  TBitmap32 bmp(3, 3);
  bmp.SetPixel(1, 0, 0xFF000001u);
  bmp.SetPixel(2, 1, 0xFF000002u);
  bmp.SetPixel(1, 2, 0xFF000003u);
  FillHiddenColours(bmp);
  EXPECT_EQ(bmp.GetPixel(1, 1), 0x00000002u); // right before above and below
  EXPECT_EQ(bmp.GetPixel(0, 0), 0x00000001u);
  EXPECT_EQ(bmp.GetPixel(2, 2), 0x00000003u); // left before above
  EXPECT_EQ(bmp.GetPixel(0, 1), 0x00000000u); // no visible neighbour
}

TEST_F(Sprites_, CreateFromBitmapByRemovalCode) {
  TBitmap32 none(2, 1, 0x00112233u);
  TBitmap32 some(2, 1, 0x00112233u);
  some.SetPixel(1, 0, 0x40445566u);
  struct RCase {
    const TBitmap32* bmp;
    int32_t removeback;
    std::vector<uint32_t> expect;
  };
  const RCase cases[] = {
      {&none, 0, {0xFF112233u, 0xFF112233u}},  {&some, 0, {0x00112233u, 0x40445566u}},
      {&some, 2, {0x00112233u, 0x40445566u}},  {&none, 2, {0x00112233u, 0x00112233u}},
      {&some, -1, {0xFF112233u, 0xFF445566u}}, {&some, 1, {0x00445566u, 0x40445566u}},
  };
  for (const RCase& c : cases) {
    CSprite spr;
    spr.CreateFromBitmap(*c.bmp, c.removeback, false, 1, 0);
    ASSERT_EQ(spr.Count(), 1);
    EXPECT_EQ(spr.i_bitmap[0].s_data, c.expect) << c.removeback;
    EXPECT_EQ(spr.i_xorig, 1);
  }
}

TEST_F(Sprites_, AddedFramesTakeTheSizeOfFrameZero) {
  CSprite spr;
  spr.AddFromBitmap(Numbered(3, 2), false, false);
  ASSERT_EQ(spr.Count(), 1);
  EXPECT_EQ(spr.GetWidth(), 3); // no frame to scale to: unscaled
  spr.AddFromBitmap(Numbered(6, 1), false, false);
  ASSERT_EQ(spr.Count(), 2);
  EXPECT_EQ(spr.i_bitmap[1].s_w, 3);
  EXPECT_EQ(spr.i_bitmap[1].s_h, 2);
  EXPECT_EQ(spr.i_bitmap[1].GetPixel(1, 1), kOpaque | 2);
  EXPECT_EQ(spr.i_tex.size(), 2u);

  CSprite other;
  other.AddFromSprite(spr);
  EXPECT_EQ(other.Count(), 2);
  other.AddFromSprite(other);
  EXPECT_EQ(other.Count(), 4);
  CSprite empty;
  other.AddFromSprite(empty);
  EXPECT_EQ(other.Count(), 4);
}

TEST_F(Sprites_, AlphaFromTheBrightnessOfAnotherSprite) {
  CSprite spr, light;
  Make(spr, 3, 2, 1);
  light.i_bitmap = {TBitmap32(1, 1, 0xFF030609u), TBitmap32(2, 1, 0xFF000003u)};
  spr.SetAlphaFromSprite(light);
  EXPECT_EQ(spr.i_bitmap[0].s_data, (std::vector<uint32_t>{0x06000000u, 0xFF000000u}));
  EXPECT_EQ(spr.i_bitmap[1].s_data, (std::vector<uint32_t>{0x01000001u, 0x01000001u}));
  EXPECT_EQ(spr.i_bitmap[2].s_data, (std::vector<uint32_t>{0x06000002u, 0xFF000002u}));
  CSprite none;
  spr.SetAlphaFromSprite(none);
  EXPECT_EQ(spr.i_bitmap[2].s_data, (std::vector<uint32_t>{0x06000002u, 0xFF000002u}));
}

TEST_F(Sprites_, SpriteFilesCarryTheirMaskSettings) {
  auto write = [&](const std::string& name, int32_t mark, int32_t version) {
    CStream body;
    body.WriteInteger(version);
    body.WriteInteger(1), body.WriteInteger(2), body.WriteInteger(1);
    TBitmap32 frame(5, 5);
    frame.SetPixel(2, 2, kOpaque | 0x777777);
    SaveBitmapRecord(body, frame);
    body.WriteInteger(TMask::kRectangle), body.WriteInteger(0), body.WriteBoolean(false);
    body.WriteInteger(TMask::kBoxManual);
    for (int32_t v : {1, 3, 4, 0}) body.WriteInteger(v); // left, right, bottom, top
    CStream file;
    file.WriteInteger(mark);
    file.WriteStreamC(body);
    file.SaveToFile(dir / name);
  };
  write("good.vlspr", 1234321, 800);
  write("mark.vlspr", 1234322, 800);
  write("old.vlspr", 1234321, 700);
  CSprite spr;
  ASSERT_TRUE(spr.LoadFromSpriteFile(dir / "good.vlspr"));
  EXPECT_EQ(spr.i_xorig, 1);
  EXPECT_EQ(spr.i_yorig, 2);
  EXPECT_EQ(spr.i_bbox, (RBox{1, 0, 3, 4}));
  // The hidden colour step ran: transparent neighbours show the visible pixel's colour.
  EXPECT_EQ(spr.i_bitmap[0].GetPixel(1, 2), 0x777777u);
  for (const char* bad : {"mark.vlspr", "old.vlspr", "missing.vlspr"})
    EXPECT_FALSE(spr.LoadFromSpriteFile(dir / bad));
  WriteFile(dir / "cut.vlspr", {0x91, 0xD5, 0x12, 0x00, 0x10, 0, 0, 0});
  EXPECT_FALSE(spr.LoadFromSpriteFile(dir / "cut.vlspr"));
  EXPECT_EQ(spr.i_xorig, 1);
}

TEST_F(Sprites_, TheTableAddsReplacesAndDeletes) {
  CSpriteTable& table = Sprites();
  WriteFile(dir / "one.png", BitmapToPng(Numbered(4, 4)));
  EXPECT_EQ(
      table.AddLoaded([&](CSprite& s) { return s.LoadFromFile(dir / "missing.png", 1, false, false, 0, 0); }),
      -1);
  EXPECT_EQ(table.Count(), 0);
  const int32_t a =
      table.AddLoaded([&](CSprite& s) { return s.LoadFromFile(dir / "one.png", 1, false, false, 0, 0); });
  EXPECT_EQ(a, 0);
  EXPECT_EQ(table.Name(a), "__newsprite0");
  EXPECT_EQ(table.Find("__newsprite0"), 0);
  EXPECT_EQ(table.Name(5), "<undefined>");
  const int32_t copy = table.Duplicate(a);
  EXPECT_EQ(copy, 1);
  EXPECT_EQ(table.Get(copy)->i_bitmap[0].s_data, table.Get(a)->i_bitmap[0].s_data);
  EXPECT_NE(table.Get(copy)->GetTexture(0), table.Get(a)->GetTexture(0));
  // Assigning to the index after the last is refused; to itself changes nothing.
  EXPECT_FALSE(table.Assign(table.Count(), a));
  EXPECT_EQ(table.Count(), 2);
  const int32_t texture = table.Get(a)->GetTexture(0);
  EXPECT_TRUE(table.Assign(a, a));
  EXPECT_EQ(table.Get(a)->GetTexture(0), texture);

  EXPECT_TRUE(table.Remove(copy));
  EXPECT_FALSE(table.Remove(copy));
  EXPECT_FALSE(table.Exists(copy));
  EXPECT_TRUE(table.ReplaceLoaded(copy, [](CSprite& s) {
    s.AddFromBitmap(TBitmap32(2, 2, kOpaque), false, false);
    return true;
  }));
  EXPECT_TRUE(table.Exists(copy));
  EXPECT_FALSE(table.ReplaceLoaded(2, [](CSprite&) { return true; }));
  EXPECT_FALSE(table.ReplaceLoaded(-1, [](CSprite&) { return true; }));
}

} // namespace
} // namespace vl
