// The game window's state.
#include "graphics/Graphics_Window.h"

namespace vl {

TGameWindow* GameWindow() {
  return nullptr;
}

RWindowPort Window_PresentPort() {
  return {};
}

} // namespace vl
