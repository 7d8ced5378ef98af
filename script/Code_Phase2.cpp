#include "script/Code_Phase2.h"

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Variable_Class.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace vl {

namespace {

// Notes argument0..argument15 and the array argument.
void NoteArgument(CCode& code, std::string_view name) {
  constexpr std::string_view prefix = "argument";
  if (name.substr(0, prefix.size()) != prefix) return;
  std::string_view rest = name.substr(prefix.size());
  if (rest.empty()) {
    code.i_ArgArray = true;
    return;
  }
  int n = -1;
  if (rest.size() == 1 && rest[0] >= '0' && rest[0] <= '9') n = rest[0] - '0';
  if (rest.size() == 2 && rest[0] == '1' && rest[1] >= '0' && rest[1] <= '5') n = 10 + rest[1] - '0';
  if (n >= 0 && n + 1 > code.i_Args) code.i_Args = n + 1;
}

} // namespace

double NumberValue(std::string_view text) {
  if (!text.empty() && text[0] == '$') {
    double v = 0;
    for (char c : text.substr(1)) {
      int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
      v = v * 16 + d;
    }
    return v;
  }
  // Points after the first are ignored: "1.2.3" reads as 1.23. Reading the digits in one go
  // gives the nearest double, as a user writing 0.3 expects.
  std::string digits;
  digits.reserve(text.size() + 1);
  bool point = false;
  for (char c : text) {
    if (c != '.')
      digits += c;
    else if (!point)
      digits += c, point = true;
  }
  double v = 0;
  if (std::from_chars(digits.data(), digits.data() + digits.size(), v).ec == std::errc::result_out_of_range)
    v = std::strtod(digits.c_str(), nullptr); // infinity or 0, as the size of the number says
  return v;
}

bool ConvertTokens(CCode& code, const std::vector<RLexToken>& tokens, std::vector<RCodeToken>& out) {
  const CCodeNames& names = CodeNames();
  out.clear();
  out.reserve(tokens.size());
  for (size_t i = 0; i < tokens.size(); ++i) {
    const RLexToken& t = tokens[i];
    RCodeToken& c = out.emplace_back(RCodeToken{t.symbol, 0, t.position, {}});
    switch (t.symbol) {
    case SYM_IDENT:
      if (i + 1 < tokens.size() && tokens[i + 1].symbol == SYM_LPAREN) {
        c.kind = NODE_FUNCTION;
        c.ind = names.FindFunction(t.text);
        if (c.ind < 0) {
          RecordError(code, t.position, "Unknown function or script: " + std::string(t.text));
          return false;
        }
      } else if (names.LookupName(t.text, c.value)) {
        c.kind = NODE_CONSTANT;
      } else {
        c.kind = NODE_VARIABLE;
        c.ind = FindVariableId(t.text);
        NoteArgument(code, t.text);
      }
      break;
    case SYM_NUMBER:
      c.kind = NODE_CONSTANT;
      c.value = RValue(NumberValue(t.text));
      break;
    case SYM_STRING:
      c.kind = NODE_CONSTANT;
      c.value = RValue(t.text);
      break;
    default: break;
    }
  }
  return true;
}

} // namespace vl
