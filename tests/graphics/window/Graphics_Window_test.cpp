#include "graphics/Function_Window.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "tests/library/Function_Test_Support.h"
#include "world/Room_Class.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::CallFunction;

// The headless window on the headless 1024 x 768 screen.
class GameWindowTest : public testing::Test {
protected:
  static void SetUpTestSuite() { Register_Function_Window(); }
  void SetUp() override { Window_Create(); }
  void TearDown() override {
    ResetWindowState();
    Display().RestoreMode();
  }

  static double Get(const char* name) { return CallFunction(name, {}).Real(); }
  static RRect Client() {
    return {int32_t(Get("window_get_x")), int32_t(Get("window_get_y")), int32_t(Get("window_get_width")),
            int32_t(Get("window_get_height"))};
  }
  static void ExpectClient(RRect r) {
    const RRect c = Client();
    EXPECT_EQ(c.x, r.x);
    EXPECT_EQ(c.y, r.y);
    EXPECT_EQ(c.w, r.w);
    EXPECT_EQ(c.h, r.h);
  }
};

TEST(WindowPort, EachScaleMode) {
  struct RCase {
    int32_t cw, ch, rw, rh;
    double s;
    RRect port;
  } cases[] = {
      {640, 480, 320, 240, 1, {160, 120, 320, 240}},
      {800, 500, 320, 240, 2, {80, 10, 640, 480}},
      {501, 500, 320, 240, 2, {-69, 10, 640, 480}}, // the half difference truncates toward zero
      {7, 7, 5, 3, 0.5, {2, 2, 2, 2}},              // 2.5 and 1.5 both round to 2
      {800, 500, 320, 240, 0, {0, 0, 800, 500}},
      {100, 900, 320, 240, 0, {0, 0, 100, 900}},
      {800, 500, 320, 240, -1, {66, 0, 667, 500}},
      {300, 600, 320, 240, -1, {0, 187, 300, 225}},
  };
  for (const RCase& c : cases) {
    const RRect p = Window_PortOf(c.cw, c.ch, c.rw, c.rh, c.s);
    EXPECT_EQ(p.x, c.port.x) << c.cw << "x" << c.ch << " s " << c.s;
    EXPECT_EQ(p.y, c.port.y) << c.cw << "x" << c.ch << " s " << c.s;
    EXPECT_EQ(p.w, c.port.w) << c.cw << "x" << c.ch << " s " << c.s;
    EXPECT_EQ(p.h, c.port.h) << c.cw << "x" << c.ch << " s " << c.s;
  }
}

// Both directions for a client area at (100, 50) on the screen and a 320 x 240 region.
TEST(WindowPort, WindowToRegionAndBack) {
  struct RCase {
    RRect client;
    double s;
    int32_t wx, wy; // screen
    int32_t rx, ry; // region
    int32_t backx, backy;
  } cases[] = {
      {{100, 50, 800, 500}, 0, 500, 300, 160, 120, 500, 300},
      {{100, 50, 800, 500}, 0, 101, 51, 0, 0, 100, 50},
      {{100, 50, 0, 0}, 0, 103, 52, 960, 480, 100, 50}, // a client of no size divides by 1
      {{100, 50, 800, 500}, 2, 380, 110, 100, 25, 380, 110},
      {{100, 50, 800, 500}, 2, 170, 50, -5, -5, 170, 50},
      // The way back centres with two halves, the way there with one: they differ by a pixel.
      {{100, 50, 800, 500}, -1, 166, 50, 0, 0, 167, 50},
      {{100, 50, 800, 500}, -1, 500, 300, 160, 120, 500, 300},
      {{100, 50, 0, 500}, -1, 400, 300, 0, 0, 100, 300},
  };
  for (const RCase& c : cases) {
    int32_t rx, ry, wx, wy;
    Window_ToRegionOf(c.client, 320, 240, c.s, c.wx, c.wy, rx, ry);
    EXPECT_EQ(rx, c.rx) << "s " << c.s << " at " << c.wx << "," << c.wy;
    EXPECT_EQ(ry, c.ry) << "s " << c.s << " at " << c.wx << "," << c.wy;
    Window_FromRegionOf(c.client, 320, 240, c.s, c.rx, c.ry, wx, wy);
    EXPECT_EQ(wx, c.backx) << "s " << c.s << " from " << c.rx << "," << c.ry;
    EXPECT_EQ(wy, c.backy) << "s " << c.s << " from " << c.rx << "," << c.ry;
  }
}

TEST_F(GameWindowTest, SizeNeverBelowTheScaledRegion) {
  CallFunction("window_set_region_size", {320, 240, 0});
  CallFunction("window_set_region_scale", {2, 0});
  CallFunction("window_set_size", {100, 100});
  ExpectClient({100, 100, 640, 480});
  CallFunction("window_set_rectangle", {10, 20, 700, 30});
  ExpectClient({10, 20, 700, 480});
  // Stretched and fitted regions set no minimum.
  CallFunction("window_set_region_scale", {0, 0});
  CallFunction("window_set_size", {100, 100});
  ExpectClient({10, 20, 100, 100});
}

TEST_F(GameWindowTest, FullScreenTwiceRearrangesOnceAndWindowedRestores) {
  CallFunction("window_set_region_size", {100, 100, 0});
  CallFunction("window_set_rectangle", {50, 60, 300, 200});
  GameWindow()->SetClientRect({70, 80, 300, 200}); // the user moves the window
  CallFunction("window_set_fullscreen", {1});
  EXPECT_EQ(Get("window_get_fullscreen"), 1);
  ExpectClient({0, 0, 1024, 768});
  GameWindow()->SetClientRect({5, 5, 10, 10});
  CallFunction("window_set_fullscreen", {0.5});
  EXPECT_EQ(GameWindow()->ClientRect().w, 10); // not rearranged again
  CallFunction("window_set_fullscreen", {0.49});
  EXPECT_EQ(Get("window_get_fullscreen"), 0);
  ExpectClient({70, 80, 300, 200});
}

TEST_F(GameWindowTest, RegionScaleAdaptsOrOnlyGrows) {
  CallFunction("window_set_region_size", {100, 100, 0});
  CallFunction("window_set_region_scale", {1.5, 0});
  ExpectClient({100, 100, 640, 480}); // larger than 150 x 150: left alone
  CallFunction("window_set_size", {100, 400});
  ExpectClient({100, 100, 150, 400});
  CallFunction("window_set_region_scale", {2, 0});
  ExpectClient({100, 100, 200, 400}); // only the side that is too small grows
  CallFunction("window_set_region_scale", {1.5, 1});
  ExpectClient({100, 100, 150, 150});
  EXPECT_EQ(Get("window_get_region_scale"), 1.5);
  // Sizes of 0 or less keep the old one.
  CallFunction("window_set_region_size", {0, 50, 1});
  EXPECT_EQ(Get("window_get_region_width"), 100);
  EXPECT_EQ(Get("window_get_region_height"), 50);
  ExpectClient({100, 100, 150, 75});
}

TEST_F(GameWindowTest, HandleNamesTheWindowWhileItExists) {
  EXPECT_EQ(Get("window_handle"), 1);
  ResetWindowState();
  EXPECT_EQ(Get("window_handle"), 0);
}

TEST_F(GameWindowTest, DefaultAndCentreOnTheScreen) {
  CallFunction("window_set_region_size", {320, 240, 0});
  CallFunction("window_set_region_scale", {2, 0});
  CallFunction("window_default", {});
  ExpectClient({192, 144, 640, 480});
  CallFunction("window_set_region_scale", {-1, 0});
  CallFunction("window_default", {});
  ExpectClient({352, 264, 320, 240});
  CallFunction("window_set_size", {301, 240});
  CallFunction("window_center", {});
  ExpectClient({361, 264, 301, 240});
}

TEST_F(GameWindowTest, RoomRegionFromTheRoomOrItsPorts) {
  CRoom room;
  room.r_width = 320, room.r_height = 200;
  room.r_enableviews = false;
  Room_SetRegion(room);
  ExpectClient({352, 284, 320, 200});
  CallFunction("window_set_position", {5, 5});
  Room_SetRegion(room); // the same size: the window stays
  ExpectClient({5, 5, 320, 200});

  room.r_enableviews = true;
  room.r_view[1].visible = true;
  room.r_view[1].xport = 400, room.r_view[1].yport = 0, room.r_view[1].wport = 200,
  room.r_view[1].hport = 100;
  room.r_view[2].xport = 0, room.r_view[2].yport = 0, room.r_view[2].wport = 900, room.r_view[2].hport = 900;
  Room_SetRegion(room); // the invisible view counts for nothing
  EXPECT_EQ(Get("window_get_region_width"), 600);
  EXPECT_EQ(Get("window_get_region_height"), 100);

  room.r_view[2].visible = true;
  Room_SetRegion(room); // cut to the screen
  EXPECT_EQ(Get("window_get_region_width"), 900);
  EXPECT_EQ(Get("window_get_region_height"), 768);
}

TEST_F(GameWindowTest, ArgumentsRoundHalvesToEvenAndTrueFromAHalf) {
  CallFunction("window_set_position", {10.5, 11.5});
  EXPECT_EQ(Get("window_get_x"), 10);
  EXPECT_EQ(Get("window_get_y"), 12);
  CallFunction("window_set_showborder", {0.49});
  EXPECT_EQ(Get("window_get_showborder"), 0);
  CallFunction("window_set_showborder", {0.5});
  EXPECT_EQ(Get("window_get_showborder"), 1);
  CallFunction("window_set_color", {255.5});
  EXPECT_EQ(Get("window_get_color"), 256);
  CallFunction("window_set_region_scale", {0.75, 0}); // the scale is a real
  EXPECT_EQ(Get("window_get_region_scale"), 0.75);
}

TEST_F(GameWindowTest, WindowPropertiesAndTheMouse) {
  CallFunction("window_set_caption", {RValue("Level 1")});
  EXPECT_EQ(CallFunction("window_get_caption", {}).Str(), "Level 1");
  CallFunction("window_set_stayontop", {1});
  EXPECT_EQ(Get("window_get_stayontop"), 1);
  CallFunction("window_set_visible", {1});
  EXPECT_EQ(Get("window_get_visible"), 1);
  CallFunction("window_set_cursor", {-1});
  EXPECT_EQ(Get("window_get_cursor"), -1);

  CallFunction("window_set_position", {100, 50});
  CallFunction("display_mouse_set", {300, 200});
  EXPECT_EQ(Get("window_mouse_get_x"), 200);
  EXPECT_EQ(Get("window_mouse_get_y"), 150);
  CallFunction("window_mouse_set", {-10, 5});
  EXPECT_EQ(Get("display_mouse_get_x"), 90);
  EXPECT_EQ(Get("display_mouse_get_y"), 55);
}

TEST_F(GameWindowTest, PresentPortFollowsTheClientAreaAndColour) {
  CallFunction("window_set_region_size", {320, 240, 0});
  CallFunction("window_set_region_scale", {-1, 0});
  CallFunction("window_set_size", {800, 500});
  CallFunction("window_set_color", {0x00FF00});
  const RWindowPort port = Window_PresentPort();
  EXPECT_EQ(port.wp_clientw, 800);
  EXPECT_EQ(port.wp_clienth, 500);
  EXPECT_EQ(port.wp_port.x, 66);
  EXPECT_EQ(port.wp_port.w, 667);
  EXPECT_EQ(port.wp_colour, 0x00FF00u);

  int32_t rx, ry, wx, wy;
  Window_ToRegion(100 + 66 + 334, 100 + 250, rx, ry);
  EXPECT_EQ(rx, 160);
  EXPECT_EQ(ry, 120);
  Window_FromRegion(160, 120, wx, wy);
  EXPECT_EQ(wx, 500);
  EXPECT_EQ(wy, 350);
}

TEST_F(GameWindowTest, DisplayModeOnlyTheFieldsGiven) {
  EXPECT_EQ(CallFunction("display_set_all", {-1, 0, 75, 16}).Real(), 1);
  EXPECT_EQ(Get("display_get_width"), 1024);
  EXPECT_EQ(Get("display_get_height"), 768);
  EXPECT_EQ(Get("display_get_frequency"), 75);
  EXPECT_EQ(Get("display_get_colordepth"), 16); // kept and reported; drawing stays 32-bit
  EXPECT_EQ(CallFunction("display_test_all", {800, 600, 60, 32}).Real(), 1);
  EXPECT_EQ(Get("display_get_width"), 1024);
}

} // namespace
} // namespace vl
