#pragma once
// The platform layer: everything the runner needs from the operating system and the window system,
// as a bundle of small services with an SDL backend and a headless one. Nothing outside platform/
// includes SDL, OpenGL or OS headers.

#include "platform/Platform_Clipboard.h"
#include "platform/Platform_Clock.h"
#include "platform/Platform_Dialogs.h"
#include "platform/Platform_Display.h"
#include "platform/Platform_Events.h"
#include "platform/Platform_Media.h"
#include "platform/Platform_Render.h"
#include "platform/Platform_Windows.h"

#include <memory>

namespace vl {

// One backend's services. Every member is present.
struct TServices {
  std::shared_ptr<void> sv_backend; // the backend's own state, released after every service
  std::unique_ptr<TDialogs> sv_dialogs;
  std::unique_ptr<TClock> sv_clock;
  std::unique_ptr<TEventSource> sv_events;
  std::unique_ptr<TDisplay> sv_display;
  std::unique_ptr<TWindows> sv_windows;
  std::unique_ptr<TRenderFactory> sv_render;
  std::unique_ptr<TAudioOutput> sv_audio;
  std::unique_ptr<TFontRasterizer> sv_fonts;
  std::unique_ptr<TClipboard> sv_clipboard;
  bool sv_headless = true;
};

// No window or sound device; dialogs on standard error with their default answers; a virtual clock.
std::unique_ptr<TServices> CreateHeadlessServices();

// The services the program runs on, installed once at start; the caller keeps ownership. Null
// installs a headless set, which is also what is there before anything is installed.
void InstallServices(TServices* services);
TServices& Services();
inline TDialogs& Dialogs() {
  return *Services().sv_dialogs;
}
inline TClock& Clock() {
  return *Services().sv_clock;
}
inline TEventSource& Events() {
  return *Services().sv_events;
}
inline TDisplay& Display() {
  return *Services().sv_display;
}
inline TWindows& Windows() {
  return *Services().sv_windows;
}
inline TClipboard& Clipboard() {
  return *Services().sv_clipboard;
}

} // namespace vl
