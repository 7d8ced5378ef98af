#include "data/Game_File.h"
#include "library/File_Text.h"
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

TEST(TextNumber, Writer) {
  const struct {
    double x;
    const char* text;
  } cases[] = {
      {2, " 2"},           {2.5, " 2.500000"},       {-0.125, " -0.125000"},
      {0.0000001, " 0"},   {-0.0000001, " -0"},      {0, " 0"},
      {-2, " -2"},         {3.1415926, " 3.141592"}, // cut, not rounded
      {0.05, " 0.050000"}, {1e10, " 10000000000"},   {123456789012.75, " 123456789012.750000"},
  };
  for (const auto& c : cases) EXPECT_EQ(TextNumberText(c.x), c.text) << c.x;
}

TEST(TextNumber, Readers) {
  const struct {
    std::string text;
    double text_file, one_file;
    const char* text_rest;
    const char* one_rest;
  } cases[] = {
      {"  -12.5abc", -12.5, -12.5, "bc", "bc"},
      {"1 2", 1, 12, "2", ""},
      {"1 -2", 1, -12, "-2", ""},
      {"5-3", 5, -53, "3", ""},
      {"- 5", -5, -5, "", ""},
      {"1. 5", 1.5, 1.5, "", ""},
      {"3.-5", -3.5, -3.5, "", ""},
      {"1.5.2", 1.5, 1.5, "2", "2"},
      {"1,25", 1.25, 1.25, "", ""},
      {"\t8\tx", 8, 8, "x", ""},
      {"abc", 0, 0, "bc", "bc"},
      {"", 0, 0, "", ""},
      {"7\r\nnext", 7, 7, "\r\nnext", "\r\nnext"},
      {"12 \n3", 12, 12, "\n3", "\n3"},
      {"0.1", 0.1, 0.1, "", ""},
      {"0."
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "0"
       "0000000000000000000000000001",
       0, 0, "", ""},
      {std::string(400, '9'), HUGE_VAL, HUGE_VAL, "", ""},
  };
  for (const auto& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(ReadTextNumber(c.text, pos, false), c.text_file) << c.text;
    EXPECT_EQ(std::string_view(c.text).substr(pos), c.text_rest) << c.text;
    pos = 0;
    EXPECT_EQ(ReadTextNumber(c.text, pos, true), c.one_file) << c.text;
    EXPECT_EQ(std::string_view(c.text).substr(pos), c.one_rest) << c.text;
  }
}

// Runs in a scratch folder that is also the working folder and calls the built-in functions
// through the function table.
class TextFiles : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_TextFiles(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
  }
  void TearDown() override {
    ResetTextFiles();
    CFileFunctionTest::TearDown();
  }

  RValue Call(const char* function, std::vector<RValue> args = {}) {
    return CallBuiltin(function, std::move(args), 2);
  }
  double Real(const char* function, std::vector<RValue> args = {}) { return Call(function, args).Real(); }
};

TEST_F(TextFiles, WriteWithCrLfAndReadBothLineEnds) {
  fs::create_directory("Levels");
  const RValue id(Real("file_text_open_write", {RValue("levels\\One.TXT")}));
  ASSERT_EQ(id.Real(), 1);
  Call("file_text_write_string", {id, RValue("size")});
  Call("file_text_write_real", {id, RValue(2.5)});
  Call("file_text_writeln", {id});
  // Flushed at once: the text is there before the file is closed.
  EXPECT_EQ(Contents("Levels/One.TXT"), "size 2.500000\r\n");
  Call("file_text_close", {id});
  const RValue more(Real("file_text_open_append", {RValue("LEVELS/one.txt")}));
  Call("file_text_write_real", {more, RValue(-3.0)});
  Call("file_text_close", {more});
  EXPECT_EQ(Contents("Levels/One.TXT"), "size 2.500000\r\n -3");

  std::ofstream("mixed.txt", std::ios::binary) << "a b\r\n  -12.5abc\n\n7";
  const RValue in(Real("file_text_open_read", {RValue("MIXED.txt")}));
  EXPECT_EQ(Real("file_text_eoln", {in}), 0);
  EXPECT_EQ(Call("file_text_read_string", {in}).Str(), "a b");
  EXPECT_EQ(Real("file_text_eoln", {in}), 1);
  EXPECT_EQ(Call("file_text_read_string", {in}).Str(), ""); // the line end stays unread
  Call("file_text_readln", {in});
  EXPECT_EQ(Real("file_text_read_real", {in}), -12.5);
  EXPECT_EQ(Call("file_text_read_string", {in}).Str(), "bc");
  Call("file_text_readln", {in});
  EXPECT_EQ(Real("file_text_eoln", {in}), 1);
  Call("file_text_readln", {in});
  EXPECT_EQ(Real("file_text_eof", {in}), 0);
  EXPECT_EQ(Real("file_text_read_real", {in}), 7);
  EXPECT_EQ(Real("file_text_eof", {in}), 1);
  EXPECT_EQ(Real("file_text_eoln", {in}), 1);
  Call("file_text_readln", {in});
  EXPECT_EQ(Call("file_text_read_string", {in}).Str(), "");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(TextFiles, IdsAndTheirMessages) {
  EXPECT_EQ(Real("file_text_open_read", {RValue("missing.txt")}), -1);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Real("file_text_open_write", {RValue("no/such/folder.txt")}), -1);
  EXPECT_EQ(Real("file_text_open_append", {RValue("no/such/folder.txt")}), -1);
  fs::create_directory("folder");
  EXPECT_EQ(Real("file_text_open_read", {RValue("folder")}), -1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Error opening file for writing.", "Error opening file for appending.",
                                      "Error opening file for reading."}));

  for (int i = 1; i <= 32; ++i) EXPECT_EQ(Real("file_text_open_write", {RValue("w.txt")}), i);
  EXPECT_EQ(Real("file_text_open_read", {RValue("w.txt")}), -1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Cannot open another file (maximum exceeded)."});
  Call("file_text_close", {RValue(5.0)});
  Call("file_text_close", {RValue(5.0)}); // a closed id is ignored
  EXPECT_EQ(Real("file_text_open_read", {RValue("w.txt")}), 5);
  for (const double id : {0.0, 33.0, -1.0}) Call("file_text_close", {RValue(id)});
  EXPECT_EQ(Messages(), std::vector<std::string>(3, "Trying to close unexisting text file."));

  const struct {
    const char* function;
    double id;
    const char* message;
  } cases[] = {
      {"file_text_read_string", 1, "File is not opened for reading."},
      {"file_text_read_real", 0, "File is not opened for reading."},
      {"file_text_readln", 33, "File is not opened for reading."},
      {"file_text_eof", 2, "File is not opened for reading."},
      {"file_text_eoln", 2, "File is not opened for reading."},
      {"file_text_write_string", 5, "File not opened for writing."},
      {"file_text_write_real", 0, "File not opened for writing."},
      {"file_text_writeln", 40, "File not opened for writing."},
  };
  for (const auto& c : cases) {
    const RValue result = Call(c.function, {RValue(c.id), RValue(1.0)});
    EXPECT_TRUE(result.IsString() ? result.Str().empty() : result.Real() == 0) << c.function;
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function;
  }
  EXPECT_EQ(Contents("w.txt"), "");
}

TEST_F(TextFiles, TheOneFile) {
  const struct {
    const char* function;
    const char* message;
  } closed[] = {
      {"file_read_string", "File not opened for reading."},
      {"file_read_real", "File not opened for reading."},
      {"file_readln", "File not opened for reading."},
      {"file_eof", "File is not opened for reading."},
      {"file_eoln", "File is not opened for reading."},
      {"file_write_string", "File not opened for writing."},
      {"file_write_real", "File not opened for writing."},
      {"file_writeln", "File not opened for writing."},
  };
  for (const auto& c : closed) {
    Call(c.function, {RValue(1.0)});
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function;
  }

  Call("file_open_write", {RValue("one.txt")});
  Call("file_write_string", {RValue("1 -2")});
  Call("file_writeln");
  Call("file_write_real", {RValue(0.5)});
  Call("file_open_read", {RValue("ONE.txt")}); // closes the file being written first
  EXPECT_EQ(Contents("one.txt"), "1 -2\r\n 0.500000");
  EXPECT_EQ(Real("file_read_real"), -12);
  EXPECT_EQ(Real("file_eoln"), 1);
  Call("file_readln");
  EXPECT_EQ(Call("file_read_string").Str(), " 0.500000");
  EXPECT_EQ(Real("file_eof"), 1);
  Call("file_open_append", {RValue("one.txt")});
  Call("file_writeln");
  Call("file_close");
  Call("file_close");
  EXPECT_EQ(Contents("one.txt"), "1 -2\r\n 0.500000\r\n");
  Call("file_open_read", {RValue("gone.txt")}); // a missing file leaves it closed, silently
  EXPECT_EQ(Real("file_eof"), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"File is not opened for reading."});
}

TEST_F(TextFiles, SecureModeRefusesWritingThroughPaths) {
  GameData().gd_securemode = true;
  fs::create_directory("data");
  std::ofstream("data/save.txt") << "x";
  EXPECT_EQ(Real("file_text_open_write", {RValue("save.txt")}), 1);
  EXPECT_EQ(Real("file_text_open_append", {RValue("save.txt")}), 2);
  EXPECT_EQ(Real("file_text_open_read", {RValue("data\\save.txt")}), 3); // any file may be read
  EXPECT_TRUE(Messages().empty());

  const struct {
    const char* function;
    const char* name;
    const char* message;
  } cases[] = {
      {"file_text_open_write", "data\\save.txt", "In secure mode you cannot write file data\\save.txt"},
      {"file_text_open_write", "C:/save.txt", "In secure mode you cannot write file C:/save.txt"},
      {"file_text_open_append", "data/save.txt", "In secure mode you cannot append to file data/save.txt"},
      {"file_open_write", "data\\save.txt", "In secure mode you cannot write file data\\save.txt"},
      {"file_open_append", "data\\save.txt", "In secure mode you cannot append to file data\\save.txt"},
  };
  for (const auto& c : cases) {
    const double result = Real(c.function, {RValue(c.name)});
    if (std::string_view(c.function).starts_with("file_text")) {
      EXPECT_EQ(result, -1) << c.name;
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function;
  }
  EXPECT_EQ(Contents("data/save.txt"), "x");
}

} // namespace
} // namespace vl
