#include <gtest/gtest.h>

#include "chart/ChartModel.h"

namespace aqv {
namespace {

TEST(TChartModel, StartsWithTheDefaultTitlesAndTwoAxes) {
  const TChartModel chart;
  EXPECT_EQ(chart.ChartTitle.Text(), "Chart 1");
  EXPECT_EQ(chart.ChartTitle.Font().Name(), "Arial");
  EXPECT_EQ(chart.ChartTitle.Font().Size(), 18);
  EXPECT_EQ(chart.X_Axis.Title().Text(), "X-axis");
  EXPECT_EQ(chart.Y_Axis.Title().Alignment().Orientation(), 90);
  EXPECT_EQ(chart.SecondaryY_Axis.Kind(), TAxisType::saSecondaryY);
  EXPECT_TRUE(chart.Axes.Contains(TAxisType::saX));
  EXPECT_TRUE(chart.Axes.Contains(TAxisType::saY));
  EXPECT_FALSE(chart.Axes.Contains(TAxisType::saSecondaryY));
  EXPECT_EQ(chart.SeriesCount(), 0);
}

TEST(TChartModel, HoldsAtMostOneHundredTwentyEightSeries) {
  TChartModel chart;
  for (int i = 0; i < kMaxSeriesCount; ++i) ASSERT_NE(chart.AddSeries(), nullptr);
  EXPECT_EQ(chart.AddSeries(), nullptr);
  EXPECT_EQ(chart.SeriesCount(), kMaxSeriesCount);
  EXPECT_EQ(chart.Series(-1), nullptr);
  EXPECT_EQ(chart.Series(kMaxSeriesCount), nullptr);
  chart.ClearSeries();
  EXPECT_EQ(chart.SeriesCount(), 0);
}

}  // namespace
}  // namespace aqv
