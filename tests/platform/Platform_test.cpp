#include "platform/Platform.h"
#include "platform/Platform_Os.h"
#include "tests/support/Test_Support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace vl {
namespace {

TEST(MapPath, BackslashesDrivesAndCase) {
  test::TScratchDir dir;
  fs::create_directories(dir.Path() / "Saves" / "Slot1");
  std::ofstream(dir.Path() / "Saves" / "Slot1" / "Game.INI") << "x";
  const std::string base = dir.Path().string();

  // Existing entries are found whatever the case the game writes.
  EXPECT_EQ(MapPath(base + "\\saves\\SLOT1\\game.ini"),
            (dir.Path() / "Saves" / "Slot1" / "Game.INI").string());
  // Missing parts keep the case given.
  EXPECT_EQ(MapPath(base + "\\SAVES\\new\\File.txt"), (dir.Path() / "Saves" / "new" / "File.txt").string());

  // Drive letters live in the user's data folder, never at the root.
  setenv("XDG_DATA_HOME", base.c_str(), 1);
  EXPECT_EQ(MapPath("C:\\temp\\x.txt"), (dir.Path() / "vlrun" / "drive_c" / "temp" / "x.txt").string());
  EXPECT_EQ(MapPath("d:/Data"), (dir.Path() / "vlrun" / "drive_d" / "Data").string());
  unsetenv("XDG_DATA_HOME");

  EXPECT_EQ(MapPath("relative\\file.txt"), "relative/file.txt");
}

TEST(OsServices, ExecutableAndEnvironment) {
  EXPECT_TRUE(fs::exists(ExecutablePath()));
  setenv("VL_TEST_VARIABLE", "value", 1);
  EXPECT_EQ(GetEnvironment("VL_TEST_VARIABLE"), "value");
  unsetenv("VL_TEST_VARIABLE");
  EXPECT_EQ(GetEnvironment("VL_TEST_VARIABLE"), std::nullopt);
  EXPECT_FALSE(SystemTempFolder().empty());
}

TEST(HeadlessPlatform, VirtualClockAndDefaultAnswers) {
  auto platform = CreateHeadlessPlatform();
  EXPECT_TRUE(platform->IsHeadless());
  EXPECT_EQ(platform->Microseconds(), 0);
  platform->SleepMicroseconds(16667);
  platform->SleepMicroseconds(-5);
  EXPECT_EQ(platform->Microseconds(), 16667);

  testing::internal::CaptureStderr();
  EXPECT_TRUE(platform->AskYesNo("Switch?", true));
  EXPECT_FALSE(platform->AskYesNo("Really?", false));
  platform->ShowMessage("Hello");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Switch? [Yes]\nReally? [No]\nHello\n");

  platform->SetDisplayMode({800, 600, 0, 0});
  const RDisplayMode mode = platform->CurrentDisplayMode();
  EXPECT_EQ(mode.width, 800);
  EXPECT_EQ(mode.bits, 32);
}

} // namespace
} // namespace vl

namespace vl {
namespace {

TEST(ErrorMemo, SeparatorThenLinesSplitAtCarriageReturns) {
  TErrorMemo memo;
  memo.Add("Error in code at line 2:\r   \nb = ;\r       ^\rat position 6: x");
  memo.Add("second");
  const std::vector<std::string> expected = {"",         std::string(43, '_'), "Error in code at line 2:",
                                             "   b = ;", "       ^",           "at position 6: x",
                                             "",         std::string(43, '_'), "second"};
  EXPECT_EQ(memo.Lines(), expected);
  memo.Clear();
  EXPECT_TRUE(memo.Lines().empty());
}

TEST(HeadlessPlatform, ErrorWindowPrintsAndAborts) {
  auto platform = CreateHeadlessPlatform();
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform->ShowError("ERROR in\r\naction number 1", true), EErrorAnswer::Abort);
  EXPECT_EQ(platform->ShowError("second", false), EErrorAnswer::Abort);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR in\naction number 1\nsecond\n");
}

} // namespace
} // namespace vl
