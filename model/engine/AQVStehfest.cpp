#include "model/engine/AQVStehfest.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace aqv {

int StehfestTermCount(int requestedTerms) {
  const int terms = std::clamp(requestedTerms, 2, kMaxStehfestTerms);
  return terms - terms % 2;
}

TStehfestWeights ComputeStehfestWeights(int requestedTerms) {
  // Stehfest 1970: V_i = (-1)^(h+i) sum_k k^h (2k)! / ((h-k)! k! (k-1)! (i-k)! (2k-i)!), with
  // the factorials and powers in double, where 20! and 10^10 are exact.
  TStehfestWeights weights;
  const int n = StehfestTermCount(requestedTerms);
  const int h = n / 2;
  weights.Count = n;
  std::array<double, kMaxStehfestTerms + 1> factorial{};
  factorial[0] = 1.0;
  for (int j = 1; j <= n; ++j) factorial[j] = factorial[j - 1] * j;
  std::array<double, kMaxStehfestTerms / 2 + 1> power{};
  for (int k = 1; k <= h; ++k) {
    power[k] = 1.0;
    for (int e = 0; e < h; ++e) power[k] *= k;
  }
  for (int i = 1; i <= n; ++i) {
    double sum = 0.0;
    for (int k = (i + 1) / 2; k <= std::min(i, h); ++k) {
      sum += power[k] * factorial[2 * k] /
             (factorial[h - k] * factorial[k] * factorial[k - 1] * factorial[i - k] *
              factorial[2 * k - i]);
    }
    weights.V[i] = (h + i) % 2 == 0 ? sum : -sum;
  }
  return weights;
}

int ClampTimesPerLogCycle(int timesPerLogCycle) {
  return std::clamp(timesPerLogCycle, kMinTimesPerLogCycle, kMaxTimesPerLogCycle);
}

namespace {

bool HasScreen(const TAquiferSystemInput& system, const TPumpingWellInput& well) {
  for (int i = 1; i <= std::min(system.AquiferCount, kMaxAquifers); ++i) {
    if (well.Screened[i]) return true;
  }
  return false;
}

bool AreWeightsValid(const TStehfestWeights& weights) {
  return weights.Count >= 2 && weights.Count <= kMaxStehfestTerms;
}

bool IsLayoutValid(const TCurveRowLayout& layout, int aquiferCount, int curves,
                   std::size_t rowSize) {
  if (layout.UpperLayer < 1 || layout.LowerLayer > aquiferCount ||
      layout.UpperLayer > layout.LowerLayer || layout.CurveCount < 1 ||
      curves > layout.CurveCount) {
    return false;
  }
  const auto needed = static_cast<std::size_t>(layout.LowerLayer - layout.UpperLayer + 1) *
                      static_cast<std::size_t>(layout.CurveCount);
  return needed <= rowSize;
}

std::size_t RowIndex(const TCurveRowLayout& layout, int layer, int curve) {
  return static_cast<std::size_t>((layer - layout.UpperLayer) * layout.CurveCount + curve - 1);
}

TEngineResult FailRow(std::span<double> row, TEngineFault fault) {
  std::fill(row.begin(), row.end(), kMissingCurveValue);
  return TEngineResult::Failure(fault);
}

TEngineResult CheckRowFinite(std::span<double> row) {
  for (double value : row) {
    if (!std::isfinite(value)) return FailRow(row, TEngineFault::efNonFinite);
  }
  return {};
}

// Everything one Laplace evaluation of one pumping well needs, for p = j f.
TEngineResult EvaluateWellAt(const TAquiferSystemInput& system, const TPumpingWellInput& well,
                             double p, double rateStep, TAquiferSystemState& work,
                             TWellLaplaceTerm& term) {
  work.LaplaceP = p;
  if (!ComputeAquiferSystem(system, work)) {
    return TEngineResult::Failure(TEngineFault::efAquiferSystem);
  }
  return ComputeWellTerm(system, work, well, rateStep, term);
}

}  // namespace

TEngineResult PointDrawdown(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                            const TPumpingWellInput& well, double rateStep, double elapsedDays,
                            const TObservationPointInput& point, TAquiferSystemState& work,
                            double& drawdown) {
  drawdown = 0.0;
  const TObservationGeometry geometry = ObservationGeometry(well, point);
  if (!std::isfinite(elapsedDays) || !std::isfinite(rateStep) || !IsFinite(well) ||
      !IsFinite(geometry)) {
    return TEngineResult::Failure(TEngineFault::efNonFinite);
  }
  if (!AreWeightsValid(weights) || point.Layer < 1 || point.Layer > system.AquiferCount) {
    return TEngineResult::Failure(TEngineFault::efInvalidInput);
  }
  if (!(elapsedDays > 0.0) || rateStep == 0.0 || !HasScreen(system, well)) return {};
  // Gaver-Stehfest: s(t) = (ln 2 / t) sum_j V_j s(p = j ln 2 / t).
  const double f = std::numbers::ln2 / elapsedDays;
  const bool inScreen = IsInWellScreen(well, geometry, point.Layer);
  TWellLaplaceTerm term;
  TPointModeFactors factors;
  double sum = 0.0;
  for (int j = 1; j <= weights.Count; ++j) {
    const TEngineResult result = EvaluateWellAt(system, well, j * f, rateStep, work, term);
    if (!result.IsSuccess()) return result;
    if (!inScreen) ComputePointModeFactors(work, term, geometry, factors);
    sum += weights.V[j] * ObservationTerm(system, work, well, term, geometry, factors, point.Layer);
  }
  const double value = sum * f;
  if (!std::isfinite(value)) return TEngineResult::Failure(TEngineFault::efNonFinite);
  drawdown = value;
  return {};
}

void ComputeInversionSystems(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                             double elapsedDays, TInversionSystems& systems) {
  systems.ElapsedDays = elapsedDays;
  systems.Count = AreWeightsValid(weights) ? weights.Count : 0;
  // The same p_j as PointDrawdown, so that the shared states are the same bits.
  const double f = std::numbers::ln2 / elapsedDays;
  for (int j = 1; j <= systems.Count; ++j) {
    TAquiferSystemState& state = systems.States[j];
    state.LaplaceP = j * f;
    systems.Decomposed[j] = ComputeAquiferSystem(system, state);
  }
}

void TInversionCache::Clear() {
  for (TInversionSystems& slot : mSlots) {
    slot.ElapsedDays = std::numeric_limits<double>::quiet_NaN();
    slot.Count = 0;
  }
  mNext = 0;
  mComputations = 0;
}

const TInversionSystems& TInversionCache::Get(const TAquiferSystemInput& system,
                                              const TStehfestWeights& weights, double elapsedDays) {
  for (const TInversionSystems& slot : mSlots) {
    if (slot.ElapsedDays == elapsedDays) return slot;
  }
  TInversionSystems& slot = mSlots[static_cast<std::size_t>(mNext)];
  mNext = (mNext + 1) % kSlots;
  ++mComputations;
  ComputeInversionSystems(system, weights, elapsedDays, slot);
  return slot;
}

void PointDrawdowns(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                    const TPumpingWellInput& well, double rateStep, double elapsedDays,
                    TInversionCache& cache, std::span<const TObservationPointInput> points,
                    std::span<double> drawdowns, std::span<TEngineResult> results) {
  const std::size_t count = std::min({points.size(), drawdowns.size(), results.size()});
  // The checks of PointDrawdown, point by point; a point that passes them is evaluated with
  // drawdowns[i] as its sum, and a point that fails them or gets nothing is left alone.
  bool anyEvaluated = false;
  for (std::size_t i = 0; i < count; ++i) {
    drawdowns[i] = 0.0;
    results[i] = {};
    const TObservationGeometry geometry = ObservationGeometry(well, points[i]);
    if (!std::isfinite(elapsedDays) || !std::isfinite(rateStep) || !IsFinite(well) ||
        !IsFinite(geometry)) {
      results[i] = TEngineResult::Failure(TEngineFault::efNonFinite);
    } else if (!AreWeightsValid(weights) || points[i].Layer < 1 ||
               points[i].Layer > system.AquiferCount) {
      results[i] = TEngineResult::Failure(TEngineFault::efInvalidInput);
    } else if (elapsedDays > 0.0 && rateStep != 0.0 && HasScreen(system, well)) {
      anyEvaluated = true;
    }
  }
  if (!anyEvaluated) return;
  const TInversionSystems& systems = cache.Get(system, weights, elapsedDays);
  // Every point left with success from here on is evaluated.
  const auto isEvaluated = [&](std::size_t i) { return results[i].IsSuccess(); };
  if (systems.Count != weights.Count) {
    // Decompositions of other weights: a programming error, never a silent 0.
    for (std::size_t i = 0; i < count; ++i) {
      if (isEvaluated(i)) results[i] = TEngineResult::Failure(TEngineFault::efInvalidInput);
    }
    return;
  }
  const double f = std::numbers::ln2 / elapsedDays;
  TWellLaplaceTerm term;
  TPointModeFactors factors;
  for (int j = 1; j <= weights.Count; ++j) {
    const TAquiferSystemState& state = systems.States[j];
    TEngineResult result;
    if (!systems.Decomposed[j]) {
      result = TEngineResult::Failure(TEngineFault::efAquiferSystem);
    } else {
      result = ComputeWellTerm(system, state, well, rateStep, term);
    }
    if (!result.IsSuccess()) {
      for (std::size_t i = 0; i < count; ++i) {
        if (!isEvaluated(i)) continue;
        drawdowns[i] = 0.0;
        results[i] = result;
      }
      return;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (!isEvaluated(i)) continue;
      const TObservationGeometry geometry = ObservationGeometry(well, points[i]);
      if (!IsInWellScreen(well, geometry, points[i].Layer))
        ComputePointModeFactors(state, term, geometry, factors);
      drawdowns[i] += weights.V[j] * ObservationTerm(system, state, well, term, geometry, factors,
                                                     points[i].Layer);
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!isEvaluated(i)) continue;
    const double value = drawdowns[i] * f;
    if (std::isfinite(value)) {
      drawdowns[i] = value;
    } else {
      drawdowns[i] = 0.0;
      results[i] = TEngineResult::Failure(TEngineFault::efNonFinite);
    }
  }
}

TEngineResult CurveDrawdowns(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                             const TPumpingWellInput& well, double rateStep, double elapsedDays,
                             std::span<const TObservationGeometry> curves,
                             const TCurveRowLayout& layout, TAquiferSystemState& work,
                             std::span<double> row) {
  const int curveCount = static_cast<int>(std::min<std::size_t>(curves.size(), 1u << 20));
  if (!AreWeightsValid(weights) ||
      !IsLayoutValid(layout, system.AquiferCount, curveCount, row.size())) {
    return FailRow(row, TEngineFault::efInvalidInput);
  }
  const bool curvesFinite = std::all_of(curves.begin(), curves.end(),
                                        [](const TObservationGeometry& g) { return IsFinite(g); });
  if (!std::isfinite(elapsedDays) || !std::isfinite(rateStep) || !IsFinite(well) || !curvesFinite) {
    return FailRow(row, TEngineFault::efNonFinite);
  }
  if (!(elapsedDays > 0.0) || rateStep == 0.0 || !HasScreen(system, well)) return {};
  const double f = std::numbers::ln2 / elapsedDays;
  TWellLaplaceTerm term;
  TPointModeFactors factors;
  for (int j = 1; j <= weights.Count; ++j) {
    // The aquifer system and the well term depend on p only: once for all curves and aquifers.
    const TEngineResult result = EvaluateWellAt(system, well, j * f, rateStep * f, work, term);
    if (!result.IsSuccess()) return FailRow(row, result.Fault);
    const double weight = weights.V[j];
    for (int c = 1; c <= curveCount; ++c) {
      const TObservationGeometry& geometry = curves[static_cast<std::size_t>(c - 1)];
      bool factorsReady = false;
      for (int layer = layout.UpperLayer; layer <= layout.LowerLayer; ++layer) {
        if (!factorsReady && !IsInWellScreen(well, geometry, layer)) {
          ComputePointModeFactors(work, term, geometry, factors);
          factorsReady = true;
        }
        row[RowIndex(layout, layer, c)] +=
            weight * ObservationTerm(system, work, well, term, geometry, factors, layer);
      }
    }
  }
  return CheckRowFinite(row);
}

TEngineResult CurveWellFluxes(const TAquiferSystemInput& system, const TStehfestWeights& weights,
                              const TPumpingWellInput& well, double rateStep, double elapsedDays,
                              int curve, const TCurveRowLayout& layout, TAquiferSystemState& work,
                              std::span<double> row) {
  if (!AreWeightsValid(weights) || curve < 1 ||
      !IsLayoutValid(layout, system.AquiferCount, curve, row.size())) {
    return FailRow(row, TEngineFault::efInvalidInput);
  }
  if (!std::isfinite(elapsedDays) || !std::isfinite(rateStep) || !IsFinite(well)) {
    return FailRow(row, TEngineFault::efNonFinite);
  }
  if (!(elapsedDays > 0.0) || rateStep == 0.0 || !HasScreen(system, well)) return {};
  const double f = std::numbers::ln2 / elapsedDays;
  TWellLaplaceTerm term;
  for (int j = 1; j <= weights.Count; ++j) {
    const TEngineResult result = EvaluateWellAt(system, well, j * f, rateStep * f, work, term);
    if (!result.IsSuccess()) return FailRow(row, result.Fault);
    for (int layer = layout.UpperLayer; layer <= layout.LowerLayer; ++layer) {
      row[RowIndex(layout, layer, curve)] += weights.V[j] * WellFaceFluxTerm(term, layer);
    }
  }
  return CheckRowFinite(row);
}

namespace {

// Period starts closer than this (days) to a break point already in the list add none.
constexpr double kBreakPointSeparation = 0.0005;

// startingTime, the period starts strictly inside the range and at least kBreakPointSeparation
// from every earlier break point, ascending, and stoppingTime.
std::vector<double> CurveBreakPoints(double startingTime, double stoppingTime,
                                     std::span<const double> periodStarts) {
  std::vector<double> points{startingTime};
  for (double start : periodStarts) {
    if (!(start > startingTime && start < stoppingTime)) continue;
    if (points.size() >= kMaxOutputTimes - 1) break;
    const bool isNear = std::any_of(points.begin(), points.end(), [start](double t) {
      return std::fabs(t - start) < kBreakPointSeparation;
    });
    if (!isNear) points.insert(std::upper_bound(points.begin() + 1, points.end(), start), start);
  }
  points.push_back(stoppingTime);
  return points;
}

}  // namespace

std::vector<double> BuildCurveTimes(double startingTime, double stoppingTime,
                                    std::span<const double> periodStarts, int timesPerLogCycle) {
  std::vector<double> times;
  if (!std::isfinite(startingTime) || !std::isfinite(stoppingTime) ||
      !(startingTime < stoppingTime)) {
    return times;
  }
  const double perCycle = ClampTimesPerLogCycle(timesPerLogCycle);
  const std::vector<double> breakPoints =
      CurveBreakPoints(startingTime, stoppingTime, periodStarts);
  times.reserve(kMaxOutputTimes);
  std::size_t total = breakPoints.size();
  for (std::size_t i = 0; i + 1 < breakPoints.size(); ++i) {
    const double t0 = breakPoints[i];
    const double length = breakPoints[i + 1] - t0;
    times.push_back(t0);
    double dt = startingTime;
    dt = std::max(dt, 0.001 * t0);
    dt = std::min(dt, 0.1 * length);
    dt = std::min(dt, 0.001);
    if (!(dt > 0.0) || !(length > 0.0)) continue;
    // Evenly spaced in log(t - t0 + dt); Round is half-to-even (the default rounding mode).
    double count = std::nearbyint(std::log10(length / dt) * perCycle) - 1.0;
    count = std::min(count, static_cast<double>(kMaxOutputTimes - total));
    if (!(count > 0.0)) continue;
    const int n = static_cast<int>(count);
    total += static_cast<std::size_t>(n);
    const double ratio = length / dt + 1.0;
    for (int k = 1; k <= n; ++k) {
      times.push_back(t0 + dt * (std::pow(ratio, static_cast<double>(k) / (n + 1)) - 1.0));
    }
  }
  times.push_back(stoppingTime);
  return times;
}

}  // namespace aqv
