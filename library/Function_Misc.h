#pragma once
// Splash screens, messages, dialogs, menus, input and other services.

namespace vl {

void Register_Function_Misc();

} // namespace vl
