// The headless backend: no window or sound device, dialogs on standard error, a virtual clock.
#include "platform/Platform.h"

#include <cstdio>

namespace vl {

namespace {

class THeadlessDialogs final : public TDialogs {
public:
  void SetTitle(const std::string&) override {}
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool AskYesNo(const std::string& text, bool defaultYes) override {
    std::fprintf(stderr, "%s [%s]\n", text.c_str(), defaultYes ? "Yes" : "No");
    return defaultYes;
  }
  // Prints the newest message as the window shows it and takes the default answer.
  EErrorAnswer ShowError(const std::vector<std::string>& lines, size_t first, bool) override {
    for (size_t i = first; i < lines.size(); ++i) std::fprintf(stderr, "%s\n", lines[i].c_str());
    return EErrorAnswer::Abort;
  }
};

class THeadlessClock final : public TClock {
public:
  int64_t Microseconds() override { return m_clock; }
  void SleepMicroseconds(int64_t us) override {
    if (us > 0) m_clock += us;
  }
  bool IsVirtual() const override { return true; }

private:
  int64_t m_clock = 0;
};

class THeadlessEvents final : public TEventSource {
public:
  void PumpEvents(TEventSink&) override {}
};

class THeadlessDisplay final : public TDisplay {
public:
  RDisplayMode CurrentMode() override { return m_mode; }
  bool SetMode(const RDisplayMode& wanted) override {
    if (wanted.width) m_mode.width = wanted.width;
    if (wanted.height) m_mode.height = wanted.height;
    if (wanted.bits) m_mode.bits = wanted.bits;
    if (wanted.frequency) m_mode.frequency = wanted.frequency;
    return true;
  }
  bool TestMode(const RDisplayMode&) override { return true; }
  void RestoreMode() override { m_mode = kStartMode; }

private:
  static constexpr RDisplayMode kStartMode{1024, 768, 32, 60};
  RDisplayMode m_mode = kStartMode;
};

class THeadlessLoadWindow final : public TLoadWindow {
public:
  void SetImages(const RPixels*, const RPixels*, const RPixels*) override {}
  void SetTransparency(std::optional<uint32_t>, int32_t) override {}
  void SetLayout(const RLoadLayout&) override {}
  void Show() override {}
  void Hide() override {}
};

// A window that is nowhere: it keeps every value it is given, so the window functions answer as
// they would on a screen. A border and caption add the usual 8 by 32 pixels.
class THeadlessGameWindow final : public TGameWindow {
public:
  void SetCaption(const std::string& caption) override { m_caption = caption; }
  std::string Caption() const override { return m_caption; }
  void SetStyle(const RWindowStyle& style) override { m_style = style; }
  void SetStayOnTop(bool onTop) override { m_ontop = onTop; }
  bool StayOnTop() const override { return m_ontop; }
  void SetVisible(bool visible) override { m_visible = visible; }
  bool Visible() const override { return m_visible; }
  void SetCursor(int32_t cursor) override { m_cursor = cursor; }
  int32_t Cursor() const override { return m_cursor; }
  RRect ClientRect() override { return m_client; }
  void SetClientRect(const RRect& rect) override { m_client = rect; }
  void FrameExtra(int32_t& width, int32_t& height) override {
    const bool framed = !m_style.st_fullscreen && m_style.st_border;
    width = framed ? 8 : 0, height = framed ? 32 : 0;
  }
  void SetMinimumClientSize(int32_t, int32_t) override {}
  void MouseOnScreen(int32_t& x, int32_t& y) override { x = m_mousex, y = m_mousey; }
  void SetMouseOnScreen(int32_t x, int32_t y) override { m_mousex = x, m_mousey = y; }
  void MouseInClient(int32_t& x, int32_t& y) override {
    x = m_mousex - m_client.x, y = m_mousey - m_client.y;
  }
  void SetMouseInClient(int32_t x, int32_t y) override {
    m_mousex = m_client.x + x, m_mousey = m_client.y + y;
  }

private:
  std::string m_caption;
  RWindowStyle m_style;
  bool m_ontop = false, m_visible = false;
  int32_t m_cursor = 0;
  RRect m_client{100, 100, 640, 480};
  int32_t m_mousex = 0, m_mousey = 0;
};

class THeadlessWindows final : public TWindows {
public:
  std::unique_ptr<TLoadWindow> CreateLoadWindow() override { return std::make_unique<THeadlessLoadWindow>(); }
  std::unique_ptr<TGameWindow> CreateGameWindow() override { return std::make_unique<THeadlessGameWindow>(); }
};

// Off-screen rendering comes with the render device; until then a context of the asked size
// that cannot be made current.
class THeadlessContext final : public TRenderContext {
public:
  THeadlessContext(int32_t width, int32_t height) : m_width(width), m_height(height) {}
  bool MakeCurrent() override { return false; }
  void Present() override {}
  int32_t Width() const override { return m_width; }
  int32_t Height() const override { return m_height; }

private:
  int32_t m_width, m_height;
};

class THeadlessRender final : public TRenderFactory {
public:
  std::unique_ptr<TRenderContext> CreateContext(int32_t width, int32_t height) override {
    return std::make_unique<THeadlessContext>(width, height);
  }
};

// No sound device: nothing is pulled.
class THeadlessAudio final : public TAudioOutput {
public:
  bool Open(const RAudioFormat&, TAudioSource&) override { return true; }
  void Close() override {}
};

class TNoGlyphs final : public TFontFace {
public:
  bool Glyph(uint32_t, RGlyph&) override { return false; }
};

// Rasterizing comes with the fonts; until then every face is empty.
class THeadlessFonts final : public TFontRasterizer {
public:
  std::unique_ptr<TFontFace> OpenFont(const RFontRequest&) override { return std::make_unique<TNoGlyphs>(); }
};

// A clipboard of this process alone.
class THeadlessClipboard final : public TClipboard {
public:
  bool HasText() override { return !m_text.empty(); }
  std::string GetText() override { return m_text; }
  void SetText(const std::string& text) override { m_text = text; }

private:
  std::string m_text;
};

} // namespace

std::unique_ptr<TServices> CreateHeadlessServices() {
  auto services = std::make_unique<TServices>();
  services->sv_dialogs = std::make_unique<THeadlessDialogs>();
  services->sv_clock = std::make_unique<THeadlessClock>();
  services->sv_events = std::make_unique<THeadlessEvents>();
  services->sv_display = std::make_unique<THeadlessDisplay>();
  services->sv_windows = std::make_unique<THeadlessWindows>();
  services->sv_render = std::make_unique<THeadlessRender>();
  services->sv_audio = std::make_unique<THeadlessAudio>();
  services->sv_fonts = std::make_unique<THeadlessFonts>();
  services->sv_clipboard = std::make_unique<THeadlessClipboard>();
  services->sv_headless = true;
  return services;
}

} // namespace vl
