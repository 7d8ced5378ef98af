#include "world/World_Run.h"

namespace vl {

RPlayState& PlayState() {
  static RPlayState state;
  return state;
}

void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) {
  if (PlayState().ps_perform) PlayState().ps_perform(self, other, type, number);
}

} // namespace vl
