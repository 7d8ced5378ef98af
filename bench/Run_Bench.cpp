// The step of a room with 10000 instances of one object whose step event runs a few statements,
// headless, for 1000 steps; beside it the same step without a step event, and the step event's code
// run by the interpreter alone for every instance, which together give the interpreter's share.
#include "platform/Platform.h"
#include "runner/Event_Main.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Variable_World.h"
#include "world/World_Run.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace vl;

namespace {

constexpr int32_t kInstances = 10000;
constexpr int64_t kSteps = 1000;
constexpr const char* kStepCode = "x += 1; if (x > 640) x = 0; count += 1; y = count mod 480";

struct RBenchGame {
  std::unique_ptr<TServices> services = CreateHeadlessServices();

  explicit RBenchGame(bool withStep) {
    Wire_Runner(*services);
    Reset_Runner();
    Rooms().t_order = {0};
    const int32_t object = Objects().Add();
    Objects().Get(object)->CreateEvent(ev_create, 0)->AddCodeAction("count = 0");
    if (withStep) Objects().Get(object)->CreateEvent(ev_step, 0)->AddCodeAction(kStepCode);
    Objects().CompileAll();
    CRoom* room = Rooms().Get(Rooms().Add());
    for (int32_t i = 0; i < kInstances; ++i) room->AddInstance(object, i % 640, i / 640);
    Game_Start();
  }
  ~RBenchGame() {
    Game_End();
    Reset_Runner();
    Unwire_Runner();
  }
};

void BM_StepWithStepEvents(benchmark::State& state) {
  RBenchGame game(true);
  for (auto _ : state) Run_Step();
  state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_StepWithStepEvents)->Iterations(kSteps)->Unit(benchmark::kMicrosecond);

void BM_StepWithoutStepEvents(benchmark::State& state) {
  RBenchGame game(false);
  for (auto _ : state) Run_Step();
  state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_StepWithoutStepEvents)->Iterations(kSteps)->Unit(benchmark::kMicrosecond);

// The step event's code for every instance, straight through the interpreter.
void BM_InterpreterOnly(benchmark::State& state) {
  RBenchGame game(false);
  CCode code(kStepCode, false);
  code.Compile();
  CRoom& room = *PlayState().ps_room;
  RValue result;
  for (auto _ : state)
    for (const auto& inst : room.r_instance) RunCode(inst.get(), inst.get(), code, result);
  state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_InterpreterOnly)->Iterations(kSteps)->Unit(benchmark::kMicrosecond);

} // namespace
