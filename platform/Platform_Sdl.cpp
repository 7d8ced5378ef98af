// The SDL backend: real windows, dialogs and timers.
#include "platform/Platform.h"

#include <SDL.h>
#include <SDL_shape.h>
#include <chrono>
#include <cstdio>
#include <thread>
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

class TSdlPlatform final : public TPlatform {
public:
  ~TSdlPlatform() override { SDL_Quit(); }
  bool IsHeadless() const override { return false; }

  // Without a way to show a box (no window manager, dummy video driver) the text goes to stderr.
  void ShowMessage(const std::string& text) override {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, Title().c_str(), text.c_str(), nullptr) != 0)
      std::fprintf(stderr, "%s\n", text.c_str());
  }

  bool AskYesNo(const std::string& text, bool defaultYes) override {
    const SDL_MessageBoxButtonData buttons[] = {
        {defaultYes ? Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) : 0u, 1, "Yes"},
        {defaultYes ? 0u : Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT), 0, "No"},
    };
    const SDL_MessageBoxData data{
        SDL_MESSAGEBOX_INFORMATION, nullptr, Title().c_str(), text.c_str(), 2, buttons, nullptr};
    int answer = defaultYes ? 1 : 0;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
      std::fprintf(stderr, "%s [%s]\n", text.c_str(), defaultYes ? "Yes" : "No");
      return defaultYes;
    }
    return answer == 1;
  }

  // A message box stands in for the error window; Copy and Clear act and show it again.
  EErrorAnswer ShowError(const std::string& message, bool ignoreVisible) override {
    m_errormemo.Add(message);
    enum { kAbort, kIgnore, kCopy, kClear };
    std::vector<SDL_MessageBoxButtonData> buttons = {
        {Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) | Uint32(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT),
         kAbort, "Abort"}};
    if (ignoreVisible) buttons.push_back({0, kIgnore, "Ignore"});
    buttons.push_back({0, kCopy, "Copy"});
    buttons.push_back({0, kClear, "Clear"});
    for (;;) {
      const std::string text = m_errormemo.Text();
      const SDL_MessageBoxData data{SDL_MESSAGEBOX_ERROR, nullptr,        "Error Messages", text.c_str(),
                                    int(buttons.size()),  buttons.data(), nullptr};
      int answer = kAbort;
      if (SDL_ShowMessageBox(&data, &answer) != 0) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return EErrorAnswer::Abort;
      }
      if (answer == kCopy)
        SDL_SetClipboardText(text.c_str());
      else if (answer == kClear)
        m_errormemo.Clear();
      else
        return answer == kIgnore ? EErrorAnswer::Ignore : EErrorAnswer::Abort;
    }
  }

  int64_t Microseconds() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start)
        .count();
  }
  void SleepMicroseconds(int64_t us) override {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
  }

  void PumpEvents() override {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
  }

  RDisplayMode CurrentDisplayMode() override {
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h, int32_t(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate};
  }

  // Desktop modes change only for a full-screen game window; the wanted mode is kept for it.
  bool SetDisplayMode(const RDisplayMode& wanted) override {
    m_wanted = wanted;
    return true;
  }

  std::unique_ptr<TLoadWindow> CreateLoadWindow() override {
    return std::make_unique<TSdlLoadWindow>(Title());
  }

private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
  RDisplayMode m_wanted;
};

} // namespace

std::unique_ptr<TPlatform> CreateSdlPlatform() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return nullptr;
  return std::make_unique<TSdlPlatform>();
}

} // namespace vl
