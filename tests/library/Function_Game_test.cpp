#include "library/Function_Game.h"
#include "platform/Platform.h"
#include "tests/library/Function_Test_Support.h"

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

TEST(JoinLinesWithCr, EveryLineEndBecomesCr) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\r\nb\r\n", "a\rb\r"}, {"a\nb", "a\rb\r"}, {"a\rb\n\n", "a\rb\r\r"}, {"", ""}, {"\r\n", "\r"}};
  for (const auto& [text, joined] : cases) EXPECT_EQ(JoinLinesWithCr(text), joined) << text;
}

// Headless, the clipboard belongs to the process; a function's address names it again.
TEST(GameFunctions, ClipboardAndFunctionAddresses) {
  static const bool registered = (Register_Function_Game(), true);
  (void)registered;
  auto services = CreateHeadlessServices();
  InstallServices(services.get());
  EXPECT_EQ(test::ExpectReal(test::CallFunction("clipboard_has_text", {}), "has"), 0);
  test::CallFunction("clipboard_set_text", {RValue(std::string_view("caf\xC3\xA9"))});
  EXPECT_EQ(test::ExpectReal(test::CallFunction("clipboard_has_text", {}), "has"), 1);
  EXPECT_EQ(test::ExpectString(test::CallFunction("clipboard_get_text", {}), "get"), "caf\xC3\xA9");
  InstallServices(nullptr);
  const double address = test::ExpectReal(
      test::CallFunction("get_function_address", {RValue(std::string_view("execute_file"))}), "");
  EXPECT_EQ(address, FindBuiltinFunction("execute_file"));
  EXPECT_GE(address, 0);
  EXPECT_EQ(test::CallFunction("get_function_address", {RValue(std::string_view("no_such"))}).Real(), -1);
}

} // namespace
} // namespace vl
