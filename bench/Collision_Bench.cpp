// The collision pass of one step for 5000 moving instances of three objects with collision events
// between them (each bounces off what it meets), through the grid and by testing every pair.
#include "tests/support/Test_Sprites.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Run_Handle_Collision.h"
#include "world/World_Run.h"

#include <benchmark/benchmark.h>

using namespace vl;

namespace {

constexpr int32_t kInstances = 5000;
constexpr int32_t kWidth = 2000, kHeight = 1500;

// A collision event turns the instance around.
class CBounceHost final : public CPlayHost {
public:
  void PerformEvent(CInstance* self, CInstance*, int32_t type, int32_t number) override {
    if (type != ev_collision || !Objects().FindEvent(self->i_objectindex, type, number)) return;
    self->SetHSpeed(-self->i_hspeed);
    self->SetVSpeed(-self->i_vspeed);
    ++b_events;
  }
  void PerformEventObject(CInstance*, CInstance*, int32_t, int32_t, int32_t) override {}
  void SaveGame(const std::string&) override {}
  int64_t b_events = 0;
};

struct RBenchRoom {
  test::CSquareSprite sprites{16, 8, 8};
  CBounceHost host;
  CRoom room;

  RBenchRoom() {
    SetSpriteShapes(&sprites);
    SetPlayHost(&host);
    Objects().ClearAll();
    Rooms().t_lastinstanceid = 100000;
    int32_t objects[3];
    for (int32_t& o : objects) {
      o = Objects().Add();
      Objects().Get(o)->o_spriteindex = 0;
    }
    for (auto [a, b] : {std::pair{0, 1}, {1, 0}, {1, 2}, {2, 0}})
      Objects().Get(objects[a])->CreateEvent(ev_collision, objects[b])->AddCodeAction("");
    Build_CollisionPairs();
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int32_t i = 0; i < kInstances; ++i) {
      CInstance* inst = room.AddInstance(objects[i % 3], next() % kWidth, next() % kHeight);
      inst->SetHSpeed(double(next() % 7) - 3);
      inst->SetVSpeed(double(next() % 7) - 3);
    }
    PlayState().ps_room = &room;
  }
  ~RBenchRoom() {
    PlayState().ps_room = nullptr;
    SetPlayHost(nullptr);
    SetSpriteShapes(nullptr);
  }

  // The motion part of a step, wrapping around the room so that the density stays.
  void Move() {
    for (const auto& inst : room.r_instance) {
      inst->i_xprevious = inst->i_x;
      inst->i_yprevious = inst->i_y;
      double x = inst->i_x + inst->i_hspeed, y = inst->i_y + inst->i_vspeed;
      x = x < 0 ? x + kWidth : x >= kWidth ? x - kWidth : x;
      y = y < 0 ? y + kHeight : y >= kHeight ? y - kHeight : y;
      inst->SetPosition(x, y);
    }
  }
};

void BM_CollisionStep(benchmark::State& state) {
  const auto search = ECollisionSearch(state.range(0));
  RBenchRoom bench;
  for (auto _ : state) {
    state.PauseTiming();
    bench.Move();
    state.ResumeTiming();
    Handle_Collisions(search);
  }
  state.counters["events_per_step"] = double(bench.host.b_events) / double(state.iterations());
}
BENCHMARK(BM_CollisionStep)
    ->ArgName("search")
    ->Arg(int(ECollisionSearch::Auto))
    ->Arg(int(ECollisionSearch::AllPairs))
    ->Unit(benchmark::kMillisecond);

} // namespace
