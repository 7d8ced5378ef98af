#include "data/Game_File.h"
#include "library/Include_File.h"
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

void Put(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Each test runs in a scratch folder that is also the working folder, with a temporary folder
// inside it, and calls the built-in functions through the function table.
class IncludedFile : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_IncludedFiles(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
    fs::create_directory(temp);
    IncludedFiles() = CIncludedFileTable();
    IncludedFiles().t_tempfolder = temp.string();
  }
  void TearDown() override {
    IncludedFiles() = CIncludedFileTable();
    CFileFunctionTest::TearDown();
  }

  CDataFile& Add(const std::string& name, int32_t action, const std::string& contents = "data") {
    CDataFile& file = *IncludedFiles().Get(IncludedFiles().Add());
    file.s_filename = name;
    file.s_exists = file.s_store = true;
    file.s_data.WriteBuffer(contents.data(), contents.size());
    file.s_exportaction = action;
    return file;
  }

  void Call(const char* function, std::string_view name, std::string_view location = {}) {
    CallBuiltin(function, {RValue(name), RValue(location)}, 2);
  }

  fs::path temp = scratch.Path() / "tmp";
};

TEST_F(IncludedFile, ExportsToEachPlaceAndRemovesAtTheEnd) {
  Add("a.txt", CDataFile::kExportTemp, "to temp");
  Add("b.txt", CDataFile::kExportName, "to name");
  Add("Sub\\c.txt", CDataFile::kExportName, "to a path");
  CDataFile& folder = Add("d.txt", CDataFile::kExportFolder, "to folder");
  folder.s_exportdir = "out\\deep";
  fs::create_directory("sub"); // an existing folder is found in another letter case
  CDataFile& none = Add("e.txt", CDataFile::kExportNone, "kept");
  none.s_removeend = true;
  Put("e.txt", "the player's own");

  ASSERT_TRUE(IncludedFiles().PrepareAll());
  EXPECT_EQ(Contents(temp / "a.txt"), "to temp");
  EXPECT_EQ(Contents("b.txt"), "to name");
  EXPECT_EQ(Contents("sub/c.txt"), "to a path");
  EXPECT_EQ(Contents("out/deep/d.txt"), "to folder");
  EXPECT_EQ(Contents("e.txt"), "the player's own");
  // Freed after export, except the file that is not exported.
  for (int32_t i = 0; i < 4; ++i) EXPECT_FALSE(IncludedFiles().Get(i)->s_exists) << i;
  EXPECT_TRUE(none.s_exists);

  ASSERT_TRUE(IncludedFiles().RemoveAll());
  for (const fs::path& gone :
       {temp / "a.txt", fs::path("b.txt"), fs::path("sub/c.txt"), fs::path("out/deep/d.txt")})
    EXPECT_FALSE(fs::exists(gone)) << gone;
  EXPECT_TRUE(fs::exists("out/deep")); // folders made for the export stay
  EXPECT_EQ(Contents("e.txt"), "the player's own");

  // Action 0 kept its contents for an export to a location.
  Call("export_include_file_location", "e.txt", "copy\\E.txt");
  EXPECT_TRUE(sink.messages.empty());
  fs::create_directory("copy");
  Call("export_include_file_location", "e.txt", "copy\\E.txt");
  EXPECT_EQ(Contents("copy/E.txt"), "kept");
}

TEST_F(IncludedFile, OverwriteKeepAndRemoveRules) {
  Put("keep.txt", "old");
  CDataFile& kept = Add("keep.txt", CDataFile::kExportName, "new");
  EXPECT_FALSE(kept.Prepare(temp.string()));
  EXPECT_EQ(Contents("keep.txt"), "old");
  EXPECT_FALSE(kept.s_exists); // freed all the same
  EXPECT_TRUE(kept.Remove(temp.string()));
  EXPECT_FALSE(fs::exists("keep.txt")); // deleted at the end although this run did not write it

  Put("over.txt", "old");
  CDataFile& over = Add("over.txt", CDataFile::kExportName, "new");
  over.s_overwrite = true;
  over.s_freedata = false;
  over.s_removeend = false;
  EXPECT_TRUE(over.Prepare(temp.string()));
  EXPECT_EQ(Contents("over.txt"), "new");
  EXPECT_TRUE(over.s_exists);
  EXPECT_TRUE(over.Remove(temp.string()));
  EXPECT_TRUE(fs::exists("over.txt"));

  CDataFile& unstored = Add("empty.txt", CDataFile::kExportName, "");
  unstored.s_store = false;
  EXPECT_TRUE(unstored.Prepare(temp.string()));
  ASSERT_TRUE(fs::exists("empty.txt"));
  EXPECT_EQ(fs::file_size("empty.txt"), 0u);

  CDataFile& odd = Add("odd.txt", 7);
  EXPECT_FALSE(odd.Prepare(temp.string()));
  EXPECT_FALSE(odd.s_exists);
  EXPECT_FALSE(odd.Remove(temp.string()));
}

TEST_F(IncludedFile, FunctionsReachTheFirstOfANameAndReportMissingNames) {
  Add("same.txt", CDataFile::kExportName, "first");
  Add("same.txt", CDataFile::kExportName, "second");
  Call("export_include_file", "same.txt");
  EXPECT_EQ(Contents("same.txt"), "first");
  fs::remove("same.txt");
  Call("export_include_file", "same.txt"); // freed by the first export: nothing more is written
  EXPECT_FALSE(fs::exists("same.txt"));

  CDataFile& discarded = Add("gone.txt", CDataFile::kExportName);
  Call("discard_include_file", "gone.txt");
  EXPECT_FALSE(discarded.s_exists);
  Call("export_include_file", "gone.txt");
  EXPECT_FALSE(fs::exists("gone.txt"));
  EXPECT_TRUE(sink.messages.empty());

  Call("export_include_file", "Same.txt"); // names match exactly
  Call("export_include_file_location", "none", "x.txt");
  Call("discard_include_file", "none");
  EXPECT_EQ(sink.messages, (std::vector<std::string>{"Trying to export non-existing file.",
                                                     "Trying to export non-existing file.",
                                                     "Trying to discard non-existing file."}));
}

TEST_F(IncludedFile, SecureModeRefusesFoldersAndLocations) {
  GameData().gd_securemode = true;
  struct RCase {
    const char* name;
    int32_t action;
    const char* message; // null: exported
  };
  const RCase cases[] = {
      {"plain.txt", CDataFile::kExportName, nullptr},
      {"temp.txt", CDataFile::kExportTemp, nullptr},
      {"sub\\back.txt", CDataFile::kExportName,
       "In secure mode you cannot export a data file to sub\\back.txt"},
      {"sub/slash.txt", CDataFile::kExportTemp,
       "In secure mode you cannot export a data file to sub/slash.txt"},
      {"dir.txt", CDataFile::kExportFolder,
       "In secure mode you cannot export a data file to an indicated directory."},
  };
  fs::create_directory("sub");
  fs::create_directory(temp / "sub");
  for (const RCase& c : cases) {
    sink.messages.clear();
    CDataFile& file = Add(c.name, c.action);
    file.s_exportdir = "out";
    EXPECT_EQ(file.Prepare(temp.string()), c.message == nullptr) << c.name;
    EXPECT_EQ(sink.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
        << c.name;
    EXPECT_EQ(file.s_exists, c.message != nullptr) << c.name; // a refusal keeps the contents
  }
  EXPECT_TRUE(fs::exists("plain.txt"));
  EXPECT_TRUE(fs::exists(temp / "temp.txt"));
  EXPECT_FALSE(fs::exists("sub/back.txt"));
  EXPECT_FALSE(fs::exists(temp / "sub/slash.txt"));
  EXPECT_FALSE(fs::exists("out"));

  sink.messages.clear();
  Call("export_include_file_location", "dir.txt", "here.txt");
  EXPECT_EQ(sink.messages,
            std::vector<std::string>{"In secure mode you cannot export a file to a location."});
  EXPECT_FALSE(fs::exists("here.txt"));

  // Removal refuses path names and folders too.
  Put("sub/back.txt", "x");
  EXPECT_FALSE(IncludedFiles().Get(2)->Remove(temp.string()));
  EXPECT_TRUE(fs::exists("sub/back.txt"));
  EXPECT_FALSE(IncludedFiles().Get(4)->Remove(temp.string()));
  EXPECT_TRUE(IncludedFiles().Get(0)->Remove(temp.string()));
}

} // namespace
} // namespace vl
