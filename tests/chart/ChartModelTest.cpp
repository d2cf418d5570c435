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

TEST(TChartModel, InsertsAndDeletesSeriesInPlace) {
  TChartModel chart;
  TSeries* a = chart.AddSeries();
  TSeries* b = chart.AddSeries();
  TSeries* first = chart.InsertSeries(0);
  TSeries* last = chart.InsertSeries(99);  // outside: appended
  ASSERT_EQ(chart.SeriesCount(), 4);
  EXPECT_EQ(chart.Series(0), first);
  EXPECT_EQ(chart.Series(1), a);
  EXPECT_EQ(chart.Series(2), b);
  EXPECT_EQ(chart.Series(3), last);
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
