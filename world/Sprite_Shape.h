#pragma once
// What instances need to know of sprites: the image count, the bounding box and origin for their
// own bounding box, and the mask tests of precise collisions. The sprite table implements this and
// installs it; without it no sprite exists.

#include <cstdint>

namespace vl {

struct RBounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct RSpriteShape {
  int32_t ss_images = 0;
  RBounds ss_bbox; // the sprite's own bounding box, inclusive
  int32_t ss_xorigin = 0;
  int32_t ss_yorigin = 0;
  int32_t ss_width = 0;
  int32_t ss_height = 0;
};

// Where an instance's mask lies: its frame, room bounding box, rounded position, scales and angle.
struct RMaskPlace {
  int32_t mp_sprite = -1;
  int32_t mp_image = 0;
  RBounds mp_bbox;
  int32_t mp_x = 0;
  int32_t mp_y = 0;
  double mp_xscale = 1;
  double mp_yscale = 1;
  double mp_angle = 0;
};

class CSpriteShapes {
public:
  virtual ~CSpriteShapes() = default;
  // False when the sprite does not exist.
  virtual bool Shape(int32_t sprite, RSpriteShape& shape) const = 0;
  virtual bool MaskPoint(const RMaskPlace& place, int32_t x, int32_t y) const = 0;
  virtual bool MaskRectangle(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2) const = 0;
  virtual bool MaskEllipse(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const = 0;
  virtual bool MaskLine(const RMaskPlace& place, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const = 0;
  virtual bool MaskInstance(const RMaskPlace& place, const RMaskPlace& other) const = 0;
};

// The installed sprite shapes, or null.
const CSpriteShapes* SpriteShapes();
void SetSpriteShapes(const CSpriteShapes* shapes);

} // namespace vl
