// A whole game with sprites and a background from image files: vlpack packs the PNGs with their
// masks, vlrun loads them through the container and answers position tests with the masks.
#include "graphics/BM32_Bitmap.h"
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vl::test {
namespace {

void WritePng(const std::filesystem::path& file, const TBitmap32& bmp) {
  const std::vector<uint8_t> png = BitmapToPng(bmp);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), long(png.size()));
}

TEST(ImageGame, PositionTestsSeeThroughTheHoleOfARing) {
  const TScratchDir dir;
  const std::filesystem::path folder = dir.Path() / "game";
  std::filesystem::create_directories(folder);
  // Two 16 x 16 frames side by side: a ring two pixels thick, transparent inside.
  TBitmap32 strip(32, 16);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 32; ++x)
      if ((x % 16) < 2 || (x % 16) > 13 || y < 2 || y > 13) strip.SetPixel(x, y, 0xFFC00000u);
  WritePng(folder / "ring.png", strip);
  WritePng(folder / "floor.png", TBitmap32(8, 8, 0xFF404040u));
  std::ofstream(folder / "game.json") << R"j({
    "sprites": [{"name": "spr_ring", "file": "ring.png", "frames": 2, "origin": [8, 8]}],
    "backgrounds": [{"name": "bck_floor", "file": "floor.png"}],
    "objects": [
      {"name": "obj_ring", "sprite": 0, "events": [
        {"type": "create", "actions": [{"code": "show_debug_message('ring ' + string(sprite_width) + ' box ' + string(bbox_left) + ' ' + string(bbox_right))"}]},
        {"type": "destroy", "actions": [{"code": "show_debug_message('ring destroyed')"}]}]},
      {"name": "obj_probe", "events": [
        {"type": "create", "actions": [{"code": "show_debug_message('centre'); position_destroy(100, 100); show_debug_message('edge'); position_destroy(107, 100); show_debug_message('background ' + string(bck_floor) + ' ' + string(spr_ring))"}]}]}
    ],
    "rooms": [{"name": "r", "instances": [{"x": 100, "y": 100, "object": "obj_ring"}, {"x": 0, "y": 0, "object": "obj_probe"}],
               "tiles": [{"x": 0, "y": 0, "background": 0, "w": 8, "h": 8}]}]
  })j";
  const std::string game = dir / "game.vlg";
  const RProcessResult packed =
      RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(folder.string()) + " -o " + Quote(game));
  ASSERT_EQ(packed.status, 0) << packed.err;
  const RProcessResult r =
      RunCommand("cd " + Quote(dir.Path().string()) + " && env TMPDIR=" + Quote(dir.Path().string()) + " " +
                 Quote(BuiltProgram("vlrun")) + " --headless --steps 1 " + Quote(game));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "ring 16 box 92 107\ncentre\nedge\nring destroyed\nbackground 0 0\n");
}

} // namespace
} // namespace vl::test
