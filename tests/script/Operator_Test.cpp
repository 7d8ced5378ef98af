#include "script/Code_Operator.h"
#include "script/Code_Token.h"

#include <cmath>
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

} // namespace
} // namespace vl
