// Speed of a whole optimisation run: the two-aquifer pumping test with 5000 synthetic
// observations, six parameters fitted from starting values off by factors 0.3 to 3, on 1 and on
// 8 worker threads. Each run must end with "parameters found" and every parameter within 0.1 %
// of the truth; the counters give the evaluations, the iterations and the time per objective
// evaluation, and whether the fitted values have the same bits on every thread count.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"

namespace aqv {
namespace {

constexpr int kTimesPerWell = 1000;
constexpr double kTolerance = 1e-3;

struct TTruth {
  double T1 = 500, T2 = 1500, S1 = 1e-4, S2 = 5e-4, C1 = 2000, C2 = 500;
};

// Two aquifers under a leaky top aquitard with storage, with a middle aquitard; one pumping
// well in aquifer 1 with three periods (pumping, step, recovery); five observation wells at 5 to
// 300 m, three in aquifer 1 and two in aquifer 2, each with 1000 times from 1e-4 to 10 days.
// The observations are the model's own drawdowns.
std::unique_ptr<TAQVData> MakeSyntheticTest() {
  const TTruth truth;
  auto d = std::make_unique<TAQVData>();  // silent: every result is rejected, so each run
                                          // starts from the same document
  d->SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  d->SetAquiferCount(2);
  d->T[1] = truth.T1;
  d->T[2] = truth.T2;
  d->S[1] = truth.S1;
  d->S[2] = truth.S2;
  d->Resistance[1] = truth.C1;
  d->SAquitard[1] = 1e-3;
  d->Resistance[2] = truth.C2;
  d->SetTopAquitardImpervious(false);
  TPumpingWell& pumping = d->PumpingWells[1];
  pumping.SetPeriodCount(3);
  pumping.StartTime[2] = 2;
  pumping.Discharge[2] = 1200;
  pumping.StartTime[3] = 5;
  pumping.Discharge[3] = 0;
  d->SetObservationWellCount(5);
  const double distance[] = {5, 20, 60, 150, 300};
  for (int j = 1; j <= 5; ++j) {
    TObservationWell& obs = d->ObservationWells[j];
    obs.X = distance[j - 1];
    obs.Y = 0;
    obs.Layer = j <= 3 ? 1 : 2;
    d->SetObservationCount(j, kTimesPerWell);
    for (int k = 1; k <= kTimesPerWell; ++k)
      obs.Time[k] = 1e-4 * std::pow(1e5, (k - 1) / (kTimesPerWell - 1.0));
  }
  d->GroupCoincidentWells();
  d->CollectIncludedObservations();
  d->ComputeObservationDrawdowns();
  for (int j = 1; j <= 5; ++j) {
    TObservationWell& obs = d->ObservationWells[j];
    for (int k = 1; k <= kTimesPerWell; ++k) obs.Observed[k] = obs.Computed[k];
  }
  d->CollectIncludedObservations();

  d->T[1] *= 0.3;
  d->T[2] *= 3;
  d->S[1] *= 3;
  d->S[2] *= 0.3;
  d->Resistance[1] *= 0.4;
  d->Resistance[2] *= 2.5;
  d->TCode[1] = '1';
  d->TCode[2] = '2';
  d->SCode[1] = '3';
  d->SCode[2] = '4';
  d->ResistanceCode[1] = '5';
  d->ResistanceCode[2] = '6';
  d->GridsValid = true;
  return d;
}

// Largest relative error of the six fitted values (links in the order T1, T2, c1, c2, S1, S2).
double WorstError(const TAQVData& d) {
  const TTruth t;
  const double truth[] = {t.T1, t.T2, t.C1, t.C2, t.S1, t.S2};
  double worst = 0;
  for (int i = 1; i <= 6; ++i)
    worst = std::max(worst, std::fabs(d.LinkFittedValue[i] / truth[i - 1] - 1));
  return worst;
}

// The fitted values of the first run on each thread count, to compare bit for bit.
std::map<int, TArray1<double, kMaxLinks>>& FittedByThreads() {
  static std::map<int, TArray1<double, kMaxLinks>> fitted;
  return fitted;
}

void BM_SixParameterFit(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  SetWorkerCount(threads);
  auto d = MakeSyntheticTest();
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    d->Optimize();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (d->FitStatus != TRunStatus::rsParametersFound) {
      state.SkipWithError(("status " + std::to_string(static_cast<int>(d->FitStatus))).c_str());
      return;
    }
    if (WorstError(*d) > kTolerance) {
      state.SkipWithError("a parameter is more than 0.1 % off");
      return;
    }
  }
  FittedByThreads().emplace(threads, d->LinkFittedValue);
  const auto& fitted = FittedByThreads();
  bool same = true;
  for (const auto& [count, values] : fitted)
    same = same && std::memcmp(values.Data(), fitted.begin()->second.Data(),
                               sizeof(double) * kMaxLinks) == 0;

  const double runs = static_cast<double>(state.iterations());
  const TOptimizerSummary& s = d->OptimizerSummary;
  state.counters["status"] = static_cast<int>(d->FitStatus);
  state.counters["iterations"] = d->IterationCount + 1;
  state.counters["evaluations"] = d->EvaluationCount;
  state.counters["objectiveCalls"] = s.ObjectiveCalls;
  state.counters["ms/objective"] = 1e3 * seconds / runs / s.ObjectiveCalls;
  state.counters["s/fit"] = seconds / runs;
  state.counters["worstRelError"] = WorstError(*d);
  state.counters["sameBitsAllThreads"] = same ? 1 : 0;
  state.counters["points"] = d->FitCount();
}
BENCHMARK(BM_SixParameterFit)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
}  // namespace aqv

BENCHMARK_MAIN();
