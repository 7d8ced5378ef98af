#include "tests/script/Script_Test_Support.h"

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Script_State.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vl::test {

namespace {

struct RTestScript {
  const char* name;
  const char* text;
};

// Script n has the function identifier 100000 + n.
constexpr RTestScript kScripts[] = {
    {"scr", "return argument0 + argument1"},
    {"count_args", "return argument_count"},
    {"outer", "x = inner(1)"},
    {"inner", "a = 1\r\nreturn argument0 + \"a\""},
    {"uses3", "return argument3"},
    {"uses_array", "return argument[1] + argument3"},
    {"fact", "if (argument0 <= 1) return 1; return argument0 * fact(argument0 - 1)"},
    {"recurse", "return recurse()"},
    {"third", "return argument2"},
    {"set_arg", "argument0 = 99; return argument0"},
    {"var_user", "var t; t = argument0; return t"},
    {"bump_i", "i = 5; return 7"},
    {"deep", "if (argument0 <= 0) return 0; return deep(argument0 - 1) + 1"},
    {"set_arg5", "argument5 = 7; argument[9] = 3; return argument5 + argument[9]"},
    {"arg5", "return argument5 + argument[9]"},
};

struct RTestFunction {
  const char* name;
  int32_t args;
  TFunctionRoutine routine;
};

RTestInstance* Of(CInstance* inst) {
  return reinterpret_cast<RTestInstance*>(inst);
}

class CTestWorldImpl;
CTestWorldImpl* World = nullptr;

void Abs(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  result = RValue(std::fabs(args[0].Real()));
}
void Min(CInstance*, CInstance*, int32_t argc, RValue& result, const RValue* args) {
  if (argc == 0) return;
  double m = args[0].Real();
  for (int32_t i = 1; i < argc; ++i) m = std::min(m, args[i].Real());
  result = RValue(m);
}
void F3(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  result = RValue(args[0].Real() + args[1].Real() + args[2].Real());
}
void Destroy(CInstance* self, CInstance*, int32_t, RValue&, const RValue*) {
  Of(self)->t_deleted = true;
}
void Spawn(CInstance*, CInstance*, int32_t, RValue& result, const RValue*);
void Show(CInstance*, CInstance*, int32_t argc, RValue&, const RValue* args) {
  for (int32_t i = 0; i < argc; ++i) TestLog() += (TestLog().empty() ? "" : " ") + DumpValue(args[i]);
}

const RTestFunction kFunctions[] = {
    {"abs", 1, Abs},     {"min", -1, Min},   {"f3", 3, F3}, {"instance_destroy", 0, Destroy},
    {"spawn", 0, Spawn}, {"show", -1, Show},
};

bool GetX(CInstance* inst, int32_t, RValue& v) {
  v = RValue(Of(inst)->t_x);
  return true;
}
bool SetX(CInstance* inst, int32_t, const RValue& v) {
  Of(inst)->t_x = v.Real();
  return true;
}
bool GetY(CInstance* inst, int32_t, RValue& v) {
  v = RValue(Of(inst)->t_y);
  return true;
}
bool SetY(CInstance* inst, int32_t, const RValue& v) {
  Of(inst)->t_y = v.Real();
  return true;
}
bool GetId(CInstance* inst, int32_t, RValue& v) {
  v = RValue(double(Of(inst)->t_id));
  return true;
}
bool GetArgumentCount(CInstance*, int32_t, RValue& v) {
  v = RValue(double(ArgumentCount));
  return true;
}
int32_t Slot(int32_t k) {
  return k >= 0 && k < kMaxArguments ? k : 0;
}
bool GetArgument(CInstance*, int32_t k, RValue& v) {
  v = Arguments[Slot(k)];
  return true;
}
bool SetArgument(CInstance*, int32_t k, const RValue& v) {
  ArgumentForWrite(Slot(k)) = v;
  return true;
}
template <int... N>
void RegisterArgumentN(std::integer_sequence<int, N...>) {
  (RegisterBuiltinVariable(fmt::format("argument{}", N), GetArgumentN<N>, SetArgumentN<N>, true), ...);
}

const char* OperatorText(int32_t op) {
  switch (op) {
  case 101: return "=";
  case 102: return "+=";
  case 103: return "-=";
  case 104: return "*=";
  case 105: return "/=";
  case 114: return "|=";
  case 115: return "&=";
  case 116: return "^=";
  case 201: return "&&";
  case 202: return "||";
  case 203: return "!";
  case 204: return "<";
  case 205: return "<=";
  case 206: return "==";
  case 207: return "!=";
  case 208: return ">=";
  case 209: return ">";
  case 210: return "+";
  case 211: return "-";
  case 212: return "*";
  case 213: return "/";
  case 214: return "div";
  case 215: return "mod";
  case 216: return "^^";
  case 217: return "|";
  case 218: return "&";
  case 219: return "^";
  case 220: return "~";
  case 221: return "<<";
  case 222: return ">>";
  default: return "?";
  }
}

std::string ScopedName(int32_t scope, int32_t id) {
  std::string name = VariableName(id);
  switch (scope) {
  case SCOPE_UNQUALIFIED: return name;
  case SCOPE_SELF: return "self." + name;
  case SCOPE_OTHER: return "other." + name;
  case SCOPE_ALL: return "all." + name;
  case SCOPE_NOONE: return "noone." + name;
  case SCOPE_GLOBAL: return "global." + name;
  case SCOPE_LOCAL: return "local." + name;
  default: return fmt::format("{}.{}", scope, name);
  }
}

std::string Dump(const CCode& code, const RToken& n) {
  auto children = [&](int32_t from) {
    std::string s;
    for (int32_t i = from; i < n.itemnumb; ++i) s += " " + Dump(code, code.Child(n, i));
    return s;
  };
  auto form = [&](const char* head) { return fmt::format("({}{})", head, children(0)); };
  switch (n.kind) {
  case NODE_EMPTY: return "(empty)";
  case NODE_NOTHING: return "(;)";
  case NODE_CONSTANT: return DumpValue(n.value);
  case NODE_FUNCTION: return fmt::format("(call {}{})", CTestNames::FunctionName(n.ind), children(0));
  case NODE_VARIABLE: return fmt::format("(var {}{})", VariableName(n.ind), children(0));
  case NODE_SIMPLE_VARIABLE: return ScopedName(n.ind2, n.ind);
  case NODE_UNARY:
  case NODE_BINARY:
  case NODE_ASSIGN: return form(OperatorText(n.ind));
  case NODE_BLOCK: return "{" + children(0).substr(n.itemnumb ? 1 : 0) + "}";
  case NODE_IF: return form("if");
  case NODE_WHILE: return form("while");
  case NODE_DO: return form("do");
  case NODE_FOR: return form("for");
  case NODE_REPEAT: return form("repeat");
  case NODE_EXIT: return "(exit)";
  case NODE_BREAK: return "(break)";
  case NODE_CONTINUE: return "(continue)";
  case NODE_WITH: return form("with");
  case NODE_RETURN: return form("return");
  case NODE_SWITCH: return form("switch");
  case NODE_CASE: return form("case");
  case NODE_DEFAULT: return "(default)";
  case NODE_VAR:
  case NODE_GLOBALVAR: {
    std::string s = n.kind == NODE_VAR ? "(var" : "(globalvar";
    for (int32_t i = 0; i < n.itemnumb; ++i) s += " " + VariableName(code.Child(n, i).ind);
    return s + ")";
  }
  default: return fmt::format("(?{})", n.kind);
  }
}

} // namespace

int32_t CTestNames::FindFunction(std::string_view name) const {
  for (size_t i = 0; i < std::size(kScripts); ++i)
    if (name == kScripts[i].name) return kFirstScriptFunction + int32_t(i);
  return FindBuiltinFunction(name);
}

int32_t CTestNames::FunctionArgCount(int32_t id) const {
  if (id >= kFirstScriptFunction) return -1;
  const RFunction* f = GetBuiltinFunction(id);
  return f ? f->f_argnumb : -100;
}

bool CTestNames::LookupName(std::string_view name, RValue& value) const {
  static const std::pair<const char*, double> reals[] = {
      {"obj_a", 0},   {"obj_b", 1},  {"obj_c", 2},  {"spr_ball", 3}, {"obj_wall", 7},
      {"c_red", 255}, {"self", -1},  {"other", -2}, {"all", -3},     {"noone", -4},
      {"global", -5}, {"local", -7}, {"true", 1},   {"false", 0},
  };
  for (const auto& [n, v] : reals)
    if (name == n) {
      value = RValue(v);
      return true;
    }
  if (name != "s_hi") return false;
  value = RValue(std::string_view("hi"));
  return true;
}

std::string CTestNames::FunctionName(int32_t id) {
  if (id >= kFirstScriptFunction && size_t(id - kFirstScriptFunction) < std::size(kScripts))
    return kScripts[id - kFirstScriptFunction].name;
  const RFunction* f = GetBuiltinFunction(id);
  return f ? f->f_name : fmt::format("#{}", id);
}

void UseTestNames() {
  static const CTestNames names;
  SetCodeNames(&names);
  if (FindBuiltinVariable("x") >= 0) return;
  for (const auto& f : kFunctions) RegisterFunction(f.name, f.routine, f.args);
  RegisterBuiltinVariable("x", GetX, SetX, true);
  RegisterBuiltinVariable("y", GetY, SetY, true);
  RegisterBuiltinVariable("id", GetId, nullptr, false);
  RegisterBuiltinVariable("argument_count", GetArgumentCount, nullptr, false);
  RegisterBuiltinVariable("argument", GetArgument, SetArgument, true);
  RegisterArgumentN(std::make_integer_sequence<int, kMaxArguments>());
}

namespace {

class CTestWorldImpl final : public CCodeHost {
public:
  CTestWorldImpl() {
    for (const auto& s : kScripts) {
      auto& code = w_scripts.emplace_back(std::make_unique<CCode>(s.text, false));
      if (!code->Compile()) throw std::runtime_error(ErrorText);
      w_names.emplace_back(s.name);
    }
    for (auto [id, object] : {std::pair{100001, 0}, {100002, 1}, {100003, 1}, {100004, 2}}) {
      auto& inst = w_room.emplace_back(std::make_unique<RTestInstance>());
      inst->t_id = id;
      inst->t_object = object;
    }
    w_room.back()->t_deleted = true;
  }
  CVariableList& Variables(CInstance& inst) override { return Of(&inst)->t_vars; }
  bool IsDeleted(const CInstance& inst) const override {
    return Of(const_cast<CInstance*>(&inst))->t_deleted;
  }
  int32_t InstanceId(const CInstance& inst) const override { return Of(const_cast<CInstance*>(&inst))->t_id; }
  int32_t InstanceCount() const override { return int32_t(w_room.size()); }
  CInstance* InstanceAt(int32_t index) const override { return AsInstance(*w_room[index]); }
  void ObjectInstances(int32_t object, std::vector<CInstance*>& out) const override {
    out.clear();
    // obj_b descends from obj_a; per-object order lists obj_a's own instances first.
    for (int32_t o : {0, 1, 2})
      if (o == object || (object == 0 && o == 1))
        for (const auto& inst : w_room)
          if (inst->t_object == o) out.push_back(AsInstance(*inst));
  }
  const CCode* ScriptCode(int32_t n) const override {
    return n >= 0 && size_t(n) < w_scripts.size() ? w_scripts[n].get() : nullptr;
  }
  const std::string& ScriptName(int32_t n) const override { return w_names[n]; }
  bool CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) override {
    return false;
  }

  std::vector<std::unique_ptr<RTestInstance>> w_room;
  std::vector<std::unique_ptr<CCode>> w_scripts;
  std::vector<std::string> w_names;
};

void Spawn(CInstance*, CInstance*, int32_t, RValue& result, const RValue*) {
  auto& inst = World->w_room.emplace_back(std::make_unique<RTestInstance>());
  inst->t_id = 100000 + int32_t(World->w_room.size());
  inst->t_object = 2;
  result = RValue(double(inst->t_id));
}

} // namespace

void UseTestWorld() {
  ResetScriptState();
  UseTestNames();
  static std::unique_ptr<CTestWorldImpl> world;
  world = std::make_unique<CTestWorldImpl>();
  World = world.get();
  SetCodeHost(World);
  TestLog().clear();
  StrictArgumentCount = false;
}

RTestInstance& TestInstance(int32_t id) {
  for (auto& inst : World->w_room)
    if (inst->t_id == id) return *inst;
  throw std::out_of_range("no test instance");
}

CInstance* AsInstance(RTestInstance& inst) {
  return reinterpret_cast<CInstance*>(&inst);
}

std::string& TestLog() {
  static std::string log;
  return log;
}

bool RunTestCode(std::string_view text, bool isexpression, RValue& result) {
  CCode code(text, isexpression);
  if (!code.Compile()) return false;
  return RunCode(AsInstance(TestInstance(100001)), AsInstance(TestInstance(100002)), code, result);
}

std::string DumpValue(const RValue& v) {
  if (v.IsString()) return fmt::format("\"{}\"", v.Str());
  double r = v.Real();
  if (std::trunc(r) == r && std::fabs(r) < 1e20) return fmt::format("{:.0f}", r);
  return fmt::format("{}", r);
}

std::string DumpTree(const CCode& code) {
  return Dump(code, code.Root());
}

} // namespace vl::test
