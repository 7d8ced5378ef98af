#include "data/Support_Stream.h"
#include "library/Path_Class.h"
#include "tests/world/World_Test_Support.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vl {
namespace {

class Instances : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    SetSpriteShapes(&sprites);
  }
  void TearDown() override { test::ResetWorld(); }

  // A sprite of images w x h with origin (ox, oy) and the full image as bounding box.
  void Sprite(int32_t index, int32_t images, int32_t w, int32_t h, int32_t ox = 0, int32_t oy = 0) {
    sprites.t_sprites[index] = RSpriteShape{images, RBounds{0, 0, w - 1, h - 1}, ox, oy};
  }
  // A path from the given points, open and straight.
  int32_t Path(std::vector<std::pair<double, double>> points, bool closed = false) {
    const int32_t index = Paths().Add();
    CPath& path = *Paths().Get(index);
    path.SetClosed(closed);
    for (auto [x, y] : points) path.AddPoint(x, y, 100);
    return index;
  }

  test::CTestSprites sprites;
  CInstance inst{100001, -1, 0, 0};
};

TEST_F(Instances, CreateTakesTheObjectsDefaults) {
  Sprite(3, 2, 16, 16);
  const int32_t obj = Objects().Add();
  CObject& o = *Objects().Get(obj);
  o.o_spriteindex = 3;
  o.o_depth = -5;
  o.o_solid = true;
  o.o_visible = false;
  o.o_persistent = true;
  o.o_mask = -1;
  CInstance i(100007, obj, 10, 20);
  EXPECT_EQ(i.i_id, 100007);
  EXPECT_EQ(i.i_spriteindex, 3);
  EXPECT_EQ(i.i_depth, -5);
  EXPECT_TRUE(i.i_solid);
  EXPECT_FALSE(i.i_visible);
  EXPECT_TRUE(i.i_persistent);
  EXPECT_EQ(i.i_xstart, 10);
  EXPECT_EQ(i.i_yprevious, 20);
  EXPECT_EQ(i.i_gravitydir, 270);
  EXPECT_EQ(i.GetAlarm(11), -1);
  EXPECT_EQ(i.ImageNumber(), 2);
  EXPECT_EQ(i.Object(), &o);
  EXPECT_EQ(i.i_bbox.left, 10);
  EXPECT_EQ(i.i_bbox.right, 25);
  EXPECT_EQ(i.i_bbox.bottom, 35);
}

TEST_F(Instances, HSpeedAndVSpeedGiveDirectionAndSpeed) {
  inst.SetHSpeed(3);
  inst.SetVSpeed(-4);
  EXPECT_NEAR(inst.i_direction, 53.13010235415598, 1e-12);
  EXPECT_EQ(inst.i_speed, 5);
}

TEST_F(Instances, DirectionIsReducedAndComponentsSnap) {
  inst.SetSpeed(2);
  inst.SetDirection(-90);
  EXPECT_EQ(inst.i_direction, 270);
  EXPECT_EQ(inst.i_hspeed, 0); // cos 270° is not exactly 0
  EXPECT_EQ(inst.i_vspeed, 2);
  inst.SetDirection(720 + 180);
  EXPECT_EQ(inst.i_direction, 180);
  EXPECT_EQ(inst.i_hspeed, -2);
  inst.SetDirection(-1e-20); // would reduce to 360
  EXPECT_EQ(inst.i_direction, 0);
}

TEST_F(Instances, DirectionWithoutHorizontalSpeed) {
  struct Case {
    double vspeed, direction, speed;
  };
  for (const Case& c : {Case{3, 270, 3}, Case{-3, 90, 3}, Case{0, 0, 0}}) {
    CInstance i(100002, -1, 0, 0);
    i.SetHSpeed(1);
    i.SetHSpeed(0);
    i.SetVSpeed(c.vspeed);
    EXPECT_EQ(i.i_direction, c.direction);
    EXPECT_EQ(i.i_speed, c.speed);
  }
}

TEST_F(Instances, AddToSpeedAddsAVector) {
  inst.SetHSpeed(2);
  inst.AddTo_Speed(2, 90);
  EXPECT_NEAR(inst.i_hspeed, 2, 1e-12);
  EXPECT_NEAR(inst.i_vspeed, -2, 1e-12);
  EXPECT_EQ(inst.i_direction, 45);
}

TEST_F(Instances, Friction) {
  struct Case {
    double speed, friction, after;
  };
  const std::vector<Case> cases = {
      {0.5, 1, 0},  // crossing zero stops
      {3, 1, 2},    // slows
      {-3, 1, -2},  // negative speed slows towards zero
      {-0.5, 1, 0}, // and stops at zero
      {2, -1, 3},   // negative friction accelerates
      {0, 1, 0},    // no motion stays
      {0, -1, 0},   // not even with negative friction
  };
  for (const Case& c : cases) {
    CInstance i(100002, -1, 0, 0);
    i.SetDirection(30);
    i.SetSpeed(c.speed);
    i.i_friction = c.friction;
    i.Adapt_Speed();
    EXPECT_DOUBLE_EQ(i.i_speed, c.after) << c.speed << " with friction " << c.friction;
    EXPECT_EQ(i.i_direction, 30);
  }
}

TEST_F(Instances, GravityPullsAlongItsDirection) {
  inst.i_gravity = 0.5;
  for (int step = 0; step < 4; ++step) inst.Adapt_Speed();
  EXPECT_DOUBLE_EQ(inst.i_vspeed, 2); // gravity direction 270 is down
  EXPECT_EQ(inst.i_direction, 270);
  inst.i_gravitydir = 180;
  inst.i_gravity = 2;
  inst.Adapt_Speed();
  EXPECT_DOUBLE_EQ(inst.i_hspeed, -2);
  EXPECT_EQ(inst.i_direction, 225);
}

TEST_F(Instances, SettersIgnoreEqualValuesAndPathPositionIsClamped) {
  inst.i_hspeed = 7; // plain field, not coupled
  inst.SetSpeed(0);  // equal: nothing recomputed
  EXPECT_EQ(inst.i_hspeed, 7);
  for (auto [in, out] : {std::pair{-1.0, 0.0}, {2.0, 1.0}, {0.25, 0.25}, {NAN, 0.0}}) {
    inst.SetPathPosition(in);
    EXPECT_EQ(inst.i_pathposition, out);
    inst.SetPathPositionPrevious(in);
    EXPECT_EQ(inst.i_pathpositionprevious, out);
  }
}

TEST_F(Instances, SpriteChangeResetsAnImageBeyondTheNewSprite) {
  Sprite(1, 5, 8, 8);
  Sprite(2, 2, 8, 8);
  inst.SetSpriteIndex(1);
  inst.i_imageindex = 3.7;
  inst.SetSpriteIndex(2);
  EXPECT_EQ(inst.i_imageindex, 0);
  inst.i_imageindex = 1.5;
  inst.SetSpriteIndex(1);
  EXPECT_EQ(inst.i_imageindex, 1.5);
}

TEST_F(Instances, BoundingBox) {
  Sprite(1, 1, 16, 8, 8, 4);
  inst.SetSpriteIndex(1);
  inst.SetPosition(100, 50);
  EXPECT_EQ(inst.i_bbox.left, 92);
  EXPECT_EQ(inst.i_bbox.right, 107);
  EXPECT_EQ(inst.i_bbox.top, 46);
  EXPECT_EQ(inst.i_bbox.bottom, 53);
  inst.SetImageScaleX(-1); // mirrored: the edges swap
  EXPECT_EQ(inst.i_bbox.left, 91);
  EXPECT_EQ(inst.i_bbox.right, 108);
  inst.SetImageScaleX(1);
  inst.SetImageAngle(90); // the 16 x 8 box stands up
  EXPECT_EQ(inst.i_bbox.left, 96);
  EXPECT_EQ(inst.i_bbox.right, 103);
  EXPECT_EQ(inst.i_bbox.top, 43);
  EXPECT_EQ(inst.i_bbox.bottom, 58);
  inst.SetMaskIndex(9); // no such sprite
  EXPECT_EQ(inst.i_bbox.left, kNoBox);
}

TEST_F(Instances, WithoutASpriteTheBoxIsFarAwayAndNeverCollides) {
  EXPECT_EQ(inst.i_bbox.left, kNoBox);
  EXPECT_EQ(inst.i_bbox.bottom, kNoBox);
  CInstance other(100002, -1, 0, 0);
  EXPECT_FALSE(inst.Collision_Instance(other, false));
  EXPECT_FALSE(inst.Collision_Point(false, kNoBox, kNoBox));
  EXPECT_FALSE(inst.Collision_Rectangle(false, kNoBox - 5, kNoBox - 5, kNoBox + 5, kNoBox + 5));
  EXPECT_FALSE(inst.Collision_Line(false, kNoBox - 5, kNoBox, kNoBox + 5, kNoBox));
}

class Shapes : public Instances {
protected:
  void SetUp() override {
    Instances::SetUp();
    Sprite(1, 1, 10, 10);
    inst.SetSpriteIndex(1); // box (0, 0) to (9, 9)
  }
};

TEST_F(Shapes, PointEdges) {
  EXPECT_TRUE(inst.Collision_Point(false, 9.5, 5));
  EXPECT_FALSE(inst.Collision_Point(false, 10, 5));
  EXPECT_TRUE(inst.Collision_Point(false, 0, 0));
  EXPECT_FALSE(inst.Collision_Point(false, -0.1, 0));
  sprites.t_maskhit = false;
  EXPECT_FALSE(inst.Collision_Point(true, 5, 5));
  inst.i_marked = true;
  sprites.t_maskhit = true;
  EXPECT_FALSE(inst.Collision_Point(false, 5, 5));
}

TEST_F(Shapes, Rectangle) {
  EXPECT_TRUE(inst.Collision_Rectangle(false, 20, 20, 9.5, 9.5)); // normalized
  EXPECT_FALSE(inst.Collision_Rectangle(false, 10, 0, 20, 5));
  EXPECT_TRUE(inst.Collision_Rectangle(false, -5, -5, 0, 0));
  EXPECT_FALSE(inst.Collision_Rectangle(false, -5, -5, -0.5, 3));
}

TEST_F(Shapes, Ellipse) {
  // The box corner (9, 9) lies outside an ellipse in the box's diagonal neighbourhood.
  EXPECT_FALSE(inst.Collision_Ellipse(false, 9, 9, 20, 20));
  EXPECT_TRUE(inst.Collision_Ellipse(false, 5, 5, 20, 20));   // the corner (9, 9) is inside
  EXPECT_TRUE(inst.Collision_Ellipse(false, 2, 8, 6, 30));    // centre x inside the box's x range
  EXPECT_TRUE(inst.Collision_Ellipse(false, 9, 9, 9.2, 30));  // degenerate: the rectangle test
  EXPECT_FALSE(inst.Collision_Ellipse(false, 30, 0, 40, 10)); // boxes apart
}

TEST_F(Shapes, Line) {
  EXPECT_TRUE(inst.Collision_Line(false, -10, 5, 20, 5));
  EXPECT_TRUE(inst.Collision_Line(false, -10, -10, 20, 20));
  EXPECT_FALSE(inst.Collision_Line(false, -10, 8, 8, -10.5)); // passes the corner (0, 0) above-left
  EXPECT_FALSE(inst.Collision_Line(false, 0, 10, 9, 10));     // along bottom + 1
  EXPECT_TRUE(inst.Collision_Line(false, 5, -20, 5, 30));     // vertical
  EXPECT_FALSE(inst.Collision_Line(false, 11, -20, 11, 30));
}

TEST_F(Shapes, InstancesAndMasks) {
  CInstance other(100002, -1, 0, 0);
  other.SetSpriteIndex(1);
  other.SetPosition(9.4, 9.4); // box from (9, 9)
  EXPECT_TRUE(inst.Collision_Instance(other, false));
  EXPECT_FALSE(inst.Collision_Instance(inst, false));
  other.SetPosition(10, 0);
  EXPECT_FALSE(inst.Collision_Instance(other, false));
  other.SetPosition(5, 5);
  sprites.t_maskhit = false;
  EXPECT_TRUE(inst.Collision_Instance(other, false));
  EXPECT_FALSE(inst.Collision_Instance(other, true));
  sprites.t_maskhit = true;
  EXPECT_TRUE(inst.Collision_Instance(other, true));
  sprites.t_sprites[1].ss_images = 0; // precise tests need an image
  EXPECT_FALSE(inst.Collision_Instance(other, true));
}

// ---- Paths --------------------------------------------------------------------------------------

TEST_F(Instances, AssignPathRefusesMissingAndEmptyPaths) {
  const int32_t point = Path({{5, 5}});
  for (int32_t path : {7, point}) {
    inst.Assign_Path(path, 4, 0, false, 1, 0);
    EXPECT_EQ(inst.i_pathindex, -1);
  }
  const int32_t line = Path({{0, 0}, {100, 0}});
  inst.Assign_Path(line, 4, 0, false, -1, 0);
  EXPECT_EQ(inst.i_pathindex, -1);
  inst.Assign_Path(line, -4, 2, true, 1, 0);
  EXPECT_EQ(inst.i_pathindex, line);
  EXPECT_EQ(inst.i_pathposition, 1);
  EXPECT_EQ(inst.i_x, 100);        // placed at the end when going backwards
  EXPECT_EQ(inst.i_pathxstart, 0); // where the path's start lies
  inst.SetPosition(30, 40);
  inst.Assign_Path(line, -4, 2, false, 0.5, 90); // relative: the start of the path is at the instance
  EXPECT_EQ(inst.i_pathxstart, 30);
  EXPECT_EQ(inst.i_pathystart, 40);
  EXPECT_EQ(inst.i_pathend, 2);
}

TEST_F(Instances, FollowingAPathMovesAndSetsTheMotion) {
  const int32_t line = Path({{0, 0}, {100, 0}});
  inst.SetPosition(10, 10);
  inst.Assign_Path(line, 25, CInstance::kPathStop, false, 1, 90);
  EXPECT_FALSE(inst.Adapt_Path());
  EXPECT_DOUBLE_EQ(inst.i_pathposition, 0.25);
  // Turned by 90 degrees the path goes up.
  EXPECT_NEAR(inst.i_x, 10, 1e-9);
  EXPECT_NEAR(inst.i_y, -15, 1e-9);
  EXPECT_EQ(inst.i_direction, 90);
  EXPECT_EQ(inst.i_speed, 0);
  EXPECT_EQ(inst.i_hspeed, 0);
}

TEST_F(Instances, StopBackwardsEndsAtPositionOne) {
  const int32_t line = Path({{0, 0}, {100, 0}});
  inst.Assign_Path(line, -60, CInstance::kPathStop, true, 1, 0);
  EXPECT_FALSE(inst.Adapt_Path());
  EXPECT_TRUE(inst.Adapt_Path());
  EXPECT_EQ(inst.i_pathposition, 1);
  EXPECT_EQ(inst.i_pathindex, -1);
  EXPECT_FALSE(inst.Adapt_Path());
}

TEST_F(Instances, RelativeAndAbsolutePathsBothWaysWithEachEndAction) {
  // The path runs from (20, 10) to (80, 90), 100 long, so 30 per step passes 0.3 of it; the
  // instance stands at (300, 200). A relative path starts at the instance also when followed
  // backwards; an absolute one stays where it lies.
  struct Case {
    bool absolute;
    double speed;
    int32_t endaction;
    double placedx, placedy; // before the first step
    double firstx, firsty;   // after the first step
    double position;         // after the fourth step, which reaches the end
    double pathspeed;
    double endx, endy;
  };
  const int32_t stop = CInstance::kPathStop, restart = CInstance::kPathRestart;
  const int32_t carryon = CInstance::kPathContinue, reverse = CInstance::kPathReverse;
  const Case cases[] = {
      {false, 30, stop, 300, 200, 318, 224, 1, 30, 360, 280},
      {false, 30, restart, 300, 200, 318, 224, 0.2, 30, 312, 216},
      {false, 30, carryon, 300, 200, 318, 224, 0.2, 30, 372, 296}, // the start moves on by (60, 80)
      {false, 30, reverse, 300, 200, 318, 224, 0.8, -30, 348, 264},
      {false, -30, stop, 300, 200, 342, 256, 1, -30, 360, 280},
      {false, -30, restart, 300, 200, 342, 256, 0.8, -30, 348, 264},
      {false, -30, carryon, 300, 200, 342, 256, 0.8, -30, 288, 184}, // the start moves back by (60, 80)
      {false, -30, reverse, 300, 200, 342, 256, 0.2, 30, 312, 216},
      {true, 30, stop, 20, 10, 38, 34, 1, 30, 80, 90},
      {true, 30, restart, 20, 10, 38, 34, 0.2, 30, 32, 26},
      {true, 30, carryon, 20, 10, 38, 34, 0.2, 30, 92, 106},
      {true, 30, reverse, 20, 10, 38, 34, 0.8, -30, 68, 74},
      {true, -30, stop, 80, 90, 62, 66, 1, -30, 80, 90},
      {true, -30, restart, 80, 90, 62, 66, 0.8, -30, 68, 74},
      {true, -30, carryon, 80, 90, 62, 66, 0.8, -30, 8, -6},
      {true, -30, reverse, 80, 90, 62, 66, 0.2, 30, 32, 26},
  };
  for (const Case& c : cases) {
    test::ResetWorld();
    const int32_t line = Path({{20, 10}, {80, 90}});
    CInstance i(100002, -1, 300, 200);
    i.Assign_Path(line, c.speed, c.endaction, c.absolute, 1, 0);
    SCOPED_TRACE(testing::Message() << "absolute " << c.absolute << " speed " << c.speed << " end "
                                    << c.endaction);
    EXPECT_EQ(i.i_x, c.placedx);
    EXPECT_EQ(i.i_y, c.placedy);
    EXPECT_FALSE(i.Adapt_Path());
    EXPECT_NEAR(i.i_x, c.firstx, 1e-9);
    EXPECT_NEAR(i.i_y, c.firsty, 1e-9);
    for (int step = 0; step < 2; ++step) EXPECT_FALSE(i.Adapt_Path());
    EXPECT_TRUE(i.Adapt_Path());
    EXPECT_NEAR(i.i_pathposition, c.position, 1e-9);
    EXPECT_EQ(i.i_pathspeed, c.pathspeed);
    EXPECT_EQ(i.i_pathindex, c.endaction == stop ? -1 : line);
    EXPECT_NEAR(i.i_x, c.endx, 1e-9);
    EXPECT_NEAR(i.i_y, c.endy, 1e-9);
  }
}

TEST_F(Instances, LandingExactlyOnTheStartIsTheStart) {
  // Backwards by a quarter per step from 1 lands on exactly 0 after four steps.
  struct Case {
    int32_t endaction;
    double position;
    double pathspeed;
  };
  for (const Case& c : {Case{CInstance::kPathRestart, 1, -25}, Case{CInstance::kPathReverse, 0, 25},
                        Case{CInstance::kPathContinue, 1, -25}}) {
    test::ResetWorld();
    const int32_t line = Path({{0, 0}, {100, 0}});
    CInstance i(100002, -1, 0, 0);
    i.Assign_Path(line, -25, c.endaction, true, 1, 0);
    for (int step = 0; step < 3; ++step) EXPECT_FALSE(i.Adapt_Path());
    EXPECT_TRUE(i.Adapt_Path());
    EXPECT_EQ(i.i_pathposition, c.position) << c.endaction;
    EXPECT_EQ(i.i_pathspeed, c.pathspeed) << c.endaction;
    EXPECT_FALSE(i.Adapt_Path()) << c.endaction; // the end does not fire again at once
    if (c.endaction == CInstance::kPathContinue) {
      EXPECT_NEAR(i.i_x, -25, 1e-9);
    }
  }
}

TEST_F(Instances, ClosedPathsWrapAround) {
  const int32_t square = Path({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  inst.Assign_Path(square, 100, CInstance::kPathRestart, true, 1, 0);
  int32_t ends = 0;
  for (int step = 0; step < 8; ++step) ends += inst.Adapt_Path();
  EXPECT_EQ(ends, 2);
  EXPECT_NEAR(inst.i_x, 0, 1e-9);
  EXPECT_NEAR(inst.i_y, 0, 1e-9);
  inst.Adapt_Path();
  inst.Adapt_Path();
  EXPECT_NEAR(inst.i_x, 100, 1e-9);
  EXPECT_NEAR(inst.i_y, 100, 1e-9);
}

TEST_F(Instances, PathScaleAndPointSpeed) {
  const int32_t index = Paths().Add();
  CPath& path = *Paths().Get(index);
  path.SetClosed(false);
  path.AddPoint(0, 0, 50); // half speed at the start
  path.AddPoint(100, 0, 50);
  inst.Assign_Path(index, 10, 0, true, 2, 0);
  inst.Adapt_Path();
  EXPECT_DOUBLE_EQ(inst.i_pathposition, 10 * (50.0 / 200) / 100);
  EXPECT_NEAR(inst.i_x, 5, 1e-9); // twice the path distance 2.5
}

// ---- Copies and the saved form ------------------------------------------------------------------

TEST_F(Instances, AssignKeepsThePathStart) {
  CInstance source(100009, -1, 3, 4);
  source.i_pathxstart = 50;
  source.i_pathystart = 60;
  source.i_vars.SetVar(kFirstUserVariable, 0, RValue(2.0));
  CInstance copy(100010, -1, 0, 0);
  copy.Assign(source);
  EXPECT_EQ(copy.i_id, 100009);
  EXPECT_EQ(copy.i_x, 3);
  EXPECT_EQ(copy.i_pathxstart, 0);
  EXPECT_EQ(copy.i_pathystart, 0);
  source.i_vars.SetVar(kFirstUserVariable, 0, RValue(5.0));
  RValue v;
  ASSERT_TRUE(copy.i_vars.GetVar(kFirstUserVariable, 0, v));
  EXPECT_EQ(v.Real(), 2);
}

TEST_F(Instances, SavedFormRoundTrips) {
  Sprite(1, 3, 10, 10);
  inst.SetSpriteIndex(1);
  inst.SetPosition(12.5, -3);
  inst.SetHSpeed(1.5);
  inst.i_friction = 0.25;
  inst.SetAlarm(4, 30);
  inst.SetAlarm(12, 99); // ignored
  inst.i_imageblend = 0x123456;
  inst.i_pathxstart = 7;
  inst.i_timelinerunning = true;
  inst.i_initcode = "x = 1";
  inst.i_vars.SetVar(kFirstUserVariable + 3, 2, RValue(std::string_view("s")));
  CStream s;
  inst.SaveToStream(s);
  s.WriteInteger(0x5EED);
  s.Seek(0);
  CInstance back;
  back.LoadFromStream(s);
  EXPECT_EQ(s.ReadInteger(), 0x5EED);
  EXPECT_EQ(back.i_id, inst.i_id);
  EXPECT_EQ(back.i_x, 12.5);
  EXPECT_EQ(back.i_hspeed, 1.5);
  EXPECT_EQ(back.i_friction, 0.25);
  EXPECT_EQ(back.GetAlarm(4), 30);
  EXPECT_EQ(back.i_imageblend, 0x123456u);
  EXPECT_EQ(back.i_pathxstart, 7);
  EXPECT_TRUE(back.i_timelinerunning);
  EXPECT_EQ(back.i_initcode, "x = 1");
  EXPECT_EQ(back.i_bbox.left, inst.i_bbox.left);
  EXPECT_EQ(back.i_bbox.bottom, inst.i_bbox.bottom);
  RValue v;
  ASSERT_TRUE(back.i_vars.GetVar(kFirstUserVariable + 3, 2, v));
  EXPECT_EQ(v.Str(), "s");

  // The stored box is used as it is, not recomputed.
  CStream t;
  inst.i_bbox = {1, 2, 3, 4};
  inst.SaveToStream(t);
  t.Seek(0);
  back.LoadFromStream(t);
  EXPECT_EQ(back.i_bbox.left, 1);
  EXPECT_EQ(back.i_bbox.bottom, 4);
}

} // namespace
} // namespace vl
