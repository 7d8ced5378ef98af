#include "data/Game_File.h"
#include "runner/Run_Error.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Error.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"
#include "world/World_Run.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vl {
namespace {

class ErrorReport : public ::testing::Test {
protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Wire_Runner(platform.Services());
    Reset_Runner();
  }
  void TearDown() override {
    Reset_Runner();
    Unwire_Runner();
    std::filesystem::current_path(previous);
  }
  static std::string Log() {
    std::ifstream in(kErrorLogName, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  RGameSettings& Settings() { return GameData().gd_settings; }

  test::TScratchDir dir;
  std::filesystem::path previous;
  test::TTestPlatform platform;
};

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

TEST_F(ErrorReport, IgnoredErrorGoesOnAndIsRemembered) {
  platform.errorAnswer = EErrorAnswer::Ignore;
  ReportError("ERROR in\r\naction number 1", false);
  EXPECT_EQ(platform.errors, std::vector<std::string>{"ERROR in\raction number 1"});
  EXPECT_EQ(platform.ignoreOffered, std::vector<bool>{true});
  EXPECT_TRUE(ErrorOccurred);
  EXPECT_EQ(LastError, "ERROR in\r\naction number 1");
  EXPECT_EQ(New_Room, kRoomNone);
  EXPECT_FALSE(ErrorState().es_aborting);
}

TEST_F(ErrorReport, AnyAnswerButIgnoreEndsTheGame) {
  platform.errorAnswer = EErrorAnswer::Abort;
  ReportError("first", false);
  EXPECT_TRUE(ErrorState().es_aborting);
  EXPECT_EQ(New_Room, kRoomFatal);
  ReportError("second", false); // nothing is reported after the game has ended
  EXPECT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(LastError, "first");
}

TEST_F(ErrorReport, FatalErrorsOfferNoIgnore) {
  platform.errorAnswer = EErrorAnswer::Ignore;
  ReportError("fatal", true);
  EXPECT_EQ(platform.ignoreOffered, std::vector<bool>{false});
  EXPECT_EQ(New_Room, kRoomFatal);
}

TEST_F(ErrorReport, AbortOnAllErrors) {
  Settings().gs_aborterrors = true;
  platform.errorAnswer = EErrorAnswer::Ignore;
  ReportError("would be ignorable", false);
  EXPECT_EQ(platform.ignoreOffered, std::vector<bool>{false});
  EXPECT_TRUE(ErrorState().es_aborting);
}

TEST_F(ErrorReport, LogWithoutDisplayStartsAfreshEachRun) {
  Settings().gs_displayerrors = false;
  Settings().gs_writeerrors = true;
  { std::ofstream(kErrorLogName) << "from an earlier run\r\n"; }
  ReportError("one", false);
  ReportError("two\rlines", false);
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_FALSE(ErrorState().es_aborting);
  EXPECT_EQ(Log(), "one\r\n\r\n\r\ntwo\rlines\r\n\r\n\r\n");
  EXPECT_EQ(LastError, "two\rlines");
}

TEST_F(ErrorReport, UnwritableLogIsIgnored) {
  Settings().gs_displayerrors = false;
  Settings().gs_writeerrors = true;
  std::filesystem::create_directory(kErrorLogName); // a folder where the file should be
  ReportError("still reported", false);
  EXPECT_FALSE(ErrorState().es_logfresh);
  EXPECT_EQ(LastError, "still reported");
}

TEST_F(ErrorReport, CopyAndClearKeepTheWindowOpen) {
  platform.errorAnswers = {EErrorAnswer::Copy, EErrorAnswer::Clear, EErrorAnswer::Ignore};
  ReportError("first", false);
  ReportError("second\r\nline", false);
  // Copy shows the window again as it was; Clear empties it for what follows.
  EXPECT_EQ(platform.errors, (std::vector<std::string>{"first", "first", "", "second\rline"}));
  EXPECT_EQ(ErrorState().es_memo.Lines(),
            (std::vector<std::string>{"", std::string(43, '_'), "second", "line"}));
  EXPECT_EQ(New_Room, kRoomFatal); // the last answer, Abort, ends the game
}

} // namespace
} // namespace vl
