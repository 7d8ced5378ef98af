// The same programs as whole processes: vlrun --headless on a packed game whose create event runs the
// program, prints its result and ends the game, against lua5.4 on the program written as a Lua
// programmer writes it. Each side is timed in processor time (user + system of the child) as the best
// of several runs; the results must agree. Prints the ratio per program and the geometric mean.
// Usage: vl_script_vs_lua [--runs N] [--lua PATH] [--runner PATH]... [--only TEXT] [--keep DIR]
// Every --runner adds a column (e.g. an older build beside the current one); without any, the vlrun
// built beside this program is measured.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A program: the create event of the first instance (obj_main), optionally an object obj_unit with
// a create and a step event, a script fib, and the Lua version.
struct RProgram {
  const char* name;
  const char* main_create;
  const char* main_end_step;
  const char* unit_create;
  const char* unit_step;
  const char* fib;
  const char* lua;
};

const RProgram kPrograms[] = {
    {"mod and div",
     "var s, i; s = 0; for (i = 0; i < 30000000; i += 1) s = (s + i mod 7 + i div 3) mod 1000003; "
     "show_debug_message(s); game_end()",
     nullptr, nullptr, nullptr, nullptr,
     "local s = 0\n"
     "for i = 0, 29999999 do s = (s + i % 7 + i // 3) % 1000003 end\n"
     "print(s)\n"},
    {"collatz",
     "var total, n, m; total = 0; for (n = 1; n < 100000; n += 1) { m = n; while (m != 1) { "
     "if (m mod 2 == 0) m = m div 2 else m = 3 * m + 1; total += 1 } } "
     "show_debug_message(total); game_end()",
     nullptr, nullptr, nullptr, nullptr,
     "local total = 0\n"
     "for n = 1, 99999 do\n"
     "  local x = n\n"
     "  while x ~= 1 do\n"
     "    if x % 2 == 0 then x = x // 2 else x = 3 * x + 1 end\n"
     "    total = total + 1\n"
     "  end\n"
     "end\n"
     "print(total)\n"},
    {"arrays 1000x1000",
     "var i, j, r, s; for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) "
     "a[i, j] = (i + j) mod 10; s = 0; for (r = 0; r < 20; r += 1) "
     "for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) s += a[i, j]; "
     "show_debug_message(s); game_end()",
     nullptr, nullptr, nullptr, nullptr,
     "local a = {}\n"
     "for i = 1, 1000 do\n"
     "  local row = {}\n"
     "  for j = 1, 1000 do row[j] = (i + j) % 10 end\n"
     "  a[i] = row\n"
     "end\n"
     "local s = 0\n"
     "for r = 1, 20 do\n"
     "  for i = 1, 1000 do\n"
     "    local row = a[i]\n"
     "    for j = 1, 1000 do s = s + row[j] end\n"
     "  end\n"
     "end\n"
     "print(s)\n"},
    {"switch",
     "var c, i; c = 0; for (i = 0; i < 20000000; i += 1) switch (i mod 6) { case 0: c += 1; break; "
     "case 1: c += 3; break; case 2: c -= 1; break; case 3: c += 2; break; default: c += 1 } "
     "show_debug_message(c); game_end()",
     nullptr, nullptr, nullptr, nullptr,
     "local c = 0\n"
     "for i = 0, 19999999 do\n"
     "  local m = i % 6\n"
     "  if m == 0 then c = c + 1\n"
     "  elseif m == 1 then c = c + 3\n"
     "  elseif m == 2 then c = c - 1\n"
     "  elseif m == 3 then c = c + 2\n"
     "  else c = c + 1 end\n"
     "end\n"
     "print(c)\n"},
    {"fib(34) script", "show_debug_message(fib(34)); game_end()", nullptr, nullptr, nullptr,
     "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)",
     "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end\n"
     "print(fib(34))\n"},
    {"string building",
     "var n, t, i, k; n = 0; for (i = 0; i < 300000; i += 1) { t = \"\"; "
     "for (k = 0; k < 20; k += 1) t += \"ab\"; n += string_length(t) } "
     "show_debug_message(n); game_end()",
     nullptr, nullptr, nullptr, nullptr,
     "local n = 0\n"
     "for i = 1, 300000 do\n"
     "  local t = \"\"\n"
     "  for k = 1, 20 do t = t .. \"ab\" end\n"
     "  n = n + #t\n"
     "end\n"
     "print(n)\n"},
    {"with 1000 instances",
     "repeat (1000) instance_create(0, 0, obj_unit); repeat (20000) with (obj_unit) hp += 1; "
     "total = 0; with (obj_unit) other.total += hp; show_debug_message(total); game_end()",
     nullptr, "hp = 0", nullptr, nullptr,
     "local units = {}\n"
     "for i = 1, 1000 do units[i] = {hp = 0} end\n"
     "for r = 1, 20000 do\n"
     "  for i = 1, #units do local u = units[i] u.hp = u.hp + 1 end\n"
     "end\n"
     "local total = 0\n"
     "for i = 1, #units do total = total + units[i].hp end\n"
     "print(total)\n"},
    {"10000 instances step",
     "var i, u; for (i = 1; i <= 10000; i += 1) { u = instance_create(0, 0, obj_unit); u.v = i mod 7 } "
     "steps = 0",
     "steps += 1; if (steps == 1000) { total = 0; with (obj_unit) other.total += s + n; "
     "show_debug_message(total); game_end() }",
     "s = 0; n = 0", "s += v; v = (v * 3 + 1) mod 100; n += 1", nullptr,
     "local units = {}\n"
     "for i = 1, 10000 do units[i] = {v = i % 7, s = 0, n = 0} end\n"
     "local function step(u)\n"
     "  u.s = u.s + u.v\n"
     "  u.v = (u.v * 3 + 1) % 100\n"
     "  u.n = u.n + 1\n"
     "end\n"
     "for t = 1, 1000 do\n"
     "  for i = 1, #units do step(units[i]) end\n"
     "end\n"
     "local total = 0\n"
     "for i = 1, #units do local u = units[i] total = total + u.s + u.n end\n"
     "print(total)\n"},
};

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Event(const char* type, const char* code) {
  return std::string("{\"type\": \"") + type + "\", \"actions\": [{\"code\": " + Quoted(code) + "}]}";
}

// The project of a program: obj_main placed in the only room, obj_unit made by the code.
std::string Project(const RProgram& p) {
  std::string main = Event("create", p.main_create);
  if (p.main_end_step)
    main += ",\n" + std::string("{\"type\": \"step\", \"number\": 2, \"actions\": [{\"code\": ") +
            Quoted(p.main_end_step) + "}]}";
  std::string unit;
  if (p.unit_create) unit += Event("create", p.unit_create);
  if (p.unit_step) unit += ",\n" + Event("step", p.unit_step);
  std::string scripts = p.fib ? "[{\"name\": \"fib\", \"code\": " + Quoted(p.fib) + "}]" : "[]";
  return "{\"room_order\": [0], \"scripts\": " + scripts +
         ",\n\"objects\": [\n{\"name\": \"obj_main\", \"events\": [" + main +
         "]},\n{\"name\": \"obj_unit\", \"events\": [" + unit +
         "]}],\n\"rooms\": [{\"name\": \"rm_bench\", \"instances\": [{\"x\": 0, \"y\": 0, \"object\": "
         "\"obj_main\"}]}]}\n";
}

bool WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return bool(out);
}

// Runs a program to its end with its standard output captured; its processor time in seconds, or -1
// when it could not run or ended with a failure status.
double RunChild(const std::vector<std::string>& args, const fs::path& dir, std::string& output) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(pipefd[1], 1);
    close(pipefd[0]);
    close(pipefd[1]);
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipefd[1]);
  output.clear();
  char buffer[4096];
  for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    output.append(buffer, size_t(n));
  }
  close(pipefd[0]);
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0)
    if (errno != EINTR) return -1;
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The best of runs, with the output of the last; -1 when any run failed.
double Best(const std::vector<std::string>& args, const fs::path& dir, int runs, std::string& output) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const double t = RunChild(args, dir, output);
    if (t < 0) return -1;
    best = std::min(best, t);
  }
  return best;
}

} // namespace

int main(int argc, char** argv) {
  int runs = 5;
  std::string lua = "lua5.4", only, keep;
  std::vector<std::string> runners;
  const fs::path here = fs::absolute(fs::path(argv[0])).parent_path();
  std::string vlpack = (here.parent_path() / "vlpack").string();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!next) {
      std::fprintf(stderr,
                   "usage: %s [--runs N] [--lua PATH] [--runner PATH]... [--only TEXT] [--keep DIR]\n",
                   argv[0]);
      return 2;
    }
    ++i;
    if (a == "--runs")
      runs = std::max(1, std::atoi(next));
    else if (a == "--lua")
      lua = next;
    else if (a == "--runner")
      runners.push_back(fs::absolute(next).string());
    else if (a == "--only")
      only = next;
    else if (a == "--keep")
      keep = next;
  }
  if (runners.empty()) runners.push_back((here.parent_path() / "vlrun").string());

  const fs::path work = keep.empty()
                            ? fs::temp_directory_path() / ("vl_script_vs_lua." + std::to_string(getpid()))
                            : fs::absolute(keep);
  fs::create_directories(work);

  std::printf("processor time, best of %d runs; ratio = vlrun / Lua\n", runs);
  std::printf("%-22s %10s", "program", "Lua (ms)");
  for (size_t r = 0; r < runners.size(); ++r)
    std::printf("  %10s %6s", ("run" + std::to_string(r + 1) + " (ms)").c_str(), "ratio");
  std::printf("  result\n");
  std::vector<double> logsum(runners.size(), 0);
  int measured = 0, failures = 0;
  for (const RProgram& p : kPrograms) {
    if (!only.empty() && !std::strstr(p.name, only.c_str())) continue;
    std::string stem;
    for (const char* c = p.name; *c; ++c) stem += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    const fs::path project = work / stem;
    fs::create_directories(project);
    const fs::path game = work / (stem + ".vlg"), script = work / (stem + ".lua");
    std::string packed;
    if (!WriteFile(project / "game.json", Project(p)) || !WriteFile(script, p.lua) ||
        RunChild({vlpack, project.string(), "-o", game.string()}, work, packed) < 0) {
      std::printf("%-22s the game could not be packed\n", p.name);
      ++failures;
      continue;
    }
    std::string expected;
    const double theirs = Best({lua, script.string()}, work, runs, expected);
    std::printf("%-22s %10.1f", p.name, theirs * 1e3);
    bool ok = theirs > 0;
    std::vector<double> ours(runners.size());
    for (size_t r = 0; r < runners.size(); ++r) {
      std::string result;
      ours[r] = Best({runners[r], "--headless", game.string()}, work, runs, result);
      const bool agree = ours[r] > 0 && result == expected;
      std::printf("  %10.1f %6.2f", ours[r] * 1e3, ours[r] / theirs);
      if (!agree) std::printf(" (gave \"%s\")", result.c_str());
      ok = ok && agree;
    }
    std::printf("  %s%s\n", expected.c_str(), ok ? "" : "  DISAGREE");
    std::fflush(stdout);
    if (!ok) {
      ++failures;
      continue;
    }
    ++measured;
    for (size_t r = 0; r < runners.size(); ++r) logsum[r] += std::log(ours[r] / theirs);
  }
  if (measured) {
    std::printf("%-22s %10s", "geometric mean", "");
    for (double s : logsum) std::printf("  %10s %6.2f", "", std::exp(s / measured));
    std::printf("\n");
  }
  if (keep.empty()) fs::remove_all(work);
  return failures == 0 ? 0 : 1;
}
