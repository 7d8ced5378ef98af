#pragma once
// What the lower floors ask of the runner, in one object: the instances and scripts that code
// reaches, the names the compiler resolves (scripts, built-in functions, resource names and
// constants), event dispatch and saving for the world, and where errors are shown.

#include "library/Support_Report.h"
#include "script/Code_Error.h"
#include "script/Code_Names.h"
#include "world/World_Host.h"
#include "world/World_Run.h"

#include <string>

namespace vl {

class CRunnerHost final : public CWorldHost,
                          public CCodeNames,
                          public CPlayHost,
                          public CErrorSink,
                          public CFunctionErrorSink {
public:
  const CCode* ScriptCode(int32_t n) const override;
  const std::string& ScriptName(int32_t n) const override;
  bool CallExtension(int32_t n, CInstance* self, CInstance* other, int32_t argc, const RValue* args,
                     RValue& result) override;

  int32_t FindFunction(std::string_view name) const override;
  int32_t FunctionArgCount(int32_t id) const override;
  bool LookupName(std::string_view name, RValue& value) const override;

  void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) override;
  void PerformEventObject(CInstance* self, CInstance* other, int32_t object, int32_t type,
                          int32_t number) override;
  void SaveGame(const std::string& file) override;

  bool Report(const std::string& text, bool fatal) override;
  // In the context of the current event, never fatal.
  void ReportFunctionError(std::string_view message) override;
};

CRunnerHost& RunnerHost();

} // namespace vl
