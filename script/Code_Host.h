#pragma once
// What running code reaches outside the script language: the room's instances and their
// variables, and the game's scripts. The world implements this and installs it before code runs.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vl {

class CCode;
class CInstance;
class CVariableList;

class CCodeHost {
public:
  virtual ~CCodeHost() = default;
  // The instance's own (user) variables.
  virtual CVariableList& Variables(CInstance& inst) = 0;
  virtual bool IsDeleted(const CInstance& inst) const = 0;
  virtual int32_t InstanceId(const CInstance& inst) const = 0;
  // The room's instances in room order.
  virtual int32_t InstanceCount() const = 0;
  virtual CInstance* InstanceAt(int32_t index) const = 0;
  // The instances of an object and of the objects descending from it, in the room's per-object order.
  virtual void ObjectInstances(int32_t object, std::vector<CInstance*>& out) const = 0;
  // The compiled code of script n, or null when there is no such script.
  virtual const CCode* ScriptCode(int32_t n) const = 0;
  virtual const std::string& ScriptName(int32_t n) const = 0;
  // Calls extension function n; false (error recorded) when the call fails.
  virtual bool CallExtension(int32_t n, CInstance* self, CInstance* other, int32_t argc, const RValue* args,
                             RValue& result) = 0;
};

void SetCodeHost(CCodeHost* host);
// The installed host; only valid when HasCodeHost().
CCodeHost& CodeHost();
bool HasCodeHost();

} // namespace vl
