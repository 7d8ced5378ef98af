#include "script/Code_Operator.h"

#include "script/Code_Error.h"
#include "script/Code_Token.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vl {

int64_t RoundFraction64(double v) {
  double r = std::nearbyint(v);
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<int64_t>(r);
}

int32_t RoundFraction32(double v) {
  double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(r);
}

namespace {

// Decodes one UTF-8 sequence at i; a byte that starts no valid sequence stands for itself.
uint32_t NextCodePoint(std::string_view s, size_t& i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  uint32_t c = b(i);
  size_t n = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (n == 0 || i + n >= s.size()) {
    ++i;
    return c;
  }
  uint32_t cp = c & (0x3F >> n);
  for (size_t k = 1; k <= n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  i += n + 1;
  return cp;
}

// The first UTF-16 unit of a code point, then the second (0 when there is none).
uint32_t Utf16Key(uint32_t cp) {
  if (cp < 0x10000) return cp << 16;
  cp -= 0x10000;
  return ((0xD800 + (cp >> 10)) << 16) | (0xDC00 + (cp & 0x3FF));
}

bool Fail(const CCode& code, int32_t position, const char* message) {
  RecordError(code, position, message);
  return false;
}

bool Repeat(const CCode& code, int32_t position, double count, const RValue& text, RValue& result) {
  int32_t n = RoundToInt32(count);
  std::string_view s = text.Str();
  if (n <= 0 || s.empty()) {
    result = RValue(std::string_view());
    return true;
  }
  if (s.size() * size_t(n) > kMaxStringBytes) return Fail(code, position, "String too long.");
  RString* out = RValue::NewString(s.size() * size_t(n));
  for (int32_t i = 0; i < n; ++i) std::memcpy(out->Data() + i * s.size(), s.data(), s.size());
  out->s_chars = static_cast<uint32_t>(text.CharCount() * size_t(n));
  result = RValue::Adopt(out);
  return true;
}

bool Concat(const CCode& code, int32_t position, const RValue& right, RValue& left) {
  std::string_view a = left.Str(), b = right.Str();
  if (b.empty()) return true;
  if (a.empty()) {
    left = right;
    return true;
  }
  if (a.size() + b.size() > kMaxStringBytes) return Fail(code, position, "String too long.");
  RString* out = RValue::NewString(a.size() + b.size());
  std::memcpy(out->Data(), a.data(), a.size());
  std::memcpy(out->Data() + a.size(), b.data(), b.size());
  out->s_chars = static_cast<uint32_t>(left.CharCount() + right.CharCount());
  left = RValue::Adopt(out);
  return true;
}

const char* WrongTypeMessage(int32_t op) {
  switch (op) {
  case OP_PLUS: return "Wrong type of arguments to +.";
  case OP_MINUS: return "Wrong type of arguments to -.";
  case OP_TIMES: return "Wrong type of arguments to *.";
  case OP_DIVIDE: return "Wrong type of arguments to /.";
  case OP_DIV: return "Wrong type of arguments to div.";
  case OP_MOD: return "Wrong type of arguments to mod.";
  case OP_AND: return "Wrong type of arguments for &&.";
  case OP_OR: return "Wrong type of arguments for ||.";
  case OP_XOR: return "Wrong type of arguments for ^^.";
  case OP_BIT_OR: return "Wrong type of arguments for |.";
  case OP_BIT_AND: return "Wrong type of arguments for &.";
  case OP_BIT_XOR: return "Wrong type of arguments for ^.";
  case OP_SHIFT_LEFT: return "Wrong type of arguments for <<.";
  case OP_SHIFT_RIGHT: return "Wrong type of arguments for >>.";
  default: return nullptr;
  }
}

bool IsComparison(int32_t op) {
  return op == OP_EQUAL || (op >= OP_LESS && op <= OP_GREATER);
}

} // namespace

int64_t detail::Shift(int64_t v, double count, bool left) {
  unsigned n = static_cast<uint64_t>(RoundToInt64(count)) & 0xFF;
  if (n >= 64 && n < 128) return 0;
  if (n >= 128) n %= 32;
  auto bits = static_cast<uint64_t>(v);
  return static_cast<int64_t>(left ? bits << n : bits >> n);
}

int32_t detail::TruncatedQuotient(double l, double r) {
  double q = std::trunc(l / r);
  int64_t t = q >= -9223372036854775808.0 && q < 9223372036854775808.0 ? static_cast<int64_t>(q) : INT64_MIN;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(t)));
}

double detail::ExtendedProduct(double l, double r) {
  return static_cast<double>(static_cast<long double>(l) * r);
}

double detail::ExtendedQuotient(double l, double r) {
  return static_cast<double>(static_cast<long double>(l) / r);
}

double detail::ExtendedRemainder(double l, double r, int32_t t) {
  return static_cast<double>(l - static_cast<long double>(t) * r);
}

int CompareStrings(const RValue& a, const RValue& b) {
  std::string_view x = a.Str(), y = b.Str();
  if (a.IsAscii() && b.IsAscii()) {
    const size_t common = std::min(x.size(), y.size());
    int c = common ? std::memcmp(x.data(), y.data(), common) : 0; // an empty text may have no data

    return c != 0 ? c : x.size() < y.size() ? -1 : x.size() > y.size();
  }
  size_t i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    uint32_t p = Utf16Key(NextCodePoint(x, i)), q = Utf16Key(NextCodePoint(y, j));
    if (p != q) return p < q ? -1 : 1;
  }
  return i < x.size() ? 1 : j < y.size() ? -1 : 0;
}

bool UnaryOperation(const CCode& code, int32_t position, int32_t op, RValue& value) {
  if (!value.IsReal()) return Fail(code, position, "Wrong type of arguments to unary operator.");
  double v = value.Real();
  switch (op) {
  case OP_NOT: value.SetReal(IsTrue(v) ? 0 : 1); return true;
  case OP_PLUS: return true;
  case OP_MINUS: value.SetReal(-v); return true;
  case OP_BIT_NOT: value.SetReal(static_cast<double>(~RoundToInt64(v))); return true;
  default: return Fail(code, position, "Internal error: unknown unary operator.");
  }
}

bool BinaryOperation(const CCode& code, int32_t position, int32_t op, const RValue& right, RValue& left) {
  if (left.IsReal() && right.IsReal()) {
    double result;
    if (RealOperation(op, left.Real(), right.Real(), result)) {
      left.SetReal(result);
      return true;
    }
    if (op == OP_DIVIDE || op == OP_DIV) return Fail(code, position, "Division by 0.");
    if (op == OP_MOD) return Fail(code, position, "Modulo by 0.");
    return Fail(code, position, "Internal error: unknown binary operator.");
  }
  if (IsComparison(op)) {
    if (left.Kind() != right.Kind()) return Fail(code, position, "Cannot compare arguments.");
    int d = CompareStrings(left, right);
    double result = 0;
    RealOperation(op, d, 0, result);
    left.SetReal(result);
    return true;
  }
  if (op == OP_PLUS && left.IsString() && right.IsString()) return Concat(code, position, right, left);
  if (op == OP_TIMES && left.IsReal() && right.IsString())
    return Repeat(code, position, left.Real(), right, left);
  const char* message = WrongTypeMessage(op);
  return Fail(code, position, message ? message : "Internal error: unknown binary operator.");
}

} // namespace vl
