#include "library/Function_Program.h"

#include "library/File_System.h"
#include "library/Function_Math.h"
#include "library/Support_Report.h"
#include "platform/Platform_Os.h"
#include "platform/Platform_Process.h"
#include "script/Code_Function.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace vl {

namespace {

struct RProgramState {
  std::vector<std::string> ps_parameters;
  void (*ps_pump)() = nullptr;
};

RProgramState& State() {
  static RProgramState state;
  return state;
}

const std::vector<std::string>& Parameters() {
  std::vector<std::string>& p = State().ps_parameters;
  if (p.empty()) p.push_back(ExecutablePath());
  return p;
}

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

// Windows programs cannot run here; the game only sees that the program did not start.
bool IsWindowsProgram(std::string_view name) {
  return ChangeCase(RValue(name), false).ends_with(".exe");
}

bool Refused(const std::string& prog) {
  if (!SecureMode()) return false;
  ReportFunctionError("In Secure mode you cannot execute program " + prog);
  return true;
}

void CannotExecute(const std::string& prog, const std::string& name, const std::string& why) {
  std::fprintf(stderr, "vlrun: cannot run %s: %s\n", name.c_str(), why.c_str());
  ReportFunctionError("Cannot execute " + prog);
}

// A name with a folder goes through the path mapping; a bare name is the file in the current folder
// when there is one, as on Windows, else a program on PATH.
std::string ProgramPath(const std::string& name) {
  const std::string mapped = MapPath(name);
  std::error_code ec;
  if (IsPathName(name)) return mapped;
  return fs::is_regular_file(mapped, ec) ? "./" + mapped : name;
}

#define VL_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

void execute_program(VL_ARGS) {
  const std::string prog(args[0].Str());
  if (Refused(prog)) return;
  std::vector<std::string> argv = SplitCommandLine(prog + " " + std::string(args[1].Str()));
  if (argv.empty()) return CannotExecute(prog, prog, "no program named");
  if (IsWindowsProgram(argv[0]))
    return CannotExecute(prog, argv[0], "Windows programs do not run on this system");
  argv[0] = ProgramPath(argv[0]);
  std::string why;
  const int pid = SpawnProgram(argv, why);
  if (pid < 0) return CannotExecute(prog, argv[0], why);
  if (!args[2].IsReal() || args[2].Real() < 0.5) return;
  while (ProgramRunning(pid)) {
    if (State().ps_pump) State().ps_pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// Opens prog (a file, folder or address) with the user's preferred program.
void execute_shell(VL_ARGS) {
  const std::string prog(args[0].Str()), arg(args[1].Str());
  if (Refused(prog)) return;
  if (IsWindowsProgram(prog)) return CannotExecute(prog, prog, "Windows programs do not run on this system");
  const std::string mapped = MapPath(prog);
  std::error_code ec;
  std::vector<std::string> argv = {"xdg-open", fs::exists(mapped, ec) ? mapped : prog};
  if (!arg.empty()) argv.push_back(arg);
  std::string why;
  if (SpawnProgram(argv, why) < 0) CannotExecute(prog, "xdg-open", why);
}

void parameter_count(VL_ARGS) {
  result = RValue(double(Parameters().size() - 1));
}

void parameter_string(VL_ARGS) {
  const double n = std::nearbyint(args[0].IsReal() ? args[0].Real() : 0.0);
  const std::vector<std::string>& p = Parameters();
  result = RValue(n >= 0 && n < double(p.size()) ? std::string_view(p[size_t(n)]) : std::string_view());
}

void environment_get_variable(VL_ARGS) {
  result = RValue(GetEnvironment(std::string(args[0].Str())).value_or(""));
}

#undef VL_ARGS

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> argv;
  size_t i = 0;
  while (i < line.size() && Blank(line[i])) ++i;
  if (i == line.size()) return argv;
  // The program name: no escapes, quotes only group.
  std::string name;
  bool quoted = false;
  for (; i < line.size() && (quoted || !Blank(line[i])); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    else
      name += line[i];
  }
  argv.push_back(std::move(name));
  for (;;) {
    while (i < line.size() && Blank(line[i])) ++i;
    if (i == line.size()) break;
    std::string arg;
    quoted = false;
    while (i < line.size() && (quoted || !Blank(line[i]))) {
      if (line[i] == '\\') {
        size_t run = 0;
        while (i < line.size() && line[i] == '\\') ++run, ++i;
        const bool beforeQuote = i < line.size() && line[i] == '"';
        arg.append(beforeQuote ? run / 2 : run, '\\');
        if (beforeQuote && run % 2) arg += line[i++]; // an escaped quote
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    argv.push_back(std::move(arg));
  }
  return argv;
}

void SetGameParameters(std::vector<std::string> parameters) {
  State().ps_parameters = std::move(parameters);
}

void SetProgramWaitPump(void (*pump)()) {
  State().ps_pump = pump;
}

void Register_Function_Program() {
  RegisterFunction("execute_program", execute_program, 3);
  RegisterFunction("execute_shell", execute_shell, 2);
  RegisterFunction("parameter_count", parameter_count, 0);
  RegisterFunction("parameter_string", parameter_string, 1);
  RegisterFunction("environment_get_variable", environment_get_variable, 1);
}

void ResetProgramState() {
  State().ps_parameters.clear();
}

} // namespace vl
