#include "data/Support_Stream.h"
#include "tests/world/World_Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"

#include <gtest/gtest.h>
#include <memory>

namespace vl {
namespace {

class Rooms_ : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    base = Objects().Add();
    child = Objects().Add();
    Objects().SetParent(child, base);
    other = Objects().Add();
  }
  void TearDown() override { test::ResetWorld(); }

  std::vector<int32_t> Ids(const std::vector<CInstance*>& list) {
    std::vector<int32_t> ids;
    for (const CInstance* inst : list) ids.push_back(inst->i_id);
    return ids;
  }
  std::vector<int32_t> ActiveIds() {
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < room.Number(); ++i) ids.push_back(room.Instance(i)->i_id);
    return ids;
  }
  RTile Tile(double x, double y, int32_t w, int32_t h, double depth) {
    RTile t;
    t.x = x, t.y = y, t.w = w, t.h = h, t.depth = depth;
    return t;
  }

  int32_t base = 0, child = 0, other = 0;
  CRoom room;
};

TEST_F(Rooms_, NewRoomHasTheDefaults) {
  EXPECT_EQ(room.r_speed, 30);
  EXPECT_EQ(room.r_width, 640);
  EXPECT_EQ(room.r_color, 0xC0C0C0);
  EXPECT_TRUE(room.r_showcolor);
  EXPECT_TRUE(room.r_clearViewBackground);
  EXPECT_EQ(room.r_view[7].wport, 640);
  EXPECT_EQ(room.r_view[0].hspeed, -1);
  EXPECT_EQ(room.r_background[3].index, -1);
  EXPECT_TRUE(room.r_background[3].htiled);
  EXPECT_EQ(room.r_lasttile, -1);
}

TEST_F(Rooms_, AddInstanceCountsIdsAndFillsTheLists) {
  CInstance* a = room.AddInstance(child, 1, 2);
  CInstance* b = room.AddInstance(base, 3, 4);
  CInstance* c = room.AddInstance(other, 5, 6);
  EXPECT_EQ(a->i_id, 100001);
  EXPECT_EQ(c->i_id, 100003);
  EXPECT_EQ(Rooms().t_lastinstanceid, 100003);
  EXPECT_EQ(room.Obj_Number(base), 1);
  EXPECT_EQ(room.Obj_Instance(base, 0), b);
  EXPECT_EQ(room.Obj_Number_Recursive(base), 2);
  EXPECT_EQ(Ids(room.ObjectListRecursive(base)), (std::vector<int32_t>{100001, 100002}));
  EXPECT_EQ(room.Obj_Instance_Recursive(child, 0), a);
  EXPECT_EQ(room.Obj_Instance_Recursive(child, 1), nullptr);
  EXPECT_EQ(room.Obj_Number(99), 0);
  EXPECT_EQ(room.Obj_Instance(-1, 0), nullptr);
  EXPECT_EQ(room.FindInstance(100002), b);
  EXPECT_EQ(room.FindInstance(100009), nullptr);
}

TEST_F(Rooms_, ParentCyclesListEachInstanceOnce) {
  Objects().SetParent(base, child); // base <-> child
  room.AddInstance(child, 0, 0);
  EXPECT_EQ(room.Obj_Number_Recursive(base), 1);
  EXPECT_EQ(room.Obj_Number_Recursive(child), 1);
}

TEST_F(Rooms_, InstancesAddedWhileIterating) {
  room.AddInstance(base, 0, 0);
  room.AddInstance(base, 0, 0);
  // An event that creates an instance per instance it visits; the loop sees the list grow safely.
  std::vector<CInstance*> seen;
  for (int32_t i = 0; i < room.Number() && room.Number() < 6; ++i) {
    CInstance* inst = room.Instance(i);
    room.AddInstance(other, 0, 0);
    seen.push_back(inst);
  }
  EXPECT_EQ(room.Number(), 6);
  EXPECT_EQ(seen[0]->i_id, 100001); // pointers stay valid as the list grows
  EXPECT_EQ(room.Obj_Number(other), 4);
}

TEST_F(Rooms_, RemoveMarkedKeepsTheOrderAndRebuildsTheLists) {
  for (int32_t obj : {base, child, base, other}) room.AddInstance(obj, 0, 0);
  room.Instance(0)->i_marked = true;
  room.Instance(3)->i_marked = true;
  room.RemoveMarked();
  EXPECT_EQ(ActiveIds(), (std::vector<int32_t>{100002, 100003}));
  EXPECT_EQ(Ids(room.ObjectList(base)), std::vector<int32_t>{100003});
  EXPECT_EQ(Ids(room.ObjectListRecursive(base)), (std::vector<int32_t>{100002, 100003}));
  EXPECT_EQ(room.Obj_Number(other), 0);
  EXPECT_EQ(room.FindInstance(100001), nullptr);
}

TEST_F(Rooms_, SharedIdsFindTheFirstInRoomOrder) {
  CRoom resource;
  for (int32_t obj : {base, other, child})
    resource.r_instance.push_back(std::make_unique<CInstance>(100050, obj, 0, 0));
  room.Assign(&resource);
  EXPECT_EQ(room.FindInstance(100050), room.Instance(0));
  room.Instance(0)->i_marked = true;
  room.RemoveMarked();
  EXPECT_EQ(room.FindInstance(100050), room.Instance(0));
  EXPECT_EQ(room.Instance(0)->i_objectindex, other);
}

TEST_F(Rooms_, SortIsStableHighestDepthFirst) {
  for (double depth : {0.0, 10.0, 0.0}) room.AddInstance(base, 0, 0)->i_depth = depth;
  room.SortInstances();
  EXPECT_EQ(ActiveIds(), (std::vector<int32_t>{100002, 100001, 100003}));
  // The per-object lists keep their order.
  EXPECT_EQ(Ids(room.ObjectList(base)), (std::vector<int32_t>{100001, 100002, 100003}));
}

TEST_F(Rooms_, DeactivatedInstancesComeBackAtTheEnd) {
  for (int i = 0; i < 3; ++i) room.AddInstance(base, 0, 0);
  room.Instance(0)->i_deactivated = true;
  room.UpdateActive();
  EXPECT_EQ(ActiveIds(), (std::vector<int32_t>{100002, 100003}));
  EXPECT_EQ(room.Number_Deact(), 1);
  EXPECT_EQ(room.Obj_Number(base), 2);
  EXPECT_EQ(room.FindInstance(100001), nullptr);
  room.r_instance_deact[0]->i_deactivated = false;
  room.Instance(0)->i_deactivated = true;
  room.UpdateActive();
  EXPECT_EQ(ActiveIds(), (std::vector<int32_t>{100003, 100001}));
  EXPECT_EQ(room.r_instance_deact[0]->i_id, 100002);
  EXPECT_EQ(room.FindInstance(100001), room.Instance(1));
}

TEST_F(Rooms_, LiveCopiesDoNotShareInstances) {
  CRoom resource;
  resource.r_caption = "Level";
  resource.r_view[2].visible = true;
  CInstance* original = resource.AddInstance(child, 8, 9);
  original->i_pathxstart = 44;
  resource.AddInstance(other, 0, 0)->i_deactivated = true;
  resource.UpdateActive();
  resource.AddTile(Tile(1, 2, 3, 4, 5));
  room.Assign(&resource);
  EXPECT_EQ(room.r_caption, "Level");
  EXPECT_TRUE(room.r_view[2].visible);
  ASSERT_EQ(room.Number(), 1);
  ASSERT_EQ(room.Number_Deact(), 1);
  EXPECT_NE(room.Instance(0), original);
  EXPECT_EQ(room.Instance(0)->i_id, original->i_id);
  EXPECT_EQ(room.Instance(0)->i_pathxstart, 0);
  EXPECT_EQ(room.Obj_Instance_Recursive(base, 0), room.Instance(0));
  room.Instance(0)->SetPosition(50, 50);
  EXPECT_EQ(original->i_x, 8);
  room.Instance(0)->i_marked = true;
  room.RemoveMarked();
  EXPECT_EQ(resource.Number(), 1);
  EXPECT_EQ(room.TileNumber(), 1);
  room.Assign(nullptr);
  EXPECT_EQ(room.Number(), 0);
  EXPECT_EQ(room.r_caption, "");
}

TEST_F(Rooms_, ScrollBackground) {
  room.r_background[1].hspeed = 2;
  room.r_background[1].vspeed = -0.5;
  room.ScrollBackground();
  room.ScrollBackground();
  EXPECT_EQ(room.r_background[1].x, 4);
  EXPECT_EQ(room.r_background[1].y, -1);
}

// ---- Tiles --------------------------------------------------------------------------------------

TEST_F(Rooms_, TileIdsCountOnAndFindUsesTheCache) {
  EXPECT_EQ(room.AddTile(Tile(0, 0, 8, 8, 0)), 0);
  EXPECT_EQ(room.AddTile(Tile(0, 0, 8, 8, 0)), 1);
  EXPECT_EQ(room.r_tile[0].id, 10000001);
  EXPECT_EQ(room.r_tile[1].id, 10000002);
  EXPECT_EQ(Rooms().t_lasttileid, 10000002);
  EXPECT_EQ(room.r_lasttile, 1);
  EXPECT_EQ(room.FindTile(10000001), 0);
  EXPECT_EQ(room.r_lasttile, 0);
  EXPECT_EQ(room.FindTile(42), -1);
  room.DeleteTile(0);
  room.DeleteTile(5);
  EXPECT_EQ(room.FindTile(10000002), 0);
  EXPECT_EQ(room.FindTile(10000001), -1);
}

TEST_F(Rooms_, TileAreasAreHalfOpenExceptForDeleteAt) {
  room.AddTile(Tile(10, 0, 16, 16, 0));
  EXPECT_EQ(room.FindTileAt(25.5, 5, false), 0);
  EXPECT_EQ(room.FindTileAt(26, 5, false), -1);
  EXPECT_EQ(room.FindTileAt(25.5, 5, true), -1); // depth 0 is never foreground for a search
  EXPECT_EQ(room.FindTileAtDepth(0, 25.5, 5), 0);
  EXPECT_EQ(room.FindTileAtDepth(0, 26, 5), -1);
  room.DeleteTilesAtDepth(0, 26, 5);
  EXPECT_EQ(room.TileNumber(), 1);
  room.DeleteTilesAt(26, 16, false); // both ends included
  EXPECT_EQ(room.TileNumber(), 0);
}

TEST_F(Rooms_, ForegroundSelection) {
  room.AddTile(Tile(0, 0, 8, 8, 0));
  room.AddTile(Tile(0, 0, 8, 8, -1));
  room.AddTile(Tile(0, 0, 8, 8, 1));
  EXPECT_EQ(room.FindTileAt(1, 1, true), 1);
  EXPECT_EQ(room.FindTileAt(1, 1, false), 0);
  room.DeleteTilesAt(1, 1, true); // depth <= 0
  ASSERT_EQ(room.TileNumber(), 1);
  EXPECT_EQ(room.r_tile[0].depth, 1);
}

TEST_F(Rooms_, TileOperationsByDepth) {
  for (double depth : {5.0, 1.0, 5.0, 7.0}) room.AddTile(Tile(0, 0, 8, 8, depth));
  room.HideTilesDepth(5);
  EXPECT_FALSE(room.r_tile[0].visible);
  EXPECT_TRUE(room.r_tile[1].visible);
  room.ShowTilesDepth(5);
  EXPECT_TRUE(room.r_tile[2].visible);
  room.ShiftTilesDepth(5, 3, -2);
  EXPECT_EQ(room.r_tile[2].x, 3);
  EXPECT_EQ(room.r_tile[2].y, -2);
  EXPECT_EQ(room.r_tile[1].x, 0);
  room.ChangeTilesDepth(1, 5);
  room.SortTiles();
  std::vector<int32_t> ids;
  for (const RTile& t : room.r_tile) ids.push_back(t.id - 10000000);
  EXPECT_EQ(ids, (std::vector<int32_t>{4, 1, 2, 3}));
  room.DeleteTilesDepth(5);
  EXPECT_EQ(room.TileNumber(), 1);
  room.ClearTiles();
  EXPECT_EQ(room.TileNumber(), 0);
  EXPECT_EQ(room.r_lasttile, -1);
}

// ---- Records, the room table and the room order -------------------------------------------------

RPackRoom PackedRoom() {
  RPackRoom r;
  r.name = "rm_start";
  r.caption = "Start";
  r.width = 800;
  r.height = 600;
  r.speed = 60;
  r.persistent = true;
  r.colour = 0x102030;
  r.showcolour = false;
  r.clearviews = false;
  r.code = "global.n = 1";
  r.backgrounds[2].visible = true;
  r.backgrounds[2].x = 12;
  r.backgrounds[2].hspeed = -3;
  r.backgrounds[2].stretch = true;
  r.enableviews = true;
  r.views[1].visible = true;
  r.views[1].wview = 320;
  r.views[1].object = 1;
  r.instances = {{10, 20, 1, 100005, "speed = 2"}, {30, 40, 2, 100006, ""}};
  r.tiles = {{16, 32, 0, 1, 2, 16, 16, 1000, 10000003}};
  return r;
}

TEST_F(Rooms_, RoomsLoadFromTheGameData) {
  RGameProject project;
  project.gp_roomorder = {1, 0};
  project.gp_lastinstanceid = 100006;
  project.gp_lasttileid = 10000003;
  project.gp_objects = {RPackObject{"a"}, RPackObject{"b", 0, false, true, 7, false, 0}, RPackObject{"c"}};
  project.gp_rooms = {std::nullopt, PackedRoom()};
  ASSERT_TRUE(test::LoadProject(project));
  EXPECT_EQ(Rooms().t_lastinstanceid, 100006);
  EXPECT_EQ(Rooms().t_lasttileid, 10000003);
  ASSERT_EQ(Rooms().Count(), 2);
  EXPECT_EQ(Rooms().Name(0), "<undefined>");
  EXPECT_EQ(Rooms().Find("rm_start"), 1);
  const CRoom& r = *Rooms().Get(1);
  EXPECT_EQ(r.r_caption, "Start");
  EXPECT_EQ(r.r_width, 800);
  EXPECT_EQ(r.r_speed, 60);
  EXPECT_TRUE(r.r_persistent);
  EXPECT_EQ(r.r_color, 0x102030);
  EXPECT_FALSE(r.r_showcolor);           // flags 2: no colour
  EXPECT_FALSE(r.r_clearViewBackground); // and the area outside views is kept
  EXPECT_EQ(r.r_code, "global.n = 1");
  EXPECT_TRUE(r.r_background[2].visible);
  EXPECT_EQ(r.r_background[2].x, 12);
  EXPECT_EQ(r.r_background[2].hspeed, -3);
  EXPECT_EQ(r.r_background[2].xscale, 1); // stretched, but there is no such background
  EXPECT_TRUE(r.r_enableviews);
  EXPECT_EQ(r.r_view[1].wview, 320);
  EXPECT_EQ(r.r_view[1].index, 1);
  ASSERT_EQ(r.Number(), 2);
  EXPECT_EQ(r.Instance(0)->i_id, 100005);
  EXPECT_EQ(r.Instance(0)->i_depth, 7); // the object's defaults
  EXPECT_EQ(r.Instance(0)->i_initcode, "speed = 2");
  EXPECT_EQ(r.Obj_Number_Recursive(0), 1);
  ASSERT_EQ(r.TileNumber(), 1);
  EXPECT_EQ(r.r_tile[0].depth, 1000);
  EXPECT_EQ(r.r_tile[0].id, 10000003);
  EXPECT_EQ(r.r_tile[0].w, 16);
  EXPECT_TRUE(r.r_tile[0].visible);
  EXPECT_EQ(RoomOrderFirst(), 1);
  EXPECT_EQ(RoomOrderNext(1), 0);
}

TEST_F(Rooms_, StretchedBackgroundsScaleToTheRoom) {
  // Background 0 is 200 wide and 0 high; no other exists.
  class CSizes final : public CBackgroundSizes {
  public:
    bool Size(int32_t index, int32_t& w, int32_t& h) const override {
      w = 200, h = 0;
      return index == 0;
    }
  } sizes;
  SetBackgroundSizes(&sizes);
  RGameProject project;
  project.gp_roomorder = {0};
  RPackRoom r = PackedRoom();
  r.instances.clear();
  r.backgrounds[2].index = 0;
  project.gp_rooms = {r};
  ASSERT_TRUE(test::LoadProject(project));
  SetBackgroundSizes(nullptr);
  EXPECT_EQ(Rooms().Get(0)->r_background[2].xscale, 4);
  EXPECT_EQ(Rooms().Get(0)->r_background[2].yscale, 1); // a height of 0 leaves the scale
}

TEST_F(Rooms_, SavedFormRoundTrips) {
  room.r_caption = "Saved";
  room.r_showcolor = false;
  room.r_background[7].blend = 0xFF;
  room.r_background[7].alpha = 0.5;
  room.r_background[7].x = 1.5;
  room.r_view[3].angle = 45;
  room.AddInstance(child, 1, 2);
  room.AddInstance(other, 3, 4)->i_deactivated = true;
  room.UpdateActive();
  RTile t = Tile(1.5, 2.5, 4, 4, -3.5);
  t.xscale = 2;
  t.alpha = 0.25;
  room.AddTile(t);
  room.r_tile[0].visible = false;
  CStream s;
  room.SaveGameToStream(s);
  s.Seek(0);
  CRoom back;
  ASSERT_TRUE(back.LoadGameFromStream(s));
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(back.r_caption, "Saved");
  EXPECT_FALSE(back.r_showcolor);
  EXPECT_EQ(back.r_background[7].blend, 0xFF);
  EXPECT_EQ(back.r_background[7].alpha, 0.5);
  EXPECT_EQ(back.r_background[7].x, 1.5);
  EXPECT_EQ(back.r_view[3].angle, 45);
  ASSERT_EQ(back.Number(), 1);
  ASSERT_EQ(back.Number_Deact(), 1);
  EXPECT_EQ(back.Obj_Number_Recursive(base), 1);
  EXPECT_EQ(back.r_instance_deact[0]->i_id, 100002);
  ASSERT_EQ(back.TileNumber(), 1);
  EXPECT_EQ(back.r_tile[0].depth, -3.5);
  EXPECT_EQ(back.r_tile[0].xscale, 2);
  EXPECT_FALSE(back.r_tile[0].visible);

  CStream wrong;
  wrong.WriteInteger(541);
  wrong.Seek(0);
  EXPECT_FALSE(back.LoadGameFromStream(wrong));
}

TEST_F(Rooms_, RoomTable) {
  EXPECT_EQ(Rooms().Add(), 0);
  EXPECT_EQ(Rooms().Name(0), "__newroom0");
  Rooms().Get(0)->AddInstance(base, 0, 0);
  Rooms().Get(0)->r_caption = "Zero";
  EXPECT_EQ(Rooms().Duplicate(5), -1);
  const int32_t copy = Rooms().Duplicate(0);
  EXPECT_EQ(copy, 1);
  EXPECT_EQ(Rooms().Name(1), "__newroom1");
  EXPECT_EQ(Rooms().Get(1)->r_caption, "Zero");
  EXPECT_NE(Rooms().Get(1)->Instance(0), Rooms().Get(0)->Instance(0));
  EXPECT_FALSE(Rooms().Assign(2, 0));
  EXPECT_FALSE(Rooms().Assign(0, 2));
  Rooms().t_items[1].reset();
  EXPECT_TRUE(Rooms().Assign(1, 0)); // the empty slot gets a room
  EXPECT_EQ(Rooms().Get(1)->r_caption, "Zero");
  Rooms().t_items[0].reset();
  EXPECT_TRUE(Rooms().Assign(1, 0)); // from an empty slot: an empty room
  EXPECT_EQ(Rooms().Get(1)->r_caption, "");
}

TEST_F(Rooms_, ClearingTheTableRestartsTheIdsAndEmptiesTheOrder) {
  Rooms().Add();
  Rooms().t_order = {0};
  room.AddInstance(base, 0, 0);
  room.AddTile(Tile(0, 0, 1, 1, 0));
  Rooms().ClearAll();
  EXPECT_EQ(Rooms().Count(), 0);
  EXPECT_EQ(RoomOrderFirst(), -1);
  EXPECT_EQ(room.AddInstance(base, 0, 0)->i_id, 100001);
  EXPECT_EQ(room.r_tile[size_t(room.AddTile(Tile(0, 0, 1, 1, 0)))].id, 10000001);
}

TEST_F(Rooms_, RoomOrder) {
  Rooms().t_order = {3, 1, 2};
  EXPECT_EQ(RoomOrderFirst(), 3);
  EXPECT_EQ(RoomOrderLast(), 2);
  EXPECT_EQ(RoomOrderPrevious(3), -1);
  EXPECT_EQ(RoomOrderPrevious(1), 3);
  EXPECT_EQ(RoomOrderPrevious(9), -1);
  EXPECT_EQ(RoomOrderNext(1), 2);
  EXPECT_EQ(RoomOrderNext(2), -1);
  EXPECT_EQ(RoomOrderNext(9), -1);
  Rooms().t_order = {4};
  EXPECT_EQ(RoomOrderNext(4), -1);
  EXPECT_EQ(RoomOrderPrevious(4), -1);
}

} // namespace
} // namespace vl
