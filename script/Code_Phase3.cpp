#include "script/Code_Phase3.h"

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Variable_Class.h"

#include <algorithm>
#include <initializer_list>

namespace vl {

namespace {

// Limits that keep the recursive parser, the final pass and the interpreter within the machine stack.
constexpr int kMaxNesting = 500;
constexpr int32_t kMaxHeight = 4000;
constexpr const char* kTooDeep = "Code is nested too deeply.";

constexpr int32_t kFail = -1;

bool IsAssignOperator(int32_t k) {
  return (k >= SYM_ASSIGN && k <= SYM_DIV_ASSIGN) || (k >= SYM_OR_ASSIGN && k <= SYM_XOR_ASSIGN);
}

// Binary operators by precedence level, 1 (lowest) to 6.
int BinaryLevel(int32_t k) {
  switch (k) {
  case OP_AND:
  case OP_OR:
  case OP_XOR: return 1;
  case OP_EQUAL:
  case OP_LESS:
  case OP_LESS_EQUAL:
  case OP_EQUAL2:
  case OP_NOT_EQUAL:
  case OP_GREATER_EQUAL:
  case OP_GREATER: return 2;
  case OP_BIT_OR:
  case OP_BIT_AND:
  case OP_BIT_XOR: return 3;
  case OP_SHIFT_LEFT:
  case OP_SHIFT_RIGHT: return 4;
  case OP_PLUS:
  case OP_MINUS: return 5;
  case OP_TIMES:
  case OP_DIVIDE:
  case OP_DIV:
  case OP_MOD: return 6;
  default: return 0;
  }
}

bool IsUnaryOperator(int32_t k) {
  return k == OP_NOT || k == OP_PLUS || k == OP_MINUS || k == OP_BIT_NOT;
}

class CParser {
public:
  CParser(const CCode& code, const std::vector<RCodeToken>& tokens, RParseTree& tree)
      : p_code(code), p_tokens(tokens), p_tree(tree) {}

  int32_t Program();
  int32_t WholeExpression();

private:
  int32_t Expression();
  const RCodeToken& Cur() const { return p_tokens[p_pos]; }
  int32_t Kind() const { return p_tokens[p_pos].kind; }
  // Never steps past the end token.
  void Next() {
    if (p_pos + 1 < p_tokens.size()) ++p_pos;
  }
  int32_t Fail(int32_t position, const char* message) {
    RecordError(p_code, position, message);
    return kFail;
  }
  int32_t FailHere(const char* message) { return Fail(Cur().position, message); }

  // A node whose children are the stack entries from base on; they are taken off the stack.
  int32_t Node(int32_t kind, int32_t ind, int32_t position, size_t base);
  int32_t Node(int32_t kind, int32_t ind, int32_t position, std::initializer_list<int32_t> kids);
  int32_t Leaf(int32_t kind, int32_t position, const RValue& value = RValue());

  int32_t Statement();
  int32_t StatementBody();
  int32_t Block();
  int32_t Switch();
  int32_t Declaration(int32_t kind);
  int32_t Assignment();
  int32_t Binary(int level);
  int32_t Postfix();
  int32_t Primary();
  int32_t Call();
  int32_t VariableRef(int32_t scope);

  const CCode& p_code;
  const std::vector<RCodeToken>& p_tokens;
  RParseTree& p_tree;
  size_t p_pos = 0;
  std::vector<int32_t> p_stack;
  std::vector<int32_t> p_height;
  int p_depth = 0;
};

// Counts the recursion depth of one parse function call.
class CNest {
public:
  explicit CNest(int& depth) : n_depth(depth) { ++n_depth; }
  ~CNest() { --n_depth; }
  bool TooDeep() const { return n_depth > kMaxNesting; }

private:
  int& n_depth;
};

int32_t CParser::Node(int32_t kind, int32_t ind, int32_t position, size_t base) {
  auto& nodes = p_tree.t_nodes;
  auto& children = p_tree.t_children;
  int32_t height = 0;
  for (size_t i = base; i < p_stack.size(); ++i) height = std::max(height, p_height[p_stack[i]]);
  if (height >= kMaxHeight) return Fail(position, kTooDeep);
  RToken& n = nodes.emplace_back();
  n.kind = kind;
  n.ind = ind;
  n.position = position;
  n.items = static_cast<int32_t>(children.size());
  n.itemnumb = static_cast<int32_t>(p_stack.size() - base);
  children.insert(children.end(), p_stack.begin() + base, p_stack.end());
  p_stack.resize(base);
  p_height.push_back(height + 1);
  return static_cast<int32_t>(nodes.size() - 1);
}

int32_t CParser::Node(int32_t kind, int32_t ind, int32_t position, std::initializer_list<int32_t> kids) {
  size_t base = p_stack.size();
  p_stack.insert(p_stack.end(), kids);
  return Node(kind, ind, position, base);
}

int32_t CParser::Leaf(int32_t kind, int32_t position, const RValue& value) {
  int32_t n = Node(kind, 0, position, p_stack.size());
  p_tree.t_nodes[n].value = value;
  return n;
}

int32_t CParser::Program() {
  if (Kind() == SYM_END) return Leaf(NODE_EMPTY, 1);
  if (Kind() == SYM_BEGIN) {
    int32_t block = Statement();
    if (block == kFail) return kFail;
    if (Kind() != SYM_END) return FailHere("Program ends before end of the code.");
    return block;
  }
  int32_t position = Cur().position;
  size_t base = p_stack.size();
  while (Kind() != SYM_END) {
    int32_t s = Statement();
    if (s == kFail) return kFail;
    p_stack.push_back(s);
  }
  return Node(NODE_BLOCK, 0, position, base);
}

int32_t CParser::WholeExpression() {
  if (Kind() == SYM_END) return Leaf(NODE_CONSTANT, Cur().position, RValue(0.0));
  return Expression(); // tokens after the expression are ignored
}

int32_t CParser::Expression() {
  CNest nest(p_depth);
  if (nest.TooDeep()) return FailHere(kTooDeep);
  return Binary(1);
}

int32_t CParser::Statement() {
  CNest nest(p_depth);
  if (nest.TooDeep()) return FailHere(kTooDeep);
  int32_t s = StatementBody();
  while (s != kFail && Kind() == SYM_SEMICOLON) Next();
  return s;
}

int32_t CParser::StatementBody() {
  const int32_t position = Cur().position;
  switch (Kind()) {
  case NODE_FUNCTION: return Call();
  case SYM_BEGIN: return Block();
  case SYM_IF: {
    Next();
    int32_t cond = Expression();
    if (cond == kFail) return kFail;
    if (Kind() == SYM_THEN) Next();
    int32_t then = Statement();
    if (then == kFail) return kFail;
    if (Kind() != SYM_ELSE) return Node(NODE_IF, 0, position, {cond, then});
    Next();
    int32_t other = Statement();
    if (other == kFail) return kFail;
    return Node(NODE_IF, 0, position, {cond, then, other});
  }
  case SYM_WHILE:
  case SYM_WITH: {
    int32_t kind = Kind() == SYM_WHILE ? NODE_WHILE : NODE_WITH;
    Next();
    int32_t head = Expression();
    if (head == kFail) return kFail;
    if (Kind() == SYM_DO) Next();
    int32_t body = Statement();
    if (body == kFail) return kFail;
    return Node(kind, 0, position, {head, body});
  }
  case SYM_REPEAT: {
    Next();
    int32_t count = Expression();
    if (count == kFail) return kFail;
    int32_t body = Statement();
    if (body == kFail) return kFail;
    return Node(NODE_REPEAT, 0, position, {count, body});
  }
  case SYM_DO: {
    Next();
    int32_t body = Statement();
    if (body == kFail) return kFail;
    if (Kind() != SYM_UNTIL) return FailHere("Keyword until expected.");
    Next();
    int32_t cond = Expression();
    if (cond == kFail) return kFail;
    return Node(NODE_DO, 0, position, {body, cond});
  }
  case SYM_FOR: {
    Next();
    if (Kind() != SYM_LPAREN) return FailHere("Symbol ( expected.");
    Next();
    int32_t init = Statement(); // takes the ";" after it
    if (init == kFail) return kFail;
    int32_t cond = Expression();
    if (cond == kFail) return kFail;
    if (Kind() == SYM_SEMICOLON) Next();
    int32_t step = Statement();
    if (step == kFail) return kFail;
    if (Kind() != SYM_RPAREN) return FailHere("Symbol ) expected.");
    Next();
    int32_t body = Statement();
    if (body == kFail) return kFail;
    return Node(NODE_FOR, 0, position, {init, cond, step, body});
  }
  case SYM_SWITCH: return Switch();
  case SYM_CASE: {
    Next();
    int32_t value = Expression();
    if (value == kFail) return kFail;
    if (Kind() != SYM_COLON) return FailHere("Symbol : expected.");
    Next();
    return Node(NODE_CASE, 0, position, {value});
  }
  case SYM_DEFAULT:
    Next();
    if (Kind() != SYM_COLON) return FailHere("Symbol : expected.");
    Next();
    return Leaf(NODE_DEFAULT, position);
  case SYM_RETURN: {
    Next();
    int32_t value = Expression();
    if (value == kFail) return kFail;
    return Node(NODE_RETURN, 0, position, {value});
  }
  case SYM_EXIT:
  case SYM_BREAK:
  case SYM_CONTINUE: {
    int32_t kind = Kind(); // the statement symbols are their node kinds
    Next();
    return Leaf(kind, position);
  }
  case SYM_VAR:
  case SYM_GLOBALVAR: return Declaration(Kind());
  case SYM_SEMICOLON: Next(); return Leaf(NODE_NOTHING, position);
  case SYM_END: return FailHere("Unexpected end of code reached.");
  default: return Assignment();
  }
}

int32_t CParser::Block() {
  const int32_t position = Cur().position;
  Next();
  size_t base = p_stack.size();
  while (Kind() != SYM_END_BLOCK) {
    if (Kind() == SYM_END) return FailHere("Symbol } expected.");
    int32_t s = Statement();
    if (s == kFail) return kFail;
    p_stack.push_back(s);
  }
  Next();
  return Node(NODE_BLOCK, 0, position, base);
}

int32_t CParser::Switch() {
  const int32_t position = Cur().position;
  Next();
  int32_t value = Expression();
  if (value == kFail) return kFail;
  if (Kind() != SYM_BEGIN) return FailHere("Symbol { expected.");
  Next();
  size_t base = p_stack.size();
  p_stack.push_back(value);
  while (Kind() != SYM_END_BLOCK) {
    if (Kind() == SYM_END) return FailHere("Symbol } expected.");
    int32_t s = Statement();
    if (s == kFail) return kFail;
    p_stack.push_back(s);
  }
  Next();
  return Node(NODE_SWITCH, 0, position, base);
}

int32_t CParser::Declaration(int32_t kind) {
  const int32_t position = Cur().position;
  Next();
  size_t base = p_stack.size();
  while (Kind() == NODE_VARIABLE) {
    if (Cur().ind < kFirstUserVariable) return FailHere("Cannot redeclare a builtin variable.");
    int32_t name = Leaf(NODE_CONSTANT, Cur().position);
    p_tree.t_nodes[name].ind = Cur().ind;
    p_stack.push_back(name);
    Next();
    if (Kind() == SYM_COMMA) Next();
  }
  return Node(kind == SYM_VAR ? NODE_VAR : NODE_GLOBALVAR, 0, position, base);
}

int32_t CParser::Assignment() {
  const int32_t position = Cur().position;
  int32_t k = Kind();
  bool primary =
      k == NODE_CONSTANT || k == NODE_FUNCTION || k == NODE_VARIABLE || k == SYM_LPAREN || IsUnaryOperator(k);
  if (!primary) return FailHere("Variable name expected.");
  int32_t target = Postfix();
  if (target == kFail) return kFail;
  if (p_tree.t_nodes[target].kind != NODE_VARIABLE) return Fail(position, "Variable name expected.");
  int32_t op = Kind();
  if (!IsAssignOperator(op)) return FailHere("Assignment operator expected.");
  const int32_t oppos = Cur().position;
  Next();
  int32_t value = Expression();
  if (value == kFail) return kFail;
  return Node(NODE_ASSIGN, op, oppos, {target, value});
}

int32_t CParser::Binary(int level) {
  if (level > 6) return Postfix();
  int32_t left = Binary(level + 1);
  while (left != kFail && BinaryLevel(Kind()) == level) {
    int32_t op = Kind();
    Next();
    int32_t right = Binary(level + 1);
    if (right == kFail) return kFail;
    left = Node(NODE_BINARY, op, p_tree.t_nodes[left].position, {left, right});
  }
  return left;
}

int32_t CParser::Postfix() {
  int32_t n = Primary();
  while (n != kFail && Kind() == SYM_DOT) {
    Next();
    if (Kind() != NODE_VARIABLE) return FailHere("Variable name expected.");
    n = VariableRef(n);
  }
  return n;
}

int32_t CParser::Primary() {
  CNest nest(p_depth);
  if (nest.TooDeep()) return FailHere(kTooDeep);
  const RCodeToken& t = Cur();
  switch (t.kind) {
  case NODE_CONSTANT: {
    int32_t n = Leaf(NODE_CONSTANT, t.position, t.value);
    Next();
    return n;
  }
  case NODE_FUNCTION: return Call();
  case NODE_VARIABLE: return VariableRef(Leaf(NODE_CONSTANT, t.position, RValue(double(SCOPE_UNQUALIFIED))));
  case SYM_LPAREN: {
    Next();
    int32_t e = Expression();
    if (e == kFail) return kFail;
    if (Kind() != SYM_RPAREN) return FailHere("Symbol ) expected.");
    Next();
    return e;
  }
  default:
    if (IsUnaryOperator(t.kind)) {
      int32_t op = t.kind, position = t.position;
      Next();
      int32_t operand = Postfix();
      if (operand == kFail) return kFail;
      return Node(NODE_UNARY, op, position, {operand});
    }
    return FailHere("Unexpected symbol in expression.");
  }
}

int32_t CParser::Call() {
  const RCodeToken& t = Cur();
  const int32_t id = t.ind, position = t.position;
  Next();
  if (Kind() != SYM_LPAREN) return FailHere("Symbol ( expected.");
  Next();
  size_t base = p_stack.size();
  if (Kind() == SYM_RPAREN) {
    Next();
  } else {
    for (;;) {
      if (Kind() == SYM_END) return FailHere("Symbol ) expected.");
      int32_t arg = Expression();
      if (arg == kFail) return kFail;
      p_stack.push_back(arg);
      if (Kind() == SYM_COMMA) {
        Next();
      } else if (Kind() == SYM_RPAREN) {
        Next();
        break;
      } else {
        return FailHere(Kind() == SYM_END ? "Symbol ) expected." : "Symbol , or ) expected.");
      }
    }
  }
  auto count = static_cast<int32_t>(p_stack.size() - base);
  int32_t fixed = CodeNames().FunctionArgCount(id);
  if (count > kMaxArguments || (fixed >= 0 && fixed != count))
    return Fail(position, "Wrong number of arguments to function or script.");
  return Node(NODE_FUNCTION, id, position, base);
}

int32_t CParser::VariableRef(int32_t scope) {
  const int32_t id = Cur().ind, position = Cur().position;
  Next();
  size_t base = p_stack.size();
  p_stack.push_back(scope);
  if (Kind() == SYM_LBRACKET) {
    Next();
    for (;;) {
      if (p_stack.size() - base == 3) return FailHere("Only 1- and 2-dimensional arrays are supported.");
      if (Kind() == SYM_END) return FailHere("Symbol ] expected.");
      int32_t index = Expression();
      if (index == kFail) return kFail;
      p_stack.push_back(index);
      if (Kind() == SYM_COMMA) {
        Next();
      } else if (Kind() == SYM_RBRACKET) {
        Next();
        break;
      } else {
        return FailHere(Kind() == SYM_END ? "Symbol ] expected." : "Symbol , or ] expected.");
      }
    }
  }
  return Node(NODE_VARIABLE, id, position, base);
}

} // namespace

bool ParseTokens(const CCode& code, const std::vector<RCodeToken>& tokens, RParseTree& tree) {
  tree.t_nodes.clear();
  tree.t_children.clear();
  tree.t_nodes.reserve(tokens.size() + 1);
  tree.t_children.reserve(tokens.size());
  CParser parser(code, tokens, tree);
  tree.t_root = code.i_kind == CCode::kCode ? parser.Program() : parser.WholeExpression();
  return tree.t_root != kFail;
}

} // namespace vl
