#include "library/Library_State.h"

#include "library/Include_File.h"
#include "library/Ini_File.h"
#include "library/Path_Class.h"
#include "library/Support_Random.h"

namespace vl {

void ResetLibraryState() {
  Paths().ClearAll();
  IncludedFiles() = CIncludedFileTable();
  ResetIniState();
  SetRandomSeed(0);
  SetStartSeed(std::nullopt);
}

} // namespace vl
