#pragma once
// The world's side of what running code reaches: the instances of the room being played and their
// variables. The runner derives from it to add the game's scripts and extension functions, and
// installs the result with SetCodeHost.

#include "script/Code_Host.h"

namespace vl {

class CWorldHost : public CCodeHost {
public:
  CVariableList& Variables(CInstance& inst) override;
  bool IsDeleted(const CInstance& inst) const override;
  int32_t InstanceId(const CInstance& inst) const override;
  int32_t InstanceCount() const override;
  CInstance* InstanceAt(int32_t index) const override;
  // A copy of the room's list, so that instances created meanwhile are not visited.
  void ObjectInstances(int32_t object, std::vector<CInstance*>& out) const override;
};

} // namespace vl
