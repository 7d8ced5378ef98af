#include "library/Ini_File.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "tests/library/File_Test_Support.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace vl {
namespace {

using test::Contents;

TEST(IniNumber, GeneralFormat) {
  const struct {
    double x;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {2, "2"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {123456.789, "123456.789"},
      {999999999999999, "999999999999999"}, // fifteen digits still fixed
      {1e15, "1E15"},
      {1e20, "1E20"},
      {-1.25e100, "-1.25E100"},
      {123456789012345678.0, "1.23456789012346E17"},
      {0.00001, "0.00001"},
      {0.0000123, "0.0000123"},
      {1.5e-7, "1.5E-7"},
      {-1e-300, "-1E-300"},
      {9.9999999999999999e14, "1E15"}, // rounding carries into the exponent
      {1000, "1000"},
      {100.5, "100.5"},
      {INFINITY, "INF"},
      {-INFINITY, "-INF"},
      {NAN, "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(GeneralNumberText(c.x), c.text) << c.x;
}

TEST(IniNumber, Reader) {
  const struct {
    const char* text;
    double x;
  } cases[] = {
      {"1,5", 1.5},
      {"1.5", 1.5},
      {"2E3", 2000},
      {"2e3", 2000},
      {"--3", 3},
      {"-3", -3},
      {"3-", -3}, // a minus flips the sign wherever it stands before the exponent
      {"1.5E-7", 1.5e-7},
      {"-1.5E-7", -1.5e-7},
      {"1E-", 1},
      {"2E1-", 0.2}, // after the exponent started, the exponent's sign
      {"1.2.3", 1.2},
      {"1E2.5", 100}, // a separator after the exponent ends the number
      {"1E2E3", 100},
      {"12abc", 12},
      {" 12", 0}, // a space ends the number before any digit
      {"", 0},
      {"abc", 0},
      {".5", 0.5},
      {"0.1", 0.1},
      {"1E400", HUGE_VAL},
      {"1E-400", 0},
      {"0E999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadIniNumber(c.text), c.x) << c.text;
}

TEST(IniNumber, WrittenNumbersReadBack) {
  for (const double x : {0.1, 1.0 / 3, -2.5e-9, 6.02214076e23, 123456.789012345, 1e-5, 1e15})
    EXPECT_EQ(ReadIniNumber(GeneralNumberText(x)), std::stod(GeneralNumberText(x))) << x;
}

TEST(IniFile, LookupIgnoresCaseAndKeepsOtherLines) {
  CIniFile ini;
  ini.Parse("; made by hand\n"
            "[Player]\r\n"
            "  Name = Ann Lee \r\n"
            "; a comment=not a key\n"
            "name=second\n"
            "\n"
            "[ Scores ]\n"
            "best=10\n"
            "empty=\n"
            "[player]\n"
            "name=third\n");
  EXPECT_EQ(ini.Read("PLAYER", "NAME"), "Ann Lee"); // the first of equal names wins
  EXPECT_EQ(ini.Read("scores", "Best"), "10");
  EXPECT_EQ(ini.Read("Scores", "empty"), "");
  EXPECT_TRUE(ini.KeyExists("Scores", "empty"));
  EXPECT_FALSE(ini.KeyExists("Player", "; a comment"));
  EXPECT_FALSE(ini.KeyExists("Scores", "name"));
  EXPECT_FALSE(ini.KeyExists("Missing", "name"));
  EXPECT_TRUE(ini.SectionExists("SCORES"));
  EXPECT_FALSE(ini.SectionExists("Score"));

  ini.Write("player", "NAME", "Bo");
  ini.Write("Scores", "Last", "3");
  ini.Write("New", "k", "v");
  ini.DeleteKey("SCORES", "BEST");
  EXPECT_EQ(ini.Text(), "; made by hand\r\n"
                        "[Player]\r\n"
                        "Name=Bo\r\n"
                        "; a comment=not a key\r\n"
                        "name=second\r\n"
                        "\r\n"
                        "[Scores]\r\n"
                        "empty=\r\n"
                        "Last=3\r\n"
                        "[player]\r\n"
                        "name=third\r\n"
                        "[New]\r\n"
                        "k=v\r\n");

  ini.DeleteSection("PLAYER"); // the first of the two; the second one is found next
  EXPECT_EQ(ini.Read("Player", "name"), "third");
  ini.DeleteSection("player");
  ini.DeleteSection("gone");
  ini.DeleteKey("gone", "k");
  EXPECT_FALSE(ini.SectionExists("Player"));
  EXPECT_EQ(ini.Text(), "; made by hand\r\n[Scores]\r\nempty=\r\nLast=3\r\n[New]\r\nk=v\r\n");
}

// Runs in a scratch folder that is also the working folder and calls the built-in functions
// through the function table.
class IniFunctions : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Ini(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
  }
  void TearDown() override {
    ResetIniState();
    CFileFunctionTest::TearDown();
  }

  RValue Call(const char* function, std::vector<RValue> args = {}) {
    return CallBuiltin(function, std::move(args), 3);
  }
};

TEST_F(IniFunctions, WriteBackAtOnceThroughMappedNames) {
  fs::create_directory("Saves");
  Call("ini_open", {RValue("saves\\GAME.ini")});
  EXPECT_FALSE(fs::exists("Saves/GAME.ini")); // a missing file is an empty one, not yet created
  EXPECT_EQ(Call("ini_section_exists", {RValue("a")}).Real(), 0);

  Call("ini_write_string", {RValue("Player"), RValue("name"), RValue("Ann")});
  EXPECT_EQ(Contents("Saves/GAME.ini"), "[Player]\r\nname=Ann\r\n");
  Call("ini_write_real", {RValue("player"), RValue("Score"), RValue(1.5e-7)});
  Call("ini_write_real", {RValue("Player"), RValue("big"), RValue(1e20)});
  EXPECT_EQ(Contents("Saves/GAME.ini"), "[Player]\r\nname=Ann\r\nScore=1.5E-7\r\nbig=1E20\r\n");
  EXPECT_EQ(Call("ini_read_real", {RValue("PLAYER"), RValue("score"), RValue(7)}).Real(), 1.5e-7);
  EXPECT_EQ(Call("ini_read_string", {RValue("Player"), RValue("NAME"), RValue("x")}).Str(), "Ann");
  EXPECT_EQ(Call("ini_key_exists", {RValue("player"), RValue("BIG")}).Real(), 1);
  EXPECT_EQ(Call("ini_section_exists", {RValue("PLAYER")}).Real(), 1);

  Call("ini_key_delete", {RValue("Player"), RValue("big")});
  EXPECT_EQ(Contents("Saves/GAME.ini"), "[Player]\r\nname=Ann\r\nScore=1.5E-7\r\n");
  Call("ini_close");

  // Another open finds what was written; deleting the section empties the file.
  Call("ini_open", {RValue("Saves/game.ini")});
  EXPECT_EQ(Call("ini_read_string", {RValue("player"), RValue("name"), RValue("")}).Str(), "Ann");
  Call("ini_section_delete", {RValue("player")});
  EXPECT_EQ(Contents("Saves/GAME.ini"), "");
  EXPECT_TRUE(sink.messages.empty());
  for (const auto& entry : fs::directory_iterator("Saves")) // no temporary file stays behind
    EXPECT_EQ(entry.path().filename(), "GAME.ini");
}

TEST_F(IniFunctions, LineBreaksInNamesAndValuesKeepEveryEntryOnItsLine) {
  Call("ini_open", {RValue("b.ini")});
  Call("ini_write_string", {RValue("s"), RValue("before"), RValue("1")});
  Call("ini_write_string", {RValue("s"), RValue("text"), RValue("one\r\n[evil]\nbefore=2")});
  Call("ini_write_string", {RValue("s\nx"), RValue("k\rz"), RValue("v")});
  EXPECT_EQ(Contents("b.ini"), "[s]\r\nbefore=1\r\ntext=one  [evil] before=2\r\n[s x]\r\nk z=v\r\n");
  // What was written is what is read, now and after opening again.
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(Call("ini_read_string", {RValue("s"), RValue("before"), RValue("")}).Str(), "1");
    EXPECT_EQ(Call("ini_read_string", {RValue("S"), RValue("text"), RValue("")}).Str(),
              "one  [evil] before=2");
    EXPECT_EQ(Call("ini_read_string", {RValue("s\nX"), RValue("K\nz"), RValue("")}).Str(), "v");
    EXPECT_EQ(Call("ini_section_exists", {RValue("evil")}).Real(), 0);
    Call("ini_open", {RValue("b.ini")});
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(IniFunctions, DefaultsGoThroughTheNumberReader) {
  std::ofstream("n.ini", std::ios::binary) << "[n]\nComma=1,5\nexp=2E3\nminus=--3\nword=abc\n";
  Call("ini_open", {RValue("n.ini")});
  const struct {
    const char* key;
    RValue fallback;
    double x;
  } cases[] = {
      {"comma", RValue(0.0), 1.5},  {"EXP", RValue(0.0), 2000},     {"minus", RValue(0.0), 3},
      {"word", RValue(9.0), 0},     {"none", RValue(-2.25), -2.25}, {"none", RValue(1.5e-7), 1.5e-7},
      {"none", RValue(1e20), 1e20}, {"none", RValue("12"), 0}, // a string's real part
  };
  for (const auto& c : cases)
    EXPECT_EQ(Call("ini_read_real", {RValue("N"), RValue(c.key), c.fallback}).Real(), c.x) << c.key;
  EXPECT_EQ(Call("ini_read_string", {RValue("n"), RValue("none"), RValue("dflt")}).Str(), "dflt");
  Call("ini_close");
  EXPECT_EQ(Contents("n.ini"), "[n]\nComma=1,5\nexp=2E3\nminus=--3\nword=abc\n"); // read only: untouched
}

TEST_F(IniFunctions, WithoutAnOpenFileEachFamilyHasItsMessage) {
  Call("ini_close"); // nothing open: nothing to say
  const struct {
    const char* function;
    const char* message;
  } cases[] = {
      {"ini_read_string", "Trying to read from undefined INI file"},
      {"ini_read_real", "Trying to read from undefined INI file"},
      {"ini_key_exists", "Trying to read from undefined INI file"},
      {"ini_section_exists", "Trying to read from undefined INI file"},
      {"ini_write_string", "Trying to write to undefined INI file"},
      {"ini_write_real", "Trying to write to undefined INI file"},
      {"ini_key_delete", "Trying to change undefined INI file"},
      {"ini_section_delete", "Trying to change undefined INI file"},
  };
  for (const auto& c : cases) {
    sink.messages.clear();
    const RValue result = Call(c.function, {RValue("s"), RValue("k"), RValue("default")});
    EXPECT_EQ(sink.messages, std::vector<std::string>{c.message}) << c.function;
    EXPECT_TRUE(result.IsString() ? result.Str().empty() : result.Real() == 0) << c.function;
  }
  EXPECT_TRUE(fs::is_empty(scratch.Path()));
}

TEST_F(IniFunctions, OpeningAnotherFileClosesTheFirst) {
  Call("ini_open", {RValue("a.ini")});
  Call("ini_write_string", {RValue("s"), RValue("k"), RValue("a")});
  Call("ini_open", {RValue("b.ini")});
  EXPECT_EQ(Call("ini_key_exists", {RValue("s"), RValue("k")}).Real(), 0);
  Call("ini_write_string", {RValue("s"), RValue("k"), RValue("b")});
  EXPECT_EQ(Contents("a.ini"), "[s]\r\nk=a\r\n");
  EXPECT_EQ(Contents("b.ini"), "[s]\r\nk=b\r\n");
}

} // namespace
} // namespace vl
