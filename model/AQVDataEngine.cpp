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
// Output times per chunk handed to one worker.
constexpr int kTimesPerChunk = 4;
// Observations per chunk handed to one worker.
constexpr int kObservationsPerChunk = 32;

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

void TAQVData::ComputeObservationDrawdowns() {
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
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    wells[static_cast<std::size_t>(w)] = PumpingWellInput(w);
    for (int p = 1; p <= PumpingWells[w].PeriodCount(); ++p) rateSteps[w][p] = RateStep(w, p);
  }
  std::vector<TAquiferSystemState>& work = mWorkerStates;
  work.resize(static_cast<std::size_t>(WorkerCount()));
  std::vector<TEngineResult>& failures = mEngineResults;
  failures.assign(refs.size(), TEngineResult());

  ParallelFor(
      static_cast<int>(refs.size()), kObservationsPerChunk, [&](int begin, int end, int worker) {
        TAquiferSystemState& state = work[static_cast<std::size_t>(worker)];
        for (int i = begin; i < end; ++i) {
          TObservationWell& obs = ObservationWells[refs[static_cast<std::size_t>(i)].Well];
          const int k = refs[static_cast<std::size_t>(i)].Index;
          const TObservationPointInput point{obs.X, obs.Y, obs.Layer, obs.Rc, obs.Rw, obs.Skin};
          double sum = 0;
          for (int w = 1; w <= mPumpingWellCount; ++w) {
            const TPumpingWell& pumping = PumpingWells[w];
            if (!pumping.Included[0]) continue;
            for (int p = 1; p <= pumping.PeriodCount(); ++p) {
              const double elapsed = obs.Time[k] - pumping.StartTime[p];
              if (!pumping.Included[p] || !(elapsed > kObservationStartGap)) continue;
              double drawdown = 0;
              const TEngineResult result =
                  aqv::PointDrawdown(system, mStehfestWeights, wells[static_cast<std::size_t>(w)],
                                     rateSteps[w][p], elapsed, point, state, drawdown);
              if (!result.IsSuccess()) {
                failures[static_cast<std::size_t>(i)] = result;
                break;
              }
              sum += drawdown;
            }
            if (!failures[static_cast<std::size_t>(i)].IsSuccess()) break;
          }
          obs.Computed[k] = sum;
        }
      });

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
  if (CurvesValid) return;
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

  std::vector<TAquiferSystemState>& work = mWorkerStates;
  work.resize(static_cast<std::size_t>(WorkerCount()));
  std::vector<TEngineResult>& failures = mEngineResults;
  failures.assign(static_cast<std::size_t>(timeCount), TEngineResult());
  if (ProgressBar) ProgressBar->Max = static_cast<int>(OutputTimes.size());

  // One output time: the sum of every rate step that has started, into its own row.
  const auto computeTime = [&](int i, TAquiferSystemState& state) {
    const std::span<double> row(CurveValues.data() + static_cast<std::size_t>(i) * perRow,
                                static_cast<std::size_t>(perRow));
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
          return;
        }
      }
    }
  };

  for (int batch = 0; batch < timeCount; batch += kTimesPerBatch) {
    UserInterface().ProcessMessages();
    if (Cancel) {
      Busy = false;
      if (ProgressBar) ProgressBar->Position = 0;
      Fire(OnProgressBarChange, this);
      return;
    }
    if (ProgressBar) ProgressBar->Position = timeCount - batch;
    Fire(OnProgressBarChange, this);
    const int batchEnd = std::min(timeCount, batch + kTimesPerBatch);
    ParallelFor(batchEnd - batch, kTimesPerChunk, [&](int begin, int end, int worker) {
      for (int i = batch + begin; i < batch + end; ++i)
        computeTime(i, work[static_cast<std::size_t>(worker)]);
    });
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
      break;
    }
  }
  if (ProgressBar) ProgressBar->Position = 0;
  CurvesValid = true;
  Busy = false;
}

}  // namespace aqv
