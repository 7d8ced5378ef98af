#include "world/World_Host.h"

#include "world/Room_Class.h"

namespace vl {

CVariableList& CWorldHost::Variables(CInstance& inst) {
  return inst.i_vars;
}

bool CWorldHost::IsDeleted(const CInstance& inst) const {
  return inst.i_marked;
}

int32_t CWorldHost::InstanceId(const CInstance& inst) const {
  return inst.i_id;
}

int32_t CWorldHost::InstanceCount() const {
  return h_room ? h_room->Number() : 0;
}

CInstance* CWorldHost::InstanceAt(int32_t index) const {
  return h_room ? h_room->Instance(index) : nullptr;
}

void CWorldHost::ObjectInstances(int32_t object, std::vector<CInstance*>& out) const {
  out.clear();
  if (h_room) out = h_room->ObjectListRecursive(object);
}

} // namespace vl
