// End to end: vlpack writes games and vlrun plays them headless.
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace vl::test {
namespace {

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

class VlpackVlrun : public ::testing::Test {
protected:
  std::string Vlrun() const { return Quote(BuiltProgram("vlrun")); }
  std::string Vlpack() const { return Quote(BuiltProgram("vlpack")); }
  // Runs vlrun with the system temporary folder pointed into a scratch folder.
  RProcessResult Play(const std::string& args) {
    return RunCommand("env -u temp -u tmp TMPDIR=" + Quote(tmp.Path().string()) + " " + Vlrun() + " " + args);
  }
  TScratchDir dir, tmp;
};

TEST_F(VlpackVlrun, ExampleGameStandaloneAndAppended) {
  const std::string game = dir / "hello.vlg", app = dir / "hello";
  ASSERT_EQ(RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " + Quote(game)).status,
            0);
  EXPECT_GE(fs::file_size(game), 3800004u);
  RProcessResult r = Play("--headless " + Quote(game));
  EXPECT_EQ(r.status, 0) << r.err;

  // Debug information can hold the marker's byte pattern, so games go onto a stripped runner.
  const std::string runner = dir / "vlrun";
  ASSERT_EQ(RunCommand("strip -o " + Quote(runner) + " " + Vlrun()).status, 0);
  ASSERT_EQ(RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " + Quote(app) +
                       " --runner " + Quote(runner))
                .status,
            0);
  r = RunCommand("env TMPDIR=" + Quote(tmp.Path().string()) + " " + Quote(app) + " --headless");
  EXPECT_EQ(r.status, 0) << r.err;
  // The temporary folder is gone after the run.
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

TEST_F(VlpackVlrun, RunnerHoldingTheMarkerPatternIsRefused) {
  std::string runner(3900000, '\0');
  const char pattern[] = {'x', 0, 'x', '\xF7', '\x67', 'x', '\x14', 'x'};
  runner.replace(3850000, 8, pattern, 8);
  WriteFile(dir / "runner", runner);
  const RProcessResult r = RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " +
                                      Quote(dir / "app") + " --runner " + Quote(dir / "runner"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("holds the marker's byte pattern"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "app"));
}

TEST_F(VlpackVlrun, WindowBackendWithoutADisplay) {
  const std::string game = dir / "window.vlg";
  ASSERT_EQ(RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " + Quote(game)).status,
            0);
  const RProcessResult r = RunCommand("env SDL_VIDEODRIVER=dummy TMPDIR=" + Quote(tmp.Path().string()) + " " +
                                      Vlrun() + " " + Quote(game));
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(VlpackVlrun, TraceLogBesideTheGame) {
  const std::string game = dir / "traced.vlg";
  ASSERT_EQ(RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " + Quote(game)).status,
            0);
  ASSERT_EQ(Play("--headless " + Quote(game) + " --QXTrace").status, 0);
  std::ifstream log(dir / "Trace.log");
  std::string first, second, line, last;
  std::getline(log, first), std::getline(log, second);
  while (std::getline(log, line)) last = line;
  EXPECT_EQ(first, std::string(86, '*'));
  EXPECT_NE(second.find("vlrun"), std::string::npos);
  EXPECT_EQ(last, "Ready");
}

TEST_F(VlpackVlrun, FailuresHaveMessagesAndStatuses) {
  const std::string notGame = dir / "notgame.bin";
  WriteFile(notGame, std::string(100, 'x'));
  struct RCase {
    std::string args;
    int status;
    std::string err;
  };
  const RCase cases[] = {
      {"--headless " + Quote(dir / "missing.vlg"), 1, "Error: Cannot read the game file.\n"},
      {"--headless " + Quote(notGame), 1, "Error: Not a valid game file.\n"},
      {"--headless --steps -3 x", 2, ""},
      {"--headless --bogus", 2, ""},
  };
  for (const RCase& c : cases) {
    const RProcessResult r = Play(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err) << c.args;
    }
  }
}

TEST_F(VlpackVlrun, CorruptGameExitsWithoutADialog) {
  const std::string game = dir / "corrupt.vlg";
  ASSERT_EQ(RunCommand(Vlpack() + " " + Quote(SourceFile("examples/hello")) + " -o " + Quote(game)).status,
            0);
  {
    std::fstream f(game, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(-5, std::ios::end);
    f.put('\x5A');
  }
  const RProcessResult r = Play("--headless " + Quote(game));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vlrun: the game data is corrupt (checksum mismatch)\n");
}

TEST_F(VlpackVlrun, ProjectErrorsAreReported) {
  fs::create_directory(dir.Path() / "bad");
  WriteFile(dir / "bad/game.json", R"({"game_id": 1, "setings": {}})");
  RProcessResult r = RunCommand(Vlpack() + " " + Quote(dir / "bad") + " -o " + Quote(dir / "x.vlg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("unknown key \"setings\""), std::string::npos) << r.err;
  WriteFile(dir / "bad/game.json", R"({"settings": {"loading_image": "nothere.png"}})");
  r = RunCommand(Vlpack() + " " + Quote(dir / "bad") + " -o " + Quote(dir / "x.vlg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read the image"), std::string::npos) << r.err;
}

} // namespace
} // namespace vl::test

namespace vl::test {
namespace {

TEST(VlrunListFunctions, NamesInTableOrder) {
  const RProcessResult r = RunCommand(Quote(BuiltProgram("vlrun")) + " --list-functions");
  ASSERT_EQ(r.status, 0);
  std::vector<std::string> names;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) names.push_back(line);
  auto at = [&](const std::string& name) {
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  ASSERT_LT(at("show_debug_message"), long(names.size()));
  // Families register in their fixed order: math before game-level functions before data structures.
  EXPECT_LT(at("random"), at("show_error"));
  EXPECT_LT(at("show_error"), at("show_debug_message"));
  EXPECT_LT(at("show_debug_message"), at("ds_list_create"));
}

} // namespace
} // namespace vl::test
