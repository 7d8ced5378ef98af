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

// A resizable OpenGL window, hidden until shown.
class TSdlGameWindow final : public TGameWindow {
public:
  explicit TSdlGameWindow(const std::string& title) {
    m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  }
  ~TSdlGameWindow() override {
    if (m_window) SDL_DestroyWindow(m_window);
  }
  SDL_Window* Window() const { return m_window; }

private:
  SDL_Window* m_window = nullptr;
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
