// Fuzzes the readers of sprite and background records and files. The first byte chooses the
// reader; a sprite that loads is then tested against itself, placed plainly, scaled and rotated,
// so that masks read from the bytes meet every collision test.
#include "data/Background_Class.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"

#include <cstdlib>

namespace {

void Collide(const vl::CSprite& spr, uint8_t seed) {
  using namespace vl;
  const RBox box{-40, -40, 40, 40};
  for (double angle : {0.0, 30.0 + seed}) {
    const RSpritePlace a{seed, box, 0, 0, 1, 1, angle};
    const RSpritePlace b{seed + 1, box, 3, -2, seed % 3 ? 1.5 : 0.0, 1, 0};
    spr.CheckCollision(a, &spr, b);
    spr.CheckCollisionPoint(a, 1, 2);
    spr.CheckCollisionRectangle(b, {-5, -5, 5, 5});
    spr.CheckCollisionEllipse(a, {-5, 0, 5, 0});
    spr.CheckCollisionLine(b, -10, -3, 12, 7);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  if (size < 1) return 0;
  CStream s(data + 1, size - 1);
  CSprite spr;
  CBackground back;
  try {
    switch (data[0] % 4) {
    case 0:
      if (spr.LoadFromStream(s)) Collide(spr, data[0]);
      break;
    case 1: back.LoadFromStream(s); break;
    case 2:
      if (spr.LoadFromSpriteStream(s)) Collide(spr, data[0]);
      break;
    default: back.LoadFromBackgroundStream(s); break;
    }
  } catch (const EStreamError&) {
    // Damaged records fail their section.
  }
  for (const TBitmap32& frame : spr.i_bitmap)
    if (frame.s_data.size() != size_t(frame.s_w) * size_t(frame.s_h)) std::abort();
  return 0;
}
