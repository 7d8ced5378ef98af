#include "data/Game_File.h"
#include "library/File_System.h"
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

TEST(FileNames, TextOperationsOnBackslashAndColon) {
  const struct {
    const char* fname;
    const char* name;
    const char* path;
    const char* dir;
    const char* drive;
    const char* ext;
  } cases[] = {
      {"C:\\games\\a.txt", "a.txt", "C:\\games\\", "C:\\games", "C:", ".txt"},
      {"C:\\a.txt", "a.txt", "C:\\", "C:\\", "C:", ".txt"},
      {"C:a.txt", "a.txt", "C:", "C:", "C:", ".txt"},
      {"\\a.txt", "a.txt", "\\", "\\", "", ".txt"},
      {"a", "a", "", "", "", ""},
      {"", "", "", "", "", ""},
      {"dir.d\\file", "file", "dir.d\\", "dir.d", "", ""}, // a dot before the name is no extension
      {"a.b.c", "a.b.c", "", "", "", ".c"},
      {"saves/a.txt", "saves/a.txt", "", "", "", ".txt"}, // "/" separates nothing here
      {"\\\\server\\share\\x\\y.ini", "y.ini", "\\\\server\\share\\x\\", "\\\\server\\share\\x",
       "\\\\server\\share", ".ini"},
      {"\\\\server\\share", "share", "\\\\server\\", "\\\\server", "\\\\server\\share", ""},
      {"\\\\server", "server", "\\\\", "\\\\", "\\\\server", ""},
      {"a\\\\b", "b", "a\\\\", "a\\\\", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNameName(c.fname), c.name) << c.fname;
    EXPECT_EQ(FileNamePath(c.fname), c.path) << c.fname;
    EXPECT_EQ(FileNameDir(c.fname), c.dir) << c.fname;
    EXPECT_EQ(FileNameDrive(c.fname), c.drive) << c.fname;
    EXPECT_EQ(FileNameExt(c.fname), c.ext) << c.fname;
  }
  EXPECT_EQ(FileNameChangeExt("C:\\games\\a.txt", ".ini"), "C:\\games\\a.ini");
  EXPECT_EQ(FileNameChangeExt("C:\\games\\a.txt", ""), "C:\\games\\a");
  EXPECT_EQ(FileNameChangeExt("x.d\\a", ".bak"), "x.d\\a.bak");
}

// Runs in a scratch folder that is also the working folder and calls the built-in functions
// through the function table.
class FileSystem : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_FileSystem(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
  }

  RValue Call(const char* function, std::vector<RValue> args) {
    return CallBuiltin(function, std::move(args), 2);
  }
};

TEST_F(FileSystem, ExistsCreateCopyRenameDeleteThroughMappedNames) {
  EXPECT_EQ(Call("directory_create", {RValue("Saves\\Slot1\\Deep")}).Real(), 0);
  EXPECT_TRUE(fs::is_directory("Saves/Slot1/Deep"));
  EXPECT_EQ(Call("directory_exists", {RValue("saves\\SLOT1")}).Real(), 1);
  EXPECT_EQ(Call("file_exists", {RValue("saves\\SLOT1")}).Real(), 0); // a folder is no file
  std::ofstream("Saves/Slot1/Game.sav") << "data";
  EXPECT_EQ(Call("file_exists", {RValue("SAVES\\slot1\\game.SAV")}).Real(), 1);
  EXPECT_EQ(Call("directory_exists", {RValue("saves\\slot1\\game.sav")}).Real(), 0);

  Call("file_copy", {RValue("saves\\slot1\\game.sav"), RValue("Saves\\Copy.sav")});
  EXPECT_EQ(Contents("Saves/Copy.sav"), "data");
  std::ofstream("Saves/Slot1/Game.sav") << "newer";
  Call("file_copy", {RValue("saves\\slot1\\game.sav"), RValue("saves\\copy.SAV")}); // overwrites
  EXPECT_EQ(Contents("Saves/Copy.sav"), "newer");

  Call("file_rename", {RValue("saves\\copy.sav"), RValue("saves\\Moved.sav")});
  EXPECT_FALSE(fs::exists("Saves/Copy.sav"));
  EXPECT_EQ(Contents("Saves/Moved.sav"), "newer");
  Call("file_rename", {RValue("saves\\moved.sav"), RValue("saves\\slot1\\game.sav")}); // never over a file
  EXPECT_TRUE(fs::exists("Saves/Moved.sav"));

  Call("file_delete", {RValue("SAVES\\MOVED.SAV")});
  EXPECT_FALSE(fs::exists("Saves/Moved.sav"));
  Call("file_delete", {RValue("saves\\slot1\\deep")}); // not a folder
  Call("file_delete", {RValue("missing")});
  Call("file_copy", {RValue("missing"), RValue("x")});
  Call("file_rename", {RValue("missing"), RValue("x")});
  EXPECT_TRUE(fs::is_directory("Saves/Slot1/Deep"));
  EXPECT_FALSE(fs::exists("x"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FileSystem, SecureModeRefusesPaths) {
  std::ofstream("a.txt") << "a";
  fs::create_directory("d");
  GameData().gd_securemode = true;
  const struct {
    const char* function;
    const char* first;
    const char* second;
    const char* message;
  } cases[] = {
      {"file_delete", "d\\a.txt", "", "In Secure mode you cannot delete file d\\a.txt"},
      {"file_rename", "a.txt", "d/b.txt", "In Secure mode you cannot rename file a.txt into d/b.txt"},
      {"file_rename", "d\\a.txt", "b.txt", "In Secure mode you cannot rename file d\\a.txt into b.txt"},
      {"file_copy", "a.txt", "C:\\b.txt", "In Secure mode you cannot copy file a.txt to C:\\b.txt"},
      {"file_copy", "d/a.txt", "b.txt", "In Secure mode you cannot copy file d/a.txt to b.txt"},
      {"directory_create", "d\\e", "", "In Secure mode you cannot create directory d\\e"},
  };
  for (const auto& c : cases) {
    Call(c.function, {RValue(c.first), RValue(c.second)});
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.function;
  }
  EXPECT_FALSE(fs::exists("d/e"));
  EXPECT_FALSE(fs::exists("b.txt"));

  // Plain names stay allowed.
  Call("file_copy", {RValue("a.txt"), RValue("b.txt")});
  Call("file_rename", {RValue("b.txt"), RValue("c.txt")});
  Call("directory_create", {RValue("e")});
  Call("file_delete", {RValue("a.txt")});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Contents("c.txt"), "a");
  EXPECT_TRUE(fs::is_directory("e"));
  EXPECT_FALSE(fs::exists("a.txt"));
}

} // namespace
} // namespace vl
