#include "map/DrawdownGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"

namespace aqv {

double TRadialProfile::Radius(int i) const {
  if (i >= kProfileIntervals) return RMax;  // exactly, so that the last point is RMax itself
  return RMin * std::pow(RMax / RMin, static_cast<double>(i) / kProfileIntervals);
}

double TRadialProfile::At(double r) const {
  return TProfileReader(*this).AtSquared(r * r);
}

TProfileReader::TProfileReader(const TRadialProfile& profile) : mProfile(profile) {
  mValid = profile.RMin > 0.0 && profile.RMax > profile.RMin;
  if (!mValid) return;
  mLogRMin = std::log(profile.RMin);
  mScale = 0.5 * kProfileIntervals / std::log(profile.RMax / profile.RMin);
  // ln |P|; NaN where P is 0, where every interval about it is read in s.
  std::array<double, kProfileIntervals + 1> logP;
  for (int i = 0; i <= kProfileIntervals; ++i)
    logP[i] = profile.P[i] != 0.0 ? std::log(std::fabs(profile.P[i])) : std::nan("");
  for (int k = 0; k < kProfileIntervals; ++k) FitInterval(k, logP);
}

void TProfileReader::FitInterval(int k, const std::array<double, kProfileIntervals + 1>& logP) {
  const auto& P = mProfile.P;
  // The fourth difference over the five points about the interval: the cubic's error is about
  // a fortieth of it (Lagrange remainder, uniform spacing).
  const int w = std::clamp(k - 2, 0, kProfileIntervals - 4);
  const auto fourth = [w](const auto& y) {
    return std::fabs(y[w] - 4.0 * y[w + 1] + 6.0 * y[w + 2] - 4.0 * y[w + 3] + y[w + 4]);
  };
  bool oneSign = true;
  for (int i = w; i <= w + 4; ++i) oneSign = oneSign && P[i] * P[w] > 0.0;
  // The ln |s| form errs by |s| times its own fourth difference. It costs an exponential a
  // point, so it is taken only where the cubic in s could err by more than about 1e-5 of s.
  const double s = std::max(std::fabs(P[k]), std::fabs(P[k + 1]));
  const double fourthP = fourth(P);
  const bool logForm = oneSign && fourthP > 4e-4 * s && s * fourth(logP) < fourthP;
  const int start = std::clamp(k - 1, 0, kProfileIntervals - 3);
  double y[4];
  for (int j = 0; j < 4; ++j) y[j] = logForm ? logP[start + j] : P[start + j];
  // Newton's form through points 0..3, a0 + a1 e + a2 e (e - 1) + a3 e (e - 1)(e - 2), in powers
  // of e.
  const double a1 = y[1] - y[0];
  const double a2 = (y[2] - 2.0 * y[1] + y[0]) / 2.0;
  const double a3 = (y[3] - 3.0 * y[2] + 3.0 * y[1] - y[0]) / 6.0;
  TInterval& c = mIntervals[static_cast<std::size_t>(k)];
  c = {y[0], a1 - a2 + 2.0 * a3, a2 - 3.0 * a3, a3, static_cast<double>(start),
       logForm ? (P[k] > 0.0 ? 1.0 : -1.0) : 0.0};
}

double TProfileReader::AtSquared(double r2) const {
  const auto& P = mProfile.P;
  // u = 100 ln(r / RMin) / ln(RMax / RMin), with ln r = ln(r2) / 2: one logarithm a point.
  const double u = mValid ? (std::log(r2) - 2.0 * mLogRMin) * mScale : 0.0;
  if (!(u > 0.0)) return P[0];  // also NaN
  // A point beyond RMax (only possible by rounding) takes the last value instead of reading
  // past the profile.
  if (u >= kProfileIntervals) return P[kProfileIntervals];
  const TInterval& c = mIntervals[static_cast<std::size_t>(u)];
  const double e = u - c.Start;
  const double v = ((c.B3 * e + c.B2) * e + c.B1) * e + c.B0;
  return c.Sign == 0.0 ? v : c.Sign * std::exp(v);
}

TEngineResult ComputeRadialProfile(const TAquiferSystemInput& system,
                                   const TStehfestWeights& weights, const TPumpingWellInput& well,
                                   double rateStep, double elapsedDays, int layer, double rMin,
                                   double rMax, TAquiferSystemState& work,
                                   TRadialProfile& profile) {
  profile.RMin = rMin;
  profile.RMax = rMax;
  profile.P.fill(0.0);
  if (!(rMin > 0.0) || !(rMax >= rMin)) return TEngineResult::Failure(TEngineFault::efInvalidInput);
  if (!(elapsedDays > 0.0) || rateStep == 0.0) return {};
  if (layer < 1 || layer > system.AquiferCount || weights.Count < 2 ||
      weights.Count > kMaxStehfestTerms) {
    return TEngineResult::Failure(TEngineFault::efInvalidInput);
  }
  // Gaver-Stehfest: s(t) = (ln 2 / t) sum_j V_j s(p = j ln 2 / t), with the Laplace-domain
  // terms of the well computed once per p for all 101 radii.
  const double c = std::numbers::ln2 / elapsedDays;
  TWellLaplaceTerm term;
  TPointModeFactors factors;
  for (int j = 1; j <= weights.Count; ++j) {
    work.LaplaceP = j * c;
    if (!ComputeAquiferSystem(system, work)) {
      profile.P.fill(0.0);
      return TEngineResult::Failure(TEngineFault::efAquiferSystem);
    }
    const TEngineResult result = ComputeWellTerm(system, work, well, rateStep, term);
    if (!result.IsSuccess()) {
      profile.P.fill(0.0);
      return result;
    }
    for (int i = 0; i <= kProfileIntervals; ++i) {
      TObservationGeometry geometry;
      geometry.Distance = std::max(profile.Radius(i), well.Rw);
      if (!IsInWellScreen(well, geometry, layer))
        ComputePointModeFactors(work, term, geometry, factors);
      profile.P[i] +=
          weights.V[j] * ObservationTerm(system, work, well, term, geometry, factors, layer);
    }
  }
  for (double& p : profile.P) {
    p *= c;
    if (!std::isfinite(p)) {
      profile.P.fill(0.0);
      return TEngineResult::Failure(TEngineFault::efNonFinite);
    }
  }
  return {};
}

void TDrawdownGrid::Reset(const TGridLayout& layout) {
  mLayout = layout;
  mLengthFactor = 1;
  std::fill(mValues.begin(), mValues.end(), 0.0);
}

void TDrawdownGrid::ScaleToDisplay(double lengthFactor) {
  const int n = ValueCount();
  for (int i = 0; i < n; ++i) mValues[static_cast<std::size_t>(i)] *= lengthFactor;
  mLengthFactor = lengthFactor;
}

void TDrawdownGrid::AddProfile(double wellX, double wellY, const TRadialProfile& profile) {
  if (mLayout.IsEmpty()) return;
  const int nx = mLayout.NodeCountX;
  const int ny = mLayout.NodeCountY;
  double* v = mValues.data();
  const TProfileReader reader(profile);
  for (int b = 0; b < ny; ++b) {
    const double dy = mLayout.NodeY[b] - wellY;
    const double dyc = dy + mLayout.HalfCellY;
    double* row = v + mLayout.NodeIndex(0, b);
    for (int a = 0; a < nx; ++a) {
      const double dx = mLayout.NodeX[a] - wellX;
      row[a] += reader.AtSquared(dx * dx + dy * dy);
    }
    if (b == ny - 1) break;
    double* centres = row + nx;
    for (int a = 0; a < nx - 1; ++a) {
      const double dx = mLayout.NodeX[a] + mLayout.HalfCellX - wellX;
      centres[a] += reader.AtSquared(dx * dx + dyc * dyc);
    }
  }
}

double ProfileStart(double wellRadius, double nearestPoint) {
  return std::max(wellRadius, nearestPoint);
}

double TDrawdownGrid::NearestPointDistance(double x, double y) const {
  if (mLayout.IsEmpty()) return 0.0;
  // The nearest node is the nearest node column and row; the nearest centre likewise among the
  // centres, which lie half a cell further on.
  const int nx = mLayout.NodeCountX, ny = mLayout.NodeCountY;
  const auto nearestIndex = [](const auto& positions, int count, double offset, double v) {
    const double first = positions[0] + offset;
    const double step = positions[1] - positions[0];
    const double u = std::round((v - first) / step);
    return static_cast<int>(std::clamp(u, 0.0, static_cast<double>(count - 1)));
  };
  const int a = nearestIndex(mLayout.NodeX, nx, 0.0, x);
  const int b = nearestIndex(mLayout.NodeY, ny, 0.0, y);
  double best = std::hypot(mLayout.NodeX[a] - x, mLayout.NodeY[b] - y);
  const int ca = nearestIndex(mLayout.NodeX, nx - 1, mLayout.HalfCellX, x);
  const int cb = nearestIndex(mLayout.NodeY, ny - 1, mLayout.HalfCellY, y);
  best = std::min(best, std::hypot(mLayout.NodeX[ca] + mLayout.HalfCellX - x,
                                   mLayout.NodeY[cb] + mLayout.HalfCellY - y));
  return best;
}

double TDrawdownGrid::PointX(int index) const {
  const int stride = 2 * mLayout.NodeCountX - 1;
  const int within = index % stride;
  if (within < mLayout.NodeCountX) return mLayout.NodeX[within] * mLengthFactor;
  return (mLayout.NodeX[within - mLayout.NodeCountX] + mLayout.HalfCellX) * mLengthFactor;
}

double TDrawdownGrid::PointY(int index) const {
  const int stride = 2 * mLayout.NodeCountX - 1;
  const int b = index / stride;
  const int within = index % stride;
  if (within < mLayout.NodeCountX) return mLayout.NodeY[b] * mLengthFactor;
  return (mLayout.NodeY[b] + mLayout.HalfCellY) * mLengthFactor;
}

TMapModel MapModelFromDocument(const TAQVData& data) {
  TMapModel model;
  model.System = data.AquiferSystemInput();
  model.Weights = data.StehfestWeights();
  if (model.Weights.Count < 2) model.Weights = ComputeStehfestWeights(data.StehfestTerms());
  model.Layer = data.DrawLayer();
  model.Window = {data.WorldX1(), data.WorldX2(), data.WorldY1(), data.WorldY2()};
  model.LengthFactor = data.LengthFactor();
  for (int w = 1; w <= std::clamp(data.PumpingWellCount(), 0, kMaxPumpingWells); ++w) {
    const TPumpingWell& well = data.PumpingWells[w];
    if (!well.Included[0]) continue;
    TMapWell mapWell;
    mapWell.Input = data.PumpingWellInput(w);
    mapWell.PeriodCount = std::clamp(well.PeriodCount(), 0, kMaxPeriods);
    for (int k = 1; k <= mapWell.PeriodCount; ++k) {
      mapWell.StartTime[k] = well.StartTime[k];
      // The same rate step as the time graph uses, so that map and graph agree.
      mapWell.RateStep[k] = well.Included[k] ? data.RateStep(w, k) : 0.0;
    }
    model.Wells.push_back(mapWell);
  }
  return model;
}

TEngineResult ComputeDrawdownGrid(const TMapModel& model, double t, TDrawdownGrid& grid,
                                  TAquiferSystemState& work) {
  const TGridLayout& layout = grid.Layout();
  if (layout.IsEmpty() || !std::isfinite(t)) return {};
  const TMapWindow& w = model.Window;
  const double centreX = (w.X1 + w.X2) / 2.0;
  const double centreY = (w.Y1 + w.Y2) / 2.0;
  std::array<TRadialProfile, kMaxPeriods + 1> profiles;
  std::array<TEngineResult, kMaxPeriods + 1> results;
  std::vector<TAquiferSystemState> states(static_cast<std::size_t>(WorkerCount()), work);
  for (const TMapWell& well : model.Wells) {
    const double margin = 0.5 * layout.HalfCellX;
    // Distances are measured to the farther window side, so the profile covers every grid
    // point also for a well outside the window.
    const double dx = centreX <= well.Input.X ? well.Input.X - w.X1 : w.X2 - well.Input.X;
    const double dy = centreY <= well.Input.Y ? well.Input.Y - w.Y1 : w.Y2 - well.Input.Y;
    const double rMax = std::sqrt(dx * dx + dy * dy) + margin + 0.01;
    // A grid point inside the screen radius takes the value at the radius (the in-screen
    // drawdown where the well is screened in the drawn aquifer).
    double rMin = ProfileStart(well.Input.Rw, grid.NearestPointDistance(well.Input.X, well.Input.Y));
    if (!(rMin > 0.0) || !(rMin < rMax)) rMin = std::min(margin, rMax);
    const int periods = std::clamp(well.PeriodCount, 0, kMaxPeriods);
    // Every period of the well is one rate step on the same radii: the profiles are computed
    // in parallel and summed, so the grid is interpolated once per well.
    TParallelWork parallel;
    parallel.MaxWorkers = static_cast<int>(states.size());  // the pool may grow meanwhile
    ParallelFor(
        periods, 1,
        [&](int begin, int end, int worker) {
          for (int i = begin; i < end; ++i) {
            const int k = i + 1;
            results[k] = {};
            profiles[k].P.fill(0.0);
            if (!(well.StartTime[k] < t) || well.RateStep[k] == 0.0) continue;
            results[k] = ComputeRadialProfile(
                model.System, model.Weights, well.Input, well.RateStep[k], t - well.StartTime[k],
                model.Layer, rMin, rMax, states[static_cast<std::size_t>(worker)], profiles[k]);
          }
        },
        parallel);
    TRadialProfile sum;
    sum.RMin = rMin;
    sum.RMax = rMax;
    TEngineResult failure;
    for (int k = 1; k <= periods; ++k) {
      if (!results[k].IsSuccess()) {
        failure = results[k];
        break;
      }
      for (int i = 0; i <= kProfileIntervals; ++i) sum.P[i] += profiles[k].P[i];
    }
    grid.AddProfile(well.Input.X, well.Input.Y, sum);
    if (!failure.IsSuccess()) {
      work = states.front();
      return failure;
    }
  }
  work = states.front();
  return {};
}

}  // namespace aqv
