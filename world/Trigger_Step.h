#pragma once
// Testing the triggers of one step moment and raising the trigger events they call for.

#include <cstdint>

namespace vl {

// For every trigger of that moment (CTrigger::kMomentNormal, kMomentBegin, kMomentEnd) in number
// order, tests its condition for each live instance of the objects that handle it, in object order
// and the room's per-object order, and performs the trigger event where the condition holds.
void Trigger_Step(int32_t moment);

} // namespace vl
