#include "library/Function_Game.h"

#include "library/Function_Date.h"
#include "library/Function_Variable.h"
#include "script/Code_Function.h"

#include <cmath>
#include <cstdio>
#include <fmt/format.h>

namespace vl {

std::string DebugMessageText(const RValue& value) {
  if (value.IsString()) return std::string(value.Str());
  const double x = value.Real();
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  if (x == std::nearbyint(x)) return fmt::format("{:.0f}", x == 0 ? 0.0 : x);
  return fmt::format("{:.2f}", x);
}

namespace {

// Each message is one line on standard output, flushed so that it survives whatever follows.
void show_debug_message(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  const std::string text = DebugMessageText(args[0]);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

} // namespace

void Register_Function_Game() {
  Register_Function_Variable();
  RegisterFunction("show_debug_message", show_debug_message, 1);
  Register_Function_Date();
}

} // namespace vl
