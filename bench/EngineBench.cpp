// Speed of the drawdown engine on plain inputs: the curves of a time graph and the computed
// drawdowns of a full set of observations, single-threaded.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/engine/AQVStehfest.h"

namespace aqv {
namespace {

// Two aquifers under a leaky top aquitard with storage, on a closed base.
TAquiferSystemInput BenchmarkSystem() {
  TAquiferSystemInput system;
  system.AquiferCount = 2;
  system.T[1] = 500.0;
  system.T[2] = 1500.0;
  system.S[1] = 2e-4;
  system.S[2] = 5e-4;
  system.Resistance[1] = 800.0;
  system.Resistance[2] = 200.0;
  system.Resistance[3] = 1000.0;
  system.SAquitard[1] = 2e-3;
  system.SAquitard[2] = 0.0;
  system.SAquitard[3] = 0.0;
  system.TopAquitardImpervious = false;
  system.BottomAquitardImpervious = true;
  return system;
}

TPumpingWellInput BenchmarkWell(double x) {
  TPumpingWellInput well;
  well.X = x;
  well.Rc = 0.1;
  well.Rw = 0.1;
  well.Screened[1] = true;
  return well;
}

std::vector<TObservationPointInput> BenchmarkObservationWells() {
  std::vector<TObservationPointInput> points;
  for (int i = 1; i <= 5; ++i) {
    TObservationPointInput point;
    point.X = 10.0 * i;
    point.Y = 7.0 * i;
    point.Layer = i % 2 == 0 ? 2 : 1;
    point.Rc = 0.02;
    point.Rw = 0.02;
    points.push_back(point);
  }
  return points;
}

struct TGraphCase {
  std::vector<TPumpingWellInput> Wells;
  int PeriodsPerWell = 1;
  int TimesPerLogCycle = 10;
  int Terms = 10;
};

// All curves of a time graph: for each output time, every well and every started period adds
// its rate step to the row of 5 curves in both aquifers. Returns the Laplace evaluations made.
long long ComputeGraph(const TGraphCase& graph, const TAquiferSystemInput& system,
                       const TStehfestWeights& weights, const std::vector<double>& times,
                       const std::vector<std::vector<TObservationGeometry>>& curves,
                       const std::vector<double>& periodStarts,
                       const std::vector<double>& rateSteps, std::vector<double>& values) {
  TAquiferSystemState work;
  const TCurveRowLayout layout{1, 2, 5};
  constexpr std::size_t kRow = 10;
  long long evaluations = 0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    std::span<double> row(values.data() + i * kRow, kRow);
    std::fill(row.begin(), row.end(), 0.0);
    for (std::size_t w = 0; w < graph.Wells.size(); ++w) {
      for (std::size_t k = 0; k < periodStarts.size(); ++k) {
        const double elapsed = times[i] - periodStarts[k];
        if (!(elapsed > kCurveStartGap)) continue;
        const TEngineResult result = CurveDrawdowns(system, weights, graph.Wells[w], rateSteps[k],
                                                    elapsed, curves[w], layout, work, row);
        if (!result.IsSuccess()) return evaluations;
        evaluations += weights.Count;
      }
    }
  }
  return evaluations;
}

void RunGraphBenchmark(benchmark::State& state, const TGraphCase& graph) {
  const TAquiferSystemInput system = BenchmarkSystem();
  const TStehfestWeights weights = ComputeStehfestWeights(graph.Terms);
  std::vector<double> periodStarts;
  std::vector<double> rateSteps;
  for (int k = 0; k < graph.PeriodsPerWell; ++k) {
    periodStarts.push_back(k * (1000.0 / graph.PeriodsPerWell));
    rateSteps.push_back(k % 2 == 0 ? 800.0 : -300.0);
  }
  const std::vector<double> times =
      BuildCurveTimes(0.001, 1000.0, periodStarts, graph.TimesPerLogCycle);
  std::vector<std::vector<TObservationGeometry>> curves;
  for (const auto& well : graph.Wells) {
    std::vector<TObservationGeometry> geometries;
    for (const auto& point : BenchmarkObservationWells()) {
      geometries.push_back(ObservationGeometry(well, point));
    }
    curves.push_back(geometries);
  }
  std::vector<double> values(times.size() * 10);
  long long evaluations = 0;
  for (auto _ : state) {
    evaluations +=
        ComputeGraph(graph, system, weights, times, curves, periodStarts, rateSteps, values);
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["times"] = static_cast<double>(times.size());
  state.counters["LaplaceEvals/s"] =
      benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
}

// (1) Typical curves: 1 well, 1 period, 5 observation wells in both aquifers, 0.001 to 1000
// days at 10 times per log cycle, N = 10.
void BM_TypicalCurves(benchmark::State& state) {
  TGraphCase graph;
  graph.Wells = {BenchmarkWell(0.0)};
  RunGraphBenchmark(state, graph);
}
BENCHMARK(BM_TypicalCurves)->Unit(benchmark::kMicrosecond);

// (2) Heavy curves: 2 wells of 100 periods each, 40 times per log cycle, N = 16 (the cap of
// 5000 output times).
void BM_HeavyCurves(benchmark::State& state) {
  TGraphCase graph;
  graph.Wells = {BenchmarkWell(0.0), BenchmarkWell(35.0)};
  graph.PeriodsPerWell = 100;
  graph.TimesPerLogCycle = 40;
  graph.Terms = 16;
  RunGraphBenchmark(state, graph);
}
BENCHMARK(BM_HeavyCurves)->Unit(benchmark::kMillisecond)->Iterations(2);

// (3) The computed drawdowns of 5000 observations (5 wells of 1000 times) for 3 periods of one
// well, as one evaluation of the optimiser's objective.
void BM_ObservationDrawdowns(benchmark::State& state) {
  const TAquiferSystemInput system = BenchmarkSystem();
  const TStehfestWeights weights = ComputeStehfestWeights(10);
  const TPumpingWellInput well = BenchmarkWell(0.0);
  const std::vector<TObservationPointInput> points = BenchmarkObservationWells();
  const double periodStarts[3] = {0.0, 1.0, 2.0};
  const double rateSteps[3] = {800.0, 200.0, -1000.0};
  std::vector<double> times(1000);
  for (int k = 0; k < 1000; ++k) times[k] = 0.001 * std::pow(10.0, 5.0 * k / 999.0);
  TAquiferSystemState work;
  long long evaluations = 0;
  for (auto _ : state) {
    double total = 0.0;
    for (const auto& point : points) {
      for (double t : times) {
        for (int k = 0; k < 3; ++k) {
          const double elapsed = t - periodStarts[k];
          if (!(elapsed > kObservationStartGap)) continue;
          double s = 0.0;
          if (!PointDrawdown(system, weights, well, rateSteps[k], elapsed, point, work, s)
                   .IsSuccess()) {
            break;
          }
          total += s;
          evaluations += weights.Count;
        }
      }
    }
    benchmark::DoNotOptimize(total);
  }
  state.counters["LaplaceEvals/s"] =
      benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ObservationDrawdowns)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace aqv

BENCHMARK_MAIN();
