#include "platform/Platform.h"
#include "platform/Platform_Os.h"
#include "platform/Platform_Text.h"
#include "tests/support/Test_Support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace vl {
namespace {

// UTF-8 stays; anything else is code page 1252, its undefined bytes kept as the controls of that
// number.
TEST(TextFromFileBytes, Utf8OrCodePage1252) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"\x81\x9F", "\xC2\x81\xC5\xB8"},
      {"\xC3", "\xC3\x83"},                             // cut short
      {"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},             // overlong
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // a surrogate
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(TextFromFileBytes(bytes), text) << bytes;
}

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
  auto services = CreateHeadlessServices();
  EXPECT_TRUE(services->sv_headless);
  TClock& clock = *services->sv_clock;
  EXPECT_TRUE(clock.IsVirtual());
  EXPECT_EQ(clock.Microseconds(), 0);
  clock.SleepMicroseconds(16667);
  clock.SleepMicroseconds(-5);
  EXPECT_EQ(clock.Microseconds(), 16667);

  TDialogs& dialogs = *services->sv_dialogs;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(dialogs.AskYesNo("Switch?", true));
  EXPECT_FALSE(dialogs.AskYesNo("Really?", false));
  dialogs.ShowMessage("Hello");
  // The error window prints the newest message's lines and takes Abort, its default.
  EXPECT_EQ(dialogs.ShowError({"", "___", "old", "", "___", "ERROR in", "action number 1"}, 5, true),
            EErrorAnswer::Abort);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Switch? [Yes]\nReally? [No]\nHello\nERROR in\naction number 1\n");

  services->sv_display->SetMode({800, 600, 0, 0});
  const RDisplayMode mode = services->sv_display->CurrentMode();
  EXPECT_EQ(mode.width, 800);
  EXPECT_EQ(mode.bits, 32);
}

TEST(Display, DesktopDepthCountsTwentyFourBitsAsThirtyTwo) {
  const int32_t cases[][2] = {{8, 8}, {15, 15}, {16, 16}, {24, 32}, {30, 32}, {32, 32}};
  for (const auto& c : cases) EXPECT_EQ(DesktopDepth(c[0]), c[1]) << c[0];
}

// Every service is there, so that nothing above has to ask.
TEST(HeadlessPlatform, EveryServicePresentAndInstalledByDefault) {
  auto services = CreateHeadlessServices();
  EXPECT_TRUE(services->sv_dialogs && services->sv_clock && services->sv_events && services->sv_display &&
              services->sv_windows && services->sv_render && services->sv_audio && services->sv_fonts &&
              services->sv_clipboard);
  EXPECT_NE(services->sv_windows->CreateLoadWindow(), nullptr);
  EXPECT_NE(services->sv_render->CreateContext(640, 480), nullptr);
  EXPECT_NE(services->sv_fonts->OpenFont({}), nullptr);
  EXPECT_TRUE(Services().sv_headless);
  InstallServices(services.get());
  EXPECT_EQ(&Dialogs(), services->sv_dialogs.get());
  InstallServices(nullptr);
  EXPECT_NE(&Dialogs(), services->sv_dialogs.get());
}

} // namespace
} // namespace vl
