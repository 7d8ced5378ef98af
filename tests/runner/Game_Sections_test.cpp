// Games with every section populated: sounds, time lines, included files, the game information and
// extension packages load from the writer's files, are prepared and reach code.
#include "data/Game_File.h"
#include "library/Include_File.h"
#include "runner/Help_Main.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/Extension_Class.h"
#include "script/Variable_Class.h"
#include "sound/Sound_Class.h"
#include "tests/runner/Run_Test_Support.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"
#include "tools/writer/Game_Writer.h"
#include "world/Instance_Class.h"
#include "world/TimeLine_Class.h"
#include "world/World_Run.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace vl {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

RPackAction Code(const std::string& code) {
  return RPackAction{.kind = 7, .useapplyto = true, .exetype = 2, .argkinds = {1}, .args = {code}};
}

// A package with a script file of two functions, a library of one, a data file and a constant.
RPackExtension Package() {
  RPackExtension package{.name = "tools", .folder = "toolsdir", .key = 1234};
  RPackExtensionFile script{
      .filename = "tools.script", .kind = 2, .init = "tools_init", .final = "tools_final"};
  script.data =
      Bytes("ignored before the first definition\r#define twice\r\n// doubles\r\nreturn argument0 * 2\r"
            "#define tools_init\rglobal.started = tools_base\r#define tools_final\r"
            "global.ended = 1\r#define unfinished\rreturn 1");
  script.functions = {{.name = " twice ", .id = 3, .argcount = 1},
                      {.name = "tools_init", .id = 4},
                      {.name = "tools_final", .id = 5},
                      {.name = "unfinished", .id = 6}};
  script.constants = {{"tools_base", "40 + 2"}};
  RPackExtensionFile library{.filename = "tools.dll", .kind = 1, .data = Bytes("MZ library bytes")};
  library.functions = {{.name = "native_call",
                        .extname = "NativeCall",
                        .kind = 12,
                        .id = 7,
                        .argcount = 6,
                        .argtypes = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}}};
  RPackExtensionFile data{.filename = "readme.txt", .kind = 4, .data = Bytes("read me")};
  RPackExtensionFile none{.filename = "absent.txt", .kind = 3};
  package.files = {script, library, data, none};
  return package;
}

class GameSections : public ::testing::Test {
protected:
  void SetUp() override {
    Wire_Runner(platform.Services());
    platform.errorAnswer = EErrorAnswer::Ignore;
    Reset_Runner();
    Runner().rn_loadwindow = &window;
    Runner().rn_tempfolder = (scratch.Path() / "tmp").string();
    fs::create_directory(Runner().rn_tempfolder);
    Runner().rn_options.ro_exepath = scratch / "game.exe";
    saved = fs::current_path();
    fs::current_path(scratch.Path());
  }
  void TearDown() override {
    fs::current_path(saved);
    Reset_Runner();
    Unwire_Runner();
  }

  static RGameProject Game() {
    RGameProject p;
    p.gp_game.gd_libraryname = "D3DX8.dll";
    p.gp_objects = {RPackObject{.name = "obj"}};
    p.gp_rooms = {RPackRoom{.name = "room0"}};
    p.gp_roomorder = {0};
    p.gp_extensions = {Package()};
    p.gp_sounds = {std::nullopt, RPackSound{.name = "snd_jump",
                                            .kind = 3,
                                            .extension = ".wav",
                                            .origname = "jump.wav",
                                            .data = Bytes("RIFF...."),
                                            .effects = 65,
                                            .volume = 0.5,
                                            .pan = -1,
                                            .preload = false}};
    RPackTimeLine timeline{.name = "tl_waves"};
    timeline.moments = {{0, {Code("global.w = 0")}}, {5, {Code("global.w = 5"), Code("global.w += 1")}}};
    p.gp_timelines = {timeline};
    p.gp_includes = {
        RPackIncludedFile{.filename = "level.dat", .origname = "level1.dat", .data = Bytes("lvl")},
        RPackIncludedFile{.filename = "music.mid", .data = Bytes("MThd"), .exportaction = 1}};
    p.gp_info = {.color = 0x102030,
                 .embedded = true,
                 .caption = "About",
                 .left = 10,
                 .top = -1,
                 .width = 300,
                 .height = 200,
                 .border = false,
                 .sizeable = false,
                 .stayontop = true,
                 .pause = false,
                 .text = "{\\rtf1 Hello}"};
    return p;
  }

  static bool Load(const RGameProject& project) { return test::LoadWrittenGame(project); }
  static void Start(const RGameProject& project) { test::StartWrittenGame(project); }

  static RValue Eval(const std::string& text) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << ErrorText;
    CInstance temporary;
    RValue result;
    RunCodeOrError(&temporary, &temporary, code, result);
    return result;
  }

  fs::path Temp(const std::string& name) const { return fs::path(Runner().rn_tempfolder) / name; }

  test::TScratchDir scratch;
  test::TTestPlatform platform;
  test::TTestLoadWindow window;
  fs::path saved;
};

TEST_F(GameSections, EveryRecordKindLoads) {
  ASSERT_TRUE(Load(Game()));

  ASSERT_EQ(Sounds().Count(), 2);
  EXPECT_FALSE(Sounds().Exists(0));
  const CSound& sound = *Sounds().Get(1);
  EXPECT_EQ(Sounds().Name(1), "snd_jump");
  EXPECT_EQ(sound.s_kind, CSound::kMultimedia);
  EXPECT_EQ(sound.s_extension, ".wav");
  EXPECT_EQ(sound.s_origname, "jump.wav");
  ASSERT_TRUE(sound.s_sound);
  EXPECT_EQ(sound.s_sound->Bytes(), Bytes("RIFF...."));
  EXPECT_EQ(sound.s_effects, 65);
  EXPECT_EQ(sound.s_volume, 0.5);
  EXPECT_EQ(sound.s_pan, -1);
  EXPECT_FALSE(sound.s_preload);
  EXPECT_EQ(sound.s_soundid, -1);

  ASSERT_EQ(TimeLines().Count(), 1);
  EXPECT_EQ(TimeLines().Name(0), "tl_waves");
  const CTimeLine& timeline = *TimeLines().Get(0);
  ASSERT_EQ(timeline.s_moments.size(), 2u);
  EXPECT_EQ(timeline.s_moments[1].m_step, 5);
  EXPECT_EQ(timeline.s_moments[1].m_event->Number(), 2);

  ASSERT_EQ(IncludedFiles().Count(), 2);
  const CDataFile& level = *IncludedFiles().Get(0);
  EXPECT_EQ(level.s_filename, "level.dat");
  EXPECT_EQ(level.s_origname, "level1.dat");
  EXPECT_TRUE(level.s_exists);
  EXPECT_EQ(level.s_size, 3);
  EXPECT_EQ(level.s_data.Bytes(), Bytes("lvl"));
  EXPECT_EQ(IncludedFiles().Get(1)->s_exportaction, CDataFile::kExportTemp);

  const RGameInfo& info = GameInfo();
  EXPECT_EQ(info.gi_color, 0x102030);
  EXPECT_TRUE(info.gi_embedded);
  EXPECT_EQ(info.gi_caption, "About");
  EXPECT_EQ(info.gi_left, 10);
  EXPECT_EQ(info.gi_top, -1);
  EXPECT_EQ(info.gi_width, 300);
  EXPECT_EQ(info.gi_height, 200);
  EXPECT_FALSE(info.gi_border);
  EXPECT_FALSE(info.gi_sizeable);
  EXPECT_TRUE(info.gi_stayontop);
  EXPECT_FALSE(info.gi_pause);
  EXPECT_EQ(info.gi_text, "{\\rtf1 Hello}");

  // The package: names trimmed, ids as stored, six arguments all real, files unpacked but for the
  // script file and the file without content.
  ASSERT_EQ(Extensions().Count(), 1);
  const CExtensionPackage& package = *Extensions().Get(0);
  EXPECT_EQ(package.s_folder, "toolsdir");
  const CExtensionFile& script = package.s_includes[0];
  EXPECT_EQ(script.s_functions[0].s_name, "twice");
  EXPECT_EQ(script.s_functions[0].s_extname, "twice");
  EXPECT_EQ(Extensions().FindFunction("twice"), 3);
  EXPECT_EQ(Extensions().ArgCount(3), 1);
  EXPECT_EQ(Extensions().ArgCount(99), -100);
  const CExtensionFunction& native = package.s_includes[1].s_functions[0];
  EXPECT_EQ(native.s_extname, "NativeCall");
  EXPECT_EQ(native.s_kind, 12);
  EXPECT_EQ(native.s_id, 7);
  for (int32_t type : native.s_argtype) EXPECT_EQ(type, 2);
  EXPECT_EQ(Contents(Temp("toolsdir/tools.dll")), "MZ library bytes");
  EXPECT_EQ(Contents(Temp("toolsdir/readme.txt")), "read me");
  EXPECT_FALSE(fs::exists(Temp("toolsdir/tools.script")));
  EXPECT_FALSE(fs::exists(Temp("toolsdir/absent.txt")));
  EXPECT_EQ(script.s_functions[3].s_script, ""); // its last line had no CR
  EXPECT_EQ(script.s_functions[0].s_script, "// doubles\r\nreturn argument0 * 2");
}

TEST_F(GameSections, PreparedGameRunsPackagesTimeLinesAndIncludedFiles) {
  Start(Game());
  // Included files were written where they were marked for.
  EXPECT_EQ(Contents("level.dat"), "lvl");
  EXPECT_EQ(Contents(Temp("music.mid")), "MThd");
  // Package constants, script functions, the init function; names of sounds and time lines.
  EXPECT_EQ(Eval("return tools_base").Real(), 42);
  EXPECT_EQ(Eval("return global.started").Real(), 42);
  EXPECT_EQ(Eval("return twice(21) + snd_jump + tl_waves").Real(), 42 + 1 + 0);
  EXPECT_EQ(Eval("return unfinished()").Real(), 0); // its only line had no CR: an empty body
  // A library function is never bound: result 0, and one line per function on standard error.
  testing::internal::CaptureStderr();
  EXPECT_EQ(Eval("return native_call('a', 'b', 'c', 'd', 1, 2) + native_call('', '', '', '', 0, 0)").Real(),
            0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("native_call"), std::string::npos) << said;
  EXPECT_NE(said.find("tools.dll"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
  EXPECT_EQ(ErrorText, "Unable to find DLL function with id=-1");
  ClearError();

  Game_End();
  EXPECT_EQ(Eval("return global.ended").Real(), 1);
  Finish_Game();
  EXPECT_FALSE(fs::exists("level.dat"));
  EXPECT_FALSE(fs::exists(Temp("music.mid")));
  EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
}

TEST_F(GameSections, FailuresOfPackagesAndTimeLinesAreReportedWithTheirPlace) {
  struct RCase {
    const char* name;
    std::function<void(RGameProject&)> change;
    const char* stop;  // the message that ends the preparation, or null
    const char* error; // what the reported error holds
  };
  const RCase cases[] = {
      {"script function does not compile",
       [](RGameProject& p) { p.gp_extensions[0].files[0].data = Bytes("#define twice\rreturn (\r"); },
       "Failed to prepare extension packages.", "COMPILATION ERROR in extension package tools\r"},
      {"time line action does not compile",
       [](RGameProject& p) { p.gp_timelines[0]->moments[1].actions[1] = Code("global.w = ("); },
       "Failed to compile the actions in the time lines.",
       "FATAL ERROR in\raction number 2\rat time step 5\rof time line tl_waves:\r\rCOMPILATION ERROR in code "
       "action\r"},
      {"init function missing", [](RGameProject& p) { p.gp_extensions[0].files[0].init = "nowhere"; },
       nullptr, "Could not locate initialization function nowhere"},
  };
  for (const RCase& c : cases) {
    SCOPED_TRACE(c.name);
    RGameProject p = Game();
    c.change(p);
    ASSERT_TRUE(Load(p));
    EXPECT_EQ(Prepare_Game(), c.stop == nullptr);
    if (c.stop) {
      EXPECT_EQ(platform.messages.back(), c.stop);
    }
    if (!c.stop) {
      RunState().rs_running = true;
      Game_Start();
      EXPECT_EQ(New_Room, kRoomFatal);
      EXPECT_EQ(PlayState().ps_room, nullptr); // the game start stopped there
    }
    ASSERT_FALSE(platform.errors.empty());
    EXPECT_NE(platform.errors.back().find(c.error), std::string::npos) << platform.errors.back();
    platform.errors.clear();
    platform.messages.clear();
    Reset_Runner();
    Runner().rn_loadwindow = &window;
    Runner().rn_tempfolder = (scratch.Path() / "tmp").string();
    Runner().rn_options.ro_exepath = scratch / "game.exe";
  }
}

TEST_F(GameSections, SecureModeRefusesPackages) {
  ASSERT_TRUE(Load(Game()));
  ASSERT_TRUE(Prepare_Game());
  GameData().gd_securemode = true;
  RunState().rs_running = true;
  Game_Start();
  ASSERT_FALSE(platform.errors.empty());
  EXPECT_NE(platform.errors.back().find("In secure mode you cannot use extension packages."),
            std::string::npos);

  CCode code("return twice(1)", false);
  ASSERT_TRUE(code.Compile());
  CInstance temporary;
  RValue result;
  EXPECT_FALSE(RunCodeOrError(&temporary, &temporary, code, result));
  EXPECT_NE(ErrorText.find("In secure mode you cannot use extension packages."), std::string::npos)
      << ErrorText;
  ClearError();
}

TEST_F(GameSections, PackageNamesMayNotLeaveTheTemporaryFolder) {
  const char* names[] = {"..\\escape", "a/../../escape", "/abs", "\\abs", "C:\\windows", "c:escape"};
  for (bool folder : {true, false})
    for (const char* name : names) {
      SCOPED_TRACE(std::string(folder ? "folder " : "file ") + name);
      RGameProject p = Game();
      (folder ? p.gp_extensions[0].folder : p.gp_extensions[0].files[2].filename) = name;
      platform.messages.clear();
      EXPECT_FALSE(Load(p));
      EXPECT_EQ(platform.messages,
                (std::vector<std::string>{"Extension package tools: the name \"" + std::string(name) +
                                              "\" would place a file outside the temporary folder.",
                                          "Error in loading extension packages.",
                                          "Error: Error in resource data."}));
    }
  EXPECT_FALSE(fs::exists(scratch.Path() / "escape"));
  EXPECT_FALSE(fs::exists(fs::path(Runner().rn_tempfolder) / "toolsdir"));
}

} // namespace
} // namespace vl
