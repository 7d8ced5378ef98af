#include "library/Function_Misc.h"

#include "script/Code_Error.h"
#include "script/Code_Function.h"

#include <string>

namespace vl {

namespace {

// show_error(str, abort): the text goes through the error reporter, fatal when abort is true.
void show_error(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  const std::string text = args[0].IsString() ? std::string(args[0].Str()) : std::string();
  ReportError(text, args[1].IsReal() && args[1].Real() >= 0.5);
}

} // namespace

void Register_Function_Misc() {
  RegisterFunction("show_error", show_error, 2);
}

} // namespace vl
