// Speed of the document's computations as the time graph and the optimiser use them: the
// cases by which the engine is judged, on 1 and on 8 worker threads.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"

namespace aqv {
namespace {

// Two aquifers with a leaky top aquitard with storage and a middle aquitard; one pumping well
// in aquifer 1; five observation wells 5 to 300 m away, three in aquifer 1 and two in 2.
std::unique_ptr<TAQVData> MakeTwoAquiferTest() {
  auto d = std::make_unique<TAQVData>();
  d->SetAquiferCount(2);
  d->T[1] = 500;
  d->T[2] = 1500;
  d->S[1] = 1e-4;
  d->S[2] = 5e-4;
  d->Resistance[1] = 2000;
  d->SAquitard[1] = 1e-3;
  d->Resistance[2] = 500;
  d->SetTopAquitardImpervious(false);
  d->SetObservationWellCount(5);
  const double distance[] = {5, 20, 60, 150, 300};
  for (int j = 1; j <= 5; ++j) {
    TObservationWell& obs = d->ObservationWells[j];
    obs.X = distance[j - 1];
    obs.Y = 0;
    obs.Layer = j <= 3 ? 1 : 2;
  }
  d->GroupCoincidentWells();
  d->AssignCurveStyles();
  d->SelectCurves();
  return d;
}

void BM_TypicalGraph(benchmark::State& state) {
  SetWorkerCount(static_cast<int>(state.range(0)));
  auto d = MakeTwoAquiferTest();
  d->SetStehfestTerms(10);
  d->SetTimesPerLogCycle(10);
  d->SetUpperLayer(1);
  d->SetLowerLayer(2);
  for (auto _ : state) {
    d->CurvesValid = false;
    d->BuildCurveTimes();
    benchmark::DoNotOptimize(d->CurveValues.data());
  }
  const double evaluations = 10.0 * d->OutputTimeCount();
  state.counters["times"] = d->OutputTimeCount();
  state.counters["LaplaceEvals/s"] =
      benchmark::Counter(evaluations, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TypicalGraph)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HeavyGraph(benchmark::State& state) {
  SetWorkerCount(static_cast<int>(state.range(0)));
  auto d = MakeTwoAquiferTest();
  d->SetPumpingWellCount(2);
  for (int w = 1; w <= 2; ++w) {
    TPumpingWell& well = d->PumpingWells[w];
    well.X = 100.0 * (w - 1);
    well.SetPeriodCount(100);
    for (int p = 1; p <= 100; ++p) {
      well.StartTime[p] = 0.5 * (p - 1) + 0.1 * w;
      well.Discharge[p] = 800 + 10 * (p % 7);
    }
  }
  d->SetStehfestTerms(16);
  d->SetTimesPerLogCycle(40);
  for (auto _ : state) {
    d->CurvesValid = false;
    d->BuildCurveTimes();
    benchmark::DoNotOptimize(d->CurveValues.data());
  }
  state.counters["times"] = d->OutputTimeCount();
}
BENCHMARK(BM_HeavyGraph)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// One aquifer, two pumping wells, one observation well, ten output times: so little work that
// handing it to other threads costs more than it saves.
void BM_SmallGraph(benchmark::State& state) {
  SetWorkerCount(static_cast<int>(state.range(0)));
  auto d = std::make_unique<TAQVData>();
  d->SetAquiferCount(1);
  d->T[1] = 500;
  d->S[1] = 1e-4;
  d->SetPumpingWellCount(2);
  d->PumpingWells[2].X = 50;
  d->PumpingWells[2].Screened[1] = true;
  d->PumpingWells[2].Included[0] = true;
  d->PumpingWells[2].Included[1] = true;
  d->PumpingWells[2].Discharge[1] = 400;
  d->SetObservationWellCount(1);
  d->ObservationWells[1].X = 20;
  d->GroupCoincidentWells();
  d->AssignCurveStyles();
  d->SelectCurves();
  d->SetStartingTime(0.01);
  d->SetStoppingTime(1);
  d->SetTimesPerLogCycle(3);
  d->SetStehfestTerms(10);
  for (auto _ : state) {
    d->CurvesValid = false;
    d->BuildCurveTimes();
    benchmark::DoNotOptimize(d->CurveValues.data());
  }
  state.counters["times"] = d->OutputTimeCount();
}
BENCHMARK(BM_SmallGraph)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ObservationDrawdowns(benchmark::State& state) {
  SetWorkerCount(static_cast<int>(state.range(0)));
  auto d = MakeTwoAquiferTest();
  TPumpingWell& well = d->PumpingWells[1];
  well.SetPeriodCount(3);
  well.StartTime[2] = 2;
  well.Discharge[2] = 1200;
  well.StartTime[3] = 5;
  well.Discharge[3] = 0;
  for (int j = 1; j <= 5; ++j) {
    d->SetObservationCount(j, 1000);
    for (int k = 1; k <= 1000; ++k)
      d->ObservationWells[j].Time[k] = 1e-4 * std::pow(1e5, (k - 1) / 999.0);
  }
  d->CollectIncludedObservations();
  for (auto _ : state) {
    d->ComputeObservationDrawdowns();
    benchmark::DoNotOptimize(d->FitComputed.Data());
  }
}
BENCHMARK(BM_ObservationDrawdowns)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// 5000 observations of five loggers read at the same fixed interval (one per minute) while two
// pumping wells run periods that start together: all observations at one time share the
// Laplace parameters. Arg 1: the worker count; arg 2: 1 when every well's logger is offset by a
// few seconds, so that no two observations share a time.
void BM_ObservationDrawdownsLoggers(benchmark::State& state) {
  SetWorkerCount(static_cast<int>(state.range(0)));
  const bool offset = state.range(1) != 0;
  auto d = MakeTwoAquiferTest();
  d->SetPumpingWellCount(2);
  for (int w = 1; w <= 2; ++w) {
    TPumpingWell& well = d->PumpingWells[w];
    well.X = 80.0 * (w - 1);
    well.Screened[1] = true;
    well.Screened[2] = w == 2;
    well.SetPeriodCount(2);
    well.StartTime[1] = 0;
    well.Discharge[1] = 600 + 200 * w;
    well.StartTime[2] = 0.5;
    well.Discharge[2] = 300;
    for (int p = 0; p <= 2; ++p) well.Included[p] = true;
  }
  constexpr double kMinute = 1.0 / 1440.0;
  for (int j = 1; j <= 5; ++j) {
    d->SetObservationCount(j, 1000);
    const double shift = offset ? j * 3.0 / 86400.0 : 0.0;
    for (int k = 1; k <= 1000; ++k) d->ObservationWells[j].Time[k] = k * kMinute + shift;
  }
  d->CollectIncludedObservations();
  for (auto _ : state) {
    d->ComputeObservationDrawdowns();
    benchmark::DoNotOptimize(d->FitComputed.Data());
  }
}
BENCHMARK(BM_ObservationDrawdownsLoggers)
    ->Args({1, 0})
    ->Args({8, 0})
    ->Args({1, 1})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace aqv

BENCHMARK_MAIN();
