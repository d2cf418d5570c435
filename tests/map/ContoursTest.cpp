#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "map/Contours.h"
#include "tests/map/MapTestModels.h"

namespace aqv {
namespace {

using test::ComputeGrid;
using test::OneWellMapModel;
using test::TracedSegments;
using test::TSegment;

TContourLevels LevelsOf(std::vector<double> values, TContourSettings settings = {}) {
  return ComputeContourLevels(values.data(), static_cast<int>(values.size()), settings);
}

TEST(AutomaticInterval, IsTheFirstOfTwoFiveTenTimesAPowerOfTenWithAtMostFortySteps) {
  const std::pair<double, double> cases[] = {{5, 0.2},    {500, 20},   {1, 0.05},
                                             {0.3, 0.01}, {4000, 100}, {0, 0}};
  for (const auto& [range, interval] : cases) {
    SCOPED_TRACE(range);
    EXPECT_NEAR(AutomaticContourInterval(range), interval, 1e-12 * interval);
  }
}

TEST(ContourLevels, RangeAlwaysContainsZeroAndLevelsStartAtZeroForDrawdownOnly) {
  const TContourLevels l = LevelsOf({1.0, 5.0, 3.0});
  EXPECT_NEAR(l.Interval, 0.2, 1e-12);
  EXPECT_EQ(std::tuple(l.Min, l.Max, l.FirstLevelNo, l.LastLevelNo, l.Count, l.Levels[0]),
            std::tuple(0, 5, 0, 25, 26, 0));
  // The level 0 is listed but not drawn: the queries skip it.
  EXPECT_NEAR(MinContourLevel(l), 0.2, 1e-12);
  EXPECT_NEAR(MaxContourLevel(l), 5.0, 1e-12);
}

TEST(ContourLevels, AllZeroGridHasNoIntervalNoLevelsAndBothQueriesGiveTheNoLevelValue) {
  const TContourLevels l = LevelsOf({0, 0, 0});
  EXPECT_EQ(std::tuple(l.Interval, l.Count, MinContourLevel(l), MaxContourLevel(l)),
            std::tuple(0, 0, kNoContourLevel, kNoContourLevel));
}

TEST(ContourLevels, UserBoundsOnlyNarrowAndAReversedPairGivesNoLevels) {
  TContourSettings s{false, false, false, 1, -10, 2};  // all given; the minimum wider than the data
  TContourLevels l = LevelsOf({-3, 4}, s);
  EXPECT_EQ(std::tuple(l.Min, l.Max, l.Count), std::tuple(-3, 2, 6));
  s.Min = 2.5;
  s.Max = 1.5;
  l = LevelsOf({-3, 4}, s);
  EXPECT_EQ(l.Count, 0);
}

TEST(ContourLevels, LevelNumbersAroundNegativeAndPositiveBoundsFollowTruncation) {
  const TContourSettings s{.AutoInterval = false, .Interval = 0.5};
  const TContourLevels l = LevelsOf({-1.2, 0.7}, s);
  // Trunc(-2.4) and Trunc(1.4).
  EXPECT_EQ(std::tuple(l.FirstLevelNo, l.LastLevelNo, l.Levels[0]), std::tuple(-2, 1, -1.0));
  const TContourLevels below = LevelsOf({-1.2, -0.7}, s);  // max stays 0
  EXPECT_EQ(below.LastLevelNo, 0);
}

TEST(ContourLevels, TinyIntervalOverAHugeRangeIsClampedWithoutIntegerOverflow) {
  TContourSettings s{.AutoInterval = false, .Interval = 1e-9};
  const TContourLevels l = LevelsOf({-1e6, 1e6}, s);
  EXPECT_EQ(l.Count, kMaxContourLevels);
  EXPECT_LT(l.FirstLevelNo, 0);
  EXPECT_LE(l.FirstLevelNo, l.LastLevelNo);
  for (int k = 1; k < l.Count; ++k) ASSERT_GT(l.Levels[k], l.Levels[k - 1]);
  // A zero or negative user interval gives no levels instead of a division.
  for (s.Interval = 0; s.Interval >= -1; --s.Interval)
    EXPECT_EQ(LevelsOf({-1, 1}, s).Count, 0) << s.Interval;
}

TEST(ContourLevels, SingleLevelAtZeroNeverReadsBeforeTheLevels) {
  TContourSettings s{false, false, false, 1, -0.5, 0.5};  // interval, minimum and maximum given
  const TContourLevels l = LevelsOf({-2, 2}, s);
  ASSERT_EQ(l.Count, 1);
  EXPECT_EQ(std::tuple(l.Levels[0], MinContourLevel(l), MaxContourLevel(l)),
            std::tuple(0, kNoContourLevel, kNoContourLevel));
  s.Min = 0.5;
  s.Max = 1.5;
  const TContourLevels one = LevelsOf({-2, 2}, s);
  ASSERT_EQ(one.Count, 1);
  // A single level other than zero is both ends.
  EXPECT_EQ(std::pair(MinContourLevel(one), MaxContourLevel(one)), std::pair(1.0, 1.0));
}

// A 10 x 10 grid with a hand-set value field.
TDrawdownGrid PlaneGrid(double (*field)(double, double)) {
  TDrawdownGrid grid;
  grid.Reset(ComputeGridLayout({0, 9, 0, 9 * std::sqrt(3.0)}));
  for (int i = 0; i < grid.ValueCount(); ++i) grid.Add(i, field(grid.PointX(i), grid.PointY(i)));
  return grid;
}

TEST(Tracing, SegmentsInterpolateToTheirLevelAlongTheTriangleSides) {
  const TDrawdownGrid grid = PlaneGrid([](double x, double y) { return 0.3 * x + 0.1 * y; });
  const TContourLevels levels = ComputeContourLevels(grid.Values(), grid.ValueCount(), {});
  const std::vector<TSegment> segments = TracedSegments(grid, levels);
  ASSERT_FALSE(segments.empty());
  for (const TSegment& s : segments) {
    const double level = s.LevelNo * levels.Interval;
    EXPECT_NEAR(0.3 * s.X1 + 0.1 * s.Y1, level, 1e-9);
    EXPECT_NEAR(0.3 * s.X2 + 0.1 * s.Y2, level, 1e-9);
    EXPECT_GT(s.LevelNo, 0);  // the level 0 at the origin is never traced
  }
}

TEST(Tracing, ValueExactlyOnALevelDrawsTheSideBetweenTheVerticesOnIt) {
  // Every value is 0 or 1; level 1 lies exactly on the north row of nodes.
  TGridLayout g = ComputeGridLayout({0, 9, 0, 9 * std::sqrt(3.0)});
  TDrawdownGrid grid;
  grid.Reset(g);
  const int top = g.NodeCountY - 1;
  for (int a = 0; a < g.NodeCountX; ++a) grid.Add(g.NodeIndex(a, top), 1.0);
  const TContourLevels levels{.Interval = 1, .Count = 1, .Levels = {1}};
  const std::vector<TSegment> segments = TracedSegments(grid, levels);
  ASSERT_FALSE(segments.empty());
  for (const TSegment& s : segments) {
    EXPECT_DOUBLE_EQ(s.Y1, g.NodeY[top]);
    EXPECT_DOUBLE_EQ(s.Y2, g.NodeY[top]);
  }
}

TEST(Tracing, ContoursAroundAWellCloseOnThemselves) {
  const TDrawdownGrid grid = ComputeGrid(OneWellMapModel(30, -20), 3.0);
  const TContourLevels levels = ComputeContourLevels(grid.Values(), grid.ValueCount(), {});
  ASSERT_GT(levels.Count, 5);
  // Every end point of a closed level is shared by exactly two segments of that level.
  const double level = levels.Levels[levels.Count - 3];
  const int levelNo = static_cast<int>(std::lround(level / levels.Interval));
  std::map<std::pair<long long, long long>, int> ends;
  int segments = 0;
  auto key = [](double x, double y) {
    return std::pair(std::llround(x * 1e6), std::llround(y * 1e6));
  };
  for (const TSegment& s : TracedSegments(grid, levels)) {
    if (s.LevelNo != levelNo) continue;
    ++segments;
    ++ends[key(s.X1, s.Y1)];
    ++ends[key(s.X2, s.Y2)];
    EXPECT_LT(std::hypot(s.X1 - 30, s.Y1 + 20), 400);  // the high level lies close around the well
  }
  ASSERT_GT(segments, 8);
  for (const auto& [point, count] : ends) EXPECT_EQ(count, 2);
}

TEST(Tracing, NoIntervalOrNoLevelsTracesNothing) {
  const TDrawdownGrid grid = ComputeGrid(OneWellMapModel(), 3.0);
  EXPECT_TRUE(TracedSegments(grid, TContourLevels{}).empty());
}

}  // namespace
}  // namespace aqv
