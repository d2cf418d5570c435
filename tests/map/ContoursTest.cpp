#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "map/Contours.h"
#include "tests/map/MapTestModels.h"

namespace aqv {
namespace {

using test::ComputeGrid;
using test::OneWellMapModel;

struct TSegment {
  int LevelNo;
  double X1, Y1, X2, Y2;
};

class TCollectingSink : public TContourSink {
 public:
  void Segment(int levelNo, double x1, double y1, double x2, double y2) override {
    Segments.push_back({levelNo, x1, y1, x2, y2});
  }
  std::vector<TSegment> Segments;
};

TContourLevels LevelsOf(std::vector<double> values, TContourSettings settings = {}) {
  return ComputeContourLevels(values.data(), static_cast<int>(values.size()), settings);
}

struct TIntervalCase {
  double Range, Interval;
};
class AutomaticInterval : public ::testing::TestWithParam<TIntervalCase> {};

TEST_P(AutomaticInterval, IsTheFirstOfTwoFiveTenTimesAPowerOfTenWithAtMostFortySteps) {
  EXPECT_NEAR(AutomaticContourInterval(GetParam().Range), GetParam().Interval,
              1e-12 * GetParam().Interval);
}

INSTANTIATE_TEST_SUITE_P(Ranges, AutomaticInterval,
                         ::testing::Values(TIntervalCase{5, 0.2}, TIntervalCase{500, 20},
                                           TIntervalCase{1, 0.05}, TIntervalCase{0.3, 0.01},
                                           TIntervalCase{4000, 100}, TIntervalCase{0, 0}));

TEST(ContourLevels, RangeAlwaysContainsZeroAndLevelsStartAtZeroForDrawdownOnly) {
  const TContourLevels l = LevelsOf({1.0, 5.0, 3.0});
  EXPECT_EQ(l.Min, 0);
  EXPECT_EQ(l.Max, 5);
  EXPECT_NEAR(l.Interval, 0.2, 1e-12);
  EXPECT_EQ(l.FirstLevelNo, 0);
  EXPECT_EQ(l.LastLevelNo, 25);
  EXPECT_EQ(l.Count, 26);
  EXPECT_EQ(l.Levels[0], 0);
  // The level 0 is listed but not drawn: the queries skip it.
  EXPECT_NEAR(MinContourLevel(l), 0.2, 1e-12);
  EXPECT_NEAR(MaxContourLevel(l), 5.0, 1e-12);
}

TEST(ContourLevels, AllZeroGridHasNoIntervalNoLevelsAndBothQueriesGiveTheNoLevelValue) {
  const TContourLevels l = LevelsOf({0, 0, 0});
  EXPECT_EQ(l.Interval, 0);
  EXPECT_EQ(l.Count, 0);
  EXPECT_EQ(MinContourLevel(l), kNoContourLevel);
  EXPECT_EQ(MaxContourLevel(l), kNoContourLevel);
}

TEST(ContourLevels, UserBoundsOnlyNarrowAndAReversedPairGivesNoLevels) {
  TContourSettings s;
  s.AutoMin = s.AutoMax = s.AutoInterval = false;
  s.Interval = 1;
  s.Min = -10;  // wider than the data: ignored
  s.Max = 2;
  TContourLevels l = LevelsOf({-3, 4}, s);
  EXPECT_EQ(l.Min, -3);
  EXPECT_EQ(l.Max, 2);
  EXPECT_EQ(l.Count, 6);
  s.Min = 2.5;
  s.Max = 1.5;
  l = LevelsOf({-3, 4}, s);
  EXPECT_EQ(l.Count, 0);
}

TEST(ContourLevels, LevelNumbersAroundNegativeAndPositiveBoundsFollowTruncation) {
  TContourSettings s;
  s.AutoInterval = false;
  s.Interval = 0.5;
  const TContourLevels l = LevelsOf({-1.2, 0.7}, s);
  EXPECT_EQ(l.FirstLevelNo, -2);  // Trunc(-2.4)
  EXPECT_EQ(l.LastLevelNo, 1);    // Trunc(1.4)
  EXPECT_EQ(l.Levels[0], -1.0);
  const TContourLevels below = LevelsOf({-1.2, -0.7}, s);  // max stays 0
  EXPECT_EQ(below.LastLevelNo, 0);
}

TEST(ContourLevels, TinyIntervalOverAHugeRangeIsClampedWithoutIntegerOverflow) {
  TContourSettings s;
  s.AutoInterval = false;
  s.Interval = 1e-9;
  const TContourLevels l = LevelsOf({-1e6, 1e6}, s);
  EXPECT_EQ(l.Count, kMaxContourLevels);
  EXPECT_LT(l.FirstLevelNo, 0);
  EXPECT_LE(l.FirstLevelNo, l.LastLevelNo);
  for (int k = 1; k < l.Count; ++k) ASSERT_GT(l.Levels[k], l.Levels[k - 1]);
  // A zero or negative user interval gives no levels instead of a division.
  s.Interval = 0;
  EXPECT_EQ(LevelsOf({-1, 1}, s).Count, 0);
  s.Interval = -1;
  EXPECT_EQ(LevelsOf({-1, 1}, s).Count, 0);
}

TEST(ContourLevels, SingleLevelAtZeroNeverReadsBeforeTheLevels) {
  TContourSettings s;
  s.AutoInterval = s.AutoMin = s.AutoMax = false;
  s.Interval = 1;
  s.Min = -0.5;
  s.Max = 0.5;
  const TContourLevels l = LevelsOf({-2, 2}, s);
  ASSERT_EQ(l.Count, 1);
  EXPECT_EQ(l.Levels[0], 0);
  EXPECT_EQ(MinContourLevel(l), kNoContourLevel);
  EXPECT_EQ(MaxContourLevel(l), kNoContourLevel);
  s.Min = 0.5;
  s.Max = 1.5;
  const TContourLevels one = LevelsOf({-2, 2}, s);
  ASSERT_EQ(one.Count, 1);
  EXPECT_EQ(MinContourLevel(one), 1.0) << "a single level other than zero is both ends";
  EXPECT_EQ(MaxContourLevel(one), 1.0);
}

// A 10 x 10 grid with a hand-set value field.
TDrawdownGrid PlaneGrid(double (*field)(double, double)) {
  TGridLayout g = ComputeGridLayout({0, 9, 0, 9 * std::sqrt(3.0)});
  TDrawdownGrid grid;
  grid.Reset(g);
  for (int i = 0; i < grid.ValueCount(); ++i) grid.Add(i, field(grid.PointX(i), grid.PointY(i)));
  return grid;
}

TEST(Tracing, SegmentsInterpolateToTheirLevelAlongTheTriangleSides) {
  const TDrawdownGrid grid = PlaneGrid([](double x, double y) { return 0.3 * x + 0.1 * y; });
  const TContourLevels levels = ComputeContourLevels(grid.Values(), grid.ValueCount(), {});
  TCollectingSink sink;
  TraceContours(grid, levels, sink);
  ASSERT_FALSE(sink.Segments.empty());
  for (const TSegment& s : sink.Segments) {
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
  TContourLevels levels;
  levels.Interval = 1;
  levels.Count = 1;
  levels.Levels[0] = 1;
  TCollectingSink sink;
  TraceContours(grid, levels, sink);
  ASSERT_FALSE(sink.Segments.empty());
  for (const TSegment& s : sink.Segments) {
    EXPECT_DOUBLE_EQ(s.Y1, g.NodeY[top]);
    EXPECT_DOUBLE_EQ(s.Y2, g.NodeY[top]);
  }
}

TEST(Tracing, ContoursAroundAWellCloseOnThemselves) {
  TDrawdownGrid grid;
  ComputeGrid(OneWellMapModel(30, -20), 3.0, grid);
  const TContourLevels levels = ComputeContourLevels(grid.Values(), grid.ValueCount(), {});
  ASSERT_GT(levels.Count, 5);
  TCollectingSink sink;
  TraceContours(grid, levels, sink);
  // Every end point of a closed level is shared by exactly two segments of that level.
  const double level = levels.Levels[levels.Count - 3];
  const int levelNo = static_cast<int>(std::lround(level / levels.Interval));
  std::map<std::pair<long long, long long>, int> ends;
  int segments = 0;
  auto key = [](double x, double y) {
    return std::make_pair(std::llround(x * 1e6), std::llround(y * 1e6));
  };
  for (const TSegment& s : sink.Segments) {
    if (s.LevelNo != levelNo) continue;
    ++segments;
    ++ends[key(s.X1, s.Y1)];
    ++ends[key(s.X2, s.Y2)];
    const double r1 = std::hypot(s.X1 - 30, s.Y1 + 20);
    EXPECT_LT(r1, 400);  // the high level lies close around the well
  }
  ASSERT_GT(segments, 8);
  for (const auto& [point, count] : ends) EXPECT_EQ(count, 2);
}

TEST(Tracing, NoIntervalOrNoLevelsTracesNothing) {
  TDrawdownGrid grid;
  ComputeGrid(OneWellMapModel(), 3.0, grid);
  TCollectingSink sink;
  TraceContours(grid, TContourLevels{}, sink);
  EXPECT_TRUE(sink.Segments.empty());
}

}  // namespace
}  // namespace aqv
