#pragma once
// Tokens and tree nodes of compiled code. Operator symbols double as the operator codes.

#include "script/Variable_Value.h"

#include <cstdint>
#include <string_view>

namespace vl {

// Lexer symbols.
enum : int32_t {
  SYM_END = -2,
  SYM_BAD = -1,
  SYM_IDENT = 0,
  SYM_NUMBER = 1,
  SYM_STRING = 2,
  SYM_BEGIN = 11,
  SYM_END_BLOCK = 12,
  SYM_IF = 13,
  SYM_THEN = 14,
  SYM_ELSE = 15,
  SYM_WHILE = 16,
  SYM_DO = 17,
  SYM_FOR = 18,
  SYM_UNTIL = 19,
  SYM_REPEAT = 20,
  SYM_EXIT = 21,
  SYM_BREAK = 22,
  SYM_CONTINUE = 23,
  SYM_WITH = 24,
  SYM_RETURN = 25,
  SYM_SWITCH = 26,
  SYM_CASE = 27,
  SYM_DEFAULT = 28,
  SYM_VAR = 29,
  SYM_GLOBALVAR = 30,
  SYM_ASSIGN = 101,
  SYM_ADD_ASSIGN = 102,
  SYM_SUB_ASSIGN = 103,
  SYM_MUL_ASSIGN = 104,
  SYM_DIV_ASSIGN = 105,
  SYM_LPAREN = 106,
  SYM_RPAREN = 107,
  SYM_SEMICOLON = 108,
  SYM_COMMA = 109,
  SYM_LBRACKET = 110,
  SYM_RBRACKET = 111,
  SYM_DOT = 112,
  SYM_COLON = 113,
  SYM_OR_ASSIGN = 114,
  SYM_AND_ASSIGN = 115,
  SYM_XOR_ASSIGN = 116,
};

// Operator codes (the symbols of the operators; SYM_ASSIGN is equality inside expressions).
enum : int32_t {
  OP_EQUAL = 101,
  OP_AND = 201,
  OP_OR = 202,
  OP_NOT = 203,
  OP_LESS = 204,
  OP_LESS_EQUAL = 205,
  OP_EQUAL2 = 206,
  OP_NOT_EQUAL = 207,
  OP_GREATER_EQUAL = 208,
  OP_GREATER = 209,
  OP_PLUS = 210,
  OP_MINUS = 211,
  OP_TIMES = 212,
  OP_DIVIDE = 213,
  OP_DIV = 214,
  OP_MOD = 215,
  OP_XOR = 216,
  OP_BIT_OR = 217,
  OP_BIT_AND = 218,
  OP_BIT_XOR = 219,
  OP_BIT_NOT = 220,
  OP_SHIFT_LEFT = 221,
  OP_SHIFT_RIGHT = 222,
};

// Converted token kinds (phase 2) and tree node kinds.
enum : int32_t {
  NODE_EMPTY = -2,
  NODE_NOTHING = -1, // a bare ";" where a statement stood
  NODE_CONSTANT = 5,
  NODE_FUNCTION = 6,
  NODE_VARIABLE = 7,
  NODE_SIMPLE_VARIABLE = 8,
  NODE_IF = 13,
  NODE_WHILE = 16,
  NODE_DO = 17,
  NODE_FOR = 18,
  NODE_REPEAT = 20,
  NODE_EXIT = 21,
  NODE_BREAK = 22,
  NODE_CONTINUE = 23,
  NODE_WITH = 24,
  NODE_RETURN = 25,
  NODE_SWITCH = 26,
  NODE_CASE = 27,
  NODE_DEFAULT = 28,
  NODE_VAR = 29,
  NODE_GLOBALVAR = 30,
  NODE_ASSIGN = 101,
  NODE_BLOCK = 1000,
  NODE_UNARY = 1010,
  NODE_BINARY = 1011,
};

// Scope values of variable references.
enum : int32_t {
  SCOPE_SELF = -1,
  SCOPE_OTHER = -2,
  SCOPE_ALL = -3,
  SCOPE_NOONE = -4,
  SCOPE_GLOBAL = -5,
  SCOPE_UNQUALIFIED = -6,
  SCOPE_LOCAL = -7,
};
// The ind2 of a variable reference (kind 7) whose scope must be evaluated at run time; any other
// ind2 of such a node is its constant scope.
constexpr int32_t kScopeComputed = INT32_MIN;

// Phase 1 output. The text is a view into the code's text.
struct RLexToken {
  int32_t symbol;
  int32_t position; // 1-based index of the first character
  std::string_view text;
};

// Phase 2 output: a symbol, or a constant, function or variable with what it resolved to.
struct RCodeToken {
  int32_t kind;
  int32_t ind; // function or variable identifier
  int32_t position;
  RValue value;
};

// What the interpreter does with a node, chosen once after compiling (dense, for one jump table).
enum : uint8_t {
  RUN_NONE = 0, // no expression or statement: reported when run
  // Expressions. Simple variables by where they live.
  RUN_CONSTANT,
  RUN_LOCAL,
  RUN_SELF,      // unqualified user variable: self's, or global when declared so
  RUN_SELF_ONLY, // self.name
  RUN_GLOBAL,
  RUN_ARGUMENT, // argument0..15; slot holds the number
  RUN_BUILTIN,  // a built-in variable of self
  RUN_SIMPLE,   // any other simple variable
  RUN_VARIABLE, // array element or computed scope
  RUN_CALL_BUILTIN,
  RUN_CALL_SCRIPT,
  RUN_CALL_EXTENSION,
  RUN_UNARY,
  RUN_BINARY, // an operator without its own kind below
  RUN_ADD,
  RUN_SUBTRACT,
  RUN_MULTIPLY,
  RUN_DIVIDE,
  RUN_DIV,
  RUN_MOD,
  RUN_LESS,
  RUN_LESS_EQUAL,
  RUN_EQUAL,
  RUN_NOT_EQUAL,
  RUN_GREATER_EQUAL,
  RUN_GREATER,
  RUN_AND,
  RUN_OR,
  // Statements.
  RUN_BLOCK,
  RUN_ASSIGN,
  RUN_COMPOUND,
  RUN_ASSIGN_LOCAL, // to a simple local
  RUN_ADD_LOCAL,    // += to a simple local
  RUN_SUBTRACT_LOCAL,
  RUN_COMPOUND_LOCAL,
  RUN_ASSIGN_BUILTIN, // to a built-in variable of self
  RUN_COMPOUND_BUILTIN,
  RUN_IF,
  RUN_WHILE,
  RUN_DO,
  RUN_FOR,
  RUN_REPEAT,
  RUN_WITH,
  RUN_SWITCH,
  RUN_CASE,
  RUN_DEFAULT,
  RUN_EXIT,
  RUN_BREAK,
  RUN_CONTINUE,
  RUN_RETURN,
  RUN_VAR,
  RUN_GLOBALVAR,
};

// One tree node. The tree is an array; the children of a node are the itemnumb nodes from index
// items on, and the root is node 0.
struct RToken {
  int32_t kind = NODE_EMPTY;
  int32_t ind = 0;  // operator, function, variable or assignment code
  int32_t ind2 = 0; // scope of a simple variable, or of a variable reference (see kScopeComputed)
  int32_t position = 0;
  int32_t items = 0;
  int32_t itemnumb = 0;
  // Where a variable access last found its variable in a list (only a hint, checked on use); for a
  // local with a constant scope, its slot in the run's locals; for RUN_ARGUMENT, the argument number.
  mutable int32_t slot = 0;
  uint8_t run = RUN_NONE;
  // An expression that only reads variables and applies operators (no calls, no built-in variables,
  // no computed scopes): evaluating it changes nothing, so it may be tried as a real first.
  bool pure = false;
  // The first child in the finished tree (null before), which the interpreter reaches directly.
  const RToken* children = nullptr;
  RValue value;
};

} // namespace vl
