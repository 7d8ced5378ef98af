#include "data/Game_File.h"
#include "library/File_System.h"
#include "library/Support_Report.h"
#include "platform/Platform_File.h"
#include "script/Code_Function.h"
#include "tests/library/File_Test_Support.h"
#include "tests/library/Function_Test_Support.h"

#include <cstdlib>
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

TEST(FileMasks, WindowsMaskRules) {
  const struct {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"save1.sav", "*.sav", true},
      {"SAVE1.SAV", "save?.sav", true},
      {"save10.sav", "save?.sav", false},
      {"readme", "*.*", true},
      {"a.b.c", "*.*", true},
      {".hidden", "*.*", true},
      {"readme", "readme.*", true},
      {"readme.txt", "readme.*", true},
      {"readme", "*.txt", false},
      {"readme", "*.", true},
      {"readme.txt", "*.", false},
      {"level12.dat", "level*2.dat", true},
      {"level12.dat", "level*3.dat", false},
      {"abc", "*", true},
      {"", "*", true},
      {"abc", "a*b*c*", true},
      {"abc", "a*b*c?", false},
      {"x.tar.gz", "*.gz", true},
      {"Äpfel.txt", "äPFEL.*", true},
      {"abc", "abc", true},
      {"abc", "abd", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST_F(FileSystem, FindListsMatchesByAttributeThroughMixedCaseFolders) {
  fs::create_directories("Data/Levels/Sub");
  for (const char* f : {"Data/Levels/b.lvl", "Data/Levels/A.LVL", "Data/Levels/.c.lvl", "Data/Levels/notes"})
    std::ofstream(f) << "x";
  fs::create_directory("Data/Levels/d.lvl");
  const struct {
    const char* mask;
    double attr;
    std::vector<std::string> names;
  } cases[] = {
      {"data\\LEVELS\\*.lvl", 0, {"A.LVL", "b.lvl"}},
      {"data/levels/*.lvl", 2, {".c.lvl", "A.LVL", "b.lvl"}}, // hidden: a leading dot
      {"DATA\\levels\\*.*", 16, {"A.LVL", "b.lvl", "d.lvl", "notes", "Sub"}},
      {"data\\levels\\*", 18, {".c.lvl", "A.LVL", "b.lvl", "d.lvl", "notes", "Sub"}},
      {"data\\levels\\*.txt", 0, {}},
      {"missing\\*.*", 0, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> found;
    for (std::string name(Call("file_find_first", {RValue(c.mask), RValue(c.attr)}).Str()); !name.empty();
         name = Call("file_find_next", {}).Str())
      found.push_back(name);
    EXPECT_EQ(found, c.names) << c.mask;
    EXPECT_EQ(Call("file_find_next", {}).Str(), "") << c.mask;
  }
  // Closing ends the search.
  Call("file_find_first", {RValue("data\\levels\\*.lvl"), RValue(0.0)});
  Call("file_find_close", {});
  EXPECT_EQ(Call("file_find_next", {}).Str(), "");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FileSystem, AttributesOfFilesAndFolders) {
  fs::create_directory("Dir");
  std::ofstream("Plain.txt") << "x";
  std::ofstream(".hidden") << "x";
  std::ofstream("Locked.txt") << "x";
  fs::permissions("Locked.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const bool root = CanWrite("Locked.txt"); // root may write anything
  const struct {
    const char* fname;
    double attr;
    double result;
  } cases[] = {
      {"missing.txt", 63, -1},
      {"plain.TXT", 32, 1},
      {"plain.txt", 1 | 2 | 4 | 8 | 16, 0},
      {"DIR", 16, 1},
      {"dir", 32, 0},
      {".hidden", 2, 1},
      {"plain.txt", 2, 0},
      {"locked.txt", 1, root ? 0.0 : 1.0},
      {"plain.txt", 1, 0},
      {"dir\\..\\PLAIN.txt", 32, 1},
      {"plain.txt", 1e300, 0},
      {"plain.txt", 4294967296.0 + 32, 1}, // the low 32 bits
  };
  for (const auto& c : cases)
    EXPECT_EQ(Call("file_attributes", {RValue(c.fname), RValue(c.attr)}).Real(), c.result)
        << c.fname << " " << c.attr;
}

TEST_F(FileSystem, DisksByLetterOrTheCurrentFolder) {
  setenv("XDG_DATA_HOME", (scratch.Path() / "data").c_str(), 1);
  const double here = test::CallFunction("disk_size", {}, nullptr, true).Real();
  EXPECT_GT(here, 0);
  EXPECT_GE(here, test::CallFunction("disk_free", {}, nullptr, true).Real());
  EXPECT_EQ(test::CallFunction("disk_size", {RValue("")}, nullptr, true).Real(), here);
  // C exists before a game wrote there; another letter once its folder does.
  EXPECT_GT(test::CallFunction("disk_size", {RValue("c")}, nullptr, true).Real(), 0);
  EXPECT_EQ(test::CallFunction("disk_free", {RValue("q:\\")}, nullptr, true).Real(), -1);
  EXPECT_EQ(test::CallFunction("disk_size", {RValue("Q")}, nullptr, true).Real(), -1);
  fs::create_directories(scratch.Path() / "data/vlrun/drive_q");
  EXPECT_GT(test::CallFunction("disk_size", {RValue("qx")}, nullptr, true).Real(), 0);
  unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace vl
