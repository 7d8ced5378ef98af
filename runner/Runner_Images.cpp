#include "runner/Runner_Images.h"

#include "data/Background_Class.h"
#include "data/Sprite_Class.h"

#include <algorithm>

namespace vl {

namespace {

CImageShapes Shapes;

RSpritePlace PlaceOf(const RMaskPlace& place) {
  const RBounds& b = place.mp_bbox;
  return {place.mp_image,  {b.left, b.top, b.right, b.bottom},
          place.mp_x,      place.mp_y,
          place.mp_xscale, place.mp_yscale,
          place.mp_angle};
}

// The shape tests of instances take the corners in any order; the masks take them ordered.
RBox Ordered(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

} // namespace

CImageShapes& ImageShapes() {
  return Shapes;
}

bool CImageShapes::Shape(int32_t sprite, RSpriteShape& shape) const {
  const CSprite* spr = Sprites().Get(sprite);
  if (!spr) return false;
  shape.ss_images = spr->Count();
  shape.ss_bbox = {spr->i_bbox.left, spr->i_bbox.top, spr->i_bbox.right, spr->i_bbox.bottom};
  shape.ss_xorigin = spr->i_xorig;
  shape.ss_yorigin = spr->i_yorig;
  shape.ss_width = spr->GetWidth();
  shape.ss_height = spr->GetHeight();
  return true;
}

bool CImageShapes::MaskPoint(const RMaskPlace& place, int32_t x, int32_t y) const {
  const CSprite* spr = Sprites().Get(place.mp_sprite);
  return spr && spr->CheckCollisionPoint(PlaceOf(place), x, y);
}

bool CImageShapes::MaskRectangle(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2) const {
  const CSprite* spr = Sprites().Get(place.mp_sprite);
  return spr && spr->CheckCollisionRectangle(PlaceOf(place), Ordered(x1, y1, x2, y2));
}

bool CImageShapes::MaskEllipse(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2,
                               int32_t y2) const {
  const CSprite* spr = Sprites().Get(place.mp_sprite);
  return spr && spr->CheckCollisionEllipse(PlaceOf(place), Ordered(x1, y1, x2, y2));
}

bool CImageShapes::MaskLine(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  const CSprite* spr = Sprites().Get(place.mp_sprite);
  if (x2 < x1) std::swap(x1, x2), std::swap(y1, y2);
  return spr && spr->CheckCollisionLine(PlaceOf(place), x1, y1, x2, y2);
}

bool CImageShapes::MaskInstance(const RMaskPlace& place, const RMaskPlace& other) const {
  const CSprite* spr = Sprites().Get(place.mp_sprite);
  return spr && spr->CheckCollision(PlaceOf(place), Sprites().Get(other.mp_sprite), PlaceOf(other));
}

bool CImageShapes::Size(int32_t index, int32_t& width, int32_t& height) const {
  const CBackground* back = Backgrounds().Get(index);
  if (!back) return false;
  width = back->GetWidth();
  height = back->GetHeight();
  return true;
}

} // namespace vl
