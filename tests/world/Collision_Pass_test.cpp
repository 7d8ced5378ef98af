// The collision pass: the pair list from events through parents, the order of the events, solid
// handling with speeds and paths, instances destroyed and created while it runs; and the grid
// search against testing every pair on random rooms.
#include "library/Path_Class.h"
#include "tests/world/World_Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Run_Handle_Collision.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace vl {
namespace {

// Performs collision events as the runner would find them (through parents on both sides) and
// records them as "self>other"; what the event does is a test's function of self and other.
class CCollisionHost final : public CPlayHost {
public:
  void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) override {
    if (type != ev_collision || !Objects().FindEvent(self->i_objectindex, type, number)) return;
    h_log += (h_log.empty() ? "" : " ") + std::to_string(self->i_id) + ">" + std::to_string(other->i_id);
    if (h_action) h_action(*self, *other);
  }
  void PerformEventObject(CInstance*, CInstance*, int32_t, int32_t, int32_t) override {}
  void SaveGame(const std::string&) override {}

  std::string h_log;
  std::function<void(CInstance& self, CInstance& other)> h_action;
};

constexpr ECollisionSearch kSearches[] = {ECollisionSearch::Grid, ECollisionSearch::AllPairs,
                                          ECollisionSearch::Auto};

class Collisions : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    sprites.t_sprites[0] = RSpriteShape{1, RBounds{0, 0, 15, 15}, 0, 0}; // 16 x 16 from its position
    SetSpriteShapes(&sprites);
    SetPlayHost(&host);
    PlayState().ps_room = &room;
  }
  void TearDown() override {
    room.ClearInstances();
    test::ResetWorld();
  }

  // An object with the sprite, a parent, solidity and collision events with the objects given.
  int32_t Object(int32_t parent = -1, bool solid = false) {
    const int32_t index = Objects().Add();
    Objects().SetParent(index, parent);
    Objects().Get(index)->o_spriteindex = 0;
    Objects().Get(index)->o_solid = solid;
    return index;
  }
  void Collides(int32_t object, int32_t with) {
    Objects().Get(object)->CreateEvent(ev_collision, with)->AddCodeAction("x = 1");
  }
  // Ids from 1 in the order added, so that logs read short.
  CInstance* Add(int32_t object, double x, double y) {
    CInstance* inst = room.AddInstance(object, x, y);
    inst->i_id = int32_t(room.Number());
    return inst;
  }
  // Runs the pass once per search on the room as set up by build; each log must equal expected.
  void ExpectLog(const std::function<void()>& build, const std::string& expected) {
    for (ECollisionSearch search : kSearches) {
      room.ClearInstances();
      host.h_log.clear();
      build();
      Build_CollisionPairs();
      Handle_Collisions(search);
      EXPECT_EQ(host.h_log, expected) << "search " << int(search);
    }
  }

  test::CTestSprites sprites;
  CCollisionHost host;
  CRoom room;
};

TEST_F(Collisions, PairsComeFromEventsOnEitherSideThroughParents) {
  const int32_t wall = Object(), parent = Object(), child = Object(parent), plain = Object();
  const int32_t watcher = Object();
  Collides(parent, wall);     // (wall, parent) and, inherited, (wall, child)
  Collides(watcher, parent);  // (parent, watcher) and, through the parent of child, (child, watcher)
  Collides(watcher, watcher); //
  Objects().Delete(plain);
  Build_CollisionPairs();
  const std::vector<RCollisionPair> expected = {
      {wall, parent}, {wall, child}, {parent, watcher}, {child, watcher}, {watcher, watcher}};
  EXPECT_EQ(CollisionPairs(), expected);
}

TEST_F(Collisions, EventsInPairOrderThenListOrderWithParentsAndSelfPairs) {
  const int32_t a = Object(), b = Object(), c = Object(b), s = Object();
  Collides(a, b); // a meets b and, through the parent, c; b and c have no event of their own
  Collides(s, s);
  ExpectLog(
      [&] {
        Add(a, 0, 0);   // 1
        Add(b, 4, 4);   // 2
        Add(c, 8, 0);   // 3
        Add(a, 10, 10); // 4
        Add(s, 100, 0); // 5
        Add(s, 104, 0); // 6
        Add(s, 200, 0); // 7: meets none
        Add(s, 108, 0); // 8
      },
      "1>2 4>2 1>3 4>3 5>6 6>5 5>8 8>5 6>8 8>6");
}

TEST_F(Collisions, InstancesDestroyedOrCreatedByTheEventsOfThePass) {
  const int32_t a = Object(), b = Object();
  Collides(a, b);
  // 1 destroys itself at its first meeting; 4 creates a b where 5 lies, which 5 meets in this pass
  // (its row starts after the creation) and 4 does not (its row was counted before).
  host.h_action = [&](CInstance& self, CInstance&) {
    if (self.i_id == 1) self.i_marked = true;
    if (self.i_id == 4) Add(b, 300, 0)->i_id = 9;
  };
  ExpectLog(
      [&] {
        Add(a, 0, 0);   // 1
        Add(b, 4, 0);   // 2
        Add(b, 8, 0);   // 3
        Add(a, 104, 0); // 4
        Add(a, 296, 0); // 5
        Add(b, 100, 0); // 6
      },
      "1>2 4>6 5>9");
}

TEST_F(Collisions, SolidsGoBackMeetAndMoveOnceMore) {
  struct RCase {
    const char* what;
    bool solid, events;
    double hspeed_after; // the ball's speed set by its event
    double seen, after;  // the ball's x in its event and after the pass
  };
  const RCase cases[] = {
      {"bounces off", true, true, -10, 10, 0},
      {"keeps pushing: back again", true, true, 10, 10, 10},
      {"not solid: stays inside", false, true, 10, 20, 20},
      {"solid, no event between them", true, false, 10, -1, 20},
  };
  for (const RCase& c : cases) {
    SetUp();
    const int32_t ball = Object(), wall = Object(-1, c.solid);
    if (c.events) Collides(ball, wall);
    double seen = -1;
    host.h_action = [&](CInstance& self, CInstance&) {
      if (self.i_objectindex != ball) return;
      seen = self.i_x;
      self.SetHSpeed(c.hspeed_after);
    };
    CInstance* inst = Add(ball, 20, 0); // moved from 10 by its speed: into the wall
    inst->i_xprevious = 10;
    inst->SetHSpeed(10);
    Add(wall, 30, 0);
    Build_CollisionPairs();
    Handle_Collisions();
    EXPECT_EQ(seen, c.seen) << c.what;
    EXPECT_EQ(inst->i_x, c.after) << c.what;
    TearDown();
  }
}

TEST_F(Collisions, SolidOnAPathGoesBackAlongThePath) {
  const int32_t path = Paths().Add();
  Paths().Get(path)->AddPoint(0, 0, 100);
  Paths().Get(path)->AddPoint(100, 0, 100);
  const int32_t ball = Object(), wall = Object(-1, true);
  Collides(ball, wall);
  CInstance* inst = Add(ball, 0, 0);
  inst->Assign_Path(path, 10, CInstance::kPathStop, true, 1, 0);
  Add(wall, 20, 0);
  inst->i_xprevious = inst->i_x;
  inst->SetPathPositionPrevious(inst->i_pathposition);
  inst->Adapt_Path(); // to x 10, into the wall
  ASSERT_EQ(inst->i_x, 10);
  std::vector<double> seen;
  host.h_action = [&](CInstance& self, CInstance&) { seen = {self.i_x, self.i_pathposition}; };
  Build_CollisionPairs();
  Handle_Collisions();
  // Back to the start for the event; one more step along the path meets the wall again: back.
  EXPECT_EQ(seen, (std::vector<double>{0, 0}));
  EXPECT_EQ(inst->i_x, 0);
  EXPECT_EQ(inst->i_pathposition, 0);
}

// Masks with holes: two overlapping boxes meet only at some offsets, so the precise test decides.
class CHoleyMasks final : public CSpriteShapes {
public:
  bool Shape(int32_t sprite, RSpriteShape& shape) const override {
    if (sprite == 0) shape = RSpriteShape{1, RBounds{0, 0, 11, 11}, 0, 0};
    if (sprite == 1) shape = RSpriteShape{1, RBounds{0, 0, 23, 7}, 12, 4};
    return sprite == 0 || sprite == 1;
  }
  bool MaskPoint(const RMaskPlace&, int32_t, int32_t) const override { return true; }
  bool MaskRectangle(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskEllipse(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskLine(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return true; }
  bool MaskInstance(const RMaskPlace& a, const RMaskPlace& b) const override {
    return (std::abs(a.mp_x - b.mp_x) + std::abs(a.mp_y - b.mp_y)) % 5 != 0;
  }
};

// A random room of thousands of instances of six objects (parents, solids, self pairs, one object
// without a sprite, a few huge boxes) runs three steps of motion and collisions; the events move,
// bounce, resize, create, destroy and deactivate instances. Every search must give the literal loop's events,
// in its order, and the same instances in the same places.
TEST_F(Collisions, GridGivesTheEventsOfEveryPairOnRandomRooms) {
  CHoleyMasks masks;
  SetSpriteShapes(&masks);
  const int32_t o0 = Object(), o1 = Object(), o2 = Object(-1, true), o3 = Object(o1), o4 = Object(o3, true);
  const int32_t o5 = Object();
  Objects().Get(o1)->o_spriteindex = 1;
  Objects().Get(o5)->o_spriteindex = -1;
  Collides(o0, o1);
  Collides(o1, o1);
  Collides(o2, o0);
  Collides(o3, o2);
  Collides(o4, o4);
  Collides(o5, o0);
  Build_CollisionPairs();

  std::mt19937 events;
  host.h_action = [&](CInstance& self, CInstance& other) {
    host.h_log += "@" + std::to_string(int(self.i_x)) + "," + std::to_string(int(self.i_y));
    switch (events() % 10) {
    case 0:
      self.SetPosition(self.i_x + double(events() % 41) - 20, self.i_y + double(events() % 41) - 20);
      break;
    case 1: self.SetHSpeed(-self.i_hspeed); break;
    case 2: room.AddInstance(int32_t(events() % 6), self.i_x + double(events() % 9), self.i_y); break;
    case 3: other.i_marked = true; break;
    case 4: self.SetImageScaleX(0.5 + double(events() % 5)); break;
    case 5: self.i_marked = true; break;
    case 6: // leaves the lists, as deactivation does: the later instances move up
      if (events() % 4 == 0) {
        other.i_deactivated = true;
        room.UpdateActive();
      }
      break;
    default: break;
    }
  };

  auto play = [&](ECollisionSearch search) {
    room.ClearInstances();
    room.r_instance_deact.clear();
    Rooms().t_lastinstanceid = CRoomTable::kInstanceIdBase;
    host.h_log.clear();
    events.seed(7);
    std::mt19937 place(11);
    for (int32_t i = 0; i < 2500; ++i) {
      CInstance* inst =
          room.AddInstance(int32_t(place() % 6), double(place() % 1200), double(place() % 1200));
      inst->SetHSpeed(double(place() % 9) - 4);
      inst->SetVSpeed(double(place() % 9) - 4);
      if (i % 500 == 0) inst->SetImageScaleY(40);
    }
    std::string state;
    for (int32_t step = 0; step < 3; ++step) {
      for (const auto& inst : room.r_instance) {
        inst->i_xprevious = inst->i_x;
        inst->i_yprevious = inst->i_y;
        inst->SetPosition(inst->i_x + inst->i_hspeed, inst->i_y + inst->i_vspeed);
      }
      Handle_Collisions(search);
      room.RemoveMarked();
    }
    for (const auto* list : {&room.r_instance, &room.r_instance_deact})
      for (const auto& inst : *list)
        state += std::to_string(inst->i_id) + ":" + std::to_string(inst->i_x) + "," +
                 std::to_string(inst->i_y) + " ";
    return std::make_pair(host.h_log, state);
  };

  const auto reference = play(ECollisionSearch::AllPairs);
  EXPECT_GT(std::count(reference.first.begin(), reference.first.end(), '>'), 1000);
  for (ECollisionSearch search : {ECollisionSearch::Grid, ECollisionSearch::Auto}) {
    const auto found = play(search);
    EXPECT_TRUE(found.first == reference.first) << "search " << int(search);
    EXPECT_TRUE(found.second == reference.second) << "search " << int(search);
  }
}

} // namespace
} // namespace vl
