#pragma once
// The platform layer: everything the runner needs from the operating system and the window
// system, behind one small interface with an SDL backend and a headless one. Nothing outside
// platform/ includes SDL, OpenGL or OS headers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vl {

// A view of 32-bit pixels 0xAARRGGBB, rows from the top.
struct RPixels {
  int32_t width = 0;
  int32_t height = 0;
  const uint32_t* data = nullptr;
};

struct RDisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;      // bits per pixel
  int32_t frequency = 0; // Hz, 0 when unknown
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

enum class EErrorAnswer { Abort, Ignore };

// The lines of the error window: every message shown in this run, until the player clears them.
class TErrorMemo {
public:
  // Appends an empty line, a line of underscores and the message split at each CR (LF dropped).
  void Add(const std::string& message);
  void Clear() { m_lines.clear(); }
  const std::vector<std::string>& Lines() const { return m_lines; }
  std::string Text() const; // the lines joined with line ends

private:
  std::vector<std::string> m_lines;
};

class TPlatform {
public:
  virtual ~TPlatform() = default;
  virtual bool IsHeadless() const = 0;

  // Simple message box with an OK button; waits until the user closes it.
  virtual void ShowMessage(const std::string& text) = 0;
  // Yes/No question; true for Yes. Headless answers defaultYes.
  virtual bool AskYesNo(const std::string& text, bool defaultYes) = 0;
  // The error window ("Error Messages"): shows the message below the earlier ones and waits for
  // Abort (the default) or Ignore; Ignore is offered only when ignoreVisible.
  virtual EErrorAnswer ShowError(const std::string& message, bool ignoreVisible) = 0;

  // Microseconds since an arbitrary start; headless runs a virtual clock that only sleeping advances.
  virtual int64_t Microseconds() = 0;
  virtual void SleepMicroseconds(int64_t us) = 0;

  // Dispatches pending window messages.
  virtual void PumpEvents() = 0;

  virtual RDisplayMode CurrentDisplayMode() = 0;
  virtual bool SetDisplayMode(const RDisplayMode& wanted) = 0; // fields of 0 stay as they are

  virtual std::unique_ptr<TLoadWindow> CreateLoadWindow() = 0;

  // The application title (caption of message boxes and windows).
  void SetTitle(const std::string& title) { m_title = title; }
  const std::string& Title() const { return m_title; }

protected:
  TErrorMemo m_errormemo;

private:
  std::string m_title = "vlrun";
};

// The platform the program runs on, set once at start; null where nothing installed one.
TPlatform* ActivePlatform();
void SetActivePlatform(TPlatform* platform);

std::unique_ptr<TPlatform> CreateHeadlessPlatform();
// Falls back to nothing: returns null when no display can be opened.
std::unique_ptr<TPlatform> CreateSdlPlatform();

} // namespace vl
