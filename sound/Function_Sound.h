#pragma once
// The sound_ built-in functions: playing, stopping, volume, pan, fades, the background tempo and
// the global volume.

namespace vl {

void Register_Function_Sound();

} // namespace vl
