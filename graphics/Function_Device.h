#pragma once
// The built-in functions of the render device: synchronization, texture states, blend modes,
// texture sizes, screen redraw and refresh, the retrace wait and display_reset.

namespace vl {

void Register_Function_Device();

} // namespace vl
