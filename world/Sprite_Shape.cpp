#include "world/Sprite_Shape.h"

namespace vl {

namespace {
const CSpriteShapes* Installed = nullptr;
}

const CSpriteShapes* SpriteShapes() {
  return Installed;
}

void SetSpriteShapes(const CSpriteShapes* shapes) {
  Installed = shapes;
}

} // namespace vl
