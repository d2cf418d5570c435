#include <gtest/gtest.h>

#include <limits>

#include "map/MapGeometry.h"

namespace aqv {
namespace {

struct TNodeCountCase {
  TMapWindow Window;
  int NodesX, NodesY;
};

class NodeCounts : public ::testing::TestWithParam<TNodeCountCase> {};

TEST_P(NodeCounts, FollowTheWindowAspectWithinTenToHundredFifty) {
  const TGridLayout g = ComputeGridLayout(GetParam().Window);
  EXPECT_EQ(g.NodeCountX, GetParam().NodesX);
  EXPECT_EQ(g.NodeCountY, GetParam().NodesY);
  EXPECT_LE(g.NodeCountX * g.NodeCountY, kMaxGridNodes);
  EXPECT_LT(g.ValueCount(), kMaxGridValues);
  EXPECT_DOUBLE_EQ(g.NodeX[0], GetParam().Window.X1);
  EXPECT_DOUBLE_EQ(g.NodeX[g.NodeCountX - 1], GetParam().Window.X2);
  EXPECT_DOUBLE_EQ(g.NodeY[g.NodeCountY - 1], GetParam().Window.Y2);
  EXPECT_DOUBLE_EQ(g.HalfCellX, (g.NodeX[1] - g.NodeX[0]) / 2);
}

INSTANTIATE_TEST_SUITE_P(Windows, NodeCounts,
                         ::testing::Values(TNodeCountCase{{0, 1000, 0, 1}, 150, 10},
                                           TNodeCountCase{{0, 100, 0, 100}, 110, 63},
                                           TNodeCountCase{{-5, 5, 0, 1000}, 11, 150}));

TEST(GridLayout, DegenerateWindowGivesNoGrid) {
  for (const TMapWindow w :
       {TMapWindow{5, 5, 0, 1}, TMapWindow{6, 5, 0, 1}, TMapWindow{0, 1, 2, 2},
        TMapWindow{0, 1, 3, 2}, TMapWindow{0, std::numeric_limits<double>::infinity(), 0, 1}}) {
    const TGridLayout g = ComputeGridLayout(w);
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.ValueCount(), 0);
  }
}

TEST(PlotLayout, LegendOnTheLeftMovesThePlotRightByItsWidth) {
  const TMapWindow w{0, 100, 0, 100};
  const TPlotLayout right = ComputePlotLayout(600, 400, 130, TPlacement::plRight, w, 1);
  const TPlotLayout bottom = ComputePlotLayout(600, 400, 130, TPlacement::plBottom, w, 1);
  const TPlotLayout left = ComputePlotLayout(600, 400, 130, TPlacement::plLeft, w, 1);
  const TPlotLayout top = ComputePlotLayout(600, 400, 130, TPlacement::plTop, w, 1);
  EXPECT_EQ(right.Left, 20);
  EXPECT_EQ(right.Right, 600 - 130 - 20);
  EXPECT_EQ(bottom.Right, right.Right);
  EXPECT_EQ(left.Left, 150);
  EXPECT_EQ(left.Right, 580);
  EXPECT_EQ(top.Left, 150);
  EXPECT_EQ(right.Top, 20);
  EXPECT_EQ(right.Bottom, 380);
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
    EXPECT_FALSE(l.Valid);
    EXPECT_EQ(l.Scale, 0);
    EXPECT_EQ(ScreenToWorldX(l, 100), l.WorldCentreX);
    EXPECT_EQ(WorldToScreenX(l, 1e300), SaturatePixel(l.CentreX));
  }
}

TEST(Pixels, ConvertBothWaysWithNorthUpAndHalvesToEven) {
  TPlotLayout l;
  l.CentreX = 100;
  l.CentreY = 50;
  l.WorldCentreX = 10;
  l.WorldCentreY = 20;
  l.Scale = 1;
  l.Valid = true;
  EXPECT_EQ(WorldToScreenX(l, 12.5), 102);  // 102.5 to even
  EXPECT_EQ(WorldToScreenX(l, 13.5), 104);
  EXPECT_EQ(WorldToScreenY(l, 30), 40);  // north is up
  EXPECT_DOUBLE_EQ(ScreenToWorldX(l, 102), 12);
  EXPECT_DOUBLE_EQ(ScreenToWorldY(l, 40), 30);
}

TEST(Pixels, FarAwayCoordinatesSaturateInsteadOfOverflowing) {
  TPlotLayout l;
  l.Scale = 1e6;
  l.Valid = true;
  EXPECT_EQ(WorldToScreenX(l, 1e12), kPixelLimit);
  EXPECT_EQ(WorldToScreenX(l, -1e12), -kPixelLimit);
  EXPECT_EQ(WorldToScreenY(l, -1e300), kPixelLimit);
  EXPECT_EQ(WorldToScreenX(l, std::numeric_limits<double>::quiet_NaN()), -kPixelLimit);
  // A box's size added to a saturated offset still fits in 32 bits.
  EXPECT_GT(WorldToScreenX(l, 1e12) + 5000, 0);
}

TEST(Zoom, ZoomOutDoublesAboutTheCentreAndMovesOutToTheGrid) {
  const TMapWindow out = ZoomOutWindow({0, 100, 0, 100}, 50, 50, 10);
  EXPECT_EQ(out, (TMapWindow{-60, 160, -60, 160}));
}

TEST(Zoom, CornersSnapWithHalvesAwayFromZero) {
  EXPECT_EQ(SnapToStep(12.5, 1), 13);
  EXPECT_EQ(SnapToStep(-12.5, 1), -13);
  EXPECT_EQ(SnapToStep(12.4, 1), 12);
  EXPECT_EQ(SnapStep(9), 1);
  EXPECT_EQ(SnapStep(100), 10);
  EXPECT_EQ(SnapToStep(1234, 10), 1230);
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
