#include <gtest/gtest.h>

#include "chart/ChartModel.h"

namespace aqv {
namespace {

TEST(TChartModel, StartsWithTheDefaultTitlesAndTwoAxes) {
  const TChartModel chart;
  EXPECT_EQ(std::tuple(chart.ChartTitle.Text(), chart.ChartTitle.Font().Name(),
                       chart.ChartTitle.Font().Size(), chart.X_Axis.Title().Text(),
                       chart.Y_Axis.Title().Alignment().Orientation(), chart.SeriesCount()),
            std::tuple("Chart 1", "Arial", 18, "X-axis", 90, 0));
  EXPECT_EQ(
      std::tuple(chart.SecondaryY_Axis.Kind(), chart.Axes.Contains(TAxisType::saX),
                 chart.Axes.Contains(TAxisType::saY), chart.Axes.Contains(TAxisType::saSecondaryY)),
      std::tuple(TAxisType::saSecondaryY, true, true, false));
}

TEST(TChartModel, HoldsAtMostOneHundredTwentyEightSeries) {
  TChartModel chart;
  for (int i = 0; i < kMaxSeriesCount; ++i) ASSERT_NE(chart.AddSeries(), nullptr);
  EXPECT_EQ(chart.AddSeries(), nullptr);
  EXPECT_EQ(std::tuple(chart.SeriesCount(), chart.Series(-1), chart.Series(kMaxSeriesCount)),
            std::tuple(kMaxSeriesCount, nullptr, nullptr));
  chart.ClearSeries();
  EXPECT_EQ(chart.SeriesCount(), 0);
}

TEST(TChartModel, InsertsAndDeletesSeriesInPlace) {
  TChartModel chart;
  TSeries* a = chart.AddSeries();
  TSeries* b = chart.AddSeries();
  TSeries* first = chart.InsertSeries(0);
  TSeries* last = chart.InsertSeries(99);  // outside: appended
  ASSERT_EQ(chart.SeriesCount(), 4);
  EXPECT_EQ((std::vector{chart.Series(0), chart.Series(1), chart.Series(2), chart.Series(3)}),
            (std::vector{first, a, b, last}));
  chart.DeleteSeries(1);
  chart.DeleteSeries(-1);
  chart.DeleteSeries(3);
  ASSERT_EQ(chart.SeriesCount(), 3);
  EXPECT_EQ(chart.Series(1), b);
  while (chart.SeriesCount() < kMaxSeriesCount) chart.AddSeries();
  EXPECT_EQ(chart.InsertSeries(0), nullptr);
}

}  // namespace
}  // namespace aqv
