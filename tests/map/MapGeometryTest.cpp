#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "map/MapGeometry.h"

namespace aqv {
namespace {

TEST(NodeCounts, FollowTheWindowAspectWithinTenToHundredFifty) {
  const std::tuple<TMapWindow, int, int> cases[] = {
      {{0, 1000, 0, 1}, 150, 10}, {{0, 100, 0, 100}, 110, 63}, {{-5, 5, 0, 1000}, 11, 150}};
  for (const auto& [window, nodesX, nodesY] : cases) {
    SCOPED_TRACE(window.X2);
    const TGridLayout g = ComputeGridLayout(window);
    EXPECT_EQ(std::pair(g.NodeCountX, g.NodeCountY), std::pair(nodesX, nodesY));
    EXPECT_LE(g.NodeCountX * g.NodeCountY, kMaxGridNodes);
    EXPECT_LT(g.ValueCount(), kMaxGridValues);
    EXPECT_DOUBLE_EQ(g.NodeX[0], window.X1);
    EXPECT_DOUBLE_EQ(g.NodeX[g.NodeCountX - 1], window.X2);
    EXPECT_DOUBLE_EQ(g.NodeY[g.NodeCountY - 1], window.Y2);
    EXPECT_DOUBLE_EQ(g.HalfCellX, (g.NodeX[1] - g.NodeX[0]) / 2);
  }
}

TEST(GridLayout, DegenerateWindowGivesNoGrid) {
  for (const TMapWindow w :
       {TMapWindow{5, 5, 0, 1}, TMapWindow{6, 5, 0, 1}, TMapWindow{0, 1, 2, 2},
        TMapWindow{0, 1, 3, 2}, TMapWindow{0, std::numeric_limits<double>::infinity(), 0, 1}}) {
    const TGridLayout g = ComputeGridLayout(w);
    EXPECT_EQ(std::pair(g.IsEmpty(), g.ValueCount()), std::pair(true, 0)) << w.X1 << " " << w.Y1;
  }
}

TEST(PlotLayout, LegendOnTheLeftMovesThePlotRightByItsWidth) {
  const TMapWindow w{0, 100, 0, 100};
  const TPlotLayout right = ComputePlotLayout(600, 400, 130, TPlacement::plRight, w, 1);
  const TPlotLayout bottom = ComputePlotLayout(600, 400, 130, TPlacement::plBottom, w, 1);
  const TPlotLayout left = ComputePlotLayout(600, 400, 130, TPlacement::plLeft, w, 1);
  const TPlotLayout top = ComputePlotLayout(600, 400, 130, TPlacement::plTop, w, 1);
  EXPECT_EQ(std::tuple(right.Left, right.Right, right.Top, right.Bottom),
            std::tuple(20, 600 - 130 - 20, 20, 380));
  EXPECT_EQ(bottom.Right, right.Right);
  EXPECT_EQ(std::tuple(left.Left, left.Right, top.Left), std::tuple(150, 580, 150));
  // Isotropic: the tighter direction sets the scale (360 px for 100 m).
  EXPECT_DOUBLE_EQ(right.Scale, 3.6);
  EXPECT_DOUBLE_EQ(ComputePlotLayout(300, 600, 0, TPlacement::plNone, w, 1).Scale, 2.6);  // width
  EXPECT_TRUE(right.Valid);
}

TEST(PlotLayout, DegenerateWindowOrZeroPlotAreaIsNotValidAndNeverDividesByZero) {
  const TPlotLayout a = ComputePlotLayout(600, 400, 0, TPlacement::plNone, {5, 5, 0, 1}, 1);
  const TPlotLayout b = ComputePlotLayout(600, 400, 0, TPlacement::plNone, {0, 1, 9, 3}, 1);
  const TPlotLayout c = ComputePlotLayout(30, 30, 0, TPlacement::plNone, {0, 1, 0, 1}, 1);
  const TPlotLayout d = ComputePlotLayout(40, 400, 0, TPlacement::plNone, {0, 1, 0, 1}, 1);
  for (const TPlotLayout& l : {a, b, c, d}) {
    EXPECT_EQ(std::tuple(l.Valid, l.Scale), std::tuple(false, 0));
    EXPECT_EQ(ScreenToWorldX(l, 100), l.WorldCentreX);
    EXPECT_EQ(WorldToScreenX(l, 1e300), SaturatePixel(l.CentreX));
  }
}

TEST(Pixels, ConvertBothWaysWithNorthUpAndHalvesToEven) {
  const TPlotLayout l{.CentreX = 100,
                      .CentreY = 50,
                      .WorldCentreX = 10,
                      .WorldCentreY = 20,
                      .Scale = 1,
                      .Valid = true};
  // 102.5 and 103.5 to even; north is up.
  EXPECT_EQ(std::tuple(WorldToScreenX(l, 12.5), WorldToScreenX(l, 13.5), WorldToScreenY(l, 30)),
            std::tuple(102, 104, 40));
  EXPECT_DOUBLE_EQ(ScreenToWorldX(l, 102), 12);
  EXPECT_DOUBLE_EQ(ScreenToWorldY(l, 40), 30);
}

TEST(Pixels, FarAwayCoordinatesSaturateInsteadOfOverflowing) {
  const TPlotLayout l{.Scale = 1e6, .Valid = true};
  EXPECT_EQ(
      std::tuple(WorldToScreenX(l, 1e12), WorldToScreenX(l, -1e12), WorldToScreenY(l, -1e300)),
      std::tuple(kPixelLimit, -kPixelLimit, kPixelLimit));
  EXPECT_EQ(WorldToScreenX(l, std::numeric_limits<double>::quiet_NaN()), -kPixelLimit);
  // A box's size added to a saturated offset still fits in 32 bits.
  EXPECT_GT(WorldToScreenX(l, 1e12) + 5000, 0);
}

TEST(Zoom, ZoomOutDoublesAboutTheCentreAndMovesOutToTheGrid) {
  EXPECT_EQ(ZoomOutWindow({0, 100, 0, 100}, 50, 50, 10), (TMapWindow{-60, 160, -60, 160}));
}

TEST(Zoom, CornersSnapWithHalvesAwayFromZero) {
  EXPECT_EQ(std::tuple(SnapToStep(12.5, 1), SnapToStep(-12.5, 1), SnapToStep(12.4, 1)),
            std::tuple(13, -13, 12));
  EXPECT_EQ(std::tuple(SnapStep(9), SnapStep(100), SnapToStep(1234, 10)), std::tuple(1, 10, 1230));
}

TEST(Zoom, GridSpacingIsAPowerOfTenAboveFiftyPixelsRefinedForSmallWindows) {
  const TMapWindow w{0, 1000, 0, 1000};
  const TPlotLayout l = ComputePlotLayout(540, 540, 0, TPlacement::plNone, w, 1);  // 0.5 px/m
  EXPECT_DOUBLE_EQ(GridSpacing(l, w, 1), 100);
  const TMapWindow small{0, 100, 0, 100};
  const TPlotLayout s = ComputePlotLayout(140, 140, 0, TPlacement::plNone, small, 1);  // 1 px/m
  EXPECT_DOUBLE_EQ(GridSpacing(s, small, 1), 50);  // n = 2 gives half the spacing
  EXPECT_TRUE(IsWindowUndefined({0, 1, 0, 1}));
  EXPECT_FALSE(IsWindowUndefined({0, 2, 0, 1}));
}

}  // namespace
}  // namespace aqv
