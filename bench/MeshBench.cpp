#include <benchmark/benchmark.h>

#include "app/AQVGrid.h"

namespace {

using aqv::TMeshInput;

TMeshInput CentralWell(int density) {
  return {density, 4000, 0, 0, {{0, 0, 0.1}}, {}};
}

TMeshInput TwoDistantWells(int density) {
  return {density, 6000, 0, 0, {{-500, 0, 0.15}, {500, 0, 0.1}}, {}};
}

template <TMeshInput (*Layout)(int)>
void BM_GenerateMesh(benchmark::State& state) {
  aqv::TAQVGrid grid;
  const TMeshInput input = Layout(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!aqv::IsSuccess(grid.Generate(input))) state.SkipWithError("generation failed");
    benchmark::DoNotOptimize(grid.NodeCount());
  }
  state.counters["nodes"] = grid.NodeCount();
  state.counters["elements"] = grid.ElementCount();
}

BENCHMARK(BM_GenerateMesh<CentralWell>)->DenseRange(1, 10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateMesh<TwoDistantWells>)->DenseRange(1, 10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
