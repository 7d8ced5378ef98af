// Loading a 64 MiB game: unscrambling with verification alone, and the whole load from disk.
#include "data/Game_File.h"
#include "platform/Platform.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "tools/writer/Game_Writer.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using namespace vl;

namespace {

constexpr size_t kGameSize = 64u << 20;

// A game whose carried library is 64 MiB of incompressible bytes, so the file is about 64 MiB.
const CStream& Game() {
  static const CStream game = [] {
    RGameProject p;
    p.gp_game.gd_libraryname = "D3DX8.dll";
    p.gp_roomorder = {0};
    p.gp_library.resize(kGameSize);
    std::mt19937 rng(7);
    for (size_t i = 0; i < kGameSize; i += 4) {
      const uint32_t r = rng();
      std::memcpy(p.gp_library.data() + i, &r, 4);
    }
    CStream s;
    s.SetSize(kMarkerSearchStart);
    const std::vector<uint8_t> data = WriteGameData(p, kMarkerSearchStart);
    s.Seek(kMarkerSearchStart);
    s.WriteBuffer(data.data(), data.size());
    return s;
  }();
  return game;
}

void BM_UnscrambleAndVerify(benchmark::State& state) {
  const CStream& game = Game();
  CStream work;
  for (auto _ : state) {
    state.PauseTiming();
    work = CStream(game.Bytes());
    state.ResumeTiming();
    if (!Game_Unscramble(work, kMarkerSearchStart)) state.SkipWithError("checksum mismatch");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(game.Size() - kMarkerSearchStart));
}
BENCHMARK(BM_UnscrambleAndVerify)->Unit(benchmark::kMillisecond);

void BM_WholeLoad(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "vl_bench_container";
  fs::create_directories(dir / "temp");
  const std::string path = (dir / "game.vlg").string();
  Game().SaveToFile(path);
  auto services = CreateHeadlessServices();
  Wire_Runner(*services);
  for (auto _ : state) {
    Reset_Runner();
    Runner().rn_tempfolder = (dir / "temp").string();
    Runner().rn_options.ro_exepath = path;
    if (!Load_GameFile()) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Game().Size()));
  Reset_Runner();
  Unwire_Runner();
  fs::remove_all(dir);
}
BENCHMARK(BM_WholeLoad)->Unit(benchmark::kMillisecond);

} // namespace
