#include "data/Game_File.h"
#include "graphics/Graphics_Window.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"
#include "tools/writer/Game_Writer.h"
#include "world/Room_Class.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace vl {
namespace {

RGameProject MinimalProject() {
  RGameProject p;
  p.gp_game.gd_libraryname = "D3DX8.dll";
  p.gp_roomorder = {0};
  p.gp_library = {1, 2, 3};
  return p;
}

CStream GameStream(const RGameProject& project, size_t marker = kMarkerSearchStart) {
  CStream s;
  s.SetSize(marker);
  const std::vector<uint8_t> data = WriteGameData(project, marker);
  s.Seek(marker);
  s.WriteBuffer(data.data(), data.size());
  s.Seek(0);
  return s;
}

// Opens the scrambled region, lets `mutate` change the plain bytes and seals it again.
void Reseal(CStream& s, size_t marker, const std::function<void(CStream&)>& mutate) {
  ASSERT_TRUE(Game_Unscramble(s, marker));
  mutate(s);
  int32_t version;
  std::memcpy(&version, s.Data() + marker + 16, 4);
  version ^= VersionXor(marker);
  std::memcpy(s.Data() + marker + 16, &version, 4);
  s.EncryptWad(marker + 8);
}

void PutInteger(CStream& s, size_t at, int32_t value) {
  std::memcpy(s.Data() + at, &value, 4);
}

class RunnerLoad : public ::testing::Test {
protected:
  void SetUp() override {
    Wire_Runner(platform.Services());
    Reset_Runner();
    Runner().rn_loadwindow = &window;
    Runner().rn_tempfolder = scratch.Path().string();
    Runner().rn_options.ro_exepath = scratch / "game.exe";
  }
  void TearDown() override {
    Reset_Runner();
    Unwire_Runner();
  }

  bool Load(CStream s) { return Load_GameStream(s); }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (const RLoadLayout& l : window.layouts) labels.push_back(l.label);
    return labels;
  }

  test::TScratchDir scratch;
  test::TTestPlatform platform;
  test::TTestLoadWindow window;
};

TEST_F(RunnerLoad, LoadsEverythingTheWriterStored) {
  RGameProject p = MinimalProject();
  RGameData& g = p.gp_game;
  g.gd_debug = true;
  g.gd_gameid = 4711;
  for (int i = 0; i < 16; ++i) g.gd_guid[i] = uint8_t(i * 3);
  p.gp_lastinstanceid = 100123;
  p.gp_lasttileid = 10000456;
  g.gd_constants = {{"speed", "4"}, {"title", "\"Hi\""}};
  g.gd_libinit = {"a = 1", "b = 2"};
  p.gp_roomorder = {3, 1};
  g.gd_settings.gs_scaling = -1;
  g.gd_settings.gs_windowcolor = 0x123456;
  g.gd_settings.gs_closeesc = false;
  p.gp_padding = 17;
  ASSERT_TRUE(Load(GameStream(p)));
  EXPECT_TRUE(platform.messages.empty());
  const RGameData& r = GameData();
  EXPECT_TRUE(r.gd_debug);
  EXPECT_EQ(r.gd_gameid, 4711);
  EXPECT_EQ(r.gd_guid, g.gd_guid);
  EXPECT_EQ(Rooms().t_lastinstanceid, 100123);
  EXPECT_EQ(Rooms().t_lasttileid, 10000456);
  EXPECT_EQ(r.gd_constants, g.gd_constants);
  EXPECT_EQ(r.gd_libinit, g.gd_libinit);
  EXPECT_EQ(Rooms().t_order, p.gp_roomorder);
  EXPECT_EQ(r.gd_settings.gs_scaling, -1);
  EXPECT_EQ(r.gd_settings.gs_windowcolor, 0x123456);
  EXPECT_FALSE(r.gd_settings.gs_closeesc);

  CStream library;
  ASSERT_TRUE(library.LoadFromFile(scratch / "D3DX8.dll"));
  EXPECT_EQ(library.Bytes(), p.gp_library);

  EXPECT_EQ(window.showCount, 1);
  const std::vector<std::string> expected = {"Reading data",
                                             "Loading",
                                             "Loading extension packages",
                                             "Loading triggers",
                                             "Loading constants",
                                             "Loading sounds",
                                             "Loading sprites",
                                             "Loading backgrounds",
                                             "Loading paths",
                                             "Loading scripts",
                                             "Loading fonts",
                                             "Loading time lines",
                                             "Loading objects",
                                             "Loading rooms",
                                             "Loading included files",
                                             "Loading help",
                                             "Loading library init code",
                                             "Loading room order"};
  EXPECT_EQ(Labels(), expected);
}

TEST_F(RunnerLoad, MarkerPositionsAndFreeBytes) {
  EXPECT_EQ(VersionXor(3800004), 0);
  EXPECT_EQ(VersionXor(3800009), 1);
  EXPECT_EQ(VersionXor(3800013), 2);
  for (size_t marker : {size_t(3800004), size_t(3800009), size_t(3801234)}) {
    CStream s = GameStream(MinimalProject(), marker);
    for (size_t freeByte : {0, 2, 5, 7}) s.Data()[marker + freeByte] = 0xAB;
    EXPECT_EQ(FindMarker(s), marker);
    EXPECT_TRUE(Load(std::move(s))) << marker;
  }
}

TEST_F(RunnerLoad, NotAGame) {
  CStream tooShort;
  tooShort.SetSize(3800011);
  const uint8_t pattern[] = {0, 0, 0, 0xF7, 0x67, 0, 0x14};
  std::memcpy(tooShort.Data() + 3800004, pattern, 7); // a marker would need one byte more
  EXPECT_FALSE(Load(std::move(tooShort)));
  // A marker before the search start does not count.
  CStream early = GameStream(MinimalProject(), 3800004);
  early.Bytes().erase(early.Bytes().begin());
  EXPECT_FALSE(Load(std::move(early)));
  EXPECT_EQ(platform.messages, std::vector<std::string>(2, "Error: Not a valid game file."));
}

TEST_F(RunnerLoad, WrongVersionStopsBeforeTheLoadingWindow) {
  CStream s = GameStream(MinimalProject());
  PutInteger(s, kMarkerSearchStart + 16, 811); // not covered by the checksum
  EXPECT_FALSE(Load(std::move(s)));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Error: Wrong version number."});
  EXPECT_EQ(window.showCount, 0);
}

TEST_F(RunnerLoad, ChecksumMismatchEndsSilently) {
  CStream s = GameStream(MinimalProject());
  s.Data()[s.Size() - 3] ^= 0x40;
  EXPECT_FALSE(Load(std::move(s)));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(Runner().rn_corrupt);
}

TEST_F(RunnerLoad, CorruptDataMessages) {
  const size_t m = kMarkerSearchStart;
  struct RCase {
    const char* name;
    std::function<void(CStream&)> mutate;
    const char* message;
  };
  const RCase cases[] = {
      {"settings version", [&](CStream& s) { PutInteger(s, m + 32, 801); }, "Error: Error in resource data."},
      {"cut inside the settings", [&](CStream& s) { s.SetSize(m + 40); },
       "Failed to load the game data. File seems corrupted."},
      {"settings block not zlib", [&](CStream& s) { s.Data()[m + 40] ^= 0xFF; },
       "Failed to load the game data. File seems corrupted."},
  };
  for (const RCase& c : cases) {
    platform.messages.clear();
    CStream s = GameStream(MinimalProject());
    Reseal(s, m, c.mutate);
    EXPECT_FALSE(Load(std::move(s))) << c.name;
    EXPECT_EQ(platform.messages, std::vector<std::string>{c.message}) << c.name;
  }
}

TEST_F(RunnerLoad, RoomOrderWithoutRoomsFailsItsSection) {
  RGameProject p = MinimalProject();
  p.gp_roomorder.clear();
  EXPECT_FALSE(Load(GameStream(p)));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Error: Error in resource data."});
  EXPECT_EQ(Labels().back(), "Loading room order");
}

TEST_F(RunnerLoad, LibraryIsWrittenOnlyInsideTheTemporaryFolder) {
  RGameProject p = MinimalProject();
  p.gp_game.gd_libraryname = "..\\..\\evil.dll";
  ASSERT_TRUE(Load(GameStream(p)));
  EXPECT_TRUE(fs::exists(scratch.Path() / "evil.dll"));
  EXPECT_FALSE(fs::exists(scratch.Path().parent_path() / "evil.dll"));

  Runner().rn_tempfolder.clear();
  EXPECT_FALSE(Load(GameStream(MinimalProject())));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Error: Failed to initialize D3DX."});
}

TEST_F(RunnerLoad, LoadingWindowLayout) {
  RGameProject p = MinimalProject();
  RGameSettings& s = p.gp_game.gd_settings;
  s.gs_loadimage = std::make_unique<TBitmap32>(400, 101, 0xFF000000);
  s.gs_loadimage->SetPixel(0, 100, 0xFF00FF00);
  s.gs_backimage = std::make_unique<TBitmap32>(10, 8, 0xFF111111);
  s.gs_loadtransparent = true;
  s.gs_loadalpha = 128;
  s.gs_scaleprogress = false;
  p.gp_game.gd_debug = true;
  ASSERT_TRUE(Load(GameStream(p)));
  EXPECT_TRUE(window.hasImage);
  EXPECT_TRUE(window.hasBack);
  EXPECT_FALSE(window.hasFront);
  EXPECT_EQ(window.colourKey, 0x00FF00u);
  EXPECT_EQ(window.alpha, 128);
  const RLoadLayout& l = window.layouts.back();
  EXPECT_EQ(l.client_w, 400);
  EXPECT_EQ(l.client_h, 101);
  EXPECT_EQ(l.left, 312);
  EXPECT_EQ(l.top, 333); // (768 - 101) / 2 truncated
  EXPECT_EQ(l.bar_top, 69);
  EXPECT_EQ(l.label_top, 69);
  EXPECT_EQ(l.empty_w, 352);
  EXPECT_EQ(l.full_w, ProgressWidth(49, 352));
  EXPECT_TRUE(l.bar_visible);
  EXPECT_TRUE(l.label_visible);
  EXPECT_FALSE(l.stretch_full);
  // The images were handed over and freed.
  EXPECT_FALSE(GameData().gd_settings.gs_loadimage);
  EXPECT_FALSE(GameData().gd_settings.gs_backimage);
}

TEST_F(RunnerLoad, LabelHiddenWithoutDebugOrBar) {
  RGameProject p = MinimalProject();
  p.gp_game.gd_debug = true;
  p.gp_game.gd_settings.gs_showprogress = false;
  ASSERT_TRUE(Load(GameStream(p)));
  EXPECT_FALSE(window.layouts.back().label_visible);
  EXPECT_FALSE(window.layouts.back().bar_visible);
}

TEST(ProgressWidth, RoundsHalfToEven) {
  struct RCase {
    int32_t percent, width, expected;
  };
  for (RCase c :
       {RCase{47, 289, 136}, RCase{50, 5, 2}, RCase{50, 7, 4}, RCase{100, 352, 352}, RCase{0, 352, 0}})
    EXPECT_EQ(ProgressWidth(c.percent, c.width), c.expected) << c.percent << " " << c.width;
}

class RunnerPrepare : public RunnerLoad {};

TEST_F(RunnerPrepare, RunsEveryStepInOrderAndClosesTheWindow) {
  ASSERT_TRUE(Prepare_Game());
  const std::vector<std::string> expected = {"Extracting included files", "Preparing extension pacakges",
                                             "Preparing constants",       "Preparing triggers",
                                             "Compiling scripts",         "Compiling time line actions",
                                             "Compiling object actions",  "Preparing sounds",
                                             "Preparing graphics",        "Ready"};
  EXPECT_EQ(Labels(), expected);
  EXPECT_EQ(window.layouts.back().full_w, window.layouts.back().empty_w);
  EXPECT_FALSE(window.shown);
}

TEST_F(RunnerPrepare, DisplayDepthQuestion) {
  platform.mode.bits = 8;
  platform.answer = true;
  ASSERT_TRUE(Prepare_Game());
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.questions[0],
            "This application requires 16-bit or 32-bit color mode. Should I switch to a valid color mode?");
  ASSERT_EQ(platform.modeChanges.size(), 1u);
  EXPECT_EQ(platform.modeChanges[0].bits, 16);

  platform.answer = false;
  platform.modeChanges.clear();
  EXPECT_FALSE(Prepare_Game());
  EXPECT_TRUE(platform.modeChanges.empty());
  EXPECT_TRUE(platform.messages.empty()); // the run ends without a message
  EXPECT_EQ(Labels().back(), "Preparing graphics");
}

TEST_F(RunnerPrepare, DisplayModeFromTheSettings) {
  RGameSettings& s = GameData().gd_settings;
  s.gs_changeresolution = true;
  s.gs_colordepth = 2;
  s.gs_resolution = 3;
  s.gs_frequency = 9;      // no such code: the frequency stays
  platform.mode.bits = 24; // a depth is wanted, so no question
  ASSERT_TRUE(Prepare_Game());
  EXPECT_TRUE(platform.questions.empty());
  ASSERT_EQ(platform.modeChanges.size(), 1u);
  const RDisplayMode m = platform.modeChanges[0];
  EXPECT_EQ(m.width, 800);
  EXPECT_EQ(m.height, 600);
  EXPECT_EQ(m.bits, 32);
  EXPECT_EQ(m.frequency, 0);
}

TEST_F(RunnerPrepare, GameWindowFromTheSettingsAndTheCommandLine) {
  RGameSettings& s = GameData().gd_settings;
  s.gs_scaling = 200;
  s.gs_noborder = true;
  s.gs_windowcolor = 0x123456;
  s.gs_fullscreen = true;
  ASSERT_TRUE(Prepare_Game());
  const RWindowState& w = WindowState();
  EXPECT_EQ(w.ws_regionw, 8);
  EXPECT_EQ(w.ws_scale, 2);
  EXPECT_FALSE(w.ws_showborder);
  EXPECT_EQ(w.ws_colour, 0x123456u);
  EXPECT_TRUE(w.ws_fullscreen);
  ASSERT_NE(GameWindow(), nullptr);
  EXPECT_FALSE(GameWindow()->Visible()); // shown when the first room starts

  ResetWindowState();
  Runner().rn_options.ro_scale = 3;
  Runner().rn_options.ro_fullscreen = false;
  ASSERT_TRUE(Prepare_Game());
  EXPECT_EQ(WindowState().ws_scale, 3);
  EXPECT_FALSE(WindowState().ws_fullscreen);
  Window_SetSize(1, 1);
  EXPECT_EQ(Window_Client().w, 24); // the 8 x 8 region at scale 3
}

TEST(Trace, SwitchFromEnvironmentOrArgument) {
  unsetenv("QXLOG_TRACE");
  EXPECT_FALSE(TraceWanted(false));
  EXPECT_TRUE(TraceWanted(true));
  setenv("QXLOG_TRACE", "1", 1);
  EXPECT_TRUE(TraceWanted(false));
  setenv("QXLOG_TRACE", "yes", 1);
  EXPECT_FALSE(TraceWanted(false));
  unsetenv("QXLOG_TRACE");
}

TEST(TempFolder, NamedBaseAndSafeRemoval) {
  test::TScratchDir exeDir, base, outside;
  {
    std::FILE* f = std::fopen((exeDir / "tempdir.txt").c_str(), "w");
    std::fprintf(f, "%s\r\nignored\n", (base.Path() / "deeper").string().c_str());
    std::fclose(f);
  }
  const std::string folder = CreateTempFolder(exeDir.Path().string());
  ASSERT_FALSE(folder.empty());
  const fs::path path(folder);
  EXPECT_EQ(path.parent_path(), base.Path() / "deeper");
  EXPECT_EQ(path.filename().string().rfind("vl_ttt_", 0), 0u);
  const int number = std::stoi(path.filename().string().substr(7));
  EXPECT_GE(number, 0);
  EXPECT_LE(number, 99999);

  fs::create_directories(path / "sub" / "subsub");
  std::fclose(std::fopen((path / "sub" / "subsub" / "f.txt").c_str(), "w"));
  const fs::path keep = outside.Path() / "keep.txt";
  std::fclose(std::fopen(keep.c_str(), "w"));
  fs::create_directory_symlink(outside.Path(), path / "link");
  RemoveTempFolder(folder);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(fs::exists(keep));
}

} // namespace
} // namespace vl
