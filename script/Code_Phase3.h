#pragma once
// Phase 3 of compilation: parsing the converted tokens into a tree.

#include "script/Code_Token.h"

#include <vector>

namespace vl {

class CCode;

// The tree as the parser builds it: the children of a node are listed in t_children from its
// items on. Phase 4 turns it into the compact form that CCode keeps.
struct RParseTree {
  std::vector<RToken> t_nodes;
  std::vector<int32_t> t_children;
  int32_t t_root = -1;
};

// Parses the program (code form) or the expression (expression form). False with the error recorded.
bool ParseTokens(const CCode& code, const std::vector<RCodeToken>& tokens, RParseTree& tree);

} // namespace vl
