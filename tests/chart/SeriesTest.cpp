#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "chart/Series.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

using test::TEventLog;

// The extents a full pass over the points gives: the first of equal extremes, missing and
// non-finite values skipped.
struct TExpectedExtents {
  TSeriesExtent MaxX, MaxY, MinX, MinY;
};

TExpectedExtents BruteForceExtents(const TSeries& series) {
  TExpectedExtents e;
  const auto take = [](TSeriesExtent& extent, int i, double v, bool isMax) {
    if (v == kMissingValue || !std::isfinite(v)) return;
    if (extent.Index == -1 || (isMax ? v > extent.Value : v < extent.Value)) extent = {i, v};
  };
  for (int i = 0; i < series.GetCount(); ++i) {
    take(e.MaxX, i, series.GetX(i), true);
    take(e.MinX, i, series.GetX(i), false);
    take(e.MaxY, i, series.GetY(i), true);
    take(e.MinY, i, series.GetY(i), false);
  }
  return e;
}

TEST(TMarker, StartsAsABlueSquareOfSixPixelsAndSettersFireEvenWhenUnchanged) {
  TMarker marker;
  EXPECT_EQ(marker.Data(), (TMarkerData{0xFF0000, 6, TMarkerStyle::msSquare}));
  TEventLog log(marker);
  marker.SetColor(clBlue);
  marker.SetSize(6);
  marker.SetStyle(TMarkerStyle::msTriangle);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(3, &marker));
  TMarker copy(marker);
  EXPECT_EQ(std::tuple(static_cast<bool>(copy.OnChange), copy.Style()),
            std::tuple(false, TMarkerStyle::msTriangle));
}

// A grid of fixed text, enough to stand for a string grid in a range binding.
class TFixedGrid final : public TCellGrid {
 public:
  int ColCount() const override { return 2; }
  int RowCount() const override { return 2; }
  std::string Cells(int, int) const override { return "1"; }
};

TEST(TSeriesRange, SettersStoreAndFire) {
  TSeriesRange range;
  TEventLog log(range);
  TFixedGrid grid;
  range.SetGrid(&grid);
  range.SetYAxis(2);
  range.SetXRange({1, 2, 1, 10});
  range.SetYRange({2, 2, 2, 10});
  EXPECT_EQ(std::tuple(log.Senders, range.Grid(), range.YRange()),
            std::tuple(std::vector<TObject*>(4, &range), &grid, TCellRange{2, 2, 2, 10}));
}

TEST(TSeries, StartsEmptyWithItsDefaultFormats) {
  const TSeries series;
  EXPECT_EQ(series.GetCount(), 0);
  for (const TSeriesExtent& e :
       {series.MaxXExtent(), series.MaxYExtent(), series.MinXExtent(), series.MinYExtent()})
    EXPECT_EQ(e.Index, -1);
  EXPECT_EQ(std::tuple(series.Number().Data(), series.Patterns().Border().Style(),
                       series.Patterns().Border().Width(), series.Font().Color(),
                       series.Alignment().Alignment(), series.Range().YAxis()),
            std::tuple(TNumberData{TFloatFormat::ffFixed, 2}, TPenStyle::psSolid, 2, clBlack,
                       TMyAlignmentTypes::maCenter, 1));
  EXPECT_FALSE(series.ShowLabels() || series.Selected());
  EXPECT_EQ(series.Reference(), nullptr);
}

TEST(TSeries, ForwardsEveryOwnedFormatAsTheSeries) {
  TSeries series;
  TEventLog log(series);
  series.Alignment().SetAlignment(TMyAlignmentTypes::maTop);
  series.Font().SetSize(12);
  series.Marker().SetSize(0);
  series.Number().SetDecimalPlaces(4);
  series.Patterns().Border().SetColor(clRed);
  series.Range().SetYAxis(2);
  series.SetName("Well 1, aquifer 1");
  series.SetShowLabels(true);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(8, &series));
  series.SetSelected(true);  // drawing state: silent
  EXPECT_EQ(log.Senders.size(), 8u);
}

TEST(TSeries, InsertPointAppendsFiresAndTracksExtents) {
  TSeries series;
  TEventLog log(series);
  series.InsertPoint(0, 1.0, 5.0);
  series.InsertPoint(7, 2.0, -3.0);  // beyond the end: appended
  series.InsertPoint(2, 0.5, 8.0);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(3, &series));
  ASSERT_EQ(series.GetCount(), 3);
  EXPECT_EQ(std::tuple(series.GetX(1), series.GetY(2), series.GetMaxY(), series.GetMinX()),
            std::tuple(2.0, 8.0, 8.0, 0.5));
  EXPECT_EQ((std::vector{series.MaxXExtent(), series.MinXExtent(), series.MaxYExtent(),
                         series.MinYExtent()}),
            (std::vector<TSeriesExtent>{{1, 2.0}, {2, 0.5}, {2, 8.0}, {1, -3.0}}));
}

TEST(TSeries, InsertAtZeroPutsThePointAtTheHead) {
  TSeries series;
  series.InsertPoint(0, 1.0, 10.0);
  series.InsertPoint(1, 2.0, 20.0);
  series.InsertPoint(0, 0.0, 0.0);
  series.InsertPoint(-3, -1.0, -10.0);  // a negative index also means the head
  ASSERT_EQ(series.GetCount(), 4);
  EXPECT_EQ((std::vector{series.GetX(0), series.GetX(1), series.GetX(2), series.GetX(3)}),
            (std::vector{-1.0, 0.0, 1.0, 2.0}));
}

TEST(TSeries, MissingValuesNeverEnterTheExtents) {
  TSeries series;
  series.InsertPoint(0, 1.0, kMissingValue);
  series.InsertPoint(1, 2.0, kMissingValue);
  // The missing value is stored like any value.
  EXPECT_EQ(std::tuple(series.MaxYExtent().Index, series.MinYExtent().Index, series.MaxXExtent(),
                       series.GetY(0)),
            std::tuple(-1, -1, TSeriesExtent{1, 2.0}, kMissingValue));
  series.InsertPoint(2, kMissingValue, 4.0);
  EXPECT_EQ(std::tuple(series.MaxXExtent(), series.MaxYExtent()),
            std::tuple(TSeriesExtent{1, 2.0}, TSeriesExtent{2, 4.0}));
  // Only exactly 1E15 is missing; a neighbouring value counts.
  series.InsertPoint(3, 3.0, std::nextafter(kMissingValue, 0.0));
  EXPECT_EQ(series.MaxYExtent().Index, 3);
}

TEST(TSeries, EqualMaximaKeepTheFirstPoint) {
  TSeries series;
  series.InsertPoint(0, 1.0, 7.0);
  series.InsertPoint(1, 1.0, 7.0);
  EXPECT_EQ(
      std::tuple(series.MaxYExtent().Index, series.MinYExtent().Index, series.MaxXExtent().Index),
      std::tuple(0, 0, 0));
}

TEST(TSeries, SetYLoweringTheMaximumFindsTheTrueMaximum) {
  TSeries series;
  const double ys[] = {3.0, 9.0, 5.0, 1.0};
  for (int i = 0; i < 4; ++i) series.InsertPoint(i, i, ys[i]);
  series.SetY(1, 2.0, false);
  EXPECT_EQ(std::tuple(series.MaxYExtent(), series.MinYExtent()),
            std::tuple(TSeriesExtent{2, 5.0}, TSeriesExtent{3, 1.0}));
  series.SetY(3, 4.0, false);  // raising the minimum
  EXPECT_EQ(series.MinYExtent(), (TSeriesExtent{1, 2.0}));
  series.SetY(0, 100.0, false);
  EXPECT_EQ(series.MaxYExtent(), (TSeriesExtent{0, 100.0}));
  series.SetY(0, kMissingValue, false);  // the maximum becomes missing
  EXPECT_EQ(series.MaxYExtent(), (TSeriesExtent{2, 5.0}));
}

TEST(TSeries, SetYFiresOnlyWhenAskedAndIgnoresOutOfRange) {
  TSeries series;
  series.InsertPoint(0, 0.0, 1.0);
  TEventLog log(series);
  series.SetY(0, 2.0, false);
  EXPECT_TRUE(log.Senders.empty());
  series.SetY(0, 3.0, true);
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&series});
  series.SetY(1, 9.0, true);
  series.SetY(-1, 9.0, true);
  EXPECT_EQ(std::tuple(log.Senders.size(), series.GetY(0), series.MaxYExtent()),
            std::tuple(1u, 3.0, TSeriesExtent{0, 3.0}));
}

TEST(TSeries, OutOfRangeReadsGiveDefaultsAndWritesDoNothing) {
  TSeries series;
  EXPECT_EQ(series.GetX(0), -1.0);
  series.InsertPoint(0, 4.0, 5.0);
  series.SetLabel(0, "t = 4");
  series.SetVisible(0, true);
  series.SetPixelX(0, 40);
  series.SetPixelY(0, 50);
  const int count = series.GetCount();
  for (const int index : {count, count + 5, -1, std::numeric_limits<int>::min()}) {
    EXPECT_EQ(
        std::tuple(series.GetX(index), series.GetY(index), series.GetLabel(index),
                   series.GetVisible(index), series.GetPixelX(index), series.GetPixelY(index)),
        std::tuple(-1.0, -1.0, "", false, -1, -1))
        << index;
    series.SetLabel(index, "x");
    series.SetVisible(index, false);
    series.SetPixelX(index, 1);
    series.SetPixelY(index, 1);
  }
  EXPECT_EQ(std::tuple(series.GetCount(), series.Points()[0]),
            std::tuple(1, TSeriesPoint{"t = 4", 4.0, 5.0, true, 40, 50}));
}

TEST(TSeries, ClearEmptiesSilently) {
  TSeries series;
  series.InsertPoint(0, 1.0, 2.0);
  TEventLog log(series);
  series.Clear();
  EXPECT_EQ(std::tuple(log.Senders.empty(), series.GetCount(), series.MaxXExtent().Index,
                       series.MinYExtent().Index),
            std::tuple(true, 0, -1, -1));
  series.InsertPoint(0, -1.0, -2.0);
  EXPECT_EQ(series.MaxYExtent(), (TSeriesExtent{0, -2.0}));
}

// Extent indexes used to stay put when a point was inserted before them, so they named the
// wrong point; a later SetY on the real extreme then skipped the recomputation and left a
// maximum that no point held.
TEST(TSeries, InsertBeforeAnExtremeKeepsTheExtentOnItsPoint) {
  TSeries series;
  series.InsertPoint(0, 1.0, 10.0);
  series.InsertPoint(1, 2.0, 5.0);
  series.InsertPoint(0, 0.0, 7.0);  // points now: 7, 10, 5
  EXPECT_EQ((std::vector{series.MaxYExtent(), series.MinYExtent(), series.MaxXExtent()}),
            (std::vector<TSeriesExtent>{{1, 10.0}, {2, 5.0}, {2, 2.0}}));
  series.SetY(1, 0.0, false);  // lower the real maximum
  EXPECT_EQ(std::tuple(series.MaxYExtent(), series.MinYExtent()),
            std::tuple(TSeriesExtent{0, 7.0}, TSeriesExtent{1, 0.0}));
}

// A NaN taken as the first extent would compare false with every later value and freeze the
// automatic scale at NaN.
TEST(TSeries, NonFiniteValuesNeverEnterTheExtents) {
  TSeries series;
  series.InsertPoint(0, std::nan(""), std::nan(""));
  series.InsertPoint(1, 1.0, std::numeric_limits<double>::infinity());
  series.InsertPoint(2, 2.0, 3.0);
  EXPECT_EQ((std::vector{series.MaxYExtent(), series.MinYExtent(), series.MinXExtent()}),
            (std::vector<TSeriesExtent>{{2, 3.0}, {2, 3.0}, {1, 1.0}}));
}

// Mixed insertions and changes, checked after every step against a full pass over the points.
TEST(TSeries, ExtentsAlwaysMatchAFullPass) {
  TSeries series;
  std::uint32_t state = 12345u;
  const auto next = [&state]() {
    state = state * 1664525u + 1013904223u;  // Numerical Recipes LCG
    return state >> 8;
  };
  for (int step = 0; step < 400; ++step) {
    const int count = series.GetCount();
    const double value = static_cast<double>(next() % 21) - 10.0;
    const double y = next() % 7 == 0 ? kMissingValue : value;
    if (count == 0 || next() % 3 != 0) {
      series.InsertPoint(static_cast<int>(next() % static_cast<std::uint32_t>(count + 2)),
                         static_cast<double>(next() % 50), y);
    } else {
      series.SetY(static_cast<int>(next() % static_cast<std::uint32_t>(count)), y, false);
    }
    const TExpectedExtents expected = BruteForceExtents(series);
    // Values must agree always; indexes may differ only between equal values.
    SCOPED_TRACE(step);
    EXPECT_EQ(std::tuple(series.MaxYExtent().Index == -1, series.GetMaxY(), series.GetMinY(),
                         series.GetMaxX(), series.GetMinX()),
              std::tuple(expected.MaxY.Index == -1, expected.MaxY.Value, expected.MinY.Value,
                         expected.MaxX.Value, expected.MinX.Value));
    if (series.MaxYExtent().Index != -1) {
      EXPECT_EQ(std::tuple(series.GetY(series.MaxYExtent().Index),
                           series.GetY(series.MinYExtent().Index)),
                std::tuple(series.GetMaxY(), series.GetMinY()));
    }
    EXPECT_EQ(
        std::tuple(series.GetX(series.MaxXExtent().Index), series.GetX(series.MinXExtent().Index)),
        std::tuple(series.GetMaxX(), series.GetMinX()));
  }
}

}  // namespace
}  // namespace aqv
