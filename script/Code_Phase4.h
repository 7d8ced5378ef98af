#pragma once
// Phase 4 of compilation: settling variable scopes, folding constants and laying the tree out.

#include "script/Code_Phase3.h"

namespace vl {

class CCode;

// Finishes the parsed tree into code.i_token. False with the error recorded when folding fails.
bool FinishTree(CCode& code, RParseTree& tree);

} // namespace vl
