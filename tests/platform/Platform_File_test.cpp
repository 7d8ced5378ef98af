#include "platform/Platform_File.h"
#include "tests/support/Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vl {
namespace {

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

size_t EntryCount(const fs::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST(WriteFileAtomically, CreatesReplacesAndLeavesNoTemporaryFile) {
  test::TScratchDir dir;
  const fs::path file = dir.Path() / "a.ini";
  ASSERT_TRUE(WriteFileAtomically(file.string(), "first"));
  EXPECT_EQ(Contents(file), "first");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::owner_write);

  // A replaced file keeps its permissions.
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string big(1 << 20, 'x');
  ASSERT_TRUE(WriteFileAtomically(file.string(), big));
  EXPECT_EQ(Contents(file), big);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(file.string(), ""));
  EXPECT_EQ(Contents(file), "");
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST(WriteFileAtomically, RemovesWhatKilledWritersLeftOnly) {
  test::TScratchDir dir;
  const fs::path file = dir.Path() / "a.ini";
  // The first pid of a process that has ended, and one of a running one.
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string dead = "a.ini.tmp" + std::to_string(ended) + "_0";
  const std::string alive = "a.ini.tmp" + std::to_string(getpid()) + "_999";
  for (const std::string& name : {dead, alive, std::string("b.ini.tmp1_0"), std::string("a.ini.tmpx")})
    std::ofstream(dir.Path() / name) << "torn";
  ASSERT_TRUE(WriteFileAtomically(file.string(), "whole"));
  EXPECT_FALSE(fs::exists(dir.Path() / dead));
  EXPECT_TRUE(fs::exists(dir.Path() / alive)); // another writer may still be at work
  EXPECT_TRUE(fs::exists(dir.Path() / "b.ini.tmp1_0"));
  EXPECT_TRUE(fs::exists(dir.Path() / "a.ini.tmpx"));
  EXPECT_EQ(Contents(file), "whole");
}

TEST(WriteFileAtomically, FailureLeavesTheOldFile) {
  test::TScratchDir dir;
  EXPECT_FALSE(WriteFileAtomically((dir.Path() / "missing" / "a.ini").string(), "x"));
  // The target is a folder: the rename fails and the temporary file goes.
  fs::create_directory(dir.Path() / "folder");
  std::ofstream(dir.Path() / "folder" / "inside") << "kept";
  EXPECT_FALSE(WriteFileAtomically((dir.Path() / "folder").string(), "x"));
  EXPECT_EQ(Contents(dir.Path() / "folder" / "inside"), "kept");
  EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

} // namespace
} // namespace vl
