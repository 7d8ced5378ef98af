#include "script/Code_Phase4.h"

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"
#include "script/Variable_Class.h"

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

} // namespace

bool FinishTree(CCode& code, RParseTree& tree) {
  CFinisher finisher(code, tree);
  if (!finisher.Visit(tree.t_root)) return false;
  Layout(tree, code.i_token);
  return true;
}

} // namespace vl
