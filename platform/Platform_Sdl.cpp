// The SDL backend: dialogs, timers, window messages, the display, OpenGL contexts and sound.
#include "platform/Platform_Sdl.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <thread>

namespace vl {

namespace {

class TSdlDialogs final : public TDialogs {
public:
  explicit TSdlDialogs(std::shared_ptr<RSdlShared> shared) : m_shared(std::move(shared)) {}

  void SetTitle(const std::string& title) override { m_shared->sh_title = title; }

  // Without a way to show a box (no window manager, dummy video driver) the text goes to stderr.
  void ShowMessage(const std::string& text) override {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, Title(), text.c_str(), nullptr) != 0)
      std::fprintf(stderr, "%s\n", text.c_str());
  }

  bool AskYesNo(const std::string& text, bool defaultYes) override {
    const SDL_MessageBoxButtonData buttons[] = {
        {defaultYes ? Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) : 0u, 1, "Yes"},
        {defaultYes ? 0u : Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT), 0, "No"},
    };
    const SDL_MessageBoxData data{
        SDL_MESSAGEBOX_INFORMATION, nullptr, Title(), text.c_str(), 2, buttons, nullptr};
    int answer = defaultYes ? 1 : 0;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
      std::fprintf(stderr, "%s [%s]\n", text.c_str(), defaultYes ? "Yes" : "No");
      return defaultYes;
    }
    return answer == 1;
  }

  // A message box stands in for the error window.
  EErrorAnswer ShowError(const std::vector<std::string>& lines, size_t first, bool ignoreVisible) override {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    std::vector<SDL_MessageBoxButtonData> buttons = {
        {Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) | Uint32(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT),
         int(EErrorAnswer::Abort), "Abort"}};
    if (ignoreVisible) buttons.push_back({0, int(EErrorAnswer::Ignore), "Ignore"});
    buttons.push_back({0, int(EErrorAnswer::Copy), "Copy"});
    buttons.push_back({0, int(EErrorAnswer::Clear), "Clear"});
    const SDL_MessageBoxData data{SDL_MESSAGEBOX_ERROR, nullptr,        "Error Messages", text.c_str(),
                                  int(buttons.size()),  buttons.data(), nullptr};
    int answer = int(EErrorAnswer::Abort);
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
      for (size_t i = first; i < lines.size(); ++i) std::fprintf(stderr, "%s\n", lines[i].c_str());
      return EErrorAnswer::Abort;
    }
    if (answer == int(EErrorAnswer::Copy)) SDL_SetClipboardText(text.c_str());
    return EErrorAnswer(answer);
  }

private:
  const char* Title() const { return m_shared->sh_title.c_str(); }

  std::shared_ptr<RSdlShared> m_shared;
};

class TSdlClock final : public TClock {
public:
  int64_t Microseconds() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start)
        .count();
  }
  void SleepMicroseconds(int64_t us) override {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
  }
  bool IsVirtual() const override { return false; }

private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// SDL key codes as the platform's virtual-key codes; 0 for keys without one.
int32_t VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return int32_t('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return int32_t('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + int32_t(key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + int32_t(key - SDLK_KP_1);
  switch (key) {
  case SDLK_BACKSPACE: return 8;
  case SDLK_TAB: return 9;
  case SDLK_RETURN:
  case SDLK_KP_ENTER: return 13;
  case SDLK_LSHIFT:
  case SDLK_RSHIFT: return 16;
  case SDLK_LCTRL:
  case SDLK_RCTRL: return 17;
  case SDLK_LALT:
  case SDLK_RALT: return 18;
  case SDLK_PAUSE: return 19;
  case SDLK_ESCAPE: return 27;
  case SDLK_SPACE: return 32;
  case SDLK_PAGEUP: return 33;
  case SDLK_PAGEDOWN: return 34;
  case SDLK_END: return 35;
  case SDLK_HOME: return 36;
  case SDLK_LEFT: return 37;
  case SDLK_UP: return 38;
  case SDLK_RIGHT: return 39;
  case SDLK_DOWN: return 40;
  case SDLK_PRINTSCREEN: return 44;
  case SDLK_INSERT: return 45;
  case SDLK_DELETE: return 46;
  case SDLK_KP_0: return 96;
  case SDLK_KP_MULTIPLY: return 106;
  case SDLK_KP_PLUS: return 107;
  case SDLK_KP_MINUS: return 109;
  case SDLK_KP_PERIOD: return 110;
  case SDLK_KP_DIVIDE: return 111;
  default: return 0;
  }
}

int32_t Button(Uint8 button) {
  switch (button) {
  case SDL_BUTTON_LEFT: return 1;
  case SDL_BUTTON_RIGHT: return 2;
  case SDL_BUTTON_MIDDLE: return 3;
  default: return 0;
  }
}

// The code points of UTF-8 text, one Character event each.
void DeliverText(const char* text, TEventSink& sink) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    uint32_t cp = *s++;
    int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
    if (extra) cp &= 0x3Fu >> extra;
    for (; extra > 0 && (*s & 0xC0) == 0x80; --extra) cp = (cp << 6) | (*s++ & 0x3Fu);
    REvent event;
    event.ev_kind = EEventKind::Character;
    event.ev_character = extra ? 0xFFFD : cp;
    sink.OnEvent(event);
  }
}

class TSdlEvents final : public TEventSource {
public:
  void PumpEvents(TEventSink& sink) override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      REvent event;
      switch (e.type) {
      case SDL_QUIT: event.ev_kind = EEventKind::Close; break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
          event.ev_kind = EEventKind::Close;
        else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          event.ev_kind = EEventKind::Resized;
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
          event.ev_kind = EEventKind::Exposed;
        else
          continue;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event.ev_kind = e.type == SDL_KEYDOWN ? EEventKind::KeyDown : EEventKind::KeyUp;
        event.ev_key = VirtualKey(e.key.keysym.sym);
        if (!event.ev_key) continue;
        break;
      case SDL_TEXTINPUT: DeliverText(e.text.text, sink); continue;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        event.ev_kind = e.type == SDL_MOUSEBUTTONDOWN ? EEventKind::MouseDown : EEventKind::MouseUp;
        event.ev_button = Button(e.button.button);
        if (!event.ev_button) continue;
        break;
      case SDL_MOUSEWHEEL:
        if (e.wheel.y == 0) continue;
        event.ev_kind = e.wheel.y > 0 ? EEventKind::WheelUp : EEventKind::WheelDown;
        break;
      case SDL_MOUSEMOTION:
        event.ev_kind = EEventKind::MouseMove;
        event.ev_x = e.motion.x, event.ev_y = e.motion.y;
        break;
      default: continue;
      }
      sink.OnEvent(event);
    }
  }
};

// The desktop's size and rate never change: full screen is a borderless window over the desktop.
// A colour depth of 16 or 32 bits is kept and reported; drawing is 32-bit whatever it says.
class TSdlDisplay final : public TDisplay {
public:
  RDisplayMode CurrentMode() override {
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h, m_bits ? m_bits : DesktopDepth(int32_t(SDL_BITSPERPIXEL(mode.format))),
            mode.refresh_rate};
  }
  bool SetMode(const RDisplayMode& wanted) override {
    if (wanted.bits == 16 || wanted.bits == 32) m_bits = wanted.bits;
    return TestMode(wanted);
  }
  bool TestMode(const RDisplayMode& wanted) override {
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return false;
    return (!wanted.width || wanted.width == mode.w) && (!wanted.height || wanted.height == mode.h) &&
           (!wanted.frequency || wanted.frequency == mode.refresh_rate) &&
           (!wanted.bits || wanted.bits == 16 || wanted.bits == 32);
  }
  void RestoreMode() override { m_bits = 0; }

private:
  int32_t m_bits = 0; // the depth asked for; 0: the desktop's
};

// A hidden window carries the context until the game window takes over drawing.
class TSdlContext final : public TRenderContext {
public:
  TSdlContext(int32_t width, int32_t height) : m_width(width), m_height(height) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    m_window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, std::max(width, 1),
                                std::max(height, 1), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (m_window) m_context = SDL_GL_CreateContext(m_window);
  }
  ~TSdlContext() override {
    if (m_context) SDL_GL_DeleteContext(m_context);
    if (m_window) SDL_DestroyWindow(m_window);
  }
  bool MakeCurrent() override { return m_context && SDL_GL_MakeCurrent(m_window, m_context) == 0; }
  void Present() override {
    if (m_context) SDL_GL_SwapWindow(m_window);
  }
  int32_t Width() const override { return m_width; }
  int32_t Height() const override { return m_height; }

private:
  int32_t m_width, m_height;
  SDL_Window* m_window = nullptr;
  SDL_GLContext m_context = nullptr;
};

class TSdlRender final : public TRenderFactory {
public:
  std::unique_ptr<TRenderContext> CreateContext(int32_t width, int32_t height) override {
    return std::make_unique<TSdlContext>(width, height);
  }
};

class TSdlAudio final : public TAudioOutput {
public:
  ~TSdlAudio() override { Close(); }
  bool Open(const RAudioFormat& format, TAudioSource& source) override {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    m_source = &source;
    m_channels = format.af_channels;
    SDL_AudioSpec want{};
    want.freq = format.af_rate;
    want.format = AUDIO_F32SYS;
    want.channels = Uint8(format.af_channels);
    want.samples = 1024;
    want.callback = [](void* self, Uint8* stream, int bytes) {
      auto* audio = static_cast<TSdlAudio*>(self);
      audio->m_source->Fill(reinterpret_cast<float*>(stream),
                            bytes / int32_t(sizeof(float)) / audio->m_channels);
    };
    want.userdata = this;
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!m_device) return SDL_QuitSubSystem(SDL_INIT_AUDIO), false;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
  }
  void Close() override {
    if (!m_device) return;
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
  }

private:
  SDL_AudioDeviceID m_device = 0;
  TAudioSource* m_source = nullptr;
  int32_t m_channels = 2;
};

class TSdlClipboard final : public TClipboard {
public:
  bool HasText() override { return SDL_HasClipboardText() == SDL_TRUE; }
  std::string GetText() override {
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
  }
  void SetText(const std::string& text) override { SDL_SetClipboardText(text.c_str()); }
};

// Quits SDL once every service has gone.
struct RSdlLifetime {
  ~RSdlLifetime() { SDL_Quit(); }
};

} // namespace

std::unique_ptr<TServices> CreateSdlServices() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return nullptr;
  auto shared = std::make_shared<RSdlShared>();
  std::unique_ptr<TServices> headless = CreateHeadlessServices();
  auto services = std::make_unique<TServices>();
  services->sv_backend = std::make_shared<RSdlLifetime>();
  services->sv_dialogs = std::make_unique<TSdlDialogs>(shared);
  services->sv_clock = std::make_unique<TSdlClock>();
  services->sv_events = std::make_unique<TSdlEvents>();
  services->sv_display = std::make_unique<TSdlDisplay>();
  services->sv_windows = CreateSdlWindows(shared);
  services->sv_render = std::make_unique<TSdlRender>();
  services->sv_audio = std::make_unique<TSdlAudio>();
  services->sv_fonts = std::move(headless->sv_fonts); // rasterizing is the same on every backend
  services->sv_clipboard = std::make_unique<TSdlClipboard>();
  services->sv_headless = false;
  return services;
}

} // namespace vl
