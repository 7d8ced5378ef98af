// Fuzzes image decoding: any bytes decode or are refused, and a decoded image holds exactly its
// pixels.
#include "graphics/Image_File.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  if (const auto bmp = DecodeImage(data, size))
    if (bmp->Empty() || bmp->s_data.size() != size_t(bmp->s_w) * size_t(bmp->s_h)) std::abort();
  std::vector<TBitmap32> frames;
  if (DecodeGifFrames(data, size, frames) == frames.empty()) std::abort();
  for (const TBitmap32& frame : frames)
    if (frame.s_w != frames[0].s_w || frame.s_h != frames[0].s_h) std::abort();
  return 0;
}
