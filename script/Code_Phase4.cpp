#include "script/Code_Phase4.h"

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Code_Operator.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <algorithm>

namespace vl {

namespace {

class CFinisher {
public:
  CFinisher(const CCode& code, RParseTree& tree) : f_code(code), f_tree(tree) {}

  // Children before their parent, in text order, so that "var" reaches only later references.
  bool Visit(int32_t n) {
    const int32_t items = f_tree.t_nodes[n].items, count = f_tree.t_nodes[n].itemnumb;
    for (int32_t i = 0; i < count; ++i)
      if (!Visit(f_tree.t_children[items + i])) return false;
    RToken& node = f_tree.t_nodes[n];
    switch (node.kind) {
    case NODE_VAR:
      for (int32_t i = 0; i < count; ++i) {
        size_t n = size_t(Child(node, i).ind - kFirstUserVariable);
        if (n >= f_locals.size()) f_locals.resize(n + 1);
        f_locals[n] = true;
      }
      return true;
    case NODE_VARIABLE: return Variable(node);
    case NODE_UNARY: {
      RToken& operand = Child(node, 0);
      if (operand.kind != NODE_CONSTANT) return true;
      RValue v = operand.value;
      if (!UnaryOperation(f_code, operand.position, node.ind, v)) return false;
      MakeConstant(node, std::move(v));
      return true;
    }
    case NODE_BINARY: {
      RToken &left = Child(node, 0), &right = Child(node, 1);
      if (left.kind != NODE_CONSTANT || right.kind != NODE_CONSTANT) return true;
      RValue v = left.value;
      if (!BinaryOperation(f_code, right.position, node.ind, right.value, v)) return false;
      MakeConstant(node, std::move(v));
      return true;
    }
    default: return true;
    }
  }

private:
  RToken& Child(const RToken& node, int32_t i) { return f_tree.t_nodes[f_tree.t_children[node.items + i]]; }

  static void MakeConstant(RToken& node, RValue value) {
    node.kind = NODE_CONSTANT;
    node.ind = 0;
    node.itemnumb = 0;
    node.value = std::move(value);
  }

  bool IsLocal(int32_t id) const {
    size_t n = size_t(id) - kFirstUserVariable; // built-in identifiers wrap around to huge values
    return id >= kFirstUserVariable && n < f_locals.size() && f_locals[n];
  }

  bool Variable(RToken& node) {
    RToken& scope = Child(node, 0);
    node.ind2 = kScopeComputed;
    if (scope.kind != NODE_CONSTANT) return true;
    if (scope.value.IsReal() && scope.value.Real() == double(SCOPE_UNQUALIFIED) && IsLocal(node.ind))
      scope.value = RValue(double(SCOPE_LOCAL));
    if (node.itemnumb != 1) {
      // An array reference with a constant scope keeps it ready, as a simple variable does.
      if (scope.value.IsReal()) node.ind2 = RoundToInt32(scope.value.Real());
      return true;
    }
    if (scope.value.IsString()) {
      RecordError(f_code, scope.position, "Left hand side must be a real value.");
      return false;
    }
    node.kind = NODE_SIMPLE_VARIABLE;
    node.ind2 = RoundToInt32(scope.value.Real());
    node.itemnumb = 0;
    return true;
  }

  const CCode& f_code;
  RParseTree& f_tree;
  std::vector<bool> f_locals; // by user-variable number: declared with var so far
};

// Breadth-first order puts the children of every node next to each other.
void Layout(RParseTree& tree, std::vector<RToken>& out) {
  std::vector<int32_t> order{tree.t_root};
  out.clear();
  out.reserve(tree.t_nodes.size());
  out.push_back(std::move(tree.t_nodes[tree.t_root]));
  for (size_t q = 0; q < order.size(); ++q) {
    const int32_t items = out[q].items, count = out[q].itemnumb;
    out[q].items = static_cast<int32_t>(out.size());
    for (int32_t i = 0; i < count; ++i) {
      int32_t child = tree.t_children[items + i];
      order.push_back(child);
      out.push_back(std::move(tree.t_nodes[child]));
    }
  }
}

// argument0..argument15 as a built-in variable: its number, else -1.
int32_t ArgumentNumber(int32_t id) {
  const RBuiltinVariable* var = GetBuiltinVariable(id);
  if (!var) return -1;
  std::string_view name = var->b_name;
  constexpr std::string_view prefix = "argument";
  if (name.size() < prefix.size() + 1 || name.size() > prefix.size() + 2 || !name.starts_with(prefix))
    return -1;
  int32_t n = 0;
  for (char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return name.size() == prefix.size() + 2 && (name[prefix.size()] == '0' || n >= kMaxArguments) ? -1 : n;
}

uint8_t SimpleRun(RToken& node) {
  const bool builtin = node.ind < kFirstUserVariable;
  switch (node.ind2) {
  case SCOPE_LOCAL: return RUN_LOCAL;
  case SCOPE_GLOBAL: return RUN_GLOBAL;
  case SCOPE_UNQUALIFIED:
  case SCOPE_SELF:
    if (!builtin) return node.ind2 == SCOPE_SELF ? RUN_SELF_ONLY : RUN_SELF;
    if (int32_t n = ArgumentNumber(node.ind); n >= 0) {
      node.slot = n;
      return RUN_ARGUMENT;
    }
    return RUN_BUILTIN;
  default: return RUN_SIMPLE;
  }
}

uint8_t BinaryRun(int32_t op) {
  switch (op) {
  case OP_PLUS: return RUN_ADD;
  case OP_MINUS: return RUN_SUBTRACT;
  case OP_TIMES: return RUN_MULTIPLY;
  case OP_DIVIDE: return RUN_DIVIDE;
  case OP_DIV: return RUN_DIV;
  case OP_MOD: return RUN_MOD;
  case OP_LESS: return RUN_LESS;
  case OP_LESS_EQUAL: return RUN_LESS_EQUAL;
  case OP_EQUAL:
  case OP_EQUAL2: return RUN_EQUAL;
  case OP_NOT_EQUAL: return RUN_NOT_EQUAL;
  case OP_GREATER_EQUAL: return RUN_GREATER_EQUAL;
  case OP_GREATER: return RUN_GREATER;
  case OP_AND: return RUN_AND;
  case OP_OR: return RUN_OR;
  default: return RUN_BINARY;
  }
}

uint8_t RunOf(RToken& node) {
  switch (node.kind) {
  case NODE_CONSTANT: return RUN_CONSTANT;
  case NODE_SIMPLE_VARIABLE: return SimpleRun(node);
  case NODE_VARIABLE: return RUN_VARIABLE;
  case NODE_FUNCTION:
    return node.ind < kFirstScriptFunction      ? RUN_CALL_BUILTIN
           : node.ind < kFirstExtensionFunction ? RUN_CALL_SCRIPT
                                                : RUN_CALL_EXTENSION;
  case NODE_UNARY: return RUN_UNARY;
  case NODE_BINARY: return BinaryRun(node.ind);
  case NODE_BLOCK: return RUN_BLOCK;
  case NODE_ASSIGN: return node.ind == SYM_ASSIGN ? RUN_ASSIGN : RUN_COMPOUND;
  case NODE_IF: return RUN_IF;
  case NODE_WHILE: return RUN_WHILE;
  case NODE_DO: return RUN_DO;
  case NODE_FOR: return RUN_FOR;
  case NODE_REPEAT: return RUN_REPEAT;
  case NODE_WITH: return RUN_WITH;
  case NODE_SWITCH: return RUN_SWITCH;
  case NODE_CASE: return RUN_CASE;
  case NODE_DEFAULT: return RUN_DEFAULT;
  case NODE_EXIT: return RUN_EXIT;
  case NODE_BREAK: return RUN_BREAK;
  case NODE_CONTINUE: return RUN_CONTINUE;
  case NODE_RETURN: return RUN_RETURN;
  case NODE_VAR: return RUN_VAR;
  case NODE_GLOBALVAR: return RUN_GLOBALVAR;
  default: return RUN_NONE;
  }
}

// A node that only reads or computes, given its children do too.
bool PureRun(const RToken& node) {
  switch (node.run) {
  case RUN_CONSTANT:
  case RUN_LOCAL:
  case RUN_SELF:
  case RUN_SELF_ONLY:
  case RUN_GLOBAL:
  case RUN_ARGUMENT:
  case RUN_UNARY: return true;
  case RUN_VARIABLE:
    return node.ind2 == SCOPE_LOCAL || node.ind2 == SCOPE_SELF || node.ind2 == SCOPE_UNQUALIFIED ||
           node.ind2 == SCOPE_GLOBAL;
  default: return node.run >= RUN_BINARY && node.run <= RUN_OR;
  }
}

} // namespace

bool FinishTree(CCode& code, RParseTree& tree) {
  CFinisher finisher(code, tree);
  if (!finisher.Visit(tree.t_root)) return false;
  Layout(tree, code.i_token);
  // Declared locals get a slot each; their references keep it in place of the lookup hint.
  code.i_locals.clear();
  for (RToken& node : code.i_token) {
    node.run = RunOf(node);
    node.children = node.itemnumb > 0 ? &code.i_token[size_t(node.items)] : nullptr;
    if (node.ind2 != SCOPE_LOCAL || (node.kind != NODE_SIMPLE_VARIABLE && node.kind != NODE_VARIABLE))
      continue;
    auto it = std::find(code.i_locals.begin(), code.i_locals.end(), node.ind);
    node.slot = static_cast<int32_t>(it - code.i_locals.begin());
    if (it == code.i_locals.end()) code.i_locals.push_back(node.ind);
  }
  for (RToken& node : code.i_token) {
    if (node.kind != NODE_ASSIGN) continue;
    const uint8_t target = code.i_token[node.items].run;
    if (target == RUN_LOCAL)
      node.run = node.ind == SYM_ASSIGN       ? RUN_ASSIGN_LOCAL
                 : node.ind == SYM_ADD_ASSIGN ? RUN_ADD_LOCAL
                 : node.ind == SYM_SUB_ASSIGN ? RUN_SUBTRACT_LOCAL
                                              : RUN_COMPOUND_LOCAL;
    else if (target == RUN_BUILTIN)
      node.run = node.ind == SYM_ASSIGN ? RUN_ASSIGN_BUILTIN : RUN_COMPOUND_BUILTIN;
  }
  // Children follow their parents in the array.
  for (size_t i = code.i_token.size(); i-- > 0;) {
    RToken& node = code.i_token[i];
    node.pure = PureRun(node);
    for (int32_t c = 0; c < node.itemnumb && node.pure; ++c) node.pure = node.children[c].pure;
  }
  return true;
}

} // namespace vl
