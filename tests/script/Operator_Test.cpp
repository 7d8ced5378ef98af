#include "script/Code_Operator.h"
#include "script/Code_Token.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace vl {
namespace {

// The comparison rule stated plainly: the difference in extended precision against 1e-13.
double Reference(int32_t op, double l, double r) {
  const long double d = static_cast<long double>(l) - r, e = 1e-13L;
  switch (op) {
  case OP_EQUAL:
  case OP_EQUAL2: return -e < d && d < e;
  case OP_NOT_EQUAL: return d < -e || d > e;
  case OP_LESS: return d < -e;
  case OP_LESS_EQUAL: return d <= e;
  case OP_GREATER_EQUAL: return d >= -e;
  default: return d > e;
  }
}

constexpr int32_t kComparisons[] = {OP_EQUAL,      OP_EQUAL2,        OP_NOT_EQUAL, OP_LESS,
                                    OP_LESS_EQUAL, OP_GREATER_EQUAL, OP_GREATER};

void ExpectAsReference(double l, double r) {
  for (int32_t op : kComparisons) {
    double result = -1;
    ASSERT_TRUE(RealOperation(op, l, r, result));
    EXPECT_EQ(result, Reference(op, l, r)) << "op " << op << " on " << l << " and " << r;
  }
}

TEST(Operator, ComparisonsDecideAsTheExtendedDifference) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double pairs[][2] = {
      {1, 1},        {1, 1 + 1e-14}, {1 + 1e-14, 1}, {1, 1 + 1e-12},     {0, 1e-13},      {0, -1e-13},
      {0, 0.99e-13}, {0, 1.01e-13},  {0, 1e-12},     {0, 1.0000001e-12}, {1e300, -1e300}, {nan, 1},
      {1, nan},      {nan, nan},     {inf, inf},     {inf, -inf},        {-0.0, 0.0},     {5e-324, 0},
  };
  for (const auto& p : pairs) ExpectAsReference(p[0], p[1]);
  // Differences around the point where double precision stops deciding alone.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> base(-1e6, 1e6), scale(-14, -10);
  for (int i = 0; i < 20000; ++i) {
    const double l = base(random), offset = std::pow(10.0, scale(random)) * (i % 2 ? 1 : -1);
    ExpectAsReference(l, l + offset);
    ExpectAsReference(offset, 0);
  }
}

// The arithmetic rules stated plainly: products, quotients and the product inside mod in extended
// precision, the quotient of div in double.
double ArithmeticReference(int32_t op, double l, double r) {
  auto truncated = [&] {
    const double q = std::trunc(l / r);
    const int64_t t = q >= -0x1p63 && q < 0x1p63 ? static_cast<int64_t>(q) : INT64_MIN;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(t)));
  };
  switch (op) {
  case OP_TIMES: return static_cast<double>(static_cast<long double>(l) * r);
  case OP_DIVIDE: return static_cast<double>(static_cast<long double>(l) / r);
  case OP_DIV: return truncated();
  default: return static_cast<double>(l - static_cast<long double>(truncated()) * r);
  }
}

// Operands from the edges where a double form could part from the rule: signs and zeros, powers of
// two, halves (ties), the 2^31 and 2^53 boundaries, products just either side of 2^53, fractions,
// the extremes of the range.
double EdgeOperand(std::mt19937_64& random) {
  auto pick = [&](int n) { return int(random() % uint64_t(n)); };
  const double sign = pick(2) ? -1.0 : 1.0;
  switch (pick(10)) {
  case 0: return sign * (pick(3) == 0 ? 0.0 : pick(2) + 1.0);
  case 1: return sign * std::ldexp(1.0, pick(2098) - 1074);
  case 2: return sign * (std::ldexp(1.0, 31) + pick(7) - 3);
  case 3: return sign * (std::ldexp(1.0, 53) + 2.0 * (pick(7) - 3));
  case 4: return sign * (std::ldexp(1.0, 52 - pick(2)) + pick(9) - 4);
  case 5: return sign * (std::ldexp(1.0, 26 + pick(2)) + double(random() % (1 << 24)));
  case 6: return sign * (double(random() % (uint64_t(1) << pick(54))) + (pick(2) ? 0.5 : 0.0));
  case 7: return sign * double(random() % (uint64_t(1) << pick(33)));
  case 8: return sign * std::ldexp(double(random() >> 11), pick(200) - 150);
  default:
    return sign * (pick(2) ? std::numeric_limits<double>::max() : std::numeric_limits<double>::denorm_min());
  }
}

TEST(Operator, ArithmeticGivesTheBitsOfTheExtendedRule) {
  std::mt19937_64 random(31);
  const int32_t ops[] = {OP_TIMES, OP_DIVIDE, OP_DIV, OP_MOD};
  for (int i = 0; i < 400000; ++i) {
    const double l = EdgeOperand(random), r = EdgeOperand(random);
    // Both orders of operands that are multiples of each other, so that quotients come out whole.
    const double pairs[][2] = {{l, r}, {r, l}, {l * std::trunc(r / 1e9 + 1), l}};
    for (const auto& p : pairs)
      for (int32_t op : ops) {
        double result = 0;
        if (p[1] == 0 && op != OP_TIMES) {
          EXPECT_FALSE(RealOperation(op, p[0], p[1], result));
          continue;
        }
        ASSERT_TRUE(RealOperation(op, p[0], p[1], result));
        const double expected = ArithmeticReference(op, p[0], p[1]);
        ASSERT_EQ(std::bit_cast<uint64_t>(result), std::bit_cast<uint64_t>(expected))
            << "op " << op << " on " << p[0] << " and " << p[1] << ": " << result << " against " << expected;
      }
  }
}

} // namespace
} // namespace vl
