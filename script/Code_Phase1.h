#pragma once
// Phase 1 of compilation: cutting the text into tokens.

#include "script/Code_Token.h"

#include <vector>

namespace vl {

class CCode;

// The tokens of code's text, ending with SYM_END; false (error recorded) at a character that
// starts no token.
bool ReadTokens(const CCode& code, std::vector<RLexToken>& tokens);

} // namespace vl
