#pragma once
// The program's windows: the loading window and the game window; the others come with their parts.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vl {

// A view of 32-bit pixels 0xAARRGGBB, rows from the top.
struct RPixels {
  int32_t width = 0;
  int32_t height = 0;
  const uint32_t* data = nullptr;
};

// Where everything of the loading window sits, in client pixels; computed by the runner.
struct RLoadLayout {
  int32_t left = 0, top = 0;          // window position on the screen
  int32_t client_w = 0, client_h = 0; // client size
  bool bar_visible = false;           // both bar images
  int32_t bar_left = 24, bar_top = 0;
  int32_t empty_w = 0;      // width of the bar's back image (stretched)
  int32_t full_w = 0;       // width of the bar's front image
  bool stretch_full = true; // front image stretched to full_w, else cut
  bool label_visible = false;
  int32_t label_left = 32, label_top = 0;
  std::string label;
};

class TLoadWindow {
public:
  virtual ~TLoadWindow() = default;
  // The window keeps copies of the images; any of them may be absent.
  virtual void SetImages(const RPixels* image, const RPixels* barBack, const RPixels* barFront) = 0;
  // colourKey: pixels of that colour (0x00RRGGBB) are see-through; alpha 255 is opaque.
  virtual void SetTransparency(std::optional<uint32_t> colourKey, int32_t alpha) = 0;
  virtual void SetLayout(const RLoadLayout& layout) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
};

struct RRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

// How the game window is framed. Full screen has no frame and covers the screen.
struct RWindowStyle {
  bool st_fullscreen = false;
  bool st_border = true;   // windowed: a border and caption
  bool st_sizeable = true; // the border can be dragged; the caption has a maximise button
  bool st_buttons = true;  // the caption shows its buttons
};

// The game window. Its client area receives the presented frames, through the OpenGL context the
// render factory makes on it; the window keeps its border, caption and geometry. Rectangles and
// mouse positions are in screen pixels unless named client.
class TGameWindow {
public:
  virtual ~TGameWindow() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetStyle(const RWindowStyle& style) = 0;
  virtual void SetStayOnTop(bool onTop) = 0;
  virtual bool StayOnTop() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  // The cursor shape by its script constant: 0 the default arrow, -1 none, -2 to -22 the others.
  virtual void SetCursor(int32_t cursor) = 0;
  virtual int32_t Cursor() const = 0;
  // The client area's top-left corner on the screen and its size.
  virtual RRect ClientRect() = 0;
  virtual void SetClientRect(const RRect& rect) = 0;
  // Outer size minus client size, for the current style.
  virtual void FrameExtra(int32_t& width, int32_t& height) = 0;
  // The user cannot drag the client area smaller than this; 0 lifts the limit.
  virtual void SetMinimumClientSize(int32_t width, int32_t height) = 0;
  virtual void MouseOnScreen(int32_t& x, int32_t& y) = 0;
  virtual void SetMouseOnScreen(int32_t x, int32_t y) = 0;
  virtual void MouseInClient(int32_t& x, int32_t& y) = 0;
  virtual void SetMouseInClient(int32_t x, int32_t y) = 0;
};

class TWindows {
public:
  virtual ~TWindows() = default;
  virtual std::unique_ptr<TLoadWindow> CreateLoadWindow() = 0;
  // One per run, hidden until shown.
  virtual std::unique_ptr<TGameWindow> CreateGameWindow() = 0;
};

} // namespace vl
