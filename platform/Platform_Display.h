#pragma once
// The screen's display mode.

#include <cstdint>

namespace vl {

struct RDisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;      // bits per pixel
  int32_t frequency = 0; // Hz, 0 when unknown
};

class TDisplay {
public:
  virtual ~TDisplay() = default;
  virtual RDisplayMode CurrentMode() = 0;
  // Fields of 0 stay as they are.
  virtual bool SetMode(const RDisplayMode& wanted) = 0;
};

} // namespace vl
