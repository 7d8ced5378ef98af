// Sprites and backgrounds from a project's image files: vlpack's reader and writer, read back by
// the game-data loader, and precise collisions of instances through the sprite table.
#include "data/Background_Class.h"
#include "data/Sprite_Class.h"
#include "runner/Runner_Images.h"
#include "tests/support/Test_Support.h"
#include "tests/world/World_Test_Support.h"
#include "tools/writer/Project_Reader.h"
#include "world/Instance_Class.h"

#include <fstream>
#include <gtest/gtest.h>

namespace vl {
namespace {

class ProjectImages : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    // An 8 x 8 frame on green with a red 4 x 4 square in its top-left corner, the square's own
    // bottom-right pixel green too; twice side by side.
    TBitmap32 strip(16, 8, 0xFF00FF00u);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 16; ++x)
        if ((x % 8) < 4 && !((x % 8) == 3 && y == 3)) strip.SetPixel(x, y, 0xFFFF0000u);
    Write("strip.png", strip);
    Write("back.png", TBitmap32(5, 3, 0xFF123456u));
  }
  void TearDown() override { test::ResetWorld(); }

  void Write(const std::string& name, const TBitmap32& bmp) {
    const std::vector<uint8_t> png = BitmapToPng(bmp);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), long(png.size()));
  }
  bool Read(const std::string& json, RGameProject& project, std::string& error) {
    std::ofstream(dir / "game.json") << json;
    return ReadProject(dir.Path().string(), project, error);
  }
  test::TScratchDir dir;
};

TEST_F(ProjectImages, SpritesAndBackgroundsLoadWithTheirMasks) {
  RGameProject project;
  std::string error;
  ASSERT_TRUE(Read(R"({
    "sprites": [
      {"name": "spr_square", "file": "strip.png", "frames": 2, "origin": [2, 2], "remove_background": true},
      null,
      {"name": "spr_box", "files": ["strip.png"],
       "mask": {"kind": "rectangle", "separate": true, "bbox": [1, 2, 3, 4]}}
    ],
    "backgrounds": [{"name": "bck_plain", "file": "back.png"}],
    "room_order": [0], "rooms": [{"name": "r"}]
  })",
                   project, error))
      << error;
  ASSERT_TRUE(test::LoadProject(project));
  ASSERT_EQ(Sprites().Count(), 3);
  EXPECT_FALSE(Sprites().Exists(1));
  const CSprite& square = *Sprites().Get(Sprites().Find("spr_square"));
  EXPECT_EQ(square.Count(), 2);
  EXPECT_EQ(square.GetWidth(), 8);
  EXPECT_EQ(square.i_xorig, 2);
  EXPECT_EQ(square.i_bbox, (RBox{0, 0, 3, 3}));
  EXPECT_EQ(square.i_bitmap[1].GetPixel(6, 6) >> 24, 0u); // the green background was removed
  const CSprite& box = *Sprites().Get(2);
  EXPECT_TRUE(box.i_sepmasks);
  EXPECT_EQ(box.i_bbox, (RBox{1, 2, 3, 4}));
  ASSERT_EQ(Backgrounds().Count(), 1);
  EXPECT_EQ(Backgrounds().Get(0)->GetWidth(), 5);
  EXPECT_EQ(Backgrounds().Find("bck_plain"), 0);
}

TEST_F(ProjectImages, InstancesCollidePreciselyThroughTheSpriteTable) {
  RGameProject project;
  std::string error;
  ASSERT_TRUE(Read(R"({
    "sprites": [{"name": "spr_square", "file": "strip.png", "frames": 2, "remove_background": true}],
    "room_order": [0], "rooms": [{"name": "r"}]
  })",
                   project, error))
      << error;
  ASSERT_TRUE(test::LoadProject(project));
  SetSpriteShapes(&ImageShapes());
  CInstance a(100001, -1, 10, 10), b(100002, -1, 13, 13);
  a.SetSpriteIndex(0);
  b.SetSpriteIndex(0);
  EXPECT_EQ(a.i_bbox.right, 13);
  // The boxes share only (13, 13), which is a's missing corner.
  EXPECT_TRUE(a.Collision_Instance(b, false));
  EXPECT_FALSE(a.Collision_Instance(b, true));
  b.SetPosition(12, 12);
  EXPECT_TRUE(a.Collision_Instance(b, true));
  EXPECT_FALSE(a.Collision_Point(true, 13, 13));
  EXPECT_TRUE(a.Collision_Point(true, 13, 12));
  // Scaled by 2, the square reaches 17; turned by 180 degrees about its origin, it lies to the left.
  a.SetImageScaleX(2);
  EXPECT_TRUE(a.Collision_Point(true, 17, 10));
  a.SetImageScaleX(1);
  a.SetImageAngle(180);
  EXPECT_TRUE(a.Collision_Point(true, 8, 8));
  EXPECT_FALSE(a.Collision_Point(true, 11, 11));
  EXPECT_TRUE(a.Collision_Line(true, 0, 8, 20, 8));
  EXPECT_TRUE(a.Collision_Rectangle(true, 20, 20, 5, 5));
  a.SetImageScaleY(0);
  EXPECT_FALSE(a.Collision_Rectangle(true, 0, 0, 20, 20));
}

TEST_F(ProjectImages, MistakesAreNamed) {
  RGameProject project;
  std::string error;
  EXPECT_FALSE(Read(R"({"sprites": [{"name": "s", "file": "missing.png"}]})", project, error));
  EXPECT_NE(error.find("cannot read the image"), std::string::npos) << error;
  EXPECT_FALSE(
      Read(R"({"sprites": [{"name": "s", "file": "strip.png", "mask": {"kind": "blob"}}]})", project, error));
  EXPECT_NE(error.find("unknown mask kind"), std::string::npos) << error;
  EXPECT_FALSE(Read(R"({"sprites": [{"name": "s"}]})", project, error));
  EXPECT_NE(error.find("either"), std::string::npos) << error;
  EXPECT_FALSE(Read(R"({"backgrounds": [{"name": "b", "file": "strip.png", "frames": 2}]})", project, error));
  EXPECT_NE(error.find("unknown key"), std::string::npos) << error;
}

} // namespace
} // namespace vl
