#pragma once

#include <array>
#include <vector>

#include "map/MapGeometry.h"
#include "model/engine/AQVLaplace.h"
#include "model/engine/AQVStehfest.h"

namespace aqv {

class TAQVData;

inline constexpr int kProfileIntervals = 100;  // the radial profile has 101 points
// Display times above this (days) are computed at it.
inline constexpr double kMaxMapTime = 365000;

// Drawdown (length) along a radius from one pumping well for one rate step, at radii spaced
// evenly in ln r: P[i] at r = RMin (RMax / RMin)^(i / 100). Near a well drawdown goes with
// ln r, so the same 101 points follow it there as closely as far away.
struct TRadialProfile {
  double RMin = 0, RMax = 0;  // stored length units, 0 < RMin
  std::array<double, kProfileIntervals + 1> P{};
  double Radius(int i) const;
  // The profile at distance r (see TProfileReader); distances outside [RMin, RMax] take the
  // end values.
  double At(double r) const;
};

// Reads a profile at many points: a cubic in ln r through the four profile points nearest to
// each interval. Near the well the cubic is in s itself, which goes with ln r there; far out,
// where s falls off like exp(-r^2) (or exp(-r) in a leaky system) and bends faster than a
// polynomial in s can follow, it is in ln |s|, which bends little. Each interval takes the form
// whose fourth difference, the measure of a cubic's error, is the smaller; so a sum of rate
// steps that changes sign, where ln |s| has no bound, is read in s. The forms and cubics are
// fixed once per profile.
class TProfileReader {
 public:
  explicit TProfileReader(const TRadialProfile& profile);
  // The profile at the distance whose square is r2.
  double AtSquared(double r2) const;

 private:
  // The cubic of one interval in e = u - Start, u being the position in the profile counted in
  // intervals; the value is Sign exp(cubic) for the ln |s| form (Sign +1 or -1), else the cubic.
  struct TInterval {
    double B0 = 0, B1 = 0, B2 = 0, B3 = 0;
    double Start = 0;
    double Sign = 0;
  };
  void FitInterval(int k, const std::array<double, kProfileIntervals + 1>& logP);

  const TRadialProfile& mProfile;
  bool mValid = false;
  double mLogRMin = 0.0;  // ln RMin
  double mScale = 0.0;    // 50 / ln(RMax / RMin)
  std::array<TInterval, kProfileIntervals> mIntervals{};
};

// Where a well's profile starts: at its screen radius, or at the nearest grid point when that
// lies farther out (no point lies nearer, so no radius below it is ever read).
double ProfileStart(double wellRadius, double nearestPoint);

// Fills profile for the rate step rateStep (length3/day) of well, elapsedDays after its start,
// in aquifer layer, with the engine's Laplace-domain terms and the Stehfest weights. work
// receives the state of the last Laplace evaluation. On failure the profile holds zeros.
TEngineResult ComputeRadialProfile(const TAquiferSystemInput& system,
                                   const TStehfestWeights& weights, const TPumpingWellInput& well,
                                   double rateStep, double elapsedDays, int layer, double rMin,
                                   double rMax, TAquiferSystemState& work, TRadialProfile& profile);

// The drawdown grid together with the node layout it was computed on, so that contours, hints
// and exports always put a value at the place it belongs to. Values are kept row by row from
// south to north: node row b, then the centres between rows b and b + 1 (TGridLayout's
// indexes). Owned by the map control; its value array is allocated once.
class TDrawdownGrid {
 public:
  TDrawdownGrid() : mValues(kMaxGridValues, 0.0) {}

  const TGridLayout& Layout() const { return mLayout; }
  // Display length per stored length of the values and coordinates (see ScaleToDisplay).
  double LengthFactor() const { return mLengthFactor; }
  double Value(int index) const { return mValues[static_cast<std::size_t>(index)]; }
  const double* Values() const { return mValues.data(); }
  int ValueCount() const { return mLayout.ValueCount(); }

  // Takes a new node layout and clears every value; the values are in stored units.
  void Reset(const TGridLayout& layout);
  // Multiplies every value by lengthFactor and records it: values and coordinates are then in
  // display units (coordinates are the stored node positions times LengthFactor()).
  void ScaleToDisplay(double lengthFactor);
  // Adds the profile of a well at (wellX, wellY) (stored units) to every node and centre.
  void AddProfile(double wellX, double wellY, const TRadialProfile& profile);
  // Distance (stored units) from (x, y) to the nearest node or cell centre; 0 without a grid.
  double NearestPointDistance(double x, double y) const;
  // Adds a value to one grid point; for tests and tools.
  void Add(int index, double value) { mValues[static_cast<std::size_t>(index)] += value; }

  // Display-unit position of grid value `index`.
  double PointX(int index) const;
  double PointY(int index) const;

 private:
  TGridLayout mLayout;
  double mLengthFactor = 1;
  std::vector<double> mValues;
};

// What one grid computation needs of the document, copied so that the computation reads
// nothing the person can change meanwhile.
struct TMapWell {
  TPumpingWellInput Input;
  int PeriodCount = 0;
  std::array<double, 101> StartTime{};  // days, indexed from 1
  std::array<double, 101> RateStep{};   // length3/day, indexed from 1; 0 for excluded periods
};

struct TMapModel {
  TAquiferSystemInput System;
  TStehfestWeights Weights;
  int Layer = 1;  // the aquifer drawn
  TMapWindow Window;
  double LengthFactor = 1;
  std::vector<TMapWell> Wells;  // the included pumping wells
};

// The model of the document for the map: included wells and periods, rate steps by the
// engine's RateStep, the window in stored units.
TMapModel MapModelFromDocument(const TAQVData& data);

// Fills grid (already Reset on its layout) with drawdowns in stored units at time t (days),
// summed over every included well and period that started strictly before t. Stops at the first
// failure, leaving the values accumulated so far.
TEngineResult ComputeDrawdownGrid(const TMapModel& model, double t, TDrawdownGrid& grid,
                                  TAquiferSystemState& work);

}  // namespace aqv
