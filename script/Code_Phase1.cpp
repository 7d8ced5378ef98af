#include "script/Code_Phase1.h"

#include "script/Code_Error.h"
#include "script/Code_Main.h"

#include <cstring>

namespace vl {

namespace {

bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int32_t Keyword(std::string_view w) {
  struct RKeyword {
    const char* name;
    int32_t symbol;
  };
  static constexpr RKeyword keywords[] = {
      {"begin", SYM_BEGIN},
      {"end", SYM_END_BLOCK},
      {"if", SYM_IF},
      {"then", SYM_THEN},
      {"else", SYM_ELSE},
      {"while", SYM_WHILE},
      {"do", SYM_DO},
      {"for", SYM_FOR},
      {"with", SYM_WITH},
      {"until", SYM_UNTIL},
      {"repeat", SYM_REPEAT},
      {"exit", SYM_EXIT},
      {"return", SYM_RETURN},
      {"break", SYM_BREAK},
      {"continue", SYM_CONTINUE},
      {"switch", SYM_SWITCH},
      {"case", SYM_CASE},
      {"default", SYM_DEFAULT},
      {"and", OP_AND},
      {"or", OP_OR},
      {"not", OP_NOT},
      {"div", OP_DIV},
      {"mod", OP_MOD},
      {"xor", OP_XOR},
      {"var", SYM_VAR},
      {"globalvar", SYM_GLOBALVAR},
  };
  // Keywords are lower-case words of 2 to 9 letters; most identifiers are ruled out at once.
  if (w.size() < 2 || w.size() > 9 || w[0] < 'a' || w[0] > 'x') return SYM_IDENT;
  for (const RKeyword& k : keywords)
    if (k.name[0] == w[0] && w == k.name) return k.symbol;
  return SYM_IDENT;
}

int32_t TwoCharOperator(char a, char b) {
  switch (a) {
  case ':': return b == '=' ? SYM_ASSIGN : 0;
  case '+': return b == '=' ? SYM_ADD_ASSIGN : 0;
  case '-': return b == '=' ? SYM_SUB_ASSIGN : 0;
  case '*': return b == '=' ? SYM_MUL_ASSIGN : 0;
  case '/': return b == '=' ? SYM_DIV_ASSIGN : 0;
  case '&': return b == '&' ? OP_AND : b == '=' ? SYM_AND_ASSIGN : 0;
  case '|': return b == '|' ? OP_OR : b == '=' ? SYM_OR_ASSIGN : 0;
  case '^': return b == '^' ? OP_XOR : b == '=' ? SYM_XOR_ASSIGN : 0;
  case '<': return b == '=' ? OP_LESS_EQUAL : b == '>' ? OP_NOT_EQUAL : b == '<' ? OP_SHIFT_LEFT : 0;
  case '>': return b == '=' ? OP_GREATER_EQUAL : b == '>' ? OP_SHIFT_RIGHT : 0;
  case '=': return b == '=' ? OP_EQUAL2 : 0;
  case '!': return b == '=' ? OP_NOT_EQUAL : 0;
  default: return 0;
  }
}

int32_t OneCharOperator(char c) {
  switch (c) {
  case '!': return OP_NOT;
  case '&': return OP_BIT_AND;
  case '(': return SYM_LPAREN;
  case ')': return SYM_RPAREN;
  case '*': return OP_TIMES;
  case '+': return OP_PLUS;
  case ',': return SYM_COMMA;
  case '-': return OP_MINUS;
  case '.': return SYM_DOT;
  case '/': return OP_DIVIDE;
  case ':': return SYM_COLON;
  case ';': return SYM_SEMICOLON;
  case '<': return OP_LESS;
  case '=': return SYM_ASSIGN;
  case '>': return OP_GREATER;
  case '[': return SYM_LBRACKET;
  case ']': return SYM_RBRACKET;
  case '^': return OP_BIT_XOR;
  case '{': return SYM_BEGIN;
  case '|': return OP_BIT_OR;
  case '}': return SYM_END_BLOCK;
  case '~': return OP_BIT_NOT;
  default: return SYM_BAD;
  }
}

} // namespace

bool ReadTokens(const CCode& code, std::vector<RLexToken>& tokens) {
  std::string_view text = code.GetText();
  const size_t n = text.size();
  auto at = [&](size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(text[i]) : ' '; };
  tokens.clear();
  size_t i = 0;
  for (;;) {
    while (i < n && at(i) <= 32) ++i;
    auto pos = static_cast<int32_t>(i + 1);
    if (i >= n) {
      tokens.push_back({SYM_END, pos, {}});
      return true;
    }
    unsigned char c = at(i);
    size_t start = i;
    if (c == '/' && at(i + 1) == '/') {
      while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && at(i + 1) == '*') {
      size_t end = text.find("*/", i + 1);
      i = end == std::string_view::npos ? n : end + 2;
      continue;
    }
    int32_t symbol;
    if (IsLetter(c)) {
      while (i < n && (IsLetter(at(i)) || IsDigit(at(i)))) ++i;
      symbol = Keyword(text.substr(start, i - start));
    } else if (c == '$') {
      ++i;
      while (i < n && IsHexDigit(at(i))) ++i;
      symbol = SYM_NUMBER;
    } else if (IsDigit(c) || (c == '.' && IsDigit(at(i + 1)))) {
      while (i < n && (IsDigit(at(i)) || at(i) == '.')) ++i;
      symbol = SYM_NUMBER;
    } else if (c == '\'' || c == '"') {
      size_t end = text.find(static_cast<char>(c), i + 1);
      if (end == std::string_view::npos) end = n;
      tokens.push_back({SYM_STRING, pos, text.substr(i + 1, end - i - 1)});
      i = end < n ? end + 1 : n;
      continue;
    } else if ((symbol = TwoCharOperator(static_cast<char>(c), static_cast<char>(at(i + 1)))) != 0) {
      i += 2;
    } else {
      symbol = OneCharOperator(static_cast<char>(c));
      ++i;
      if (symbol == SYM_BAD) {
        RecordError(code, pos, "Unexpected symbol.");
        return false;
      }
    }
    tokens.push_back({symbol, pos, text.substr(start, i - start)});
  }
}

} // namespace vl
