// The game window's state, the room region's place in it and the window callbacks.
#include "graphics/Graphics_Window.h"

#include "platform/Platform.h"
#include "script/Code_Operator.h"
#include "world/Room_Class.h"

#include <algorithm>
#include <memory>

namespace vl {

namespace {

RWindowState State;
std::unique_ptr<TGameWindow> Window;
bool (*Repaint)() = nullptr;

int32_t Round(double v) {
  return RoundToInt32(v);
}

RDisplayMode Screen() {
  return Display().CurrentMode();
}

// The scale a negative one stands for: the largest that fits the region into the client area.
double FitScale(int32_t cw, int32_t ch, int32_t rw, int32_t rh) {
  return std::min(double(cw) / std::max(rw, 1), double(ch) / std::max(rh, 1));
}

// The smallest client size a positive scale allows; 0 otherwise.
void Minimum(int32_t& w, int32_t& h) {
  if (State.ws_scale > 0)
    w = Round(State.ws_regionw * State.ws_scale), h = Round(State.ws_regionh * State.ws_scale);
  else
    w = h = 0;
}

// Tells the window how small the user may drag it.
void ApplyMinimum() {
  if (!Window) return;
  int32_t w, h;
  Minimum(w, h);
  Window->SetMinimumClientSize(w, h);
}

} // namespace

RWindowState& WindowState() {
  return State;
}

TGameWindow* GameWindow() {
  return Window.get();
}

void Window_Create() {
  Window = Windows().CreateGameWindow();
  Window->SetClientRect(State.ws_client);
}

void Window_SetRepaint(bool (*repaint)()) {
  Repaint = repaint;
}

RWindowPort Window_PresentPort() {
  const RRect client = Window_Client();
  RWindowPort port;
  port.wp_clientw = client.w, port.wp_clienth = client.h;
  port.wp_port = Window_PortOf(client.w, client.h, State.ws_regionw, State.ws_regionh, State.ws_scale);
  port.wp_colour = State.ws_colour;
  return port;
}

RRect Window_PortOf(int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s) {
  if (s == 0) return {0, 0, cw, ch};
  if (s < 0) s = FitScale(cw, ch, rw, rh);
  const int32_t w = Round(rw * s), h = Round(rh * s);
  return {(cw - w) / 2, (ch - h) / 2, w, h};
}

void Window_ToRegionOf(const RRect& c, int32_t rw, int32_t rh, double s, int32_t wx, int32_t wy, int32_t& rx,
                       int32_t& ry) {
  if (s == 0) {
    rx = Round(double(wx - c.x) * rw / std::max(c.w, 1));
    ry = Round(double(wy - c.y) * rh / std::max(c.h, 1));
    return;
  }
  if (s < 0) s = FitScale(c.w, c.h, rw, rh);
  if (s == 0) {
    rx = ry = 0;
    return;
  }
  const int64_t halfw = (int64_t(c.w) - Round(rw * s)) / 2, halfh = (int64_t(c.h) - Round(rh * s)) / 2;
  rx = Round(double(wx - c.x - halfw) / s);
  ry = Round(double(wy - c.y - halfh) / s);
}

void Window_FromRegionOf(const RRect& c, int32_t rw, int32_t rh, double s, int32_t rx, int32_t ry,
                         int32_t& wx, int32_t& wy) {
  if (s == 0) {
    wx = c.x + Round(double(rx) * c.w / std::max(rw, 1));
    wy = c.y + Round(double(ry) * c.h / std::max(rh, 1));
    return;
  }
  if (s < 0) s = FitScale(c.w, c.h, rw, rh);
  wx = c.x + c.w / 2 + Round(rx * s) - Round(rw * s) / 2;
  wy = c.y + c.h / 2 + Round(ry * s) - Round(rh * s) / 2;
}

void Window_ToRegion(int32_t wx, int32_t wy, int32_t& rx, int32_t& ry) {
  Window_ToRegionOf(Window_Client(), State.ws_regionw, State.ws_regionh, State.ws_scale, wx, wy, rx, ry);
}

void Window_FromRegion(int32_t rx, int32_t ry, int32_t& wx, int32_t& wy) {
  Window_FromRegionOf(Window_Client(), State.ws_regionw, State.ws_regionh, State.ws_scale, rx, ry, wx, wy);
}

RRect Window_Client() {
  // A window manager may take a while to make a window full screen; its answer is known already.
  if (State.ws_fullscreen) return {0, 0, Screen().width, Screen().height};
  if (Window) return Window->ClientRect();
  return State.ws_client;
}

void Window_RememberGeometry() {
  if (State.ws_fullscreen || State.ws_updating || !Window) return;
  State.ws_client = Window->ClientRect();
  Window->FrameExtra(State.ws_framew, State.ws_frameh);
}

void Window_Rearrange() {
  if (!Window) return;
  State.ws_updating = true;
  RWindowStyle style;
  style.st_fullscreen = State.ws_fullscreen;
  style.st_border = State.ws_showborder;
  style.st_sizeable = State.ws_sizeable;
  style.st_buttons = State.ws_showicons;
  Window->SetStyle(style);
  if (State.ws_fullscreen)
    Window->SetClientRect({0, 0, Screen().width, Screen().height});
  else
    Window->SetClientRect(State.ws_client);
  ApplyMinimum();
  State.ws_updating = false;
}

void Window_SetFullscreen(bool fullscreen) {
  if (fullscreen == State.ws_fullscreen) return;
  Window_RememberGeometry();
  State.ws_fullscreen = fullscreen;
  Window_Rearrange();
}

void Window_SetShowBorder(bool show) {
  Window_RememberGeometry();
  State.ws_showborder = show;
  Window_Rearrange();
}

void Window_SetShowIcons(bool show) {
  Window_RememberGeometry();
  State.ws_showicons = show;
  Window_Rearrange();
}

void Window_SetSizeable(bool sizeable) {
  Window_RememberGeometry();
  State.ws_sizeable = sizeable;
  Window_Rearrange();
}

void Window_SetRectangle(int32_t x, int32_t y, int32_t w, int32_t h) {
  Window_RememberGeometry();
  int32_t minw, minh;
  Minimum(minw, minh);
  State.ws_client = {x, y, std::max(w, minw), std::max(h, minh)};
  Window_Rearrange();
}

void Window_SetSize(int32_t w, int32_t h) {
  Window_RememberGeometry();
  Window_SetRectangle(State.ws_client.x, State.ws_client.y, w, h);
}

void Window_SetPosition(int32_t x, int32_t y) {
  Window_RememberGeometry();
  State.ws_client.x = x, State.ws_client.y = y;
  Window_Rearrange();
}

void Window_Center() {
  Window_RememberGeometry();
  Window_SetPosition((Screen().width - State.ws_client.w) / 2, (Screen().height - State.ws_client.h) / 2);
}

void Window_Default() {
  int32_t w = State.ws_regionw, h = State.ws_regionh;
  if (State.ws_scale > 0) w = Round(w * State.ws_scale), h = Round(h * State.ws_scale);
  Window_SetRectangle((Screen().width - w) / 2, (Screen().height - h) / 2, w, h);
}

namespace {

// What both region setters do once the size or scale is in place.
void AdaptToRegion(bool adapt) {
  if (State.ws_scale > 0) {
    int32_t w, h;
    Minimum(w, h);
    Window_RememberGeometry();
    if (adapt)
      Window_SetSize(w, h);
    else if (State.ws_client.w < w || State.ws_client.h < h)
      Window_SetSize(std::max(State.ws_client.w, w), std::max(State.ws_client.h, h));
  }
  ApplyMinimum();
  Window_Paint();
}

} // namespace

void Window_SetRegionSize(int32_t w, int32_t h, bool adapt) {
  if (w > 0) State.ws_regionw = w;
  if (h > 0) State.ws_regionh = h;
  AdaptToRegion(adapt);
}

void Window_SetRegionScale(double scale, bool adapt) {
  State.ws_scale = scale;
  AdaptToRegion(adapt);
}

void Room_SetRegion(const CRoom& room) {
  int32_t w = room.r_width, h = room.r_height;
  if (room.r_enableviews) {
    w = h = 8;
    for (const CView& v : room.r_view)
      if (v.visible) w = std::max(w, v.xport + v.wport), h = std::max(h, v.yport + v.hport);
  }
  const RDisplayMode screen = Screen();
  if (screen.width > 0) w = std::min(w, screen.width); // 0: the display could not be asked
  if (screen.height > 0) h = std::min(h, screen.height);
  if (w == State.ws_regionw && h == State.ws_regionh) return;
  Window_SetRegionSize(w, h, true);
  Window_Default();
}

void Window_Paint() {
  // The device clears the bands around the port as it presents.
  if (Repaint) Repaint();
}

void Window_Resize() {
  Window_RememberGeometry();
  Window_Paint();
}

void ResetWindowState() {
  Window.reset();
  State = RWindowState();
}

} // namespace vl
