#pragma once
// The sprite and background tables as the world sees them: sprite shapes with their mask tests,
// and background sizes.

#include "world/Room_Class.h"
#include "world/Sprite_Shape.h"

namespace vl {

class CImageShapes final : public CSpriteShapes, public CBackgroundSizes {
public:
  bool Shape(int32_t sprite, RSpriteShape& shape) const override;
  bool MaskPoint(const RMaskPlace& place, int32_t x, int32_t y) const override;
  bool MaskRectangle(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const override;
  bool MaskEllipse(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const override;
  bool MaskLine(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const override;
  bool MaskInstance(const RMaskPlace& place, const RMaskPlace& other) const override;

  bool Size(int32_t index, int32_t& width, int32_t& height) const override;
};

CImageShapes& ImageShapes();

} // namespace vl
