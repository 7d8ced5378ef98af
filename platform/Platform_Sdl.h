#pragma once
// The SDL backend: real windows, dialogs, timers, sound and OpenGL contexts. Only the vlrun
// program links it.

#include "platform/Platform.h"

#include <memory>
#include <string>

struct SDL_Window;

namespace vl {

// Null when no display can be opened.
std::unique_ptr<TServices> CreateSdlServices();

// What the SDL services share: the application title, set through the dialogs.
struct RSdlShared {
  std::string sh_title = "vlrun";
};

std::unique_ptr<TWindows> CreateSdlWindows(std::shared_ptr<const RSdlShared> shared);

// The SDL window behind a game window this backend made; render contexts are made on it.
SDL_Window* SdlWindowOf(TGameWindow& window);

} // namespace vl
