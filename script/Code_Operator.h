#pragma once
// The unary and binary operators of the language, shared by the interpreter and constant folding.

#include "script/Variable_Value.h"

#include <cstdint>

namespace vl {

class CCode;

// A real counts as true from 0.5 on.
inline bool IsTrue(double v) {
  return v >= 0.5;
}
// Rounds to the nearest integer, ties to even; NaN and values out of range give INT64_MIN.
int64_t RoundToInt64(double v);
int32_t RoundToInt32(double v);

// Apply op to value in place. On failure the message is recorded at position of code and the
// value is left as it was.
bool UnaryOperation(const CCode& code, int32_t position, int32_t op, RValue& value);
// left = left op right, with the same failure rule.
bool BinaryOperation(const CCode& code, int32_t position, int32_t op, const RValue& right, RValue& left);

// Compares two strings by their UTF-16 code units: negative, zero or positive.
int CompareStrings(const RValue& a, const RValue& b);

} // namespace vl
