#include "datastructures/DS_State.h"

#include "datastructures/Function_Data_Structures.h"

namespace vl {

void ResetDataStructureState() {
  DS_FreeAll();
  DS_SetPrecision(kDefaultPrecision);
}

} // namespace vl
