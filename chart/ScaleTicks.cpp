#include "chart/ScaleTicks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace aqv {

namespace {

constexpr int kLowestPower = -323;
constexpr int kHighestPower = 308;

// Ratios within this relative distance of an integer count as that integer: the decimal steps
// 0.1, 0.2, 0.5 are not exact in binary, and without it 1.5 / 0.5 could land a hair below 3
// and push a bound one step too far.
constexpr long double kIntegerTolerance = 1e-9L;

// Above this many major steps across the drawn span the automatic units are chosen again from
// that span: normal automatic scales hold at most 8.
constexpr long double kMaxAutomaticSteps = 60;

// The decimal powers, each parsed from its decimal text so that it is the nearest double.
const std::array<double, kHighestPower - kLowestPower + 1>& PowerTable() {
  static const auto table = [] {
    std::array<double, kHighestPower - kLowestPower + 1> powers{};
    for (int k = kLowestPower; k <= kHighestPower; ++k) {
      const std::string text = "1e" + std::to_string(k);
      double value = 0.0;
      std::from_chars(text.data(), text.data() + text.size(), value);
      powers[static_cast<std::size_t>(k - kLowestPower)] = value;
    }
    return powers;
  }();
  return table;
}

long double SnapToInteger(long double ratio) {
  const long double nearest = std::nearbyint(ratio);
  if (std::fabs(ratio - nearest) <= kIntegerTolerance * std::max<long double>(1, std::fabs(ratio)))
    return nearest;
  return ratio;
}

// Round with halves to even (the current rounding mode is to nearest).
long double RoundHalfEven(long double value) {
  return std::nearbyint(value);
}

// A decimal step: mantissa times 10^exponent. Divides by the exact power for negative exponents,
// so 5E-2 becomes the double nearest to 0.05 rather than 5 times the double nearest to 0.01.
long double DecimalValue(long double mantissa, int exponent) {
  if (exponent < 0) return mantissa / static_cast<long double>(Power10(-exponent));
  return mantissa * static_cast<long double>(Power10(exponent));
}

// The automatic major step as mantissa (1, 2 or 5) and decimal exponent.
struct TStep {
  int Mantissa = 1;
  int Exponent = 0;
  long double Value() const { return DecimalValue(Mantissa, Exponent); }
  // The minor step: a quarter of a step of 2, else a fifth.
  long double Minor() const { return Mantissa == 2 ? Value() / 4 : Value() / 5; }
  void Advance() {
    if (Mantissa == 1) {
      Mantissa = 2;
    } else if (Mantissa == 2) {
      Mantissa = 5;
    } else {
      Mantissa = 1;
      ++Exponent;
    }
  }
};

// The first of the steps 2, 5, 10, 20 ... times 10^Trunc(log10 span - 3) that divides span into
// at most six parts.
TStep ChooseStep(long double span, TAxisType kind) {
  TStep step;
  const long double start = std::trunc(std::log10(span) - 3);
  step.Exponent =
      static_cast<int>(std::clamp<long double>(start, kLowestPower + 24, kHighestPower));
  do {
    step.Advance();
  } while (SnapToInteger(span / step.Value()) > 6 && step.Exponent < kHighestPower);
  if (kind == TAxisType::saY && step.Value() < 1e-5L) step = {1, -5};
  return step;
}

// Bounds before rounding to the step (the first three rules of automatic scaling).
void RawBounds(const TScaleData& s, bool haveSeries, const TScaleExtents& extents, long double& min,
               long double& max) {
  if (!haveSeries) {
    min = -1;
    max = 1;
  } else {
    max = s.MaxAutomatic ? (extents.Found ? extents.Max : 1.0) : s.Max;
    min = s.MinAutomatic ? (extents.Found ? extents.Min : 1.0) : s.Min;
  }
  // A bound read from a damaged file may not be a number; scale as if it were the default.
  if (!std::isfinite(min)) min = -1;
  if (!std::isfinite(max)) max = 1;
  if (max < min) {
    if (s.MinAutomatic)
      max = min + 0.001L;
    else
      min = max - 0.001L;
  }
  if (max == min) {
    if (max == 0) {
      min = -0.0001L;
      max = 0.0001L;
    } else {
      const long double a = max * 0.9L;
      const long double b = max * 1.1L;
      min = std::min(a, b);
      max = std::max(a, b);
    }
  }
}

// log10 of value to two decimals, halves away from zero, in hundredths.
long long Hundredths(long double e) {
  return std::llround(e * 100);
}

void AutoScaleLogarithmic(TScale& scale, TAxisType kind, long double min, long double max) {
  if (max > 0 && scale.MaxAutomatic()) {
    const long double e = SnapToInteger(std::log10(max));
    const long long h = Hundredths(e);
    // Ceil of h / 100 for e >= 0 (two decimals first); plain Ceil below.
    int exponent = e >= 0 ? static_cast<int>((h + 99) / 100) : static_cast<int>(std::ceil(e));
    // Two decimals can round a maximum just past a decade down onto it (1000.5 gives 3.00):
    // the next decade then keeps that point on the axis.
    if (Power10(exponent) < max) ++exponent;
    scale.SetMax(Power10(exponent));
  }
  if (min > 0 && scale.MinAutomatic()) {
    // The fixed drawdown minimum of 1E-3 only while it lies below the maximum, so that small
    // drawdowns do not end up on a reversed axis.
    if (kind == TAxisType::saY && 1e-3 < scale.Max()) {
      scale.SetMin(1e-3);
    } else {
      const long double e = SnapToInteger(std::log10(min));
      int exponent = 0;
      if (e >= 0) {
        exponent = static_cast<int>(std::trunc(e));
      } else {
        const long long h = Hundredths(e);  // negative
        exponent = static_cast<int>(h >= 0 ? h / 100 : -((-h + 99) / 100));
      }
      // As for the maximum: a minimum just below a decade takes the decade below.
      if (Power10(exponent) > min) --exponent;
      scale.SetMin(Power10(exponent));
    }
  }
  scale.SetMajorUnit(1);
  scale.SetMinorUnit(1);
}

long double StepMultiple(long double n, const TStep& step) {
  return DecimalValue(n * step.Mantissa, step.Exponent) + 0.0L;  // + 0 turns -0 into 0
}

// The automatic minimum (offset 0) or maximum (offset 1) on the step grid. The snap keeps exact
// decimal ratios exact, but it also pulls a bound a hair beyond a multiple onto that multiple;
// one more step then keeps the extreme point on the axis.
double RoundedBound(long double bound, const TStep& step, int offset) {
  long double n = RoundHalfEven(SnapToInteger(bound / step.Value()) - 0.5L) + offset;
  // Data are doubles: compare with the double the bound came from.
  const double data = static_cast<double>(bound);
  double rounded = static_cast<double>(StepMultiple(n, step));
  if (offset == 0 && rounded > data) rounded = static_cast<double>(StepMultiple(--n, step));
  if (offset != 0 && rounded < data) rounded = static_cast<double>(StepMultiple(++n, step));
  return rounded;
}

void StoreUnits(TScale& scale, const TStep& step) {
  const double major = static_cast<double>(step.Value());
  const double minor = static_cast<double>(step.Minor());
  if (major / 100 > scale.MajorUnit()) scale.SetMajorUnit(major / 100);
  if (minor / 100 > scale.MinorUnit()) scale.SetMinorUnit(minor / 100);
  if (scale.MajorUnitAutomatic()) scale.SetMajorUnit(major);
  if (scale.MinorUnitAutomatic()) scale.SetMinorUnit(minor);
}

}  // namespace

double Power10(int exponent) {
  if (exponent < kLowestPower) return 0.0;
  if (exponent > kHighestPower) return HUGE_VAL;
  return PowerTable()[static_cast<std::size_t>(exponent - kLowestPower)];
}

double Power10(double x) {
  const double nearest = std::nearbyint(x);
  if (std::fabs(x - nearest) <= 1e-9 && std::fabs(nearest) < 1000)
    return Power10(static_cast<int>(nearest));
  return std::exp(x * std::log(10.0));
}

void TScaleExtents::Take(double minValue, double maxValue) {
  if (!Found) {
    Found = true;
    Min = minValue;
    Max = maxValue;
    return;
  }
  Min = std::min(Min, minValue);
  Max = std::max(Max, maxValue);
}

void AutoScale(TScale& scale, TAxisType kind, bool haveSeries, const TScaleExtents& extents) {
  long double min = 0;
  long double max = 0;
  RawBounds(scale.Data(), haveSeries, extents, min, max);
  if (scale.LogScale()) {
    AutoScaleLogarithmic(scale, kind, min, max);
    return;
  }
  TStep step = ChooseStep(max - min, kind);
  if (scale.MinAutomatic()) scale.SetMin(RoundedBound(min, step, 0));
  if (scale.MaxAutomatic()) scale.SetMax(RoundedBound(max, step, 1));
  // A fixed bound far from the data (or on the other side of it) leaves a drawn span of many
  // steps; the units then come from that span so that the axis never walks millions of ticks.
  const long double drawn = std::fabs(static_cast<long double>(scale.Max()) - scale.Min());
  if (std::isfinite(drawn) && drawn > 0 && drawn / step.Value() > kMaxAutomaticSteps)
    step = ChooseStep(drawn, kind);
  StoreUnits(scale, step);
}

void MajorTicks(const TScaleData& scale, bool logarithmic, std::vector<double>& ticks) {
  ticks.clear();
  if (!std::isfinite(scale.Min) || !std::isfinite(scale.Max)) return;
  const bool reverse = scale.ReverseOrder;
  if (logarithmic) {
    if (!(scale.Min > 0 && scale.Max > 0)) return;
    const double up = 1 + 1e-9;
    const double down = 1 - 1e-9;
    int k = static_cast<int>(std::clamp(std::floor(std::log10(scale.Min)), -400.0, 400.0));
    if (!reverse) {
      // The powers of ten strictly above Min, up to Max.
      while (k <= kHighestPower && Power10(k) <= scale.Min * up) ++k;
      for (; k <= kHighestPower && ticks.size() < kMaxTickCount && Power10(k) <= scale.Max * up;
           ++k)
        ticks.push_back(Power10(k));
    } else {
      // The powers strictly below Min, down to Max.
      k += 1;
      while (k >= kLowestPower && Power10(k) >= scale.Min * down) --k;
      for (; k >= kLowestPower && ticks.size() < kMaxTickCount && Power10(k) >= scale.Max * down;
           --k)
        ticks.push_back(Power10(k));
    }
    return;
  }
  const double unit = scale.MajorUnit;
  if (!(unit > 0) || !std::isfinite(unit)) return;
  const double tolerance = unit * 1e-9;
  for (std::size_t i = 0; i < kMaxTickCount; ++i) {
    const double step = static_cast<double>(i) * unit;
    double v = reverse ? scale.Min - step : scale.Min + step;
    if (reverse ? v < scale.Max - tolerance : v > scale.Max + tolerance) break;
    if (std::fabs(v) < tolerance) v = 0.0;  // also no "-0" label
    ticks.push_back(v);
  }
}

void MinorTicks(const TScaleData& scale, bool logarithmic, std::vector<double>& ticks) {
  ticks.clear();
  if (!std::isfinite(scale.Min) || !std::isfinite(scale.Max)) return;
  if (logarithmic) {
    if (!(scale.Min > 0 && scale.Max > 0)) return;
    const double lo = std::min(scale.Min, scale.Max) * (1 - 1e-9);
    const double hi = std::max(scale.Min, scale.Max) * (1 + 1e-9);
    int k = static_cast<int>(std::clamp(std::floor(std::log10(lo)), -400.0, 400.0));
    for (; k <= kHighestPower; ++k) {
      for (int j = 1; j <= 9; ++j) {
        const double v = static_cast<double>(DecimalValue(j, k));
        if (v > hi || ticks.size() >= kMaxTickCount) return;
        if (v >= lo) ticks.push_back(v);
      }
    }
    return;
  }
  TScaleData minor = scale;
  minor.MajorUnit = scale.MinorUnit;
  MajorTicks(minor, false, ticks);
}

double TAxisMapping::Offset(double value) const {
  if (!Logarithmic) return (value - Min) * Factor;
  if (!(value > 0) || !std::isfinite(value)) return NAN;
  return (std::log10(value) - LogMin) * Factor;
}

}  // namespace aqv
