#include "data/Game_File.h"
#include "library/File_Binary.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "tests/library/File_Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace vl {
namespace {

using test::Contents;

// Runs in a scratch folder that is also the working folder and calls the built-in functions
// through the function table.
class BinaryFiles : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_BinaryFiles(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
  }
  void TearDown() override {
    ResetBinaryFiles();
    CFileFunctionTest::TearDown();
  }

  double Call(const char* function, std::vector<RValue> args = {}) {
    return CallBuiltin(function, std::move(args), 2).Real();
  }
  double Open(const char* name, double mode) { return Call("file_bin_open", {RValue(name), RValue(mode)}); }
};

TEST_F(BinaryFiles, ReadWriteSeekAndRewrite) {
  fs::create_directory("Data");
  const double id = Open("data\\SAVE.bin", 2);
  ASSERT_EQ(id, 1);
  for (const double byte : {65.0, 322.0, 66.5, 67.5, -1.0}) // low 8 bits of the half-even rounding
    Call("file_bin_write_byte", {RValue(id), RValue(byte)});
  EXPECT_EQ(Call("file_bin_size", {RValue(id)}), 5);
  EXPECT_EQ(Call("file_bin_position", {RValue(id)}), 5);
  Call("file_bin_seek", {RValue(id), RValue(1.0)});
  EXPECT_EQ(Call("file_bin_read_byte", {RValue(id)}), 66);
  Call("file_bin_write_byte", {RValue(id), RValue(90.0)}); // a write right after a read
  EXPECT_EQ(Call("file_bin_read_byte", {RValue(id)}), 68);
  EXPECT_EQ(Call("file_bin_position", {RValue(id)}), 4);
  EXPECT_TRUE(Messages().empty());
  Call("file_bin_close", {RValue(id)});
  EXPECT_EQ(Contents("Data/SAVE.bin"), std::string("ABZD\xFF", 5));

  // Writing only: an existing file is opened, not emptied; reading fails.
  const double out = Open("Data/save.bin", 1);
  Call("file_bin_write_byte", {RValue(out), RValue(97.0)});
  EXPECT_EQ(Call("file_bin_read_byte", {RValue(out)}), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error reading byte."});
  Call("file_bin_rewrite", {RValue(out)});
  Call("file_bin_write_byte", {RValue(out), RValue(98.0)});
  Call("file_bin_close", {RValue(out)});
  EXPECT_EQ(Contents("Data/SAVE.bin"), "b");

  // Reading only: past the end and writing fail.
  const double in = Open("data/save.BIN", 0);
  EXPECT_EQ(Call("file_bin_read_byte", {RValue(in)}), 98);
  EXPECT_EQ(Call("file_bin_read_byte", {RValue(in)}), 0);
  Call("file_bin_write_byte", {RValue(in), RValue(1.0)});
  Call("file_bin_seek", {RValue(in), RValue(-1.0)});
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Error reading byte.", "Error writing byte.", "Error seeking."}));
  Call("file_bin_close", {RValue(in)});
  EXPECT_EQ(Contents("Data/SAVE.bin"), "b");
}

TEST_F(BinaryFiles, EveryModeCreatesAMissingFile) {
  for (const double mode : {0.0, 1.0, 2.0, 0.5}) { // 0.5 rounds to mode 0
    const std::string name = "new" + std::to_string(int(mode * 10)) + ".bin";
    const double id = Open(name.c_str(), mode);
    EXPECT_EQ(id, 1) << mode;
    EXPECT_TRUE(fs::exists(name)) << mode;
    EXPECT_EQ(Call("file_bin_size", {RValue(id)}), 0) << mode;
    Call("file_bin_close", {RValue(id)});
  }
  EXPECT_EQ(Open("missing/x.bin", 1), -1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error opening binary file."});
}

TEST_F(BinaryFiles, ThirtyTwoIdsAndTheLowestFreeOneIsTaken) {
  for (int i = 1; i <= 32; ++i) EXPECT_EQ(Open("f.bin", 0), i);
  EXPECT_EQ(Open("f.bin", 0), -1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Cannot open another file (maximum exceeded)."});
  Call("file_bin_close", {RValue(7.0)});
  EXPECT_EQ(Open("f.bin", 0), 7);
}

TEST_F(BinaryFiles, UnopenedIdsHaveTheirMessages) {
  const struct {
    const char* function;
    const char* message;
  } cases[] = {
      {"file_bin_rewrite", "Trying to rewrite unopened file."},
      {"file_bin_close", "Trying to close unopened file."},
      {"file_bin_size", "File is not opened."},
      {"file_bin_position", "File is not opened."},
      {"file_bin_seek", "File is not opened."},
      {"file_bin_read_byte", "File is not opened."},
      {"file_bin_write_byte", "File is not opened."},
  };
  Call("file_bin_close", {RValue(Open("a.bin", 0))});
  for (const auto& c : cases)
    for (const double id : {0.0, 1.0, 33.0}) {
      EXPECT_EQ(Call(c.function, {RValue(id), RValue(0.0)}), 0) << c.function;
      EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function << " " << id;
    }
}

TEST_F(BinaryFiles, SecureModeRefusesCreatingThroughPaths) {
  GameData().gd_securemode = true;
  fs::create_directory("dir");
  std::ofstream("dir/there.bin") << "x";
  const struct {
    const char* name;
    double mode;
    bool opens;
  } cases[] = {
      {"plain.bin", 1, true},         {"plain2.bin", 0, true},
      {"dir\\there.bin", 0, true},    // reading an existing file stays allowed
      {"dir\\missing.bin", 0, false}, // would create it
      {"dir/there.bin", 1, false},    {"dir/there.bin", 2, false},
      {"C:/save.bin", 2, false},
  };
  for (const auto& c : cases) {
    const double id = Open(c.name, c.mode);
    if (c.opens) {
      EXPECT_GT(id, 0) << c.name;
      EXPECT_TRUE(Messages().empty()) << c.name;
      Call("file_bin_close", {RValue(id)});
    } else {
      EXPECT_EQ(id, -1) << c.name;
      EXPECT_EQ(Messages(),
                std::vector<std::string>{std::string("In secure mode you cannot write file ") + c.name});
    }
  }
  EXPECT_FALSE(fs::exists("dir/missing.bin"));
  EXPECT_EQ(Contents("dir/there.bin"), "x");
}

} // namespace
} // namespace vl
