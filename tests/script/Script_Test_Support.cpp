#include "tests/script/Script_Test_Support.h"

#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <cmath>
#include <fmt/format.h>

namespace vl::test {

namespace {

struct RTestFunction {
  const char* name;
  int32_t id;
  int32_t args;
};

constexpr RTestFunction kFunctions[] = {
    {"abs", 0, 1}, {"min", 1, -1}, {"f3", 2, 3}, {"instance_destroy", 3, 0}, {"scr", 100000, -1},
};

bool NoGet(CInstance*, int32_t, RValue&) {
  return true;
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
  for (const auto& f : kFunctions)
    if (name == f.name) return f.id;
  return -1;
}

int32_t CTestNames::FunctionArgCount(int32_t id) const {
  for (const auto& f : kFunctions)
    if (id == f.id) return f.args;
  return -100;
}

bool CTestNames::LookupName(std::string_view name, RValue& value) const {
  if (name == "spr_ball")
    value = RValue(3.0);
  else if (name == "obj_wall")
    value = RValue(7.0);
  else if (name == "c_red")
    value = RValue(255.0);
  else if (name == "s_hi")
    value = RValue(std::string_view("hi"));
  else if (name == "self")
    value = RValue(-1.0);
  else if (name == "other")
    value = RValue(-2.0);
  else if (name == "global")
    value = RValue(-5.0);
  else if (name == "local")
    value = RValue(-7.0);
  else
    return false;
  return true;
}

std::string CTestNames::FunctionName(int32_t id) {
  for (const auto& f : kFunctions)
    if (id == f.id) return f.name;
  return fmt::format("#{}", id);
}

void UseTestNames() {
  static const CTestNames names;
  SetCodeNames(&names);
  if (FindBuiltinVariable("x") >= 0) return;
  RegisterBuiltinVariable("x", NoGet, nullptr, true);
  RegisterBuiltinVariable("y", NoGet, nullptr, true);
  RegisterBuiltinVariable("argument", NoGet, nullptr, true);
  for (int i = 0; i < 16; ++i) RegisterBuiltinVariable(fmt::format("argument{}", i), NoGet, nullptr, true);
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
