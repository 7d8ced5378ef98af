#pragma once
// The reset of the sound floor's process-wide state.

namespace vl {

void ResetSoundState();

} // namespace vl
