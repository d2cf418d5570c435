#pragma once

#include <array>
#include <span>
#include <vector>

#include "model/Array1.h"
#include "model/engine/AQVLaplace.h"

namespace aqv {

// Time-domain drawdowns from the Laplace-domain terms: Gaver-Stehfest inversion of one rate step
// of one pumping well, at one point or for a row of curves, and the output times of the time
// graph. Plain inputs; the caller superposes the rate steps of all periods and wells.

inline constexpr int kMaxStehfestTerms = 20;
inline constexpr int kMaxOutputTimes = 5000;
inline constexpr int kMinTimesPerLogCycle = 1;
inline constexpr int kMaxTimesPerLogCycle = 100;
// A value the chart skips: the curve values of a failed evaluation.
inline constexpr double kMissingCurveValue = 1e15;
// An observation this close after a period start (days) gets nothing from that period.
inline constexpr double kObservationStartGap = 5e-7;
// A curve time this close after a period start (days) gets nothing from that period.
inline constexpr double kCurveStartGap = 1e-7;

// Weights V_1..V_Count of the Gaver-Stehfest inversion; entries beyond Count are 0.
struct TStehfestWeights {
  int Count = 0;
  TArray1<double, kMaxStehfestTerms> V{};
  friend bool operator==(const TStehfestWeights&, const TStehfestWeights&) = default;
};

// The number of terms actually used for a requested count: even, from 2 to 20. An odd count
// is lowered to the even number below it.
int StehfestTermCount(int requestedTerms);

// Returns the weights for StehfestTermCount(requestedTerms) terms (Stehfest 1970).
TStehfestWeights ComputeStehfestWeights(int requestedTerms);

// Returns the Gaver-Stehfest approximation of the inverse Laplace transform of transform(p) at
// time t > 0: (ln 2 / t) sum_j V_j transform(j ln 2 / t).
template <typename TTransform>
double InvertLaplace(const TStehfestWeights& weights, double t, TTransform&& transform) {
  const double f = 0.6931471805599453 / t;
  double sum = 0.0;
  for (int j = 1; j <= weights.Count; ++j) sum += weights.V[j] * transform(j * f);
  return sum * f;
}

// Times per log cycle within kMinTimesPerLogCycle..kMaxTimesPerLogCycle.
int ClampTimesPerLogCycle(int timesPerLogCycle);

// The rate step (length3/day) that period `period` of a well adds: its discharge minus that of
// the last included period before it, or its whole discharge when there is none. Excluded
// periods neither start nor end a step. Both containers are indexed from 1 by period, as the
// document's per-period arrays are (`included` may start at 0).
template <typename TDischarges, typename TIncludedFlags>
double RateStep(const TDischarges& discharge, const TIncludedFlags& included, int period) {
  for (int k = period - 1; k >= 1; --k) {
    if (included[k]) return discharge[period] - discharge[k];
  }
  return discharge[period];
}

// Drawdown (length) at the point, in its own aquifer, at elapsedDays after the start of a rate
// step of rateStep (length3/day) of the well. work receives the state of the last Laplace
// evaluation. On failure drawdown is 0 and the result says why; elapsedDays <= 0 and a well
// without a screen give 0 and success.
TEngineResult PointDrawdown(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                            const TPumpingWellInput& well, double rateStep, double elapsedDays,
                            const TObservationPointInput& point, TAquiferSystemState& work,
                            double& drawdown);

// The aquifer system decomposed at every Laplace parameter p_j = j ln 2 / ElapsedDays,
// j = 1..Count, of one inversion. The decomposition depends on p only, so every pumping well and
// every point evaluated at the same elapsed time shares it.
struct TInversionSystems {
  double ElapsedDays = 0.0;  // NaN: holds nothing
  int Count = 0;
  TArray1<TAquiferSystemState, kMaxStehfestTerms> States{};
  TArray1<bool, kMaxStehfestTerms> Decomposed{};  // ComputeAquiferSystem succeeded for p_j
};

// Decomposes the system at the Laplace parameters of an inversion at elapsedDays > 0.
void ComputeInversionSystems(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                             double elapsedDays, TInversionSystems& systems);

// The decompositions of the last few elapsed times one worker met, so that observations of
// several wells at one time, and rate steps that started together, decompose the system once.
// Clear() before the system or the weights change.
class TInversionCache {
 public:
  TInversionCache() { Clear(); }
  void Clear();
  // The decompositions at elapsedDays, computed unless the cache holds them.
  const TInversionSystems& Get(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                               double elapsedDays);
  int Computations() const { return mComputations; }

 private:
  static constexpr int kSlots = 4;
  std::array<TInversionSystems, kSlots> mSlots;
  int mNext = 0;
  int mComputations = 0;
};

// PointDrawdown of one rate step of one well at each of points, all at elapsedDays, sharing the
// decompositions (taken from the cache, which must hold this system and these weights only) and
// the well term: drawdowns[i] and results[i] are bit for bit what PointDrawdown gives for
// points[i]. The spans have equal lengths.
void PointDrawdowns(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                    const TPumpingWellInput& well, double rateStep, double elapsedDays,
                    TInversionCache& cache, std::span<const TObservationPointInput> points,
                    std::span<double> drawdowns, std::span<TEngineResult> results);

// Where a row of curve values lives: value (L - UpperLayer) * CurveCount + c (from 1) for curve
// c in aquifer L = UpperLayer..LowerLayer.
struct TCurveRowLayout {
  int UpperLayer = 1;
  int LowerLayer = 1;
  int CurveCount = 1;
  friend bool operator==(const TCurveRowLayout&, const TCurveRowLayout&) = default;
};

// Adds to row, for every curve c (from 1, in the order of `curves`, each the geometry of an
// observation well relative to this pumping well) and every aquifer of the layout, the drawdown
// (length) at elapsedDays after the start of the rate step. The aquifer system and the well term
// are computed once per Laplace parameter for all curves. On failure every value of row is
// kMissingCurveValue.
TEngineResult CurveDrawdowns(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                             const TPumpingWellInput& well, double rateStep, double elapsedDays,
                             std::span<const TObservationGeometry> curves,
                             const TCurveRowLayout& layout, TAquiferSystemState& work,
                             std::span<double> row);

// Adds to row the well-face flux (length3/day) of the well into every aquifer of the layout as
// curve `curve` (from 1), at elapsedDays after the start of the rate step; an unscreened aquifer
// gets 0. On failure every value of row is kMissingCurveValue.
TEngineResult CurveWellFluxes(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                              const TPumpingWellInput& well, double rateStep, double elapsedDays,
                              int curve, const TCurveRowLayout& layout, TAquiferSystemState& work,
                              std::span<double> row);

// The output times (days, ascending) of the time graph: startingTime, the period starts that
// lie strictly inside the range, stoppingTime, and between them log-spaced points,
// timesPerLogCycle per decade of (t - interval start + step), at most kMaxOutputTimes in all.
// A range that is empty, reversed or not finite gives no times; an interval whose step would not
// be positive (a starting time <= 0) keeps its end points without points between.
std::vector<double> BuildCurveTimes(double startingTime, double stoppingTime,
                                    std::span<const double> periodStarts, int timesPerLogCycle);

}  // namespace aqv
