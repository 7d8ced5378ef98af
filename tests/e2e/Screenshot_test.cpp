// vlrun draws headless through EGL and --screenshot writes the render area after a step as a PNG.
#include "graphics/Image_File.h"
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace vl::test {
namespace {

const std::string kPinnedDriver = "LP_NATIVE_VECTOR_WIDTH=128 LIBGL_ALWAYS_SOFTWARE=1 ";

RProcessResult RunHeadless(const TScratchDir& dir, const std::string& game, const std::string& arguments) {
  return RunCommand("cd " + Quote(dir.Path().string()) + " && env TMPDIR=" + Quote(dir.Path().string()) +
                    " " + kPinnedDriver + Quote(BuiltProgram("vlrun")) + " --headless " + arguments + " " +
                    Quote(game));
}

// The world example packed into the scratch folder; empty when vlpack failed.
std::string PackWorldExample(const TScratchDir& dir) {
  const std::string game = dir / "world.vlg";
  const RProcessResult packed = RunCommand(Quote(BuiltProgram("vlpack")) + " " +
                                           Quote(SourceFile("examples/world")) + " -o " + Quote(game));
  return packed.status == 0 ? game : "";
}

TEST(Screenshot, EachStepAskedForIsWrittenWithItsRoomsColourAndSize) {
  const TScratchDir dir;
  const std::filesystem::path folder = dir.Path() / "game";
  std::filesystem::create_directories(folder);
  // Room colours are 0x00BBGGRR: red, then green after the second step.
  std::ofstream(folder / "game.json") << R"j({
    "room_order": [0, 1],
    "objects": [{"name": "obj_mover", "events": [
      {"type": "step", "actions": [{"code": "n += 1; if (n == 2) room_goto_next()"}]},
      {"type": "create", "actions": [{"code": "n = 0"}]}]}],
    "rooms": [
      {"name": "r_red", "width": 160, "height": 120, "colour": 255, "show_colour": true,
       "instances": [{"x": 0, "y": 0, "object": "obj_mover"}]},
      {"name": "r_green", "width": 80, "height": 60, "colour": 65280, "show_colour": true}]
  })j";
  const std::string game = dir / "game.vlg";
  ASSERT_EQ(
      RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(folder.string()) + " -o " + Quote(game)).status,
      0);
  const RProcessResult r = RunHeadless(
      dir, game, "--steps 4 --screenshot 1:first.png --screenshot 4:last.png --screenshot 9:never.png");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::unique_ptr<TBitmap32> first = LoadImageFile(dir / "first.png");
  std::unique_ptr<TBitmap32> last = LoadImageFile(dir / "last.png");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ((std::pair{first->s_w, first->s_h}), (std::pair{160, 120}));
  EXPECT_EQ((std::pair{last->s_w, last->s_h}), (std::pair{80, 60}));
  for (auto [x, y] : {std::pair{0, 0}, {159, 119}, {80, 60}}) EXPECT_EQ(first->GetPixel(x, y), 0xFFFF0000u);
  for (auto [x, y] : {std::pair{0, 0}, {79, 59}}) EXPECT_EQ(last->GetPixel(x, y), 0xFF00FF00u);
  EXPECT_FALSE(std::filesystem::exists(dir / "never.png")); // the game ended before that step
}

TEST(Screenshot, TheWorldExampleShowsItsRoomColour) {
  const TScratchDir dir;
  const std::string game = PackWorldExample(dir);
  ASSERT_FALSE(game.empty());
  const RProcessResult r = RunHeadless(dir, game, "--steps 2 --screenshot 2:world.png");
  ASSERT_EQ(r.status, 0) << r.err;
  std::unique_ptr<TBitmap32> shot = LoadImageFile(dir / "world.png");
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->GetPixel(0, 0), 0xFF303030u); // the room's colour 3158064
}

// The window backend draws through an OpenGL context on the game window; SDL's off-screen video
// driver gives one without a display. Closing the loading window must not take the context away.
// (SDL unloads the driver at exit, which leaves its own allocations behind: no leak report.)
TEST(Screenshot, TheWindowBackendDrawsThroughItsContext) {
  const TScratchDir dir;
  const std::string game = PackWorldExample(dir);
  ASSERT_FALSE(game.empty());
  const RProcessResult r =
      RunCommand("cd " + Quote(dir.Path().string()) + " && env SDL_VIDEODRIVER=offscreen " +
                 "ASAN_OPTIONS=detect_leaks=0 TMPDIR=" + Quote(dir.Path().string()) + " " + kPinnedDriver +
                 Quote(BuiltProgram("vlrun")) + " --steps 2 --screenshot 2:window.png " + Quote(game));
  ASSERT_EQ(r.status, 0) << r.err;
  std::unique_ptr<TBitmap32> shot = LoadImageFile(dir / "window.png");
  ASSERT_NE(shot, nullptr) << r.err;
  EXPECT_EQ(shot->GetPixel(0, 0), 0xFF303030u);
}

// Without an OpenGL 3.3 core context (here: no EGL vendor at all) the game runs, drawing nothing.
TEST(Screenshot, HeadlessWithoutOpenGlSaysSoOnceAndRuns) {
  const TScratchDir dir;
  const std::string game = PackWorldExample(dir);
  ASSERT_FALSE(game.empty());
  const RProcessResult r = RunHeadless(dir, game, "--steps 2");
  ASSERT_EQ(r.status, 0) << r.err;
  const RProcessResult none = RunCommand(
      "cd " + Quote(dir.Path().string()) + " && env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json " +
      "TMPDIR=" + Quote(dir.Path().string()) + " " + Quote(BuiltProgram("vlrun")) + " --headless --steps 2 " +
      Quote(game));
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, r.out);
  EXPECT_EQ(none.err, "vlrun: no OpenGL 3.3 core context through EGL; nothing is drawn\n");
}

TEST(Screenshot, ARequestWithoutAStepIsAUsageError) {
  const TScratchDir dir;
  for (const char* bad : {"shot.png", "0:shot.png", "x:shot.png", "3:"}) {
    const RProcessResult r = RunHeadless(dir, dir / "none.vlg", std::string("--screenshot ") + bad);
    EXPECT_EQ(r.status, 2) << bad;
  }
}

} // namespace
} // namespace vl::test
