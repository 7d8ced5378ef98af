// Containers at the sizes real games reach: 100000-element lists, maps and priority queues, and
// region sums over a 1000 x 1000 grid.
#include "datastructures/Support_Data_Structures.h"
#include "library/Support_Random.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace vl;

constexpr int kCount = 100000;

// Keys in a scrambled order, the same on every run.
double Key(int i) {
  return double((uint64_t(i) * 2654435761u) % 1000003);
}

void BM_ListAddAndFindValue(benchmark::State& state) {
  for (auto _ : state) {
    CDS_List li;
    for (int i = 0; i < kCount; ++i) li.Add(RValue(Key(i)));
    double sum = 0;
    for (int i = 0; i < kCount; ++i) sum += li.GetValue(i).Real();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ListAddAndFindValue)->Unit(benchmark::kMillisecond);

void BM_ListSort(benchmark::State& state) {
  CDS_List base;
  for (int i = 0; i < kCount; ++i) base.Add(RValue(Key(i)));
  for (auto _ : state) {
    CDS_List li;
    li.Assign(&base);
    li.Sort(state.range(0) != 0);
    benchmark::DoNotOptimize(li.GetValue(0));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ListSort)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ListShuffle(benchmark::State& state) {
  CDS_List li;
  for (int i = 0; i < kCount; ++i) li.Add(RValue(double(i)));
  for (auto _ : state) li.Shuffle();
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ListShuffle)->Unit(benchmark::kMillisecond);

void BM_MapAddRandomKeys(benchmark::State& state) {
  for (auto _ : state) {
    CDS_Map ma;
    for (int i = 0; i < kCount; ++i) ma.Add(RValue(Key(i)), RValue(double(i)));
    benchmark::DoNotOptimize(ma.Size());
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MapAddRandomKeys)->Unit(benchmark::kMillisecond);

void BM_MapAddStringKeys(benchmark::State& state) {
  std::vector<RValue> keys;
  for (int i = 0; i < kCount; ++i) keys.emplace_back(std::string_view("key" + std::to_string(Key(i))));
  for (auto _ : state) {
    CDS_Map ma;
    for (int i = 0; i < kCount; ++i) ma.Add(keys[i], RValue(double(i)));
    benchmark::DoNotOptimize(ma.Size());
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MapAddStringKeys)->Unit(benchmark::kMillisecond);

void BM_MapFindAndIterate(benchmark::State& state) {
  CDS_Map ma;
  for (int i = 0; i < kCount; ++i) ma.Add(RValue(Key(i)), RValue(double(i)));
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kCount; ++i) sum += ma.Find(RValue(Key(i))).Real();
    int n = 0;
    for (RValue k = ma.FindFirst(); n < kCount; k = ma.FindNext(k)) ++n;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCount * 2);
}
BENCHMARK(BM_MapFindAndIterate)->Unit(benchmark::kMillisecond);

void BM_MapDeleteAll(benchmark::State& state) {
  CDS_Map base;
  for (int i = 0; i < kCount; ++i) base.Add(RValue(Key(i)), RValue(double(i)));
  for (auto _ : state) {
    state.PauseTiming();
    CDS_Map ma;
    ma.Assign(&base);
    state.ResumeTiming();
    for (int i = 0; i < kCount; ++i) ma.Delete(RValue(Key(i)));
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MapDeleteAll)->Unit(benchmark::kMillisecond);

void BM_PriorityAddDeleteMin(benchmark::State& state) {
  for (auto _ : state) {
    CDS_Priority pr;
    for (int i = 0; i < kCount; ++i) pr.Add(RValue(double(i)), RValue(Key(i)));
    double sum = 0;
    for (int i = 0; i < kCount; ++i) sum += pr.DeleteMin().Real();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCount * 2);
}
BENCHMARK(BM_PriorityAddDeleteMin)->Unit(benchmark::kMillisecond);

// The open list of a path search: priorities lowered by value, then the minimum taken.
void BM_PriorityChangeAndDeleteMin(benchmark::State& state) {
  for (auto _ : state) {
    CDS_Priority pr;
    for (int i = 0; i < kCount; ++i) pr.Add(RValue(double(i)), RValue(Key(i) + 1000000));
    for (int i = 0; i < kCount; ++i) pr.Change(RValue(double(i)), RValue(Key(i)));
    double sum = 0;
    for (int i = 0; i < kCount; ++i) sum += pr.DeleteMin().Real();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCount * 3);
}
BENCHMARK(BM_PriorityChangeAndDeleteMin)->Unit(benchmark::kMillisecond);

void BM_PriorityFindMaxWithEqualPriorities(benchmark::State& state) {
  CDS_Priority pr;
  for (int i = 0; i < kCount; ++i) pr.Add(RValue(double(i)), RValue(double(i % 10)));
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kCount; ++i) sum += pr.FindMax().Real();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_PriorityFindMaxWithEqualPriorities)->Unit(benchmark::kMillisecond);

void BM_GridRegionSum(benchmark::State& state) {
  CDS_Grid g;
  g.Create(1000, 1000);
  g.Clear(RValue(1.5));
  for (auto _ : state) benchmark::DoNotOptimize(g.Get_Sum(0, 0, 999, 999));
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_GridRegionSum)->Unit(benchmark::kMillisecond);

void BM_GridDiskSum(benchmark::State& state) {
  CDS_Grid g;
  g.Create(1000, 1000);
  g.Clear(RValue(1.5));
  for (auto _ : state) benchmark::DoNotOptimize(g.Get_Disk_Sum(500, 500, 500));
}
BENCHMARK(BM_GridDiskSum)->Unit(benchmark::kMillisecond);

void BM_GridAddRegion(benchmark::State& state) {
  CDS_Grid g;
  g.Create(1000, 1000);
  for (auto _ : state) g.Region_Operation(2, 0, 0, 999, 999, RValue(1.0));
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_GridAddRegion)->Unit(benchmark::kMillisecond);

void BM_ListWriteRead(benchmark::State& state) {
  CDS_List li;
  for (int i = 0; i < kCount; ++i) li.Add(i % 2 ? RValue(Key(i)) : RValue(std::string_view("text")));
  for (auto _ : state) {
    CDS_List back;
    back.ReadFromString(li.WriteToString());
    benchmark::DoNotOptimize(back.Size());
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ListWriteRead)->Unit(benchmark::kMillisecond);

} // namespace
