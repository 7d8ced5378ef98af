#pragma once
// Phase 2 of compilation: resolving names and reading literals.

#include "script/Code_Token.h"

#include <vector>

namespace vl {

class CCode;

// Converts the tokens; notes the argument variables used in code.i_Args and code.i_ArgArray.
// False (error recorded) for a call of an unknown function.
bool ConvertTokens(CCode& code, const std::vector<RLexToken>& tokens, std::vector<RCodeToken>& out);

// The value of a number token: decimal with any number of points, or hexadecimal after "$".
double NumberValue(std::string_view text);

} // namespace vl
