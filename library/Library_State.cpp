#include "library/Library_State.h"

#include "library/Path_Class.h"
#include "library/Support_Random.h"

namespace vl {

void ResetLibraryState() {
  Paths().ClearAll();
  SetRandomSeed(0);
  SetStartSeed(std::nullopt);
}

} // namespace vl
