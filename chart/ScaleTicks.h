#pragma once

#include <cstddef>
#include <vector>

#include "chart/Axis.h"

namespace aqv {

// 10 raised to an integer power, exact to the last bit (the double nearest to the decimal
// value); 0 below 1E-323 and infinity above 1E308.
double Power10(int exponent);
// 10 raised to x: exact through Power10 when x lies within 1E-9 of an integer, else exp(x ln 10).
double Power10(double x);

// The smallest and largest value that the series of one axis hold; Found is false while no
// series gave a value.
struct TScaleExtents {
  bool Found = false;
  double Min = 0.0;
  double Max = 0.0;
  void Take(double minValue, double maxValue);
};

// Chooses the automatic bounds and units of scale and stores them through its setters. kind is
// the axis (saY alone gets the logarithmic minimum of 1E-3 and the smallest linear step 1E-5);
// haveSeries is false for a chart without series, which scales from -1 to 1. An automatic bound
// never cuts off a value of the extents (but for the fixed logarithmic Y minimum).
void AutoScale(TScale& scale, TAxisType kind, bool haveSeries, const TScaleExtents& extents);

// The most ticks of one kind that an axis draws; a walk that would go on stops here.
inline constexpr std::size_t kMaxTickCount = 2000;

// Major tick values in drawing order. Linear: Min, Min ± MajorUnit, ... up to Max; nothing for
// a unit that is not positive. Logarithmic (logarithmic only when the axis can be drawn so):
// the powers of ten strictly beyond Min up to Max. Values are computed by index, so rounding
// never piles up, and a value within 1E-9 units of 0 is 0.
void MajorTicks(const TScaleData& scale, bool logarithmic, std::vector<double>& ticks);
// Minor tick values. Linear: from Min by MinorUnit up to Max. Logarithmic: 1..9 times each
// power of ten, those within Min..Max only.
void MinorTicks(const TScaleData& scale, bool logarithmic, std::vector<double>& ticks);

// True when a scale with LogScale can be drawn logarithmically.
constexpr bool IsLogDrawable(const TScaleData& scale) {
  return scale.LogScale && scale.Min > 0 && scale.Max > 0;
}

// The mapping of axis values to pixel offsets from the plot edge where Min lies (left edge for
// X, bottom edge for the Y axes), computed in double so that no value overflows on the way.
struct TAxisMapping {
  bool Logarithmic = false;
  double Min = 0.0;
  double LogMin = 0.0;  // log10 Min on a logarithmic mapping
  double Factor = 0.0;  // pixels per unit, or per decade on a logarithmic mapping

  // Offset in pixels of value; not finite for a value that a logarithmic mapping cannot place.
  double Offset(double value) const;
};

}  // namespace aqv
