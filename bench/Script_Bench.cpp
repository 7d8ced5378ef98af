// Compile speed of the script compiler in bytes of source per second, on generated code that looks
// like game code: assignments, calls, conditions, loops, arrays, scoped access, strings and comments.
#include "script/Code_Main.h"
#include "script/Code_Names.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

class CBenchNames final : public vl::CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override {
    if (name == "instance_create") return 1;
    if (name == "draw_text") return 2;
    if (name == "point_distance") return 3;
    if (name == "string") return 4;
    return -1;
  }
  int32_t FunctionArgCount(int32_t id) const override { return id == 4 ? 1 : id == 2 ? 3 : id == 1 ? 3 : 4; }
  bool LookupName(std::string_view name, vl::RValue& value) const override {
    if (name == "obj_enemy")
      value = vl::RValue(3.0);
    else if (name == "c_white")
      value = vl::RValue(16777215.0);
    else
      return false;
    return true;
  }
};

std::string GameLikeCode(size_t bytes) {
  static const char* piece = R"(// move towards the player and shoot now and then
var dx, dy, d;
dx = other.x - x; dy = other.y - y;
d = point_distance(x, y, other.x, other.y);
if (d > 0 && d < range * 2) {
  hspeed += dx / d * accel; vspeed += dy / d * accel;
} else if (hp <= 0) { instance_create(x, y, obj_enemy); exit; }
for (i = 0; i < 8; i += 1) { cells[i, j] = cells[i, j] * 0.5 + (i mod 3) * $1F; }
switch (state) { case 0: state = 1; break; case "idle": timer -= 1; default: timer = 30; }
/* the score line */ draw_text(10, 10, "Score: " + string(global.score));
with (obj_enemy) { if (hp < 10) hp += 1 }
repeat (3) { shots[shots_n] = c_white; shots_n += 1; }
)";
  std::string text;
  while (text.size() < bytes) text += piece;
  return text;
}

void BM_Compile(benchmark::State& state) {
  static const CBenchNames names;
  vl::SetCodeNames(&names);
  const std::string text = GameLikeCode(size_t(state.range(0)));
  for (auto _ : state) {
    vl::CCode code(text, false);
    if (!code.Compile()) state.SkipWithError("compile failed");
    benchmark::DoNotOptimize(code.i_token.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

} // namespace

// One action's worth of code, a long script and a very large one.
BENCHMARK(BM_Compile)->Arg(600)->Arg(16 << 10)->Arg(1 << 20);
