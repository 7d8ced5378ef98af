// One step of motion for 10000 instances: a third slowing by friction, a third falling with gravity
// and a third following paths (closed smooth ones that restart, open straight ones that reverse),
// each through Adapt_Speed, Adapt_Path and SetPosition as the step moves them. Also the per-object
// iteration and the look-up by id that events and `with` use.
#include "library/Path_Class.h"
#include "tests/support/Test_Sprites.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace vl;

namespace {

constexpr int32_t kInstances = 10000;

struct RBenchWorld {
  test::CSquareSprite sprites{16, 8, 8};
  CRoom room;
  int32_t objects[3];

  RBenchWorld() {
    SetSpriteShapes(&sprites);
    Objects().ClearAll();
    Paths().ClearAll();
    Rooms().t_lastinstanceid = 100000;
    const int32_t base = Objects().Add();
    for (int32_t& o : objects) {
      o = Objects().Add();
      Objects().SetParent(o, base);
      Objects().Get(o)->o_spriteindex = 0;
    }
    const int32_t smooth = Paths().Add();
    CPath& loop = *Paths().Get(smooth);
    loop.SetKind(1);
    for (auto [x, y] : {std::pair{0, 0}, {200, 0}, {200, 150}, {0, 150}}) loop.AddPoint(x, y, 100);
    const int32_t straight = Paths().Add();
    CPath& line = *Paths().Get(straight);
    line.SetClosed(false);
    line.AddPoint(0, 0, 100);
    line.AddPoint(300, 100, 50);

    for (int32_t i = 0; i < kInstances; ++i) {
      const int32_t kind = i % 3;
      CInstance* inst = room.AddInstance(objects[kind], i % 640, (i / 640) * 16);
      if (kind == 0) {
        inst->i_friction = 0.01;
        inst->SetDirection(i % 360);
        inst->SetSpeed(1000); // slows for the whole run
      } else if (kind == 1) {
        inst->i_gravity = 0.001;
        inst->SetHSpeed(0.5);
      } else if (i % 2) {
        inst->Assign_Path(smooth, 3, CInstance::kPathRestart, false, 1, i % 90);
      } else {
        inst->Assign_Path(straight, -2, CInstance::kPathReverse, false, 0.5, 0);
      }
    }
  }
  ~RBenchWorld() { SetSpriteShapes(nullptr); }

  // The motion part of a step.
  void Step() {
    for (int32_t i = 0; i < room.Number(); ++i) {
      CInstance& inst = *room.Instance(i);
      inst.i_xprevious = inst.i_x;
      inst.i_yprevious = inst.i_y;
      inst.i_pathpositionprevious = inst.i_pathposition;
      inst.Adapt_Speed();
      inst.Adapt_Path();
      if (inst.i_hspeed != 0 || inst.i_vspeed != 0)
        inst.SetPosition(inst.i_x + inst.i_hspeed, inst.i_y + inst.i_vspeed);
    }
    room.RemoveMarked();
  }
};

void BM_MotionStep(benchmark::State& state) {
  RBenchWorld world;
  for (auto _ : state) world.Step();
  state.counters["instances"] = world.room.Number();
  state.counters["ns_per_instance"] =
      benchmark::Counter(double(world.room.Number()) * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MotionStep)->Unit(benchmark::kMicrosecond);

// Visiting the instances of an object and its descendants, and finding instances by id.
void BM_ObjectIterationAndLookup(benchmark::State& state) {
  RBenchWorld world;
  const int32_t base = 0;
  int64_t sum = 0;
  for (auto _ : state) {
    for (CInstance* inst : world.room.ObjectListRecursive(base)) sum += inst->i_id;
    for (int32_t id = 100001; id <= 100000 + kInstances; id += 7)
      sum += world.room.FindInstance(id) != nullptr;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ObjectIterationAndLookup)->Unit(benchmark::kMicrosecond);

// Destroying one instance in a hundred and removing them once, as the step does.
void BM_RemoveMarked(benchmark::State& state) {
  std::unique_ptr<RBenchWorld> world;
  for (auto _ : state) {
    state.PauseTiming();
    world.reset(); // the previous world goes outside the timed part
    world = std::make_unique<RBenchWorld>();
    for (int32_t i = 0; i < world->room.Number(); i += 100) world->room.Instance(i)->i_marked = true;
    state.ResumeTiming();
    world->room.RemoveMarked();
  }
}
BENCHMARK(BM_RemoveMarked)->Unit(benchmark::kMicrosecond);

} // namespace
