#pragma once
// Sprite 0 as a square of one image whose every mask test hits, for tests and benchmarks that need
// instances with boxes but no images. Header-only, so that optimized benchmark builds use it too.

#include "world/Sprite_Shape.h"

#include <cstdint>

namespace vl::test {

class CSquareSprite final : public CSpriteShapes {
public:
  CSquareSprite(int32_t size, int32_t xorigin, int32_t yorigin)
      : sq_size(size), sq_xorigin(xorigin), sq_yorigin(yorigin) {}
  bool Shape(int32_t sprite, RSpriteShape& shape) const override {
    if (sprite != 0) return false;
    shape =
        RSpriteShape{1, RBounds{0, 0, sq_size - 1, sq_size - 1}, sq_xorigin, sq_yorigin, sq_size, sq_size};
    return true;
  }
  bool MaskPoint(const RMaskPlace&, int32_t, int32_t) const override { return true; }
  bool MaskRectangle(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskEllipse(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskLine(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskInstance(const RMaskPlace&, const RMaskPlace&) const override { return true; }

private:
  int32_t sq_size, sq_xorigin, sq_yorigin;
};

} // namespace vl::test
