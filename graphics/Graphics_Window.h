#pragma once
// The game window's state: its geometry, style and colour, and where the room region sits in its
// client area. The render device presents frames through it; mouse positions map through it.

#include "platform/Platform_Windows.h"

#include <cstdint>

namespace vl {

// What presenting needs: the client size, the port the render area is scaled into (client
// coordinates) and the colour of the bands around it (0x00BBGGRR).
struct RWindowPort {
  int32_t wp_clientw = 640, wp_clienth = 480;
  RWindowRect wp_port{0, 0, 640, 480};
  uint32_t wp_colour = 0;
};

// The game window, made at start; null before it exists.
TGameWindow* GameWindow();
RWindowPort Window_PresentPort();

} // namespace vl
