// Fuzzes image decoding: any bytes decode or are refused, and a decoded image holds exactly its
// pixels. Images are limited to a million pixels here, so that inputs that only claim a large size
// do not spend the run allocating it; the limit itself is tested in the unit tests.
#include "graphics/Image_File.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  constexpr int64_t kLimit = 1 << 20;
  if (const auto bmp = DecodeImage(data, size, kLimit))
    if (bmp->Empty() || bmp->s_data.size() != size_t(bmp->s_w) * size_t(bmp->s_h)) std::abort();
  std::vector<TBitmap32> frames;
  if (DecodeGifFrames(data, size, frames, kLimit) == frames.empty()) std::abort();
  for (const TBitmap32& frame : frames)
    if (frame.s_w != frames[0].s_w || frame.s_h != frames[0].s_h) std::abort();
  return 0;
}
