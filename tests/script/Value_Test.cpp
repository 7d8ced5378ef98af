#include "script/Variable_Value.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

TEST(Value, NewValueIsRealZero) {
  RValue v;
  EXPECT_TRUE(v.IsReal());
  EXPECT_EQ(v.Real(), 0);
  EXPECT_EQ(v.Str(), "");
}

TEST(Value, CopiesShareTextButNotChanges) {
  RValue a(std::string_view("hello"));
  RValue b = a;
  EXPECT_EQ(a.Str().data(), b.Str().data()); // shared, no allocation
  b.SetString("other");
  EXPECT_EQ(a.Str(), "hello");
  EXPECT_EQ(b.Str(), "other");
  a = b;
  b.SetReal(2);
  EXPECT_EQ(a.Str(), "other");
  EXPECT_TRUE(b.IsReal());
}

TEST(Value, MoveLeavesRealZero) {
  RValue a(std::string_view("x"));
  RValue b = std::move(a);
  EXPECT_EQ(b.Str(), "x");
  EXPECT_TRUE(a.IsReal()); // NOLINT: a moved-from value is the real 0
  EXPECT_EQ(a.Real(), 0);
  RValue c;
  c = std::move(b);
  EXPECT_EQ(c.Str(), "x");
  c = c; // self-assignment keeps the text
  EXPECT_EQ(c.Str(), "x");
}

TEST(Value, EmptyStringIsAStringWithoutStorage) {
  RValue v{std::string_view()};
  EXPECT_TRUE(v.IsString());
  EXPECT_EQ(v.Str(), "");
  EXPECT_EQ(v.CharCount(), 0u);
}

TEST(Value, CountsCharactersOfUtf8) {
  RValue ascii(std::string_view("abc")), text(std::string_view("h\xC3\xA9llo \xE2\x82\xAC"));
  EXPECT_TRUE(ascii.IsAscii());
  EXPECT_EQ(ascii.CharCount(), 3u);
  EXPECT_FALSE(text.IsAscii());
  EXPECT_EQ(text.CharCount(), 7u);
  EXPECT_EQ(text.Str().size(), 10u);
}

} // namespace
} // namespace vl
