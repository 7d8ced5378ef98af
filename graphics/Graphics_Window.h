#pragma once
// The game window's state: its geometry, style and colour, and where the room region sits in its
// client area. The render device presents frames through it; mouse positions map through it.

#include "platform/Platform_Windows.h"

#include <cstdint>

namespace vl {

class CRoom;

// What presenting needs: the client size, the port the render area is scaled into (client
// coordinates) and the colour of the bands around it (0x00BBGGRR).
struct RWindowPort {
  int32_t wp_clientw = 640, wp_clienth = 480;
  RRect wp_port{0, 0, 640, 480};
  uint32_t wp_colour = 0;
};

struct RWindowState {
  bool ws_fullscreen = false;
  bool ws_showborder = true;
  bool ws_showicons = true; // caption buttons
  bool ws_sizeable = true;
  RRect ws_client{100, 100, 640, 480};   // the windowed client area, remembered while windowed
  int32_t ws_framew = 8, ws_frameh = 32; // outer minus client size, last measured
  int32_t ws_regionw = 640, ws_regionh = 480;
  double ws_scale = 1.0;    // > 0 fixed, 0 stretched, < 0 fitted keeping the aspect
  bool ws_updating = false; // while the window is rearranged
  uint32_t ws_colour = 0;   // outside the room region, 0x00BBGGRR
};

RWindowState& WindowState();

// The game window, made at start; null before it exists.
TGameWindow* GameWindow();
// Makes the game window on the installed windows service, hidden, with the state's geometry.
void Window_Create();
RWindowPort Window_PresentPort();
// Presents the last frame again; installed by the render device, nothing until then.
void Window_SetRepaint(bool (*repaint)());

// Where a region of rw x rh sits in a client area of cw x ch at scale s, in client coordinates.
RRect Window_PortOf(int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s);
// A point between screen coordinates and the region, for a client area `client` (screen
// coordinates), a region of rw x rh and scale s.
void Window_ToRegionOf(const RRect& client, int32_t rw, int32_t rh, double s, int32_t wx, int32_t wy,
                       int32_t& rx, int32_t& ry);
void Window_FromRegionOf(const RRect& client, int32_t rw, int32_t rh, double s, int32_t rx, int32_t ry,
                         int32_t& wx, int32_t& wy);
// The same for the game window as it is now.
void Window_ToRegion(int32_t wx, int32_t wy, int32_t& rx, int32_t& ry);
void Window_FromRegion(int32_t rx, int32_t ry, int32_t& wx, int32_t& wy);

// The client area as it is now (the whole screen in full screen), in screen coordinates.
RRect Window_Client();
void Window_RememberGeometry();
void Window_Rearrange();
void Window_SetFullscreen(bool fullscreen);
void Window_SetShowBorder(bool show);
void Window_SetShowIcons(bool show);
void Window_SetSizeable(bool sizeable);
void Window_SetRectangle(int32_t x, int32_t y, int32_t w, int32_t h);
void Window_SetSize(int32_t w, int32_t h);
void Window_SetPosition(int32_t x, int32_t y);
void Window_Center();
void Window_Default();
void Window_SetRegionSize(int32_t w, int32_t h, bool adapt);
void Window_SetRegionScale(double scale, bool adapt);

// When a room starts: the region becomes the room's size, or with views the extent of the visible
// ports, cut to the screen; when that changes it, the window takes the region's size and is centred.
// The render area follows the region size.
void Room_SetRegion(const CRoom& room);

// The window callbacks: paint the bands and the last frame; the client area changed size. How small
// the user may drag the window is told to the window whenever it changes.
void Window_Paint();
void Window_Resize();

// Closes the window and forgets the state.
void ResetWindowState();

} // namespace vl
