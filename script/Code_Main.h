#pragma once
// CCode: a piece of script code, compiled once into a tree and run any number of times.

#include "script/Code_Token.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CCode {
public:
  enum : int32_t { kCode = 1, kExpression = 2, kConstant = 3 };

  CCode(std::string_view text, bool isexpression) : i_kind(isexpression ? kExpression : kCode), i_str(text) {}
  // Nodes point at their children in i_token, so a copy would point into the original.
  CCode(const CCode&) = delete;
  CCode& operator=(const CCode&) = delete;
  CCode(CCode&&) = default; // the nodes move with their buffer
  CCode& operator=(CCode&&) = default;

  // Runs the four phases; on failure the first error is recorded (Code_Error) and the code stays
  // uncompiled.
  bool Compile();
  std::string_view GetText() const { return i_str; }
  const RToken& Root() const { return i_token[0]; }
  // The i-th child of a node.
  const RToken& Child(const RToken& node, int32_t i) const { return i_token[node.items + i]; }

  int32_t i_kind;
  bool i_compiled = false;
  std::string i_str;
  // The tree, root first; the children of each node are contiguous.
  std::vector<RToken> i_token;
  RValue i_value; // the result when i_kind is kConstant
  // The identifiers of the locals the code names with a constant scope (declared with var, or
  // written local.name), by their slot in a run's locals.
  std::vector<int32_t> i_locals;
  int32_t i_Args = 0;      // 1 + the highest N of argument0..argument15 used, 0 if none
  bool i_ArgArray = false; // the array variable argument is used
};

} // namespace vl
