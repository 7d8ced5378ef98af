#include "world/World_Host.h"

#include "world/Room_Class.h"
#include "world/World_Run.h"

namespace vl {

namespace {

// The played room is kept by the play state alone.
CRoom* Played() {
  return PlayState().ps_room;
}

} // namespace

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
  const CRoom* room = Played();
  return room ? room->Number() : 0;
}

CInstance* CWorldHost::InstanceAt(int32_t index) const {
  const CRoom* room = Played();
  return room ? room->Instance(index) : nullptr;
}

void CWorldHost::ObjectInstances(int32_t object, std::vector<CInstance*>& out) const {
  out.clear();
  if (const CRoom* room = Played()) out = room->ObjectListRecursive(object);
}

} // namespace vl
