// Runs the same small programs through our compiler and interpreter and through Lua 5.4, and prints
// the time ratio per program. Lua runs as the lua5.4 program and times itself with os.clock, so
// its start-up is not counted. Usage: vl_script_vs_lua [path of lua5.4 [part of a program name]]
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

struct RProgram {
  const char* name;
  const char* ours;
  const char* lua;
};

const RProgram kPrograms[] = {
    {"numeric loop",
     "var s, i; s = 0; for (i = 0; i < 3000000; i += 1) { s += i * 0.5 - (i mod 7) } return s",
     "local s, i = 0, 0 while i < 3000000 do s = s + i * 0.5 - math.fmod(i, 7) i = i + 1 end return s"},
    {"instance variables", "hp = 0; for (k = 0; k < 2000000; k += 1) { hp += 2; mp = hp - k } return mp",
     "local self = {} self.hp = 0 self.k = 0 while self.k < 2000000 do self.hp = self.hp + 2 "
     "self.mp = self.hp - self.k self.k = self.k + 1 end return self.mp"},
    {"nested arrays",
     "var i, j, s; for (i = 0; i < 300; i += 1) for (j = 0; j < 300; j += 1) a[i, j] = i * j; "
     "s = 0; repeat (10) for (i = 0; i < 300; i += 1) for (j = 0; j < 300; j += 1) s += a[i, j]; return s",
     "local a = {} local i, j, s = 0, 0, 0 i = 0 while i < 300 do a[i] = a[i] or {} j = 0 while j < 300 do "
     "a[i][j] = i * j j = j + 1 end i = i + 1 end for r = 1, 10 do i = 0 while i < 300 do j = 0 while j < "
     "300 do "
     "s = s + a[i][j] j = j + 1 end i = i + 1 end end return s"},
    {"string building",
     "var n, t, i; n = 0; for (i = 0; i < 100000; i += 1) { t = ''; repeat (20) t += 'ab'; n += 1 } return n",
     "local n, t, i = 0, '', 0 while i < 100000 do t = '' for r = 1, 20 do t = t .. 'ab' end n = n + 1 i = i "
     "+ 1 "
     "end return n"},
    {"comparisons",
     "var c, i, x; c = 0; for (i = 0; i < 2000000; i += 1) { x = i mod 30; if (x < 10) c += 1 "
     "else if (x > 20) c -= 1 else c += 2 } return c",
     "local c, i, x = 0, 0, 0 while i < 2000000 do x = math.fmod(i, 30) if x < 10 then c = c + 1 "
     "elseif x > 20 then c = c - 1 else c = c + 2 end i = i + 1 end return c"},
    {"switch",
     "var c, i; c = 0; for (i = 0; i < 1000000; i += 1) { switch (i mod 5) { case 0: c += 1; break; "
     "case 1: c += 2; break; case 2: c -= 1; break; default: c += 3 } } return c",
     "local c, i = 0, 0 while i < 1000000 do local m = math.fmod(i, 5) if m == 0 then c = c + 1 "
     "elseif m == 1 then c = c + 2 elseif m == 2 then c = c - 1 else c = c + 3 end i = i + 1 end return c"},
    {"with instances", "var r; with (all) hp = 0; repeat (2000) with (all) hp += 1; return (100300).hp",
     "local room = {} for i = 1, 300 do room[i] = {} end for _, inst in ipairs(room) do inst.hp = 0 end "
     "for r = 1, 2000 do for _, inst in ipairs(room) do inst.hp = inst.hp + 1 end end return room[300].hp"},
    {"script calls", "return fib(27)",
     "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end return fib(27)"},
};

const char* kFib = "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)";

bool GetArgument0(vl::CInstance*, int32_t, vl::RValue& v) {
  v = vl::Arguments[0];
  return true;
}

// A room of 300 instances of object 0, each with its own variables; the first one runs the code.
constexpr int kInstances = 300;

// The room and the script fib.
class CBenchHost final : public vl::CCodeHost, public vl::CCodeNames {
public:
  CBenchHost() : h_room(kInstances) {}
  int32_t FindFunction(std::string_view name) const override { return name == "fib" ? 100000 : -1; }
  int32_t FunctionArgCount(int32_t) const override { return -1; }
  bool LookupName(std::string_view name, vl::RValue& value) const override {
    if (name != "all") return false;
    value = vl::RValue(-3.0);
    return true;
  }
  vl::CVariableList& Variables(vl::CInstance& inst) override {
    return *reinterpret_cast<vl::CVariableList*>(&inst);
  }
  bool IsDeleted(const vl::CInstance&) const override { return false; }
  int32_t InstanceId(const vl::CInstance& inst) const override {
    return 100001 + int32_t(reinterpret_cast<const vl::CVariableList*>(&inst) - h_room.data());
  }
  int32_t InstanceCount() const override { return kInstances; }
  vl::CInstance* InstanceAt(int32_t index) const override { return At(index); }
  void ObjectInstances(int32_t object, std::vector<vl::CInstance*>& out) const override {
    out.clear();
    for (int32_t i = 0; object == 0 && i < kInstances; ++i) out.push_back(At(i));
  }
  const vl::CCode* ScriptCode(int32_t n) const override { return n == 0 ? h_fib.get() : nullptr; }
  const std::string& ScriptName(int32_t) const override { return h_name; }
  bool CallExtension(int32_t, vl::CInstance*, vl::CInstance*, int32_t, const vl::RValue*,
                     vl::RValue&) override {
    return false;
  }
  // An instance is represented by its variable list.
  vl::CInstance* At(int32_t i) const {
    return reinterpret_cast<vl::CInstance*>(const_cast<vl::CVariableList*>(&h_room[i]));
  }
  vl::CInstance* Self() const { return At(0); }

  std::vector<vl::CVariableList> h_room;
  std::unique_ptr<vl::CCode> h_fib;
  std::string h_name = "fib";
};

// Each side takes the best of this many runs.
constexpr int kRuns = 5;

// Processor time since start, as os.clock gives it.
double Seconds(std::clock_t since) {
  return double(std::clock() - since) / CLOCKS_PER_SEC;
}

// Best of five runs of our interpreter, in processor time as Lua's os.clock measures; -1 on failure.
double RunOurs(CBenchHost& host, const char* text, std::string& result) {
  vl::CCode code(text, false);
  if (!code.Compile()) return -1;
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    vl::RValue value;
    const std::clock_t start = std::clock();
    if (!vl::RunCode(host.Self(), host.Self(), code, value)) return -1;
    best = std::min(best, Seconds(start));
    result = value.IsReal() ? std::to_string(value.Real()) : std::string(value.Str());
  }
  return best;
}

// Best of five runs inside one lua5.4 process; -1 on failure.
double RunLua(const char* lua, const char* text, std::string& result) {
  std::string script = "local function run() " + std::string(text) +
                       " end local best = 1e9 local r for k = 1, " + std::to_string(kRuns) +
                       " do local t = os.clock() r = run() "
                       "best = math.min(best, os.clock() - t) end print(best) print(string.format('%f', r))";
  std::string path = "vl_script_vs_lua.lua";
  if (FILE* f = std::fopen(path.c_str(), "w")) {
    std::fputs(script.c_str(), f);
    std::fclose(f);
  } else {
    return -1;
  }
  FILE* p = popen((std::string(lua) + " " + path).c_str(), "r");
  if (!p) return -1;
  char line[256], value[256];
  double seconds = -1;
  if (std::fgets(line, sizeof line, p) && std::fgets(value, sizeof value, p)) {
    seconds = std::atof(line);
    result = value;
    if (!result.empty() && result.back() == '\n') result.pop_back();
  }
  pclose(p);
  std::remove(path.c_str());
  return seconds;
}

} // namespace

int main(int argc, char** argv) {
  const char* lua = argc > 1 ? argv[1] : "lua5.4";
  CBenchHost host;
  vl::SetCodeNames(&host);
  vl::SetCodeHost(&host);
  vl::RegisterBuiltinVariable("argument0", GetArgument0, nullptr, false);
  host.h_fib = std::make_unique<vl::CCode>(kFib, false);
  if (!host.h_fib->Compile()) {
    std::printf("fib does not compile: %s\n", vl::ErrorText.c_str());
    return 1;
  }
  std::printf("%-20s %12s %12s %8s  %s\n", "program", "vlrun (ms)", "Lua (ms)", "ratio", "results");
  int slow = 0;
  for (const RProgram& p : kPrograms) {
    if (argc > 2 && !std::strstr(p.name, argv[2])) continue;
    std::string ours, theirs;
    double a = RunOurs(host, p.ours, ours), b = RunLua(lua, p.lua, theirs);
    if (a < 0)
      std::printf("%-20s failed: %s\n", p.name, vl::ErrorText.c_str());
    else if (b < 0)
      std::printf("%-20s Lua failed\n", p.name);
    else
      std::printf("%-20s %12.1f %12.1f %8.2f  %s / %s\n", p.name, a * 1e3, b * 1e3, a / b, ours.c_str(),
                  theirs.c_str());
    slow += a < 0 || b < 0 || a > 2 * b;
  }
  return slow == 0 ? 0 : 2;
}
