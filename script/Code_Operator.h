#pragma once
// The unary and binary operators of the language, shared by the interpreter and constant folding.

#include "script/Variable_Value.h"

#include <bit>
#include <cstdint>

namespace vl {

class CCode;

// A real counts as true from 0.5 on.
inline bool IsTrue(double v) {
  return v >= 0.5;
}
// Rounds to the nearest integer, ties to even; NaN and values out of range give INT64_MIN.
int64_t RoundFraction64(double v);
inline int64_t RoundToInt64(double v) {
  // Most values are already whole numbers.
  if (v > -9.2e18 && v < 9.2e18)
    if (auto t = static_cast<int64_t>(v); static_cast<double>(t) == v) return t;
  return RoundFraction64(v);
}
// The same into 32 bits, with INT32_MIN for values out of range.
int32_t RoundFraction32(double v);
inline int32_t RoundToInt32(double v) {
  if (v > -2147483648.0 && v < 2147483648.0)
    if (auto t = static_cast<int32_t>(v); static_cast<double>(t) == v) return t;
  return RoundFraction32(v);
}
// An argument of a built-in function as a number: a string counts as 0; and that number rounded
// half to even, INT32_MIN beyond 32 bits.
inline double ArgumentReal(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}
inline int32_t ArgumentWhole(const RValue& v) {
  return RoundToInt32(ArgumentReal(v));
}

// The operators on two reals without any failure: false when op needs the general path (a division
// by zero or an unknown operator), which then records the message.
[[gnu::always_inline]] inline bool RealOperation(int32_t op, double l, double r, double& result);

// Apply op to value in place. On failure the message is recorded at position of code and the
// value is left as it was.
bool UnaryOperation(const CCode& code, int32_t position, int32_t op, RValue& value);
// left = left op right, with the same failure rule.
bool BinaryOperation(const CCode& code, int32_t position, int32_t op, const RValue& right, RValue& left);

// Compares two strings by their UTF-16 code units: negative, zero or positive.
int CompareStrings(const RValue& a, const RValue& b);

namespace detail {
// A shift of the 64-bit pattern by the lowest 8 bits of the rounded count.
int64_t Shift(int64_t v, double count, bool left);
// The truncated quotient of div, kept as a signed 32-bit integer.
int32_t TruncatedQuotient(double l, double r);
// The extended-precision forms, for operands where double arithmetic could round differently.
double ExtendedProduct(double l, double r);
double ExtendedQuotient(double l, double r);
// l - t * r with the product in extended precision.
double ExtendedRemainder(double l, double r, int32_t t);

// A whole number of magnitude below 2^53.
[[gnu::always_inline]] inline bool IsWhole53(double v) {
  return v > -0x1p53 && v < 0x1p53 && static_cast<double>(static_cast<int64_t>(v)) == v;
}
// A whole number of magnitude below 2^31, and it as an integer.
[[gnu::always_inline]] inline bool IsWhole31(double v, int32_t& i) {
  if (!(v > -0x1p31 && v < 0x1p31)) return false;
  i = static_cast<int32_t>(v);
  return static_cast<double>(i) == v;
}
// A normal power of two, positive or negative: dividing by it is exact in either precision.
[[gnu::always_inline]] inline bool IsPowerOfTwo(double v) {
  const auto bits = std::bit_cast<uint64_t>(v);
  const uint64_t exponent = (bits >> 52) & 0x7FF;
  return (bits & 0xFFFFFFFFFFFFFull) == 0 && exponent != 0 && exponent != 0x7FF;
}
} // namespace detail

// Products and quotients rounded once from extended precision. Where the double result is exact the
// extended one rounds to the same bits, so only the other operands pay for the extended unit.
[[gnu::always_inline]] inline double Multiply(double l, double r) {
  const double p = l * r;
  // Whole numbers whose product stays below 2^53 multiply exactly.
  if (p > -0x1p53 && p < 0x1p53 && detail::IsWhole53(l) && detail::IsWhole53(r)) return p;
  return detail::ExtendedProduct(l, r);
}
// r is not 0.
[[gnu::always_inline]] inline double Divide(double l, double r) {
  const double q = l / r;
  if (detail::IsPowerOfTwo(r) && q == q) return q;
  // A whole quotient that multiplies back to l exactly is the exact quotient.
  if (l > -0x1p53 && l < 0x1p53 && detail::IsWhole53(q) && detail::IsWhole53(r) && q * r == l) return q;
  return detail::ExtendedQuotient(l, r);
}
// div and mod; r is not 0. Whole numbers below 2^31 divide exactly in integer arithmetic to the
// truncated double quotient, and the remainder's product and difference are then exact too.
[[gnu::always_inline]] inline double IntegerDivide(double l, double r) {
  int32_t li, ri;
  if (detail::IsWhole31(l, li) && detail::IsWhole31(r, ri)) return static_cast<double>(li / ri);
  return detail::TruncatedQuotient(l, r);
}
[[gnu::always_inline]] inline double Modulo(double l, double r) {
  int32_t li, ri;
  // l - t * r rather than li % ri keeps the sign of a zero remainder as the extended rule gives it.
  if (detail::IsWhole31(l, li) && detail::IsWhole31(r, ri)) return l - static_cast<double>(li / ri) * r;
  return detail::ExtendedRemainder(l, r, detail::TruncatedQuotient(l, r));
}

[[gnu::always_inline]] inline bool RealOperation(int32_t op, double l, double r, double& result) {
  constexpr long double e = 1e-13L; // comparison tolerance, in extended precision
  switch (op) {
  case 210: result = l + r; return true;
  case 211: result = l - r; return true;
  case 212: result = Multiply(l, r); return true;
  case 213:
    if (r == 0) return false;
    result = Divide(l, r);
    return true;
  case 214:
    if (r == 0) return false;
    result = IntegerDivide(l, r);
    return true;
  case 215:
    if (r == 0) return false;
    result = Modulo(l, r);
    return true;
  case 201: result = IsTrue(l) && IsTrue(r); return true;
  case 202: result = IsTrue(l) || IsTrue(r); return true;
  case 216: result = IsTrue(l) != IsTrue(r); return true;
  case 217: result = static_cast<double>(RoundToInt64(l) | RoundToInt64(r)); return true;
  case 218: result = static_cast<double>(RoundToInt64(l) & RoundToInt64(r)); return true;
  case 219: result = static_cast<double>(RoundToInt64(l) ^ RoundToInt64(r)); return true;
  case 221: result = static_cast<double>(detail::Shift(RoundToInt64(l), r, true)); return true;
  case 222: result = static_cast<double>(detail::Shift(RoundToInt64(l), r, false)); return true;
  }
  // A double difference well beyond the tolerance decides like the extended one; only near-equal
  // (or unordered) operands need extended precision.
  int order;
  if (const double d = l - r; d > 1e-12) {
    order = 1;
  } else if (d < -1e-12) {
    order = -1;
  } else {
    const long double x = static_cast<long double>(l) - r;
    if (x != x) { // NaN compares false every way
      if (op < 101 || (op > 101 && op < 204) || op > 209) return false;
      result = 0;
      return true;
    }
    order = x < -e ? -1 : x > e ? 1 : 0;
  }
  switch (op) {
  case 101:
  case 206: result = order == 0; return true;
  case 207: result = order != 0; return true;
  case 204: result = order < 0; return true;
  case 205: result = order <= 0; return true;
  case 208: result = order >= 0; return true;
  case 209: result = order > 0; return true;
  default: return false;
  }
}

} // namespace vl
