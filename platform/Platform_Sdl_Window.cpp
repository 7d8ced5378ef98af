// The SDL backend's windows: the loading window and the game window.
#include "platform/Platform_Sdl.h"

#include <SDL.h>
#include <SDL_shape.h>
#include <algorithm>
#include <vector>

namespace vl {

namespace {

struct RImageCopy {
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px;
  bool Present() const { return w > 0 && h > 0; }
  void From(const RPixels* p) {
    if (!p || p->width <= 0 || p->height <= 0) return void(*this = RImageCopy{});
    w = p->width, h = p->height;
    px.assign(p->data, p->data + size_t(w) * size_t(h));
  }
};

class TSdlLoadWindow final : public TLoadWindow {
public:
  explicit TSdlLoadWindow(const std::string& title) : m_title(title) {}
  ~TSdlLoadWindow() override { Hide(); }

  void SetImages(const RPixels* image, const RPixels* barBack, const RPixels* barFront) override {
    m_image.From(image), m_back.From(barBack), m_front.From(barFront);
  }
  void SetTransparency(std::optional<uint32_t> colourKey, int32_t alpha) override {
    m_key = colourKey, m_alpha = alpha;
  }
  void SetLayout(const RLoadLayout& layout) override {
    m_layout = layout;
    if (m_window) {
      SDL_SetWindowPosition(m_window, layout.left, layout.top);
      Paint();
    }
  }
  void Show() override {
    if (m_window) return;
    const int w = std::max(1, m_layout.client_w), h = std::max(1, m_layout.client_h);
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
    if (m_key && m_image.Present()) {
      m_window = SDL_CreateShapedWindow(m_title.c_str(), m_layout.left, m_layout.top, w, h, flags);
      if (m_window) ApplyShape();
    }
    if (!m_window) m_window = SDL_CreateWindow(m_title.c_str(), m_layout.left, m_layout.top, w, h, flags);
    if (!m_window) return;
    if (m_alpha < 255) SDL_SetWindowOpacity(m_window, float(m_alpha) / 255.0f);
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    SDL_SetCursor(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT));
    Paint();
  }
  void Hide() override {
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_window) SDL_DestroyWindow(m_window);
    m_renderer = nullptr, m_window = nullptr;
  }

private:
  void ApplyShape() {
    SDL_Surface* shape = SDL_CreateRGBSurfaceWithFormatFrom(m_image.px.data(), m_image.w, m_image.h, 32,
                                                            m_image.w * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!shape) return;
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeColorKey;
    mode.parameters.colorKey = SDL_Color{Uint8(*m_key >> 16), Uint8(*m_key >> 8), Uint8(*m_key), 255};
    SDL_SetWindowShape(m_window, shape, &mode);
    SDL_FreeSurface(shape);
  }

  void Blit(const RImageCopy& img, int x, int y, int w, int h) {
    if (!img.Present() || w <= 0 || h <= 0) return;
    SDL_Texture* tex =
        SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, img.w, img.h);
    if (!tex) return;
    SDL_UpdateTexture(tex, nullptr, img.px.data(), img.w * 4);
    const SDL_Rect dst{x, y, w, h};
    SDL_RenderCopy(m_renderer, tex, nullptr, &dst);
    SDL_DestroyTexture(tex);
  }

  void Paint() {
    if (!m_renderer) return;
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    Blit(m_image, 0, 0, m_image.w, m_image.h);
    if (m_layout.bar_visible) {
      Blit(m_back, m_layout.bar_left, m_layout.bar_top, m_layout.empty_w, m_back.h);
      if (m_layout.stretch_full) {
        Blit(m_front, m_layout.bar_left, m_layout.bar_top, m_layout.full_w, m_front.h);
      } else if (m_front.Present() && m_layout.full_w > 0) {
        // Not stretched: the image is cut to the bar's current width.
        SDL_Texture* tex = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             m_front.w, m_front.h);
        if (tex) {
          SDL_UpdateTexture(tex, nullptr, m_front.px.data(), m_front.w * 4);
          const int w = std::min(m_layout.full_w, m_front.w);
          const SDL_Rect src{0, 0, w, m_front.h}, dst{m_layout.bar_left, m_layout.bar_top, w, m_front.h};
          SDL_RenderCopy(m_renderer, tex, &src, &dst);
          SDL_DestroyTexture(tex);
        }
      }
    }
    SDL_RenderPresent(m_renderer);
  }

  std::string m_title;
  RImageCopy m_image, m_back, m_front;
  std::optional<uint32_t> m_key;
  int32_t m_alpha = 255;
  RLoadLayout m_layout;
  SDL_Window* m_window = nullptr;
  SDL_Renderer* m_renderer = nullptr;
};

// SDL's system cursors for the script's cursor constants (0 and -2 both the arrow); -1 hides it.
SDL_SystemCursor SystemCursor(int32_t cursor) {
  switch (cursor) {
  case -3: return SDL_SYSTEM_CURSOR_CROSSHAIR;
  case -4: return SDL_SYSTEM_CURSOR_IBEAM;
  case -6: return SDL_SYSTEM_CURSOR_SIZENESW;
  case -7:
  case -15: return SDL_SYSTEM_CURSOR_SIZENS;
  case -8: return SDL_SYSTEM_CURSOR_SIZENWSE;
  case -9:
  case -14: return SDL_SYSTEM_CURSOR_SIZEWE;
  case -11:
  case -17: return SDL_SYSTEM_CURSOR_WAIT;
  case -13:
  case -18: return SDL_SYSTEM_CURSOR_NO;
  case -19: return SDL_SYSTEM_CURSOR_WAITARROW;
  case -21: return SDL_SYSTEM_CURSOR_HAND;
  case -22: return SDL_SYSTEM_CURSOR_SIZEALL;
  default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

// A resizable OpenGL window, hidden until shown. Full screen is a borderless window over the whole
// desktop: the desktop's mode never changes. SDL cannot choose which caption buttons a window has,
// so that choice is kept but not shown.
class TSdlGameWindow final : public TGameWindow {
public:
  explicit TSdlGameWindow(const std::string& title) {
    m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  }
  ~TSdlGameWindow() override {
    if (m_cursor) SDL_FreeCursor(m_cursor);
    if (m_window) SDL_DestroyWindow(m_window);
  }
  SDL_Window* Window() const { return m_window; }

  void SetCaption(const std::string& caption) override {
    if (m_window) SDL_SetWindowTitle(m_window, caption.c_str());
  }
  std::string Caption() const override { return m_window ? SDL_GetWindowTitle(m_window) : ""; }
  void SetStyle(const RWindowStyle& style) override {
    if (!m_window) return;
    SDL_SetWindowFullscreen(m_window, style.st_fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (style.st_fullscreen) return;
    SDL_SetWindowBordered(m_window, style.st_border ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(m_window, style.st_border && style.st_sizeable ? SDL_TRUE : SDL_FALSE);
  }
  void SetStayOnTop(bool onTop) override {
    m_ontop = onTop;
    if (m_window) SDL_SetWindowAlwaysOnTop(m_window, onTop ? SDL_TRUE : SDL_FALSE);
  }
  bool StayOnTop() const override { return m_ontop; }
  void SetVisible(bool visible) override {
    if (!m_window) return;
    if (visible)
      SDL_ShowWindow(m_window);
    else
      SDL_HideWindow(m_window);
  }
  bool Visible() const override { return m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_SHOWN); }
  void SetCursor(int32_t cursor) override {
    m_cursorid = cursor;
    SDL_ShowCursor(cursor == -1 ? SDL_DISABLE : SDL_ENABLE);
    if (cursor == -1) return;
    SDL_Cursor* next = SDL_CreateSystemCursor(SystemCursor(cursor));
    if (!next) return;
    SDL_SetCursor(next);
    if (m_cursor) SDL_FreeCursor(m_cursor);
    m_cursor = next;
  }
  int32_t Cursor() const override { return m_cursorid; }
  RRect ClientRect() override {
    RRect r;
    if (!m_window) return r;
    SDL_GetWindowPosition(m_window, &r.x, &r.y);
    SDL_GetWindowSize(m_window, &r.w, &r.h);
    return r;
  }
  void SetClientRect(const RRect& rect) override {
    if (!m_window || (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN_DESKTOP)) return;
    SDL_SetWindowSize(m_window, std::max(rect.w, 1), std::max(rect.h, 1));
    SDL_SetWindowPosition(m_window, rect.x, rect.y);
  }
  void FrameExtra(int32_t& width, int32_t& height) override {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (m_window && SDL_GetWindowBordersSize(m_window, &top, &left, &bottom, &right) != 0)
      top = left = bottom = right = 0;
    width = left + right, height = top + bottom;
  }
  void SetMinimumClientSize(int32_t width, int32_t height) override {
    if (m_window) SDL_SetWindowMinimumSize(m_window, std::max(width, 1), std::max(height, 1));
  }
  // Where the system gives no screen position of the pointer (Wayland), the client one stands in.
  void MouseOnScreen(int32_t& x, int32_t& y) override {
    if (m_window && SDL_GetMouseFocus() == m_window) {
      const RRect client = ClientRect();
      SDL_GetMouseState(&x, &y);
      x += client.x, y += client.y;
      return;
    }
    SDL_GetGlobalMouseState(&x, &y);
  }
  void SetMouseOnScreen(int32_t x, int32_t y) override {
    if (SDL_WarpMouseGlobal(x, y) != 0 && m_window) {
      const RRect client = ClientRect();
      SDL_WarpMouseInWindow(m_window, x - client.x, y - client.y);
    }
  }
  void MouseInClient(int32_t& x, int32_t& y) override {
    if (m_window && SDL_GetMouseFocus() == m_window) {
      SDL_GetMouseState(&x, &y);
      return;
    }
    const RRect client = ClientRect();
    SDL_GetGlobalMouseState(&x, &y);
    x -= client.x, y -= client.y;
  }
  void SetMouseInClient(int32_t x, int32_t y) override {
    if (m_window) SDL_WarpMouseInWindow(m_window, x, y);
  }

private:
  SDL_Window* m_window = nullptr;
  SDL_Cursor* m_cursor = nullptr;
  int32_t m_cursorid = 0;
  bool m_ontop = false;
};

class TSdlWindows final : public TWindows {
public:
  explicit TSdlWindows(std::shared_ptr<const RSdlShared> shared) : m_shared(std::move(shared)) {}
  std::unique_ptr<TLoadWindow> CreateLoadWindow() override {
    return std::make_unique<TSdlLoadWindow>(m_shared->sh_title);
  }
  std::unique_ptr<TGameWindow> CreateGameWindow() override {
    return std::make_unique<TSdlGameWindow>(m_shared->sh_title);
  }

private:
  std::shared_ptr<const RSdlShared> m_shared;
};

} // namespace

SDL_Window* SdlWindowOf(TGameWindow& window) {
  return static_cast<TSdlGameWindow&>(window).Window();
}

std::unique_ptr<TWindows> CreateSdlWindows(std::shared_ptr<const RSdlShared> shared) {
  return std::make_unique<TSdlWindows>(std::move(shared));
}

} // namespace vl
