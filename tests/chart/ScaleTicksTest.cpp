#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "chart/NumberFormat.h"
#include "chart/ScaleTicks.h"

namespace aqv {
namespace {

// The extents of one series from min to max.
TScaleExtents Extents(double min, double max) {
  TScaleExtents extents;
  extents.Take(min, max);
  return extents;
}

// The major ticks of a scale, or its minor ticks.
std::vector<double> Ticks(const TScaleData& s, bool logarithmic, bool minor = false) {
  std::vector<double> ticks;
  (minor ? MinorTicks : MajorTicks)(s, logarithmic, ticks);
  return ticks;
}

TEST(Power10, GivesTheNearestDoubleOfEveryDecimalPower) {
  const std::pair<double, double> exact[] = {{-3, 1e-3},          {-1, 0.1},  {0, 1.0},
                                             {2, 100.0},          {22, 1e22}, {-300, 1e-300},
                                             {2.0 + 1e-12, 100.0}};
  for (const auto& [power, value] : exact) EXPECT_EQ(Power10(power), value) << power;
  EXPECT_NEAR(Power10(0.5), std::sqrt(10.0), 1e-12);
  EXPECT_EQ(std::tuple(Power10(-400), std::isinf(Power10(400))), std::tuple(0.0, true));
}

TEST(AutoScale, ChoosesBoundsAndUnitsOfTheLinearScale) {
  // What, axis, with series, data from and to; then the scale's Min, Max and units.
  const std::tuple<const char*, TAxisType, bool, double, double, double, double, double, double>
      cases[] = {
          {"empty chart", TAxisType::saX, false, 0, 0, -1, 1.5, 0.5, 0.1},
          {"all five", TAxisType::saY, true, 5, 5, 4.4, 5.6, 0.2, 0.05},
          {"all zero", TAxisType::saY, true, 0, 0, -1e-4, 1.5e-4, 5e-5, 1e-5},
          {"all minus five", TAxisType::saY, true, -5, -5, -5.6, -4.4, 0.2, 0.05},
          {"maximum 100 stays", TAxisType::saX, true, 0, 100, 0, 100, 20, 5},
          {"maximum 120 becomes 140", TAxisType::saX, true, 0, 120, 0, 140, 20, 5},
          {"tiny Y span gets the smallest step", TAxisType::saY, true, 1, 1.000001, 1, 1.00001,
           1e-5, 2e-6},
          // Bounds a hair beyond a multiple of the step take the next step, so no point is cut off.
          {"maximum a hair above 10", TAxisType::saX, true, 0, std::nextafter(10.0, 20.0), 0, 12, 2,
           0.5},
          {"minimum a hair below -4", TAxisType::saY, true, std::nextafter(-4.0, -8.0), 4, -6, 6, 2,
           0.5},
      };
  for (const auto& [what, kind, haveSeries, dataMin, dataMax, min, max, major, minor] : cases) {
    SCOPED_TRACE(what);
    TScale scale;
    TScaleExtents extents;
    if (haveSeries) {  // three series: the extremes come from the later ones
      const double middle = dataMin / 2 + dataMax / 2;
      extents.Take(middle, middle);
      extents.Take(dataMin, middle);
      extents.Take(middle, dataMax);
    }
    AutoScale(scale, kind, haveSeries, extents);
    EXPECT_DOUBLE_EQ(scale.Min(), min);
    EXPECT_DOUBLE_EQ(scale.Max(), max);
    EXPECT_DOUBLE_EQ(scale.MajorUnit(), major);
    EXPECT_DOUBLE_EQ(scale.MinorUnit(), minor);
  }
}

TEST(AutoScale, EmptyChartBoundsAreExactDecimals) {
  TScale scale;
  AutoScale(scale, TAxisType::saY, false, {});
  EXPECT_EQ(std::tuple(scale.Min(), scale.Max(), scale.MajorUnit()), std::tuple(-1.0, 1.5, 0.5));
}

TEST(AutoScale, LeavesFixedBoundsAndUnitsAlone) {
  TScale scale;
  scale.SetData({false, false, false, false, false, 2.0, 7.0, 3.0, 1.0, false}, false);
  AutoScale(scale, TAxisType::saX, true, Extents(-50, 50));
  EXPECT_EQ(std::tuple(scale.Min(), scale.Max(), scale.MajorUnit(), scale.MinorUnit()),
            std::tuple(2.0, 7.0, 3.0, 1.0));
}

TEST(AutoScale, RoundsLogarithmicBoundsToDecades) {
  // What, axis, data from and to; then the scale's Min and Max.
  const std::tuple<const char*, TAxisType, double, double, double, double> cases[] = {
      {"drawdowns start at 1E-3", TAxisType::saY, 0.03, 250, 1e-3, 1000},
      {"maximum 0.05 becomes 0.1", TAxisType::saY, 0.01, 0.05, 1e-3, 0.1},
      {"maximum 100 stays", TAxisType::saX, 2, 100, 1, 100},
      {"time minimum to its decade", TAxisType::saX, 0.002, 5, 1e-3, 10},
      {"secondary axis uses the data", TAxisType::saSecondaryY, 0.3, 4, 0.1, 10},
      // Data just beyond a decade reach the next one, so no point is cut off.
      {"maximum 1000.5 becomes 10000", TAxisType::saX, 2, 1000.5, 1, 10000},
      {"maximum 1.01 becomes 10", TAxisType::saSecondaryY, 0.5, 1.01, 0.1, 10},
      {"minimum 0.000999 becomes 1E-4", TAxisType::saX, 0.000999, 5, 1e-4, 10},
  };
  for (const auto& [what, kind, dataMin, dataMax, min, max] : cases) {
    SCOPED_TRACE(what);
    TScale scale;
    scale.SetLogScale(true);
    AutoScale(scale, kind, true, Extents(dataMin, dataMax));
    EXPECT_EQ(std::tuple(scale.Min(), scale.Max(), scale.MajorUnit(), scale.MinorUnit()),
              std::tuple(min, max, 1.0, 1.0));
  }
}

TEST(AutoScale, LogYMinimumOfOneThousandthOnlyBelowTheMaximum) {
  TScale scale;
  scale.SetLogScale(true);
  AutoScale(scale, TAxisType::saY, true, Extents(2e-5, 5e-4));
  EXPECT_EQ(std::tuple(scale.Max(), scale.Min(), scale.ReverseOrder()),
            std::tuple(1e-3, 1e-5, false));
}

TEST(AutoScale, LogMinimumKeptWhenTheDataReachZero) {
  TScale scale;
  scale.SetLogScale(true);
  scale.SetMin(0.5);
  AutoScale(scale, TAxisType::saY, true, Extents(0, 20));
  EXPECT_EQ(std::tuple(scale.Min(), scale.Max()), std::tuple(0.5, 100.0));
}

TEST(AutoScale, FixedMaximumFarBelowTheDataGivesBoundedTicks) {
  // A fixed maximum of 5 against data near 1000 gives a reversed axis 1000 .. 5: the units
  // come from that span, not from the 0.001 the data alone would give.
  TScale scale;
  scale.SetMaxAutomatic(false);
  scale.SetMax(5);
  AutoScale(scale, TAxisType::saY, true, Extents(1000, 1000.0005));
  EXPECT_EQ(std::tuple(scale.Min(), scale.ReverseOrder(), scale.MajorUnit()),
            std::tuple(1000.0, true, 200.0));
  EXPECT_EQ(Ticks(scale.Data(), false), (std::vector<double>{1000, 800, 600, 400, 200}));
}

TEST(AutoScale, NonFiniteBoundsNeverReachTheScale) {
  TScale scale;
  scale.SetData({false, false, true, true, false, NAN, INFINITY, 10, 2, false}, false);
  AutoScale(scale, TAxisType::saX, true, {});
  for (const double value : {scale.Min(), scale.Max(), scale.MajorUnit()})
    EXPECT_TRUE(std::isfinite(value)) << value;
  EXPECT_GT(scale.MajorUnit(), 0.0);
}

TEST(MajorTicks, WalkLinearScalesByIndexWithoutDrift) {
  const std::vector<double> ticks = Ticks({.Min = -0.3, .Max = 0.3, .MajorUnit = 0.1}, false);
  ASSERT_EQ(ticks.size(), 7u);
  EXPECT_EQ(std::tuple(ticks[3], FormatTickLabel(ticks[3]), FormatTickLabel(ticks[6])),
            std::tuple(0.0, "0", "0.3"));
}

TEST(MajorTicks, TinyNegativeTickPrintsZero) {
  // -0.9 + 3 * 0.3 is -1.1E-16 in binary.
  const std::vector<double> ticks = Ticks({.Min = -0.9, .Max = 0.9, .MajorUnit = 0.3}, false);
  ASSERT_EQ(ticks.size(), 7u);
  EXPECT_EQ(std::tuple(std::signbit(ticks[3]), ticks[3], FormatTickLabel(ticks[3])),
            std::tuple(false, 0.0, "0"));
}

TEST(MajorTicks, ReversedLinearScaleWalksDown) {
  EXPECT_EQ(Ticks({.Min = 10, .Max = 0, .MajorUnit = 5, .ReverseOrder = true}, false),
            (std::vector<double>{10, 5, 0}));
}

TEST(MajorTicks, DegenerateScalesStayBounded) {
  EXPECT_EQ(Ticks({.Min = 0, .Max = 1e6, .MajorUnit = 1e-9}, false).size(), kMaxTickCount);
  // A flag that says reversed where the bounds do not, a zero and a negative unit: no ticks.
  for (const TScaleData& s :
       {TScaleData{.Min = 0, .Max = 1e6, .MajorUnit = 1, .ReverseOrder = true},
        TScaleData{.Min = 0, .Max = 1e6, .MajorUnit = 0},
        TScaleData{.Min = 0, .Max = 1e6, .MajorUnit = -1}})
    EXPECT_TRUE(Ticks(s, false).empty()) << s.MajorUnit;
  EXPECT_EQ(Ticks({.Min = 1e-300, .Max = 1e300}, true).size(), 600u);
  EXPECT_EQ(Ticks({.Min = 1e-300, .Max = 1e300}, true, true).size(), kMaxTickCount);
}

TEST(MajorTicks, LogarithmicAxisLabelsThePowersAboveMin) {
  EXPECT_EQ(Ticks({.Min = 0.001, .Max = 10}, true), (std::vector<double>{0.01, 0.1, 1, 10}));
  EXPECT_EQ(Ticks({.Min = 20, .Max = 5000}, true), (std::vector<double>{100, 1000}));
  EXPECT_EQ(Ticks({.Min = 1000, .Max = 0.1, .ReverseOrder = true}, true),
            (std::vector<double>{100, 10, 1, 0.1}));
}

TEST(MinorTicks, LogarithmicMinorsRunOneToNinePerDecadeWithinTheScale) {
  const std::vector<double> ticks = Ticks({.Min = 0.001, .Max = 0.1}, true, true);
  ASSERT_EQ(ticks.size(), 19u);
  EXPECT_EQ((std::vector{ticks.front(), ticks[1], ticks[9], ticks[10], ticks.back()}),
            (std::vector{0.001, 0.002, 0.01, 0.02, 0.1}));
  EXPECT_EQ(Ticks({.Min = 0.5, .Max = 3}, true, true),
            (std::vector<double>{0.5, 0.6, 0.7, 0.8, 0.9, 1, 2, 3}));
}

TEST(TAxisMapping, LogarithmicMappingLeavesNonPositiveValuesUnplaced) {
  TAxisMapping m{true, 0.001, -3.0, 100.0};
  EXPECT_DOUBLE_EQ(m.Offset(0.1), 200.0);
  for (const double v : {0.0, -1.0, double(INFINITY)}) EXPECT_TRUE(std::isnan(m.Offset(v))) << v;
}

}  // namespace
}  // namespace aqv
