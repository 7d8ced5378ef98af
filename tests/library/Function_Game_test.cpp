#include "library/Function_Game.h"

#include <gtest/gtest.h>
#include <limits>

namespace vl {
namespace {

TEST(DebugMessageText, StringsWholeNumbersAndFractions) {
  struct RCase {
    RValue value;
    const char* text;
  };
  const RCase cases[] = {
      {RValue(3.0), "3"},
      {RValue(2.5), "2.50"},
      {RValue(-0.375), "-0.38"},
      {RValue(-0.0), "0"},
      {RValue(1e20), "100000000000000000000"},
      {RValue(std::string_view("a b")), "a b"},
      {RValue(std::numeric_limits<double>::infinity()), "INF"},
  };
  for (const RCase& c : cases) EXPECT_EQ(DebugMessageText(c.value), c.text);
}

} // namespace
} // namespace vl
