#include "script/Script_State.h"

#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/Constant_Main.h"
#include "script/Extension_Class.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "script/Variable_Class.h"

namespace vl {

void ResetScriptState() {
  Scripts().ClearAll();
  Triggers().ClearAll();
  Extensions() = CExtensionTable();
  ResetConstants();
  ResetGlobals();
  ClearError();
  LastError.clear();
  ErrorOccurred = false;
  StrictArgumentCount = true;
  TreatUninitializedAsZero = false;
  ArgumentCount = 0;
  for (int32_t i = 0; i < kMaxArguments; ++i) Arguments[i] = RValue();
}

} // namespace vl
