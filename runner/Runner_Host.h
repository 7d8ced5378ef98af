#pragma once
// What game code reaches in a run: the world's instances and the game's scripts, and the names the
// compiler resolves (scripts, built-in functions, resource names and constants). Extension
// functions join when their packages arrive.

#include "script/Code_Names.h"
#include "world/World_Host.h"

#include <string>

namespace vl {

class CRunnerHost final : public CWorldHost, public CCodeNames {
public:
  const CCode* ScriptCode(int32_t n) const override;
  const std::string& ScriptName(int32_t n) const override;
  bool CallExtension(int32_t n, CInstance* self, CInstance* other, int32_t argc, const RValue* args,
                     RValue& result) override;

  int32_t FindFunction(std::string_view name) const override;
  int32_t FunctionArgCount(int32_t id) const override;
  bool LookupName(std::string_view name, RValue& value) const override;
};

// The host of the run, installed for code and for compiling.
CRunnerHost& RunnerHost();
void Install_RunnerHost();

} // namespace vl
