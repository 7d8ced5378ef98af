// The math and string functions through the function table, and the shared random generator.
#include "library/Function_Math.h"
#include "library/Support_Random.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "tests/library/Function_Test_Support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace vl {
namespace {

std::vector<std::string> Errors;

RValue S(std::string_view s) {
  return RValue(s);
}

class CRecordedErrors final : public CFunctionErrorSink {
public:
  void ReportFunctionError(std::string_view m) override { Errors.emplace_back(m); }
};

class MathTest : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Math(), true);
    (void)registered;
    static CRecordedErrors recorded;
    SetFunctionErrorSink(&recorded);
    Errors.clear();
  }
  void TearDown() override { SetFunctionErrorSink(nullptr); }
  static RValue Call(std::string_view name, std::initializer_list<RValue> args = {}) {
    return test::CallFunction(name, args, nullptr, true);
  }
  static double Real(std::string_view name, std::initializer_list<RValue> args) {
    return test::ExpectReal(Call(name, args), name);
  }
  static std::string Str(std::string_view name, std::initializer_list<RValue> args) {
    return test::ExpectString(Call(name, args), name);
  }
};

TEST_F(MathTest, TableHasTheWholeFamily) {
  const char* names[] = {"is_real",
                         "random",
                         "random_range",
                         "irandom",
                         "irandom_range",
                         "random_set_seed",
                         "random_get_seed",
                         "randomize",
                         "choose",
                         "abs",
                         "sign",
                         "round",
                         "floor",
                         "ceil",
                         "frac",
                         "sqrt",
                         "sqr",
                         "power",
                         "exp",
                         "ln",
                         "log2",
                         "log10",
                         "logn",
                         "sin",
                         "cos",
                         "tan",
                         "arcsin",
                         "arccos",
                         "arctan",
                         "arctan2",
                         "degtorad",
                         "radtodeg",
                         "min",
                         "max",
                         "min3",
                         "max3",
                         "mean",
                         "median",
                         "dot_product",
                         "dot_product_3d",
                         "point_distance",
                         "point_distance_3d",
                         "point_direction",
                         "lengthdir_x",
                         "lengthdir_y",
                         "is_string",
                         "real",
                         "string",
                         "string_format",
                         "chr",
                         "ansi_char",
                         "ord",
                         "string_length",
                         "string_byte_length",
                         "string_pos",
                         "string_copy",
                         "string_char_at",
                         "string_byte_at",
                         "string_delete",
                         "string_insert",
                         "string_lower",
                         "string_upper",
                         "string_repeat",
                         "string_letters",
                         "string_digits",
                         "string_lettersdigits",
                         "string_replace",
                         "string_replace_all",
                         "string_count"};
  EXPECT_EQ(std::size(names), 69u);
  for (const char* n : names) EXPECT_GE(FindBuiltinFunction(n), 0) << n;
}

TEST_F(MathTest, GeneratorSequence) {
  SetRandomSeed(0);
  EXPECT_EQ(Random01(), 1 / 4294967296.0);
  EXPECT_EQ(GetRandomSeed(), 1u);
  EXPECT_EQ(Random01(), 134775814 / 4294967296.0);
  SetRandomSeed(0);
  EXPECT_EQ(Random(10), 0u); // (1 * 10) >> 32
  Call("random_set_seed", {-1.0});
  EXPECT_EQ(Real("random_get_seed", {}), -1); // signed 32-bit
  EXPECT_EQ(GetRandomSeed(), 0xFFFFFFFFu);
  Call("random_set_seed", {4294967298.0}); // low 32 bits
  EXPECT_EQ(Real("random_get_seed", {}), 2);

  SetStartSeed(77);
  SeedRandomAtGameStart();
  EXPECT_EQ(GetRandomSeed(), 77u);
  SetStartSeed(std::nullopt);
}

TEST_F(MathTest, RandomRanges) {
  SetRandomSeed(5);
  for (int i = 0; i < 300; ++i) {
    const double a = Real("irandom", {2.7});
    EXPECT_TRUE(a == 0 || a == 1 || a == 2) << a;
    const double b = Real("irandom_range", {3.0, 1.0});
    EXPECT_TRUE(b == 1 || b == 2 || b == 3) << b;
    const double c = Real("irandom", {-2.0});
    EXPECT_TRUE(c == -2 || c == -1 || c == 0) << c;
    const double d = Real("random_range", {5.0, 2.0});
    EXPECT_TRUE(d >= 2 && d < 5) << d;
    const double e = Real("random", {10.0});
    EXPECT_TRUE(e >= 0 && e < 10) << e;
  }
  SetRandomSeed(9);
  const RValue picked = Call("choose", {S("a"), S("b"), S("c")});
  SetRandomSeed(9);
  EXPECT_EQ(picked.Str(), std::string(1, char('a' + Random(3))));
  EXPECT_EQ(Real("choose", {}), 0);
}

TEST_F(MathTest, NumberFunctions) {
  struct Case {
    const char* name;
    std::vector<double> args;
    double expected;
  } cases[] = {
      {"round", {0.5}, 0},
      {"round", {1.5}, 2},
      {"round", {-2.5}, -2},
      {"round", {2.5}, 2},
      {"round", {3.5}, 4},
      {"sign", {1e-14}, 0},
      {"sign", {-1e-13}, -1},
      {"sign", {2}, 1},
      {"frac", {-1.25}, -0.25},
      {"floor", {-1.5}, -2},
      {"ceil", {1.2}, 2},
      {"abs", {-3}, 3},
      {"sqr", {-3}, 9},
      {"sqrt", {16}, 4},
      {"power", {2, 10}, 1024},
      {"logn", {2, 8}, 3},
      {"log2", {8}, 3},
      {"log10", {1000}, 3},
      {"degtorad", {180}, M_PI},
      {"radtodeg", {M_PI}, 180},
      {"arctan2", {1, 0}, M_PI / 2},
      {"lengthdir_x", {10, 90}, 0},
      {"lengthdir_y", {10, 90}, -10},
      {"lengthdir_x", {10, 180}, -10},
      {"point_direction", {0, 0, 0, 10}, 270},
      {"point_direction", {0, 0, -1, 0}, 180},
      {"point_direction", {0, 0, 1, -1}, 45},
      {"point_direction", {0, 0, 0, 0}, 0},
      {"point_distance", {0, 0, 3, 4}, 5},
      {"point_distance_3d", {0, 0, 0, 2, 3, 6}, 7},
      {"dot_product", {1, 0, 0, 1}, 0},
      {"dot_product", {2, 0, 3, 0}, 1},
      {"dot_product", {0, 0, 3, 0}, 0},
      {"dot_product_3d", {0, 0, 2, 0, 0, -5}, -1},
      {"mean", {1, 2, 6}, 3},
      {"median", {1, 2, 3, 4}, 2},
      {"median", {5, 1, 3}, 3},
      {"median", {}, 0},
      {"min", {3, 1, 2}, 1},
      {"max3", {3, 1, 2}, 3},
  };
  for (const Case& c : cases) {
    std::vector<RValue> args(c.args.begin(), c.args.end());
    const RFunction* f = GetBuiltinFunction(FindBuiltinFunction(c.name));
    RValue result;
    f->f_routine(nullptr, nullptr, int32_t(args.size()), result, args.data());
    EXPECT_NEAR(result.Real(), c.expected, 1e-12) << c.name;
  }
  EXPECT_EQ(std::signbit(Real("lengthdir_x", {10.0, 90.0})), false);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(MathTest, FailuresReportAndGiveZero) {
  struct Case {
    const char* name;
    std::vector<double> args;
    const char* message;
  } cases[] = {
      {"sqrt", {-1}, "Cannot apply sqrt to negative number."},
      {"exp", {1000}, "Error in function exp()."},
      {"ln", {0}, "Error in function ln()."},
      {"log2", {-1}, "Error in function log2()."},
      {"log10", {-1}, "Error in function log10()."},
      {"arcsin", {2}, "Error in function arcsin()."},
      {"arccos", {-2}, "Error in function arccos()."},
      {"power", {-8, 1.0 / 3}, "Error in function power()."},
      {"power", {0, -1}, "Error in function power()."},
      {"logn", {1, 5}, "Error in function logn()."},
  };
  for (const Case& c : cases) {
    Errors.clear();
    std::vector<RValue> args(c.args.begin(), c.args.end());
    const RFunction* f = GetBuiltinFunction(FindBuiltinFunction(c.name));
    RValue result;
    f->f_routine(nullptr, nullptr, int32_t(args.size()), result, args.data());
    EXPECT_EQ(Errors, std::vector<std::string>{c.message}) << c.name;
    EXPECT_TRUE(result.IsReal() && result.Real() == 0) << c.name;
  }
}

TEST_F(MathTest, MinAndMaxKeepKinds) {
  EXPECT_EQ(Str("max", {S("b"), S("a"), S("c")}), "c");
  EXPECT_EQ(Str("min", {S("b"), S("a"), S("c")}), "a");
  EXPECT_EQ(Str("min", {3.0, S("a")}), "a");  // the string's real part, 0, is below 3
  EXPECT_EQ(Real("min", {-3.0, S("a")}), -3); // but not below -3
  EXPECT_EQ(Real("min", {}), 0);
  EXPECT_EQ(Real("max3", {1.0, S("z"), S("y")}), 1); // the strings' real parts, 0, are not above 1
  EXPECT_EQ(Str("max3", {-1.0, S("z"), S("y")}), "z");
  EXPECT_EQ(Str("median", {3.0, S("x"), 5.0, -1.0}), "x"); // the argument itself; a string's real part is 0
  EXPECT_EQ(Str("min", {S(""), S("b"), 4.0}), "");         // the empty text of 4 is not below ""
  EXPECT_EQ(Real("min", {S("b"), 4.0}), 4);                // the empty text of 4 is below "b"
}

TEST_F(MathTest, Conversions) {
  struct Case {
    double x;
    const char* text;
  } strings[] = {{2, "2"},          {2.5, "2.50"},
                 {-12, "-12"},      {-0.5, "-0.50"},
                 {3.14159, "3.14"}, {1e15, "1000000000000000"},
                 {-0.0, "0"},       {12345678901.5, "1.23E+10"},
                 {NAN, "ERROR"}};
  for (const Case& c : strings) EXPECT_EQ(Str("string", {c.x}), c.text) << c.x;
  EXPECT_EQ(Str("string", {S("as is")}), "as is");
  EXPECT_EQ(Str("string_format", {3.14159, 8.0, 3.0}), "   3.142");
  EXPECT_EQ(Str("string_format", {-2.0, 0.0, 0.0}), "-2");
  EXPECT_EQ(Str("string_format", {S("x"), 8.0, 3.0}), "x");

  struct Parse {
    const char* text;
    double value;
    bool ok;
  } reals[] = {{" 12.5 ", 12.5, true}, {"", 0, true},      {"  ", 0, true},   {"-3e2", -300, true},
               {"+.5", 0.5, true},     {"7.", 7, true},    {"abc", 0, false}, {"1.2.3", 0, false},
               {"inf", 0, false},      {"0x10", 0, false}, {"1e", 0, false},  {"- 1", 0, false}};
  for (const Parse& p : reals) {
    Errors.clear();
    EXPECT_EQ(Real("real", {S(p.text)}), p.value) << p.text;
    EXPECT_EQ(Errors.empty(), p.ok) << p.text;
    if (!p.ok) {
      EXPECT_EQ(Errors[0], "Error in function real().");
    }
  }
  EXPECT_EQ(Real("real", {4.0}), 4);
  EXPECT_EQ(Real("is_real", {4.0}), 1);
  EXPECT_EQ(Real("is_string", {4.0}), 0);
}

TEST_F(MathTest, CharactersAndBytes) {
  EXPECT_EQ(Str("chr", {65.0}), "A");
  EXPECT_EQ(Str("chr", {128.0}), "\xE2\x82\xAC");   // the euro sign of code page 1252
  EXPECT_EQ(Str("chr", {233.0 + 256}), "\xC3\xA9"); // low 8 bits
  EXPECT_EQ(Str("ansi_char", {233.0}), "\xE9");
  EXPECT_EQ(Real("ord", {S("\xC3\xA9")}), 0xC3);
  EXPECT_EQ(Real("ord", {S("")}), 0);
  EXPECT_EQ(Real("string_length", {S("h\xC3\xA9llo")}), 5);
  EXPECT_EQ(Real("string_length", {S("\xF0\x9F\x98\x80!")}), 2);
  EXPECT_EQ(Real("string_byte_length", {S("h\xC3\xA9llo")}), 6);
  EXPECT_EQ(Real("string_byte_at", {S("h\xC3\xA9"), 2.0}), 0xC3);
  EXPECT_EQ(Real("string_byte_at", {S("abc"), 4.0}), 0);
  EXPECT_EQ(Real("string_byte_at", {S("abc"), 0.0}), 0);
}

TEST_F(MathTest, StringPositionsCountUtf16Units) {
  const RValue e = S("h\xC3\xA9llo");           // hello with e-acute
  const RValue smile = S("a\xF0\x9F\x98\x80z"); // a, U+1F600 (two units), z
  EXPECT_EQ(Real("string_pos", {S("llo"), e}), 3);
  EXPECT_EQ(Real("string_pos", {S("z"), smile}), 4);
  EXPECT_EQ(Real("string_pos", {S(""), e}), 0);
  EXPECT_EQ(Real("string_pos", {S("q"), e}), 0);
  EXPECT_EQ(Str("string_copy", {e, 2.0, 2.0}), "\xC3\xA9l");
  EXPECT_EQ(Str("string_copy", {e, -5.0, 2.0}), "h\xC3\xA9");
  EXPECT_EQ(Str("string_copy", {e, 9.0, 2.0}), "");
  EXPECT_EQ(Str("string_copy", {e, 4.0, 100.0}), "lo");
  EXPECT_EQ(Str("string_copy", {e, 1.0, 0.0}), "");
  EXPECT_EQ(Str("string_copy", {smile, 2.0, 2.0}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Str("string_copy", {smile, 3.0, 2.0}), "\xEF\xBF\xBDz"); // half a pair
  EXPECT_EQ(Str("string_char_at", {e, 2.0}), "\xC3\xA9");
  EXPECT_EQ(Str("string_char_at", {e, 0.0}), "");
  EXPECT_EQ(Str("string_char_at", {e, 6.0}), "");
  EXPECT_EQ(Str("string_char_at", {12.0, 1.0}), "");
  EXPECT_EQ(Str("string_delete", {e, 2.0, 2.0}), "hlo");
  EXPECT_EQ(Str("string_delete", {e, 4.0, 99.0}), "h\xC3\xA9l");
  EXPECT_EQ(Str("string_delete", {e, 7.0, 1.0}), "h\xC3\xA9llo");
  EXPECT_EQ(Str("string_delete", {e, 0.0, 1.0}), "h\xC3\xA9llo");
  // string_insert counts bytes.
  EXPECT_EQ(Str("string_insert", {S("x"), S("ab"), 2.0}), "axb");
  EXPECT_EQ(Str("string_insert", {S("x"), S("ab"), 9.0}), "abx");
  EXPECT_EQ(Str("string_insert", {S("x"), S("ab"), -1.0}), "xab");
  EXPECT_EQ(Str("string_insert", {S("x"), e, 4.0}), "h\xC3\xA9xllo");
}

TEST_F(MathTest, StringEditing) {
  EXPECT_EQ(Str("string_upper", {S("abc\xC3\xA9\xC3\x9F")}), "ABC\xC3\x89\xC3\x9F");
  EXPECT_EQ(Str("string_lower", {S("ABC\xC3\x89")}), "abc\xC3\xA9");
  EXPECT_EQ(Str("string_upper", {S("mIxEd 1")}), "MIXED 1");
  EXPECT_EQ(Str("string_repeat", {S("ab"), 3.0}), "ababab");
  EXPECT_EQ(Str("string_repeat", {S("ab"), -1.0}), "");
  EXPECT_EQ(Str("string_repeat", {S("ab"), 1e12}), "");
  EXPECT_EQ(Errors, std::vector<std::string>{"String too long."});
  EXPECT_EQ(Str("string_letters", {S("a1\xC3\xA9-B")}), "aB");
  EXPECT_EQ(Str("string_digits", {S("a1\xC3\xA9-2")}), "12");
  EXPECT_EQ(Str("string_lettersdigits", {S("a1\xC3\xA9-B")}), "a1B");
  EXPECT_EQ(Str("string_replace", {S("a-b-c"), S("-"), S("+")}), "a+b-c");
  EXPECT_EQ(Str("string_replace_all", {S("a-b-c"), S("-"), S("--")}), "a--b--c");
  EXPECT_EQ(Str("string_replace_all", {S("aaa"), S("a"), S("aa")}), "aaaaaa");
  EXPECT_EQ(Str("string_replace_all", {S("abc"), S(""), S("x")}), "abc");
  EXPECT_EQ(Real("string_count", {S("aa"), S("aaaa")}), 2);
  EXPECT_EQ(Real("string_count", {S("aa"), S("aaa")}), 1);
  EXPECT_EQ(Real("string_count", {S(""), S("aaa")}), 0);
}

} // namespace
} // namespace vl
