#include "graphics/Sprite_Mask.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace vl {
namespace {

// A bitmap from rows of text: '#' opaque, '+' alpha 0x41, anything else transparent.
TBitmap32 Picture(const std::vector<std::string>& rows) {
  TBitmap32 bmp(int32_t(rows[0].size()), int32_t(rows.size()));
  for (int32_t y = 0; y < bmp.s_h; ++y)
    for (int32_t x = 0; x < bmp.s_w; ++x) {
      const char c = rows[size_t(y)][size_t(x)];
      bmp.SetPixel(x, y, c == '#' ? 0xFF000000u : c == '+' ? 0x41000000u : 0);
    }
  return bmp;
}

// The mask's bits as rows of text.
std::vector<std::string> Bits(const TMask& m) {
  std::vector<std::string> rows(size_t(m.i_h), std::string(size_t(m.i_w), '.'));
  for (int32_t y = 0; y < m.i_h; ++y)
    for (int32_t x = 0; x < m.i_w; ++x)
      if (m.Bit(x, y)) rows[size_t(y)][size_t(x)] = '#';
  return rows;
}

TMask Solid(int32_t w, int32_t h) {
  const TBitmap32 bmp(w, h, 0xFF000000u);
  return TMask(&bmp, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
}

RBox Everywhere() {
  return {-1000, -1000, 1000, 1000};
}

TEST(SpriteMask, ShapesOfEveryKind) {
  struct RCase {
    const char* what;
    std::vector<std::string> picture;
    int32_t bbmode;
    RBox manual;
    int32_t kind, tolerance;
    RBox box;
    std::vector<std::string> bits;
  };
  const std::vector<std::string> blank3 = {"...", "...", "..."};
  const std::vector<RCase> cases = {
      {"transparent", {"....", "....", "...."}, 0, {}, 0, 0, {3, 2, 0, 0}, {"....", "....", "...."}},
      {"precise", {"....", ".#+.", "...."}, 0, {}, 0, 0, {1, 1, 2, 1}, {"....", ".##.", "...."}},
      {"tolerance", {"....", ".#+.", "...."}, 0, {}, 0, 0x41, {1, 1, 1, 1}, {"....", ".#..", "...."}},
      {"ellipse 3", blank3, 1, {}, 2, 0, {0, 0, 2, 2}, {"###", "###", "###"}},
      {"ellipse 4",
       {"....", "....", "....", "...."},
       1,
       {},
       2,
       0,
       {0, 0, 3, 3},
       {".##.", "####", "####", ".##."}},
      {"ellipse 5",
       {".....", ".....", ".....", ".....", "....."},
       1,
       {},
       2,
       0,
       {0, 0, 4, 4},
       {".###.", "#####", "#####", "#####", ".###."}},
      {"diamond", blank3, 1, {}, 3, 0, {0, 0, 2, 2}, {".#.", "###", ".#."}},
      {"manual box clipped",
       {"....", "....", "...."},
       2,
       {-5, 1, 2, 99},
       1,
       0,
       {0, 1, 2, 2},
       {"....", "###.", "###."}},
      {"unknown kind", blank3, 1, {}, 7, 0, {0, 0, 2, 2}, {"...", "...", "..."}},
  };
  for (const RCase& c : cases) {
    const TBitmap32 bmp = Picture(c.picture);
    const TMask m(&bmp, c.bbmode, c.manual, c.kind, c.tolerance);
    EXPECT_EQ(m.i_bbox, c.box) << c.what;
    EXPECT_EQ(Bits(m), c.bits) << c.what;
  }
  const TMask none(nullptr, 0, RBox(), 0, 0);
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(none.i_bbox, RBox());
}

TEST(SpriteMask, MergeGrowsByKind) {
  const TBitmap32 a = Picture({"#..", "...", "..."});
  const TBitmap32 wide = Picture({".....", "....#"});
  TMask precise(&a, 0, RBox(), TMask::kPrecise, 0);
  precise.Merge(&wide, 0, RBox(), TMask::kPrecise, 0);
  // Only the overlapping pixels combine; the box still covers both frames' boxes.
  EXPECT_EQ(Bits(precise), (std::vector<std::string>{"#..", "...", "..."}));
  EXPECT_EQ(precise.i_bbox, (RBox{0, 0, 4, 1}));

  const TBitmap32 b = Picture({"...", "...", "..#"});
  TMask rect(&a, 0, RBox(), TMask::kRectangle, 0);
  rect.Merge(&b, 0, RBox(), TMask::kRectangle, 0);
  EXPECT_EQ(Bits(rect), (std::vector<std::string>{"###", "###", "###"}));

  const TBitmap32 c = Picture({"#....", ".....", ".....", ".....", "....#"});
  const TBitmap32 d = Picture({".....", ".....", "..#..", ".....", "....."});
  TMask ellipse(&d, 0, RBox(), TMask::kEllipse, 0);
  ellipse.Merge(&c, 0, RBox(), TMask::kEllipse, 0);
  EXPECT_EQ(Bits(ellipse), (std::vector<std::string>{".###.", "#####", "#####", "#####", ".###."}));
}

TEST(SpriteMask, OnePixelMasksMeetWherePositionMinusOriginCoincides) {
  const TMask a = Solid(1, 1), b = Solid(1, 1);
  struct RCase {
    RMaskPose pa, pb;
    bool hit;
  };
  const RCase cases[] = {
      {{5, 5, 0, 0}, {5, 5, 0, 0}, true},
      {{5, 5, 0, 0}, {6, 5, 0, 0}, false},
      {{5, 5, 0, 0}, {5, 4, 0, 0}, false},
      {{5, 5, 0, 0}, {5, 5, 1, 0}, false},
  };
  for (const RCase& c : cases)
    for (EMaskMapping mapping : {EMaskMapping::Fitting, EMaskMapping::Rotated})
      EXPECT_EQ(a.CollisionMask(Everywhere(), c.pa, &b, Everywhere(), c.pb, mapping), c.hit)
          << c.pb.mp_x << "," << c.pb.mp_y << " mapping " << int(mapping);
  // The area is the meeting of both boxes.
  EXPECT_FALSE(a.CollisionMask({0, 0, 4, 10}, {5, 5}, &b, Everywhere(), {5, 5}));
  EXPECT_FALSE(a.CollisionMask(Everywhere(), {5, 5}, nullptr, Everywhere(), {5, 5}));
}

TEST(SpriteMask, ScaleStretchesFromTheOrigin) {
  const TBitmap32 bmp = Picture({"#..", "...", "..."});
  const TMask m(&bmp, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  const RMaskPose twice{10, 20, 1, 1, 2, 2, 0};
  for (int32_t x = 6; x <= 11; ++x)
    for (int32_t y = 16; y <= 21; ++y)
      EXPECT_EQ(m.CollisionPoint(twice, x, y), x >= 8 && x <= 9 && y >= 18 && y <= 19) << x << "," << y;
  // A negative scale mirrors about the origin.
  const RMaskPose mirrored{10, 20, 1, 1, -1, 1, 0};
  EXPECT_TRUE(m.CollisionPoint(mirrored, 11, 19));
  EXPECT_FALSE(m.CollisionPoint(mirrored, 9, 19));
}

TEST(SpriteMask, ZeroOrUndefinedScalesAndAnglesCoverNoPixel) {
  const TMask m = Solid(4, 4);
  const TMask other = Solid(4, 4);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const RMaskPose& p :
       {RMaskPose{0, 0, 0, 0, 0, 1, 0}, RMaskPose{0, 0, 0, 0, 1, 0, 0}, RMaskPose{0, 0, 0, 0, 0, 0, 30},
        RMaskPose{0, 0, 0, 0, nan, 1, 0}, RMaskPose{0, 0, 0, 0, 1, 1, nan}}) {
    EXPECT_FALSE(m.CollisionPoint(p, 0, 0));
    EXPECT_FALSE(m.CollisionPoint(p, 1, 1));
    EXPECT_FALSE(m.CollisionRectangle(Everywhere(), p, {-10, -10, 10, 10}));
    EXPECT_FALSE(m.CollisionEllipse(Everywhere(), p, {-10, -10, 10, 10}));
    EXPECT_FALSE(m.CollisionLine(Everywhere(), p, -10, -9, 10, 8));
    EXPECT_FALSE(m.CollisionMask(Everywhere(), p, &other, Everywhere(), RMaskPose()));
  }
  // An infinite scale maps every offset to the origin pixel.
  const RMaskPose infinite{0, 0, 0, 0, HUGE_VAL, HUGE_VAL, 0};
  EXPECT_TRUE(m.CollisionPoint(infinite, 3, 3));
  EXPECT_TRUE(m.CollisionRectangle({-2, -2, 2, 2}, infinite, {-5, -5, 5, 5}));
}

TEST(SpriteMask, RotationTurnsCounterClockwise) {
  const TBitmap32 bmp = Picture({"#####"});
  const TMask bar(&bmp, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  // Room pixels on the bar's edges may fall either side by rounding; the areas keep clear of them.
  const RBox above{8, 0, 12, 7}, below{8, 13, 12, 20}, left{0, 8, 7, 12}, right{13, 8, 20, 12};
  struct RCase {
    double angle;
    bool above, below, left, right;
  };
  const RCase cases[] = {
      {0, false, false, false, true},
      {90, true, false, false, false},
      {-90, false, true, false, false},
      {180, false, false, true, false},
  };
  for (const RCase& c : cases) {
    const RMaskPose p{10, 10, 0, 0, 1, 1, c.angle};
    EXPECT_EQ(bar.CollisionRectangle(Everywhere(), p, above), c.above) << c.angle;
    EXPECT_EQ(bar.CollisionRectangle(Everywhere(), p, below), c.below) << c.angle;
    EXPECT_EQ(bar.CollisionRectangle(Everywhere(), p, left), c.left) << c.angle;
    EXPECT_EQ(bar.CollisionRectangle(Everywhere(), p, right), c.right) << c.angle;
  }
}

TEST(SpriteMask, LinesAlongAnAxisAreRectangles) {
  const TBitmap32 bmp = Picture({"....", ".#..", "...#"});
  const TMask m(&bmp, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  for (int32_t x0 = 0; x0 < 16; ++x0)
    for (int32_t y0 = 0; y0 < 10; ++y0) {
      const RMaskPose p{x0, y0, 0, 0};
      EXPECT_EQ(m.CollisionLine(Everywhere(), p, 10, 5, 20, 5),
                m.CollisionRectangle(Everywhere(), p, {10, 5, 20, 5}));
      EXPECT_EQ(m.CollisionLine(Everywhere(), p, 7, 9, 7, 2),
                m.CollisionRectangle(Everywhere(), p, {7, 2, 7, 9}));
    }
}

TEST(SpriteMask, SlopedLinesFollowTheirRealCoordinates) {
  const TBitmap32 bmp = Picture({"#.........", "..........", "..........", "......#..."});
  const TMask m(&bmp, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  const RMaskPose p{100, 100, 0, 0};
  const RBox box{100, 100, 109, 103};
  // Shallow from (100, 100) to (106, 103): at column 106 the line is at row 103.
  EXPECT_TRUE(m.CollisionLine(box, p, 100, 101, 106, 103));
  EXPECT_TRUE(m.CollisionLine(box, p, 106, 103, 112, 110));
  EXPECT_FALSE(m.CollisionLine(box, p, 101, 101, 107, 102));
  // Steep, ends in either order.
  EXPECT_TRUE(m.CollisionLine(box, p, 106, 103, 104, 90));
  EXPECT_TRUE(m.CollisionLine(box, p, 104, 90, 106, 103));
  EXPECT_FALSE(m.CollisionLine(box, p, 105, 90, 107, 120));
  // Only the columns (or rows, when steep) inside the instance's box are looked at.
  EXPECT_TRUE(m.CollisionLine(box, p, 102, 101, 106, 103));
  EXPECT_FALSE(m.CollisionLine({100, 100, 105, 103}, p, 102, 101, 106, 103));
}

TEST(SpriteMask, EllipsesCountPixelsInsideAndZeroRadiiAreSegments) {
  const TMask full = Solid(20, 20);
  const RMaskPose p{0, 0, 0, 0};
  // Only the corners of a 3 x 3 rectangle lie outside its ellipse.
  const TBitmap32 corner = Picture({"#...", "....", "...."});
  const TMask c(&corner, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  EXPECT_FALSE(c.CollisionEllipse(Everywhere(), p, {0, 0, 2, 2}));
  EXPECT_TRUE(c.CollisionEllipse(Everywhere(), p, {-1, 0, 1, 2}));
  // A zero width leaves the column through the centre; zero width and height the point.
  const TBitmap32 column4 = Picture({"....#", "....#", "....#"});
  const TMask m4(&column4, TMask::kBoxFull, RBox(), TMask::kPrecise, 0);
  EXPECT_FALSE(m4.CollisionEllipse(Everywhere(), p, {5, 0, 5, 10}));
  EXPECT_TRUE(m4.CollisionEllipse(Everywhere(), p, {4, 0, 4, 10}));
  EXPECT_TRUE(m4.CollisionEllipse(Everywhere(), p, {4, 2, 4, 2}));
  EXPECT_FALSE(m4.CollisionEllipse(Everywhere(), p, {4, 3, 4, 3}));
  EXPECT_TRUE(full.CollisionEllipse(Everywhere(), p, {3, 7, 19, 7}));
}

// A random mask of a random size with about `density` of its pixels set.
TMask RandomMask(std::mt19937& random, double density) {
  std::uniform_int_distribution<int32_t> side(1, 12);
  TBitmap32 bmp(side(random), side(random));
  std::bernoulli_distribution on(density);
  for (uint32_t& px : bmp.s_data) px = on(random) ? 0xFF000000u : 0;
  return TMask(&bmp, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
}

TEST(SpriteMask, RotatedMappingAtAngleZeroAndScaleOneEqualsTheWholePixelOne) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int32_t> pos(-4, 4), origin(-1, 6), margin(-3, 3), edge(-25, 25);
  std::uniform_real_distribution<double> density(0.02, 0.6);
  // The instance's box: about the mask as placed, a little tighter or wider.
  auto around = [&](const TMask& m, const RMaskPose& p) {
    const int32_t x = p.mp_x - p.mp_xo, y = p.mp_y - p.mp_yo;
    return RBox{x - margin(random), y - margin(random), x + m.i_w - 1 + margin(random),
                y + m.i_h - 1 + margin(random)};
  };
  auto box = [&] {
    const int32_t a = edge(random), b = edge(random), c = edge(random), d = edge(random);
    return RBox{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
  };
  int hits = 0;
  for (int round = 0; round < 3000; ++round) {
    const TMask a = RandomMask(random, density(random)), b = RandomMask(random, density(random));
    const RMaskPose pa{pos(random), pos(random), origin(random), origin(random)};
    const RMaskPose pb{pos(random), pos(random), origin(random), origin(random)};
    const RBox ba = around(a, pa), bb = around(b, pb), rr = box();
    const bool fitting = a.CollisionMask(ba, pa, &b, bb, pb);
    ASSERT_EQ(fitting, a.CollisionMask(ba, pa, &b, bb, pb, EMaskMapping::Rotated)) << "round " << round;
    // Against the definition: some room pixel of both boxes is set in both masks.
    bool expected = false;
    for (int32_t x = std::max(ba.left, bb.left); x <= std::min(ba.right, bb.right); ++x)
      for (int32_t y = std::max(ba.top, bb.top); y <= std::min(ba.bottom, bb.bottom); ++y)
        expected = expected || (a.Bit(x - pa.mp_x + pa.mp_xo, y - pa.mp_y + pa.mp_yo) &&
                                b.Bit(x - pb.mp_x + pb.mp_xo, y - pb.mp_y + pb.mp_yo));
    ASSERT_EQ(fitting, expected) << "round " << round;
    hits += fitting;
    const int32_t px = pos(random), py = pos(random);
    ASSERT_EQ(a.CollisionPoint(pa, px, py), a.CollisionPoint(pa, px, py, EMaskMapping::Rotated));
    ASSERT_EQ(a.CollisionRectangle(ba, pa, rr), a.CollisionRectangle(ba, pa, rr, EMaskMapping::Rotated));
    ASSERT_EQ(a.CollisionEllipse(ba, pa, rr), a.CollisionEllipse(ba, pa, rr, EMaskMapping::Rotated));
  }
  // Both answers occur often enough for the comparison to mean something.
  EXPECT_GT(hits, 150);
  EXPECT_LT(hits, 2850);
}

} // namespace
} // namespace vl
