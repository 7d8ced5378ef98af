#include "library/Function_Game.h"

#include "library/Function_Date.h"
#include "library/Function_Variable.h"
#include "library/Support_Report.h"
#include "platform/Platform.h"
#include "platform/Platform_Os.h"
#include "platform/Platform_Text.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <iterator>

namespace vl {

std::string DebugMessageText(const RValue& value) {
  if (value.IsString()) return std::string(value.Str());
  const double x = value.Real();
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  if (x == std::nearbyint(x)) return fmt::format("{:.0f}", x == 0 ? 0.0 : x);
  return fmt::format("{:.2f}", x);
}

std::string JoinLinesWithCr(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  size_t i = 0;
  while (i < text.size()) {
    const size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) {
      out.append(text.substr(i)).push_back('\r');
      break;
    }
    out.append(text.substr(i, end - i)).push_back('\r');
    i = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return out;
}

namespace {

#define VL_GAME_ARGS CInstance *self, CInstance *other, int32_t argc, RValue &r, const RValue *a

// Runs text as code with the extra arguments in the argument slots, which are given back as they
// were; argument_count stays the caller's. A compile error names what was executed.
void ExecuteText(CInstance* self, CInstance* other, const std::string& text, const RValue* extra,
                 int32_t count, const char* what, RValue& result) {
  constexpr int32_t kSlots = 16;
  std::array<RValue, kSlots> saved;
  for (int32_t i = 0; i < kSlots; ++i) saved[size_t(i)] = Arguments[i];
  for (int32_t i = 0; i < kSlots; ++i) ArgumentForWrite(i) = i < count ? extra[i] : RValue();
  CCode code(text, false);
  if (!code.Compile()) {
    ReportError(std::string("COMPILATION ERROR in ") + what + " to be executed\r" + ErrorText, false);
    ClearError();
  } else if (!RunCode(self, other, code, result)) {
    ReportFunctionError(ErrorText);
    ClearError();
  }
  for (int32_t i = 0; i < kSlots; ++i) Arguments[i] = std::move(saved[size_t(i)]);
}

void execute_string(VL_GAME_ARGS) {
  if (argc == 0) return;
  ExecuteText(self, other, std::string(a[0].Str()), a + 1, argc - 1, "string", r);
}

void execute_file(VL_GAME_ARGS) {
  if (argc == 0) return;
  const std::string path = MapPath(std::string(a[0].Str()));
  std::error_code ec;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) return ReportFunctionError("Trying to execute non-existing file.");
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ExecuteText(self, other, JoinLinesWithCr(TextFromFileBytes(bytes)), a + 1, argc - 1, "file", r);
}

// Our table index stands for the handler's address: it names the same function to anything that
// asks for it again.
void get_function_address(VL_GAME_ARGS) {
  r = RValue(double(FindBuiltinFunction(a[0].Str())));
}

// Each message is one line on standard output, flushed so that it survives whatever follows.
void show_debug_message(VL_GAME_ARGS) {
  const std::string text = DebugMessageText(a[0]);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Nice values stand in for the priority classes. The highest level is never real time: the main
// loop waits busily and would starve the machine.
void set_program_priority(VL_GAME_ARGS) {
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  const int32_t p = ArgumentWhole(a[0]);
  SetProcessNice(p >= -3 && p <= 3 ? kNice[p + 3] : 0);
}

void set_application_title(VL_GAME_ARGS) {
  if (a[0].IsString()) Dialogs().SetTitle(std::string(a[0].Str()));
}

void clipboard_has_text(VL_GAME_ARGS) {
  r = RValue(Clipboard().HasText() ? 1.0 : 0.0);
}

void clipboard_get_text(VL_GAME_ARGS) {
  r = RValue(Clipboard().GetText());
}

void clipboard_set_text(VL_GAME_ARGS) {
  Clipboard().SetText(std::string(a[0].Str()));
}

#undef VL_GAME_ARGS

} // namespace

void Register_Function_Game() {
  RegisterFunction("execute_string", execute_string, -1);
  RegisterFunction("execute_file", execute_file, -1);
  RegisterFunction("get_function_address", get_function_address, 1);
  Register_Function_Variable();
  RegisterFunction("show_debug_message", show_debug_message, 1);
  RegisterFunction("set_program_priority", set_program_priority, 1);
  RegisterFunction("set_application_title", set_application_title, 1);
  RegisterFunction("clipboard_has_text", clipboard_has_text, 0);
  RegisterFunction("clipboard_get_text", clipboard_get_text, 0);
  RegisterFunction("clipboard_set_text", clipboard_set_text, 1);
  Register_Function_Date();
}

} // namespace vl
