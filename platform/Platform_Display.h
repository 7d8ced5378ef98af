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

// The depth a desktop of that many bits per pixel counts as: 24-bit (and deeper) visuals hold the
// same colours as 32-bit ones without the padding byte.
int32_t DesktopDepth(int32_t bits);

class TDisplay {
public:
  virtual ~TDisplay() = default;
  virtual RDisplayMode CurrentMode() = 0;
  // Fields of 0 stay as they are. Lasts until RestoreMode or the program's end.
  virtual bool SetMode(const RDisplayMode& wanted) = 0;
  // Whether SetMode would succeed, changing nothing.
  virtual bool TestMode(const RDisplayMode& wanted) = 0;
  // Back to the mode the program started with.
  virtual void RestoreMode() = 0;
};

} // namespace vl
