// Boundary events: outside room and intersect boundary by box or by position with the borders
// counted inside, and the view events in their order; and both in their place in the step.
#include "runner/Run_Main.h"
#include "tests/runner/Run_Test_Support.h"
#include "tests/support/Test_Sprites.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Sprite_Shape.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class Boundaries : public RunnerGame {
protected:
  // One instance, shaped or a point, at (x, y) in a 640 x 480 room; what its boundary events say.
  std::string At(bool shaped, double x, double y, bool views = false) {
    SetUp();
    SetSpriteShapes(&square);
    Room();
    const int32_t obj = Object("obj");
    Objects().Get(obj)->o_spriteindex = shaped ? 0 : -1;
    On(obj, ev_other, ev_outside, {"trace('outside')"});
    On(obj, ev_other, ev_boundary, {"trace('boundary')"});
    for (int32_t n : {0, 1, 2}) {
      On(obj, ev_other, ev_outside_view0 + n, {"trace('outside view " + std::to_string(n) + "')"});
      On(obj, ev_other, ev_boundary_view0 + n, {"trace('boundary of view " + std::to_string(n) + "')"});
    }
    CRoom& resource = *Rooms().Get(0);
    resource.r_enableviews = views;
    resource.r_view[0] = CView{.visible = true, .xview = 0, .yview = 0, .wview = 320, .hview = 240};
    resource.r_view[1] = CView{.visible = true, .xview = 320, .yview = 0, .wview = 320, .hview = 240};
    resource.r_view[2] = CView{.visible = false, .xview = 0, .yview = 240, .wview = 320, .hview = 240};
    resource.AddInstance(obj, x, y);
    Compile();
    Game_Start();
    Handle_Boundaries();
    std::string traced = Trace();
    TearDown();
    return traced;
  }

  CSquareSprite square{16, 0, 0};
};

TEST_F(Boundaries, RoomEventsCountTheBordersInside) {
  struct RCase {
    bool shaped;
    double x, y;
    std::string traced;
  };
  const RCase cases[] = {
      {false, -1, 5, "outside boundary"}, // in every step, not only when it leaves
      {false, 640, 480, ""},              //
      {false, 0, 0, ""},                  //
      {false, 320, 481, "outside boundary"},
      {true, 624, 0, ""},         // box 624..639
      {true, 625, 0, ""},         // box up to x = 640: inside for both
      {true, 626, 0, "boundary"}, //
      {true, 640, 0, "boundary"}, // box from x = 640: still touching
      {true, 641, 0, "outside boundary"},
      {true, -15, 0, "boundary"},         // box -15..0
      {true, -16, 0, "outside boundary"}, // box -16..-1
      {true, 0, 465, ""},                 // box down to y = 480
      {true, 0, -16, "outside boundary"},
  };
  for (const RCase& c : cases)
    EXPECT_EQ(At(c.shaped, c.x, c.y), c.traced) << c.shaped << " " << c.x << " " << c.y;
}

TEST_F(Boundaries, ViewEventsOnlyWithViewsEnabledForVisibleViewsOutsideFirst) {
  EXPECT_EQ(At(false, 330, 10, true), "outside view 0 boundary of view 0");
  EXPECT_EQ(At(false, 320, 10, true), ""); // on the border of both
  EXPECT_EQ(At(true, 310, 10, true), "boundary of view 0 boundary of view 1");
  EXPECT_EQ(At(true, 330, 300, true), "outside view 0 outside view 1 boundary of view 0 boundary of view 1");
  EXPECT_EQ(At(false, 330, 10, false), "");
}

TEST_F(Boundaries, CollisionEventsFollowTheBoundaryEventsInTheStep) {
  SetSpriteShapes(&square);
  Room();
  const int32_t ball = Object("ball"), wall = Object("wall");
  Objects().Get(ball)->o_spriteindex = Objects().Get(wall)->o_spriteindex = 0;
  On(ball, ev_step, ev_step_normal, {"trace('step')"});
  On(ball, ev_other, ev_outside, {"trace('outside')"});
  On(ball, ev_collision, wall,
     {"trace('meets', other.object_index)", "with (other) trace('as', object_index)"});
  On(ball, ev_step, ev_step_end, {"trace('end')"});
  Rooms().Get(0)->AddInstance(ball, -30, 0);
  Rooms().Get(0)->AddInstance(wall, -20, 0);
  Compile();
  Game_Start();
  Run_Step();
  EXPECT_EQ(Trace(), "step outside meets 1 as 1 end");
}

} // namespace
} // namespace vl::test
