// Fuzzes sound decoding: any bytes decode to whole stereo frames of finite samples or are refused.
#include "sound/Sound_Decode.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  RPcm pcm;
  if (DecodeAudio(std::string_view(reinterpret_cast<const char*>(data), size), pcm)) {
    if (pcm.pc_samples.size() % 2 != 0) std::abort();
    for (float s : pcm.pc_samples)
      if (!std::isfinite(s)) std::abort();
  }
  return 0;
}
