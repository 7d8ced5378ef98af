#pragma once
// The window_ and display_ built-in functions.

namespace vl {

void Register_Function_Window();
// What a display mode change is followed by: the render device's reset; nothing until it installs one.
void Window_SetDisplayReset(void (*reset)());

} // namespace vl
