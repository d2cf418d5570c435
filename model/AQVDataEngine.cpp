#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"

namespace aqv {

// The document's side of the drawdown engine: it copies its tables into the engine's plain
// inputs, superposes the rate steps of all included periods of all included wells, spreads
// independent output times and observations over the worker threads, and reports a failed
// evaluation once. Every worker has its own engine state, so the results do not depend on the
// number of threads.

namespace {

// Output times computed between two looks at the GUI (progress, Escape, closing the window).
constexpr int kTimesPerBatch = 64;
// Values of one row of CurveValues (one output time) that are summed on the stack.
constexpr int kMaxRowValues = kMaxAquifers * kMaxObservationWells;
// Output times per chunk handed to one worker, at least (ParallelFor merges tiny ones).
constexpr int kTimesPerChunk = 1;
// Groups of observations at one time per chunk handed to one worker.
constexpr int kGroupsPerChunk = 2;
// Estimated single-thread times, nanoseconds per aquifer of the system, of one Laplace term of
// one observation (its share of the decomposition and the well term, and its own Bessel
// functions) and of one curve or well term of a curve row, from bench/DocumentBench.cpp on a
// 2.6 GHz core: they decide whether a job is worth handing to other threads.
constexpr double kNanosecondsPerPointTerm = 100.0;
constexpr double kNanosecondsPerCurveTerm = 50.0;

}  // namespace

TAquiferSystemInput TAQVData::AquiferSystemInput() const {
  TAquiferSystemInput input;
  input.AquiferCount = mAquiferCount;
  for (int i = 1; i <= kMaxLayers; ++i) {
    input.T[i] = T[i];
    input.S[i] = S[i];
    input.Resistance[i] = Resistance[i];
    input.SAquitard[i] = SAquitard[i];
  }
  input.TopAquitardAbsent = mTopAquitardAbsent;
  input.BottomAquitardAbsent = mBottomAquitardAbsent;
  input.TopAquitardImpervious = mTopAquitardImpervious;
  input.BottomAquitardImpervious = mBottomAquitardImpervious;
  return input;
}

TPumpingWellInput TAQVData::PumpingWellInput(int well) const {
  const TPumpingWell& w = PumpingWells[std::clamp(well, 1, kMaxPumpingWells)];
  TPumpingWellInput input;
  input.X = w.X;
  input.Y = w.Y;
  input.Rc = w.Rc;
  input.Rw = w.Rw;
  input.Skin = w.Skin;
  for (int l = 1; l <= kMaxAquifers; ++l) input.Screened[l] = w.Screened[l];
  return input;
}

double TAQVData::RateStep(int well, int period) const {
  const TPumpingWell& w = PumpingWells[std::clamp(well, 1, kMaxPumpingWells)];
  return aqv::RateStep(w.Discharge, w.Included, std::clamp(period, 1, w.PeriodCount()));
}

void TAQVData::ComputeStehfestWeights() {
  mStehfestWeights = aqv::ComputeStehfestWeights(mStehfestTerms);
}

bool TAQVData::ComputeAquiferSystem() {
  return aqv::ComputeAquiferSystem(AquiferSystemInput(), Engine);
}

void TAQVData::ReportEngineFailure(const TEngineResult& result) {
  StatusCode = static_cast<int>(result.Status);
  UserInterface().Beep();
  UserInterface().MessageBox(std::string(result.Message()), TMsgDlgType::mtError,
                             TMsgDlgButtons::mbOK);
}

double TAQVData::PointDrawdown(int well, int period, double x, double y, int layer, double rc,
                               double rw, double skin, double t) {
  const TPumpingWell& w = PumpingWells[std::clamp(well, 1, kMaxPumpingWells)];
  const TObservationPointInput point{x, y, layer, rc, rw, skin};
  const double elapsed = t - w.StartTime[std::clamp(period, 1, w.PeriodCount())];
  double drawdown = 0;
  const TEngineResult result =
      aqv::PointDrawdown(AquiferSystemInput(), mStehfestWeights, PumpingWellInput(well),
                         RateStep(well, period), elapsed, point, Engine, drawdown);
  if (!result.IsSuccess()) {
    ReportEngineFailure(result);
    return 0;
  }
  return drawdown;
}

namespace {

// Marks the document's engine buffers as in use for the life of one computation.
class TEngineRunGuard {
 public:
  explicit TEngineRunGuard(bool& running) : mRunning(running) { mRunning = true; }
  ~TEngineRunGuard() { mRunning = false; }
  TEngineRunGuard(const TEngineRunGuard&) = delete;
  TEngineRunGuard& operator=(const TEngineRunGuard&) = delete;

 private:
  bool& mRunning;
};

// Observation times in ascending order, a NaN after every number; equal times by position, so
// that the order is the same on every run.
bool ComesEarlier(double timeA, int a, double timeB, int b) {
  const bool nanA = std::isnan(timeA);
  const bool nanB = std::isnan(timeB);
  if (nanA || nanB) return nanA == nanB ? a < b : nanB;
  if (timeA != timeB) return timeA < timeB;
  return a < b;
}

}  // namespace

void TAQVData::ComputeObservationDrawdowns() {
  if (mEngineRunning) {
    // Started from ProcessMessages while a computation owns the buffers: refused as a failed
    // evaluation, leaving every computed value as it was.
    StatusCode = static_cast<int>(TEngineStatus::esAquiferSystemFailed);
    UserInterface().Beep();
    return;
  }
  const TEngineRunGuard running(mEngineRunning);
  StatusCode = 0;
  // Every observation of every observation well, in table order; each sums the contributions
  // of all included periods of all included wells in the same order on any thread.
  std::vector<TObservationRef>& refs = mObservationRefs;
  refs.clear();
  for (int j = 1; j <= mObservationWellCount; ++j) {
    ObservationWells[j].Computed.Fill(0);
    for (int k = 1; k <= ObservationWells[j].ObservationCount(); ++k) refs.push_back({j, k});
  }
  const TAquiferSystemInput system = AquiferSystemInput();
  std::array<TPumpingWellInput, kMaxPumpingWells + 1> wells;
  TArray1<TArray1<double, kMaxPeriods>, kMaxPumpingWells> rateSteps;
  int includedPeriods = 0;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    wells[static_cast<std::size_t>(w)] = PumpingWellInput(w);
    for (int p = 1; p <= PumpingWells[w].PeriodCount(); ++p) {
      rateSteps[w][p] = RateStep(w, p);
      if (PumpingWells[w].Included[0] && PumpingWells[w].Included[p]) ++includedPeriods;
    }
  }
  const auto timeOf = [&](int i) {
    const TObservationRef& ref = refs[static_cast<std::size_t>(i)];
    return ObservationWells[ref.Well].Time[ref.Index];
  };

  // Observations at the same time share the Laplace parameters of every rate step, and with
  // them the decomposition of the aquifer system (and, for one well, its well term): they are
  // evaluated as one group.
  std::vector<int>& order = mObservationOrder;
  order.resize(refs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return ComesEarlier(timeOf(a), a, timeOf(b), b); });
  std::vector<int>& groups = mObservationGroups;
  groups.clear();
  std::size_t largestGroup = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i == 0 || !(timeOf(order[i]) == timeOf(order[i - 1]))) {
      if (!groups.empty())
        largestGroup = std::max(largestGroup, i - static_cast<std::size_t>(groups.back()));
      groups.push_back(static_cast<int>(i));
    }
  }
  if (!groups.empty())
    largestGroup = std::max(largestGroup, order.size() - static_cast<std::size_t>(groups.back()));
  const int groupCount = static_cast<int>(groups.size());
  groups.push_back(static_cast<int>(order.size()));

  std::vector<TObservationWorkspace>& work = mObservationWorkspaces;
  work.resize(static_cast<std::size_t>(WorkerCount()));
  for (TObservationWorkspace& space : work) {
    space.Systems.Clear();
    space.Points.resize(largestGroup + 2 * kWorkspacePadding);
    space.Drawdowns.resize(largestGroup + 2 * kWorkspacePadding);
    space.Results.resize(largestGroup + 2 * kWorkspacePadding);
  }
  std::vector<TEngineResult>& failures = mEngineResults;
  failures.assign(refs.size(), TEngineResult());

  const auto computeGroup = [&](int group, TObservationWorkspace& space) {
    const int first = groups[static_cast<std::size_t>(group)];
    const auto size = static_cast<std::size_t>(groups[static_cast<std::size_t>(group) + 1] - first);
    const double t = timeOf(order[static_cast<std::size_t>(first)]);
    const std::span<TObservationPointInput> points(space.Points.data() + kWorkspacePadding, size);
    const std::span<double> drawdowns(space.Drawdowns.data() + kWorkspacePadding, size);
    const std::span<TEngineResult> results(space.Results.data() + kWorkspacePadding, size);
    for (std::size_t m = 0; m < size; ++m) {
      const TObservationWell& obs =
          ObservationWells[refs[static_cast<std::size_t>(order[first + m])].Well];
      points[m] = {obs.X, obs.Y, obs.Layer, obs.Rc, obs.Rw, obs.Skin};
    }
    for (int w = 1; w <= mPumpingWellCount; ++w) {
      const TPumpingWell& pumping = PumpingWells[w];
      if (!pumping.Included[0]) continue;
      for (int p = 1; p <= pumping.PeriodCount(); ++p) {
        const double elapsed = t - pumping.StartTime[p];
        if (!pumping.Included[p] || !(elapsed > kObservationStartGap)) continue;
        PointDrawdowns(system, mStehfestWeights, wells[static_cast<std::size_t>(w)],
                       rateSteps[w][p], elapsed, space.Systems, points, drawdowns, results);
        // Each observation adds the rate steps in the same order as alone, and stops at its
        // first failure.
        for (std::size_t m = 0; m < size; ++m) {
          const auto i = static_cast<std::size_t>(order[first + m]);
          if (!failures[i].IsSuccess()) continue;
          if (!results[m].IsSuccess()) {
            failures[i] = results[m];
            continue;
          }
          ObservationWells[refs[i].Well].Computed[refs[i].Index] += drawdowns[m];
        }
      }
    }
  };

  TParallelWork estimate;
  estimate.MaxWorkers = static_cast<int>(work.size());
  if (groupCount > 0) {
    estimate.NanosecondsPerIndex = static_cast<double>(refs.size()) / groupCount * includedPeriods *
                                   mStehfestWeights.Count * system.AquiferCount *
                                   kNanosecondsPerPointTerm;
  }
  ParallelFor(
      groupCount, kGroupsPerChunk,
      [&](int begin, int end, int worker) {
        TObservationWorkspace& space = work[static_cast<std::size_t>(worker)];
        for (int g = begin; g < end; ++g) computeGroup(g, space);
      },
      estimate);

  const auto failed = std::find_if(failures.begin(), failures.end(),
                                   [](const TEngineResult& r) { return !r.IsSuccess(); });
  if (failed != failures.end()) ReportEngineFailure(*failed);
  RefillFitComputed();
}

void TAQVData::RefillFitComputed() {
  int i = 0;
  for (int j = 1; j <= mObservationWellCount; ++j) {
    const TObservationWell& well = ObservationWells[j];
    if (!well.Included[0]) continue;
    for (int k = 1; k <= well.ObservationCount(); ++k)
      if (well.Included[k] && i < mFitCount) FitComputed[++i] = well.Computed[k];
  }
}

void TAQVData::BuildCurveTimes() {
  // A running computation reads the output times: a nested call leaves them alone.
  if (CurvesValid || mEngineRunning) return;
  std::vector<double> starts;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TPumpingWell& well = PumpingWells[w];
    if (!well.Included[0]) continue;
    for (int p = 1; p <= well.PeriodCount(); ++p)
      if (well.Included[p]) starts.push_back(well.StartTime[p]);
  }
  OutputTimes = aqv::BuildCurveTimes(mStartingTime, mStoppingTime, starts, mTimesPerLogCycle);
  ComputeCurves();
}

int TAQVData::CurveValueIndex(int timeIndex, int layer, int curve) const {
  const int perRow = (mLowerLayer - mUpperLayer + 1) * CurveCount;
  return timeIndex * perRow + (layer - mUpperLayer) * CurveCount + (curve - 1);
}

void TAQVData::CollectCurveNames() {
  int c = 0;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    if (!PumpingWells[w].Included[0]) continue;
    if (mWellFluxMode) {
      ++c;
      if (c <= kMaxObservationWells)
        CurveNames[static_cast<std::size_t>(c - 1)] = PumpingWells[w].Name;
      continue;
    }
    int curve = 0;
    for (int j = 1; j <= mObservationWellCount; ++j) {
      const TObservationWell& obs = ObservationWells[j];
      if (!obs.Included[0] || !obs.OwnCurve) continue;
      CurveNames[static_cast<std::size_t>(curve)] = obs.Name;
      CurveDistances[static_cast<std::size_t>(curve)] =
          std::hypot(obs.X - PumpingWells[w].X, obs.Y - PumpingWells[w].Y);
      ++curve;
    }
  }
}

namespace {

// What one output time needs of one pumping well: its inputs, the geometry of every drawn
// observation curve relative to it, and its included periods with their rate steps.
struct TCurveWell {
  TPumpingWellInput Input;
  int FluxCurve = 0;  // the well's curve number in well-flux mode
  std::vector<TObservationGeometry> Curves;
  std::vector<std::pair<double, double>> Periods;  // start (days), rate step (length3/day)
};

}  // namespace

void TAQVData::ComputeCurves() {
  // Started from ProcessMessages during a computation, whose buffers and rows it would resize.
  if (mEngineRunning) return;
  const TEngineRunGuard running(mEngineRunning);
  // Busy ends with the computation however it ends, also when the GUI throws from inside
  // ProcessMessages, so a window never waits for a computation that is gone.
  struct TBusyGuard {
    bool& Flag;
    ~TBusyGuard() { Flag = false; }
  } busy{Busy};
  Cancel = false;
  Busy = true;
  SelectCurves();
  StatusCode = 0;
  CollectCurveNames();

  const TCurveRowLayout layout{mUpperLayer, mLowerLayer, CurveCount};
  const int perRow = std::max(0, (mLowerLayer - mUpperLayer + 1) * CurveCount);
  const int timeCount =
      perRow == 0 ? 0 : std::min(static_cast<int>(OutputTimes.size()), kMaxCurveValues / perRow);
  const TAquiferSystemInput system = AquiferSystemInput();
  // Only the rows of this computation are cleared: the whole buffer is 400 kB.
  std::fill_n(CurveValues.begin(), static_cast<std::ptrdiff_t>(timeCount) * perRow, 0.0);

  std::vector<TCurveWell> wells;
  int fluxCurve = 0;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TPumpingWell& pumping = PumpingWells[w];
    if (!pumping.Included[0]) continue;
    TCurveWell well;
    well.Input = PumpingWellInput(w);
    well.FluxCurve = ++fluxCurve;
    for (int j = 1; j <= mObservationWellCount; ++j) {
      const TObservationWell& obs = ObservationWells[j];
      if (obs.Included[0] && obs.OwnCurve)
        well.Curves.push_back(
            ObservationGeometry(well.Input, {obs.X, obs.Y, obs.Layer, obs.Rc, obs.Rw, obs.Skin}));
    }
    for (int p = 1; p <= pumping.PeriodCount(); ++p)
      if (pumping.Included[p]) well.Periods.emplace_back(pumping.StartTime[p], RateStep(w, p));
    wells.push_back(std::move(well));
  }

  std::vector<TWorkerState>& work = mWorkerStates;
  work.resize(static_cast<std::size_t>(WorkerCount()));
  std::vector<TEngineResult>& failures = mEngineResults;
  failures.assign(static_cast<std::size_t>(timeCount), TEngineResult());
  if (ProgressBar) ProgressBar->Max = static_cast<int>(OutputTimes.size());

  // One output time: the sum of every rate step that has started, into its own row. The row is
  // summed on the stack and stored once: the neighbouring rows belong to other threads, and
  // adding into them term by term would make the threads fight over shared cache lines. The
  // sums are the same, from the same zeros in the same order.
  const auto computeTime = [&](int i, TAquiferSystemState& state) {
    const std::span<double> target(CurveValues.data() + static_cast<std::size_t>(i) * perRow,
                                   static_cast<std::size_t>(perRow));
    std::array<double, kMaxRowValues> local{};
    const std::span<double> row =
        perRow <= kMaxRowValues ? std::span<double>(local.data(), target.size()) : target;
    const double t = OutputTimes[static_cast<std::size_t>(i)];
    for (const TCurveWell& well : wells) {
      for (const auto& [start, rateStep] : well.Periods) {
        if (!(t - start > kCurveStartGap)) continue;
        const TEngineResult result =
            mWellFluxMode ? CurveWellFluxes(system, mStehfestWeights, well.Input, rateStep,
                                            t - start, well.FluxCurve, layout, state, row)
                          : CurveDrawdowns(system, mStehfestWeights, well.Input, rateStep,
                                           t - start, well.Curves, layout, state, row);
        if (!result.IsSuccess()) {
          failures[static_cast<std::size_t>(i)] = result;
          break;
        }
      }
      if (!failures[static_cast<std::size_t>(i)].IsSuccess()) break;
    }
    if (row.data() != target.data()) std::copy(row.begin(), row.end(), target.begin());
  };

  TParallelWork estimate;
  estimate.MaxWorkers = static_cast<int>(work.size());
  for (const TCurveWell& well : wells) {
    const double terms = mWellFluxMode ? 1.0 : 1.0 + static_cast<double>(well.Curves.size());
    estimate.NanosecondsPerIndex += static_cast<double>(well.Periods.size()) * terms;
  }
  estimate.NanosecondsPerIndex *=
      mStehfestWeights.Count * system.AquiferCount * kNanosecondsPerCurveTerm;

  // A refused computation started from ProcessMessages sets StatusCode; this one ends with
  // its own.
  int status = 0;
  for (int batch = 0; batch < timeCount; batch += kTimesPerBatch) {
    UserInterface().ProcessMessages();
    if (Cancel) {
      StatusCode = status;
      Busy = false;
      if (ProgressBar) ProgressBar->Position = 0;
      Fire(OnProgressBarChange, this);
      return;
    }
    if (ProgressBar) ProgressBar->Position = timeCount - batch;
    Fire(OnProgressBarChange, this);
    const int batchEnd = std::min(timeCount, batch + kTimesPerBatch);
    ParallelFor(
        batchEnd - batch, kTimesPerChunk,
        [&](int begin, int end, int worker) {
          for (int i = batch + begin; i < batch + end; ++i)
            computeTime(i, work[static_cast<std::size_t>(worker)].State);
        },
        estimate);
    const auto failed = std::find_if(failures.begin() + batch, failures.begin() + batchEnd,
                                     [](const TEngineResult& r) { return !r.IsSuccess(); });
    if (failed != failures.begin() + batchEnd) {
      // Every value from the failing time on is missing, so the chart shows where the
      // computation broke off instead of partial sums.
      const auto from = static_cast<std::size_t>(failed - failures.begin()) * perRow;
      std::fill(CurveValues.begin() + static_cast<std::ptrdiff_t>(from),
                CurveValues.begin() + static_cast<std::ptrdiff_t>(timeCount) * perRow,
                kMissingCurveValue);
      ReportEngineFailure(*failed);
      status = StatusCode;
      break;
    }
  }
  StatusCode = status;
  if (ProgressBar) ProgressBar->Position = 0;
  Fire(OnProgressBarChange, this);
  CurvesValid = true;
}

}  // namespace aqv
