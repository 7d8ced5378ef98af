#include "script/Code_Main.h"

#include "script/Code_Error.h"
#include "script/Code_Phase1.h"
#include "script/Code_Phase2.h"
#include "script/Code_Phase3.h"
#include "script/Code_Phase4.h"

namespace vl {

bool CCode::Compile() {
  ClearError();
  if (i_compiled) {
    RecordError(*this, 1, "Internal Error: Recompiling compiled code.");
    return false;
  }
  std::vector<RLexToken> lexed;
  std::vector<RCodeToken> tokens;
  RParseTree tree;
  i_Args = 0;
  i_ArgArray = false;
  if (!ReadTokens(*this, lexed) || !ConvertTokens(*this, lexed, tokens) ||
      !ParseTokens(*this, tokens, tree) || !FinishTree(*this, tree)) {
    i_token.clear();
    i_locals.clear();
    i_Args = 0;
    i_ArgArray = false;
    return false;
  }
  i_compiled = true;
  if (i_kind == kExpression && Root().kind == NODE_CONSTANT) {
    i_kind = kConstant;
    i_value = Root().value;
  }
  return true;
}

} // namespace vl
