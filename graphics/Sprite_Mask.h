#pragma once
// TMask: the collision mask of a sprite frame, a bit per pixel and the box of the shape, and the
// tests of a placed mask against another mask, a point, a rectangle, an ellipse and a line.

#include "graphics/BM32_Bitmap.h"

#include <cstdint>
#include <vector>

namespace vl {

// Where a mask lies in the room: the rounded instance position, the sprite origin, the image scales
// and the angle in degrees, counter-clockwise.
struct RMaskPose {
  int32_t mp_x = 0;
  int32_t mp_y = 0;
  int32_t mp_xo = 0;
  int32_t mp_yo = 0;
  double mp_xscale = 1;
  double mp_yscale = 1;
  double mp_angle = 0;

  bool Plain() const { return mp_xscale == 1 && mp_yscale == 1 && mp_angle == 0; }
};

// The mapping from room pixels to mask pixels: by whole pixels when nothing is scaled or rotated
// (Fitting), or always through rotation and scales, which gives the same pixels and is there to
// show that it does.
enum class EMaskMapping { Fitting, Rotated };

class TMask {
public:
  enum : int32_t { kPrecise = 0, kRectangle = 1, kEllipse = 2, kDiamond = 3 };
  enum : int32_t { kBoxAutomatic = 0, kBoxFull = 1, kBoxManual = 2 };

  TMask() = default;
  // The mask of a frame; with no bitmap, the empty mask.
  TMask(const TBitmap32* bm, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance);
  // Adds a further frame: the box becomes the union of both, and the shape grows as its kind says.
  void Merge(const TBitmap32* bm, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance);

  bool Bit(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < i_w && y < i_h && i_mask[size_t(x) * size_t(i_h) + size_t(y)];
  }
  void SetBit(int32_t x, int32_t y, bool on) { i_mask[size_t(x) * size_t(i_h) + size_t(y)] = on; }
  bool Empty() const { return i_w <= 0 || i_h <= 0; }

  // Boxes are room rectangles, inclusive: bb1 (and bb2) the instances' bounding boxes, rr the shape's.
  bool CollisionMask(const RBox& bb1, const RMaskPose& p1, const TMask* msk, const RBox& bb2,
                     const RMaskPose& p2, EMaskMapping mapping = EMaskMapping::Fitting) const;
  bool CollisionPoint(const RMaskPose& p, int32_t x, int32_t y,
                      EMaskMapping mapping = EMaskMapping::Fitting) const;
  bool CollisionRectangle(const RBox& bb1, const RMaskPose& p, const RBox& rr,
                          EMaskMapping mapping = EMaskMapping::Fitting) const;
  bool CollisionEllipse(const RBox& bb1, const RMaskPose& p, const RBox& rr,
                        EMaskMapping mapping = EMaskMapping::Fitting) const;
  bool CollisionLine(const RBox& bb1, const RMaskPose& p, int32_t xl, int32_t yl, int32_t xr,
                     int32_t yr) const;

  int32_t i_w = 0;
  int32_t i_h = 0;
  std::vector<uint8_t> i_mask; // column by column: pixel (x, y) at x * i_h + y
  RBox i_bbox;
};

} // namespace vl
