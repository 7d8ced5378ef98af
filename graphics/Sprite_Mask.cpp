#include "graphics/Sprite_Mask.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace vl {

namespace {

// A room area in 64 bits, so that no clipping step can overflow.
struct RArea {
  int64_t left, top, right, bottom;
  bool Empty() const { return right < left || bottom < top; }
};

constexpr int64_t kFar = int64_t(1) << 40; // beyond any room coordinate

RArea AreaOf(const RBox& b) {
  return {b.left, b.top, b.right, b.bottom};
}

RArea Intersect(const RArea& a, const RArea& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// The shape bit of kinds 2 and 3 for pixel (x, y) of a box.
struct RShape {
  double cx, cy, rx, ry;
  explicit RShape(const RBox& b)
      : cx((double(b.left) + b.right) / 2), cy((double(b.top) + b.bottom) / 2), rx(cx - b.left + 0.5),
        ry(cy - b.top + 0.5) {}
  bool Inside(int32_t kind, int32_t x, int32_t y) const {
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return kind == TMask::kEllipse ? u * u + v * v < 1 : std::abs(u) + std::abs(v) < 1;
  }
};

RBox ClipBox(const RBox& b, int32_t w, int32_t h) {
  return {std::max(b.left, 0), std::max(b.top, 0), std::min(b.right, w - 1), std::min(b.bottom, h - 1)};
}

// A mask placed in the room: maps room pixels to mask pixels, by whole pixels when nothing is scaled
// or rotated, else through the rotation and the scales.
class CPlacedMask {
public:
  CPlacedMask(const TMask& mask, const RMaskPose& pose, bool plain)
      : pm_mask(mask), pm_pose(pose), pm_plain(plain) {
    const double a = -pose.mp_angle * std::numbers::pi / 180;
    pm_cos = std::cos(a), pm_sin = std::sin(a);
  }

  bool At(int64_t x, int64_t y) const {
    if (pm_plain) {
      const int64_t col = x - pm_pose.mp_x + pm_pose.mp_xo, row = y - pm_pose.mp_y + pm_pose.mp_yo;
      return col >= 0 && row >= 0 && col < pm_mask.i_w && row < pm_mask.i_h &&
             pm_mask.i_mask[size_t(col) * size_t(pm_mask.i_h) + size_t(row)];
    }
    return AtOffset(double(x - pm_pose.mp_x), double(y - pm_pose.mp_y));
  }

  // The mask pixel at a real offset from the position. A zero or NaN scale maps nowhere: the
  // quotients become infinite or NaN, which the range test refuses before any conversion.
  bool AtOffset(double dx, double dy) const {
    const double col = pm_pose.mp_xo + (dx * pm_cos + dy * pm_sin) / pm_pose.mp_xscale;
    const double row = pm_pose.mp_yo + (dy * pm_cos - dx * pm_sin) / pm_pose.mp_yscale;
    if (!(col >= 0 && col < pm_mask.i_w && row >= 0 && row < pm_mask.i_h)) return false;
    return pm_mask.i_mask[size_t(col) * size_t(pm_mask.i_h) + size_t(row)];
  }

  // Room pixels outside this area map outside the mask. Rotated areas get a margin that covers the
  // rounding of the mapping; an area that cannot be bounded is the whole plane.
  RArea Extent() const {
    const int64_t x0 = int64_t(pm_pose.mp_x) - pm_pose.mp_xo, y0 = int64_t(pm_pose.mp_y) - pm_pose.mp_yo;
    if (pm_plain) return {x0, y0, x0 + pm_mask.i_w - 1, y0 + pm_mask.i_h - 1};
    double minx = HUGE_VAL, maxx = -HUGE_VAL, miny = HUGE_VAL, maxy = -HUGE_VAL;
    for (int32_t u : {0, pm_mask.i_w})
      for (int32_t v : {0, pm_mask.i_h}) {
        const double p = (double(u) - pm_pose.mp_xo) * pm_pose.mp_xscale;
        const double q = (double(v) - pm_pose.mp_yo) * pm_pose.mp_yscale;
        const double dx = p * pm_cos - q * pm_sin, dy = p * pm_sin + q * pm_cos;
        minx = std::min(minx, dx), maxx = std::max(maxx, dx), miny = std::min(miny, dy),
        maxy = std::max(maxy, dy);
        if (!std::isfinite(dx) || !std::isfinite(dy)) return {-kFar, -kFar, kFar, kFar};
      }
    const double limit = double(kFar);
    if (std::max({-minx, maxx, -miny, maxy}) > limit) return {-kFar, -kFar, kFar, kFar};
    const double margin = 2 + 1e-9 * std::max({-minx, maxx, -miny, maxy});
    return {
        pm_pose.mp_x + int64_t(std::floor(minx - margin)), pm_pose.mp_y + int64_t(std::floor(miny - margin)),
        pm_pose.mp_x + int64_t(std::ceil(maxx + margin)), pm_pose.mp_y + int64_t(std::ceil(maxy + margin))};
  }

  // For the whole-pixel mapping: the bits of column x from row y on.
  const uint8_t* Column(int64_t x, int64_t y) const {
    const int64_t col = x - pm_pose.mp_x + pm_pose.mp_xo, row = y - pm_pose.mp_y + pm_pose.mp_yo;
    return pm_mask.i_mask.data() + size_t(col) * size_t(pm_mask.i_h) + size_t(row);
  }

private:
  const TMask& pm_mask;
  const RMaskPose& pm_pose;
  bool pm_plain;
  double pm_cos = 1, pm_sin = 0;
};

// True when some pixel of the area that `counts` is set in the placed mask.
template <typename Counts>
bool AnySet(const CPlacedMask& placed, RArea area, Counts counts) {
  area = Intersect(area, placed.Extent());
  for (int64_t x = area.left; x <= area.right; ++x)
    for (int64_t y = area.top; y <= area.bottom; ++y)
      if (counts(x, y) && placed.At(x, y)) return true;
  return false;
}

} // namespace

TMask::TMask(const TBitmap32* bm, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance) {
  if (!bm) return;
  i_w = std::max(bm->s_w, 0);
  i_h = std::max(bm->s_h, 0);
  i_mask.assign(size_t(i_w) * size_t(i_h), 0);
  if (bbmode == kBoxAutomatic)
    i_bbox = bm->BoundingBox(tolerance);
  else if (bbmode == kBoxFull)
    i_bbox = {0, 0, i_w - 1, i_h - 1};
  else
    i_bbox = ClipBox(bbox, i_w, i_h);
  const RBox& b = i_bbox;
  const RShape shape(b);
  for (int32_t x = b.left; x <= b.right; ++x)
    for (int32_t y = b.top; y <= b.bottom; ++y) {
      switch (kind) {
      case kPrecise: SetBit(x, y, int32_t(bm->Row(y)[x] >> 24) > tolerance); break;
      case kRectangle: SetBit(x, y, true); break;
      case kEllipse:
      case kDiamond: SetBit(x, y, shape.Inside(kind, x, y)); break;
      default: break;
      }
    }
}

void TMask::Merge(const TBitmap32* bm, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance) {
  const TMask m(bm, bbmode, bbox, kind, tolerance);
  i_bbox = {std::min(i_bbox.left, m.i_bbox.left), std::min(i_bbox.top, m.i_bbox.top),
            std::max(i_bbox.right, m.i_bbox.right), std::max(i_bbox.bottom, m.i_bbox.bottom)};
  if (kind == kPrecise) {
    const int32_t w = std::min(i_w, m.i_w), h = std::min(i_h, m.i_h);
    for (int32_t x = 0; x < w; ++x)
      for (int32_t y = 0; y < h; ++y)
        if (m.Bit(x, y)) SetBit(x, y, true);
    return;
  }
  const RBox clip = ClipBox(i_bbox, i_w, i_h);
  const RShape shape(i_bbox);
  const bool shaped = kind == kEllipse || kind == kDiamond;
  for (int32_t x = clip.left; x <= clip.right; ++x)
    for (int32_t y = clip.top; y <= clip.bottom; ++y) SetBit(x, y, !shaped || shape.Inside(kind, x, y));
}

bool TMask::CollisionMask(const RBox& bb1, const RMaskPose& p1, const TMask* msk, const RBox& bb2,
                          const RMaskPose& p2, EMaskMapping mapping) const {
  if (!msk) return false;
  const bool plain = mapping == EMaskMapping::Fitting && p1.Plain() && p2.Plain();
  const CPlacedMask mine(*this, p1, plain), theirs(*msk, p2, plain);
  const RArea area =
      Intersect(Intersect(AreaOf(bb1), AreaOf(bb2)), Intersect(mine.Extent(), theirs.Extent()));
  if (area.Empty()) return false;
  if (plain) {
    // Both masks cover the whole area: compare column against column.
    const int64_t rows = area.bottom - area.top + 1;
    for (int64_t x = area.left; x <= area.right; ++x) {
      const uint8_t *a = mine.Column(x, area.top), *b = theirs.Column(x, area.top);
      for (int64_t i = 0; i < rows; ++i)
        if (a[i] & b[i]) return true;
    }
    return false;
  }
  for (int64_t x = area.left; x <= area.right; ++x)
    for (int64_t y = area.top; y <= area.bottom; ++y)
      if (mine.At(x, y) && theirs.At(x, y)) return true;
  return false;
}

namespace {

bool UsePlain(const RMaskPose& p, EMaskMapping mapping) {
  return mapping == EMaskMapping::Fitting && p.Plain();
}

} // namespace

bool TMask::CollisionPoint(const RMaskPose& p, int32_t x, int32_t y, EMaskMapping mapping) const {
  return CPlacedMask(*this, p, UsePlain(p, mapping)).At(x, y);
}

bool TMask::CollisionRectangle(const RBox& bb1, const RMaskPose& p, const RBox& rr,
                               EMaskMapping mapping) const {
  const CPlacedMask placed(*this, p, UsePlain(p, mapping));
  return AnySet(placed, Intersect(AreaOf(bb1), AreaOf(rr)), [](int64_t, int64_t) { return true; });
}

bool TMask::CollisionEllipse(const RBox& bb1, const RMaskPose& p, const RBox& rr,
                             EMaskMapping mapping) const {
  const double cx = (double(rr.left) + rr.right) / 2, rx = (double(rr.right) - rr.left) / 2;
  const double cy = (double(rr.top) + rr.bottom) / 2, ry = (double(rr.bottom) - rr.top) / 2;
  // A zero radius leaves the segment through the centre.
  auto term = [](double d, double r) { return r == 0 ? (d == 0 ? 0 : HUGE_VAL) : (d / r) * (d / r); };
  const CPlacedMask placed(*this, p, UsePlain(p, mapping));
  return AnySet(placed, Intersect(AreaOf(bb1), AreaOf(rr)), [&](int64_t x, int64_t y) {
    return term(double(x) - cx, rx) + term(double(y) - cy, ry) <= 1;
  });
}

bool TMask::CollisionLine(const RBox& bb1, const RMaskPose& p, int32_t xl, int32_t yl, int32_t xr,
                          int32_t yr) const {
  if (xl == xr || yl == yr) return CollisionRectangle(bb1, p, {xl, std::min(yl, yr), xr, std::max(yl, yr)});
  const CPlacedMask placed(*this, p, false);
  const RArea extent = Intersect(placed.Extent(), AreaOf(bb1));
  const double px = p.mp_x, py = p.mp_y;
  if (std::abs(int64_t(xr) - xl) < std::abs(int64_t(yr) - yl)) {
    const bool down = yl < yr;
    const double xa = down ? xl : xr, ya = down ? yl : yr, xb = down ? xr : xl, yb = down ? yr : yl;
    for (int64_t y = std::max(extent.top, int64_t(ya)); y <= std::min(extent.bottom, int64_t(yb)); ++y) {
      const double x = (double(y) - ya) * (xb - xa) / (yb - ya) + xa;
      if (placed.AtOffset(x - px, double(y) - py)) return true;
    }
    return false;
  }
  const bool right = xl < xr;
  const double xa = right ? xl : xr, ya = right ? yl : yr, xb = right ? xr : xl, yb = right ? yr : yl;
  for (int64_t x = std::max(extent.left, int64_t(xa)); x <= std::min(extent.right, int64_t(xb)); ++x) {
    const double y = (double(x) - xa) * (yb - ya) / (xb - xa) + ya;
    if (placed.AtOffset(double(x) - px, y - py)) return true;
  }
  return false;
}

} // namespace vl
