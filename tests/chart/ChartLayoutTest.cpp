#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "chart/ChartLayout.h"

namespace aqv {
namespace {

// Every font 10 pixels high, every character 6 pixels wide.
class TFixedMetrics final : public TTextMetrics {
 public:
  int TextHeight(const TFontData&) override { return 10; }
  int TextWidth(const TFontData&, std::string_view text) override {
    return 6 * static_cast<int>(text.size());
  }
};

// Rectangles from left, right, top and bottom.
using R = TPartRect;
using P = TPlotRect;

// The model laid out on a drawing of width x height pixels.
TChartLayout LaidOut(TChartModel& model, int width = 640, int height = 480) {
  TFixedMetrics metrics;
  TChartLayout layout;
  layout.Calc(model, metrics, width, height);
  return layout;
}

// A new series of the model holding the points (x, y) in order.
TSeries* AddPoints(TChartModel& model, std::initializer_list<std::pair<double, double>> points) {
  TSeries* s = model.AddSeries();
  for (const auto& [x, y] : points) s->InsertPoint(s->GetCount(), x, y);
  return s;
}

// Two series named "Series 0" and "Series 1" from 0 to 10 both ways, which scale 0 .. 10 by 2.
void AddTwoSeries(TChartModel& model) {
  for (int i = 0; i < 2; ++i)
    AddPoints(model, {{0, 0}, {10, 10}})->SetName("Series " + std::to_string(i));
}

TEST(TChartLayout, EmptyChartLaysOutTitleAxesAndPlotExactly) {
  TChartModel model;
  TChartLayout layout = LaidOut(model);
  EXPECT_EQ(std::tuple(layout.LegendShown(), layout.Plot()),
            std::tuple(false, P(90, 608, 74, 404)));
  EXPECT_EQ(
      (std::vector{model.ChartArea.Rect(), model.ChartTitle.Rect(), model.X_Axis.Title().Rect(),
                   model.X_Axis.Rect(), model.Y_Axis.Title().Rect(), model.Y_Axis.Rect()}),
      (std::vector{R(0, 640, 0, 480), R(295, 345, 32, 42), R(327, 371, 438, 448),
                   R(90, 608, 404, 430), R(32, 42, 217, 261), R(50, 90, 74, 404)}));
  EXPECT_DOUBLE_EQ(layout.LinearFactor(0), 518 / 2.5);
  EXPECT_DOUBLE_EQ(layout.LinearFactor(1), 330 / 2.5);
}

TEST(TChartLayout, PlacesTheLegendAndShrinksThePlotForEachPlacement) {
  const std::tuple<TPlacement, bool, TPartRect, TPlotRect> cases[] = {
      {TPlacement::plRight, true, R(536, 632, 74, 118), P(78, 504, 74, 404)},
      {TPlacement::plLeft, true, R(32, 128, 74, 118), P(206, 608, 74, 404)},
      {TPlacement::plBottom, true, R(78, 262, 422, 448), P(78, 608, 74, 346)},
      {TPlacement::plTop, true, R(78, 262, 74, 100), P(78, 608, 132, 404)},
      {TPlacement::plNone, false, R(0, 0, 0, 0), P(78, 608, 74, 404)},
  };
  for (const auto& [placement, shown, legend, plot] : cases) {
    SCOPED_TRACE(static_cast<int>(placement));
    TChartModel model;
    AddTwoSeries(model);
    model.Legend.SetPlacement(placement);
    TChartLayout layout = LaidOut(model);
    EXPECT_EQ(std::tuple(layout.LegendShown(), layout.Plot()), std::tuple(shown, plot));
    if (shown) {
      EXPECT_EQ(model.Legend.Rect(), legend);
    }
  }
}

TEST(TChartLayout, LegendGridShrinksToTheSeries) {
  TChartModel model;
  AddTwoSeries(model);
  TFixedMetrics metrics;
  model.Legend.SetPlacement(TPlacement::plRight);
  ASSERT_TRUE(CalcLegendLayout(model, metrics, 640, 480));
  EXPECT_EQ(model.Legend.Layout(), (TLegendLayout{88, 1, 2, 18}));
  model.Legend.SetPlacement(TPlacement::plBottom);
  ASSERT_TRUE(CalcLegendLayout(model, metrics, 640, 480));
  EXPECT_EQ(model.Legend.Layout(), (TLegendLayout{88, 2, 1, 18}));
  // The widest name sizes every entry, also when the first series has it.
  model.Series(0)->SetName("Observation well 1");
  ASSERT_TRUE(CalcLegendLayout(model, metrics, 640, 480));
  EXPECT_EQ(model.Legend.Layout(), (TLegendLayout{148, 2, 1, 18}));
}

TEST(TChartLayout, LegendLeftOutWhenThereIsNoRoom) {
  for (const TPlacement placement :
       {TPlacement::plRight, TPlacement::plLeft, TPlacement::plBottom, TPlacement::plTop}) {
    for (const int size : {0, 1, 100, 128}) {
      TChartModel model;
      AddTwoSeries(model);
      model.Legend.SetPlacement(placement);
      EXPECT_FALSE(LaidOut(model, size, size).LegendShown()) << size;
    }
  }
}

// X and Y fixed from 0 to 10 by 2 with no legend: the plot is (78, 608, 74, 404), 53 pixels per
// X unit and 33 per Y unit.
TChartModel& FixedScales(TChartModel& model) {
  for (TAxis* axis : {&model.X_Axis, &model.Y_Axis})
    axis->Scale().SetData({false, false, false, false, false, 0, 10, 2, 1, false}, false);
  model.Legend.SetPlacement(TPlacement::plNone);
  return model;
}

TEST(TChartLayout, PlacesInsidePointsAndHidesOutsidePoints) {
  TChartModel model;
  FixedScales(model);
  // (7, 12) lies above the plot: the segment leaving is not drawn.
  TSeries* s = AddPoints(model, {{5, 5}, {7, 12}, {8, kMissingValue}, {NAN, 3}});
  TChartLayout layout = LaidOut(model);
  ASSERT_EQ(layout.Plot(), P(78, 608, 74, 404));
  EXPECT_TRUE(s->GetVisible(0));
  EXPECT_EQ(std::pair(s->GetPixelX(0), s->GetPixelY(0)), std::pair(343, 239));
  for (int j = 1; j < 4; ++j) EXPECT_FALSE(s->GetVisible(j)) << j;
}

TEST(TChartLayout, SegmentFromBelowEntersAtTheBottomEdge) {
  TChartModel model;
  FixedScales(model);
  TSeries* s = AddPoints(model, {{1, -2}, {3, 2}});
  TChartLayout layout = LaidOut(model);
  EXPECT_EQ(std::tuple(s->GetVisible(0), layout.IsEntering(0, 0), layout.IsEntering(0, 1)),
            std::tuple(true, true, false));
  EXPECT_EQ((std::vector{s->GetPixelX(0), s->GetPixelY(0), s->GetPixelX(1), s->GetPixelY(1)}),
            (std::vector{184, 404, 237, 338}));
}

TEST(TChartLayout, SegmentFromTheLeftEntersAtTheLeftEdge) {
  TChartModel model;
  FixedScales(model);
  TSeries* s = AddPoints(model, {{-2, 4}, {2, 8}});
  TSeries* above = AddPoints(model, {{1, 12}, {3, 8}});
  TChartLayout layout = LaidOut(model);
  // From (-28, 272) to (184, 140): the left edge x = 78 is crossed at y = 206.
  EXPECT_EQ(std::pair(s->GetPixelX(0), s->GetPixelY(0)), std::pair(78, 206));
  // An entry through the top is not placed: the point outside lies on (237, 140) inside.
  EXPECT_EQ(std::pair(above->GetPixelX(0), above->GetPixelY(0)), std::pair(237, 140));
}

TEST(TChartLayout, PointsFarOutsideNeverOverflowAPixel) {
  TChartModel model;
  FixedScales(model);
  TSeries* s = AddPoints(model, {{1, -1e300}, {3, 2}, {-1e305, 1e305}, {4, 4}});
  TChartLayout layout = LaidOut(model);
  for (int j = 0; j < s->GetCount(); ++j) {
    if (!s->GetVisible(j)) continue;
    EXPECT_GE(s->GetPixelX(j), 78) << j;
    EXPECT_LE(s->GetPixelX(j), 608) << j;
    EXPECT_GE(s->GetPixelY(j), 74) << j;
    EXPECT_LE(s->GetPixelY(j), 404) << j;
  }
}

TEST(TChartLayout, NonPositiveValuesOnALogAxisAreGaps) {
  TChartModel model;
  FixedScales(model);
  model.X_Axis.Scale().SetData({false, false, false, false, true, 0.01, 100, 1, 1, false}, false);
  TSeries* s = AddPoints(model, {{0.0, 5}, {-3, 5}, {1, 5}, {10, 5}});
  TChartLayout layout = LaidOut(model);
  // The second point is outside but not placed: log10 of -3 does not exist. Four decades over
  // 530 pixels: 1 lies two decades in, 10 at 397.5 (rounded to even).
  EXPECT_EQ(std::tuple(layout.LogDrawable(0), s->GetVisible(0), s->GetVisible(1), s->GetVisible(2),
                       s->GetPixelX(2), s->GetPixelX(3)),
            std::tuple(true, false, false, true, 78 + 265, 476));
}

TEST(TChartLayout, LogScaleWithNonPositiveBoundsIsFlaggedAndDrawnLinearly) {
  TChartModel model;
  model.Y_Axis.Scale().SetData({false, false, true, true, true, -1, 10, 1, 1, false}, false);
  TFixedMetrics metrics;
  TChartLayout layout = LaidOut(model);
  EXPECT_EQ(std::tuple(layout.LogDrawable(1), layout.LogWarning(1), layout.LogWarning(0),
                       layout.Mapping(1, model.Y_Axis.Scale().Data()).Logarithmic),
            std::tuple(false, true, false, false));
  // A log axis that is not drawn warns of nothing.
  model.SecondaryY_Axis.Scale().SetData(model.Y_Axis.Scale().Data(), false);
  layout.Calc(model, metrics, 640, 480);
  EXPECT_FALSE(layout.LogWarning(2));
}

TEST(TChartLayout, EqualFixedBoundsKeepThePreviousFactors) {
  TChartModel model;
  FixedScales(model);
  TFixedMetrics metrics;
  TChartLayout layout = LaidOut(model);
  const double before = layout.LinearFactor(0);
  model.X_Axis.Scale().SetData({false, false, false, false, false, 3, 3, 1, 1, false}, false);
  layout.Calc(model, metrics, 640, 480);
  EXPECT_EQ(layout.LinearFactor(0), before);
}

TEST(TChartLayout, SlantedTickLabelsWidenTheirBandByTheirRotatedExtent) {
  // The widest label "10" is 12 x 10 pixels: flat, the X band is 10 and the Y band 12 pixels.
  TChartModel model;
  FixedScales(model);
  model.X_Axis.Alignment().SetOrientation(30);  // 12 sin 30 + 10 cos 30 = 14.7
  model.Y_Axis.Alignment().SetOrientation(60);  // 12 cos 60 + 10 sin 60 = 14.7
  TChartLayout layout = LaidOut(model);
  EXPECT_EQ(layout.Plot(), P(78 + 15 - 12, 608, 74, 404 - 15 + 10));
}

TEST(TChartLayout, SecondaryAxisTakesItsSeriesAndNarrowsThePlot) {
  TChartModel model;
  AddTwoSeries(model);
  model.Legend.SetPlacement(TPlacement::plNone);
  model.Axes.Include(TAxisType::saSecondaryY);
  model.Series(1)->Range().SetYAxis(2);
  model.Series(1)->SetY(1, 1000, false);
  TChartLayout layout = LaidOut(model);
  // Secondary title at 640 - 32, its band of "1000" (24 px) to the left of it.
  EXPECT_EQ(std::tuple(model.Y_Axis.Scale().Max(), model.SecondaryY_Axis.Scale().Max(),
                       model.SecondaryY_Axis.Title().Rect().Right, model.SecondaryY_Axis.Rect(),
                       layout.Plot().Right),
            std::tuple(10.0, 1000.0, 608, R(550, 590, 74, 404), 550));
}

TEST(TickLabelOrigin, PlacesFlatAndRotatedLabelsAtTheirTick) {
  // Tick at pixel 100 (X) or 200 (Y axes); labels 30 x 10 pixels.
  const TPlotRect plot{80, 600, 50, 400};
  using A = TMyAlignmentTypes;
  // Axis, alignment, angle; the origin expected.
  const std::tuple<int, TMyAlignmentTypes, int, int, int> cases[] = {
      {0, A::maCenter, 0, 85, 416},    {0, A::maLeft, 0, 100, 416},   {0, A::maRight, 360, 70, 416},
      {0, A::maCenter, 90, 95, 446},    // reads upward, ends 16 px below the plot
      {0, A::maCenter, 270, 105, 416},  // reads downward from 16 px below the plot
      {1, A::maCenter, 0, 34, 195},    {1, A::maLeft, 0, 34, 190},    {1, A::maRight, 0, 34, 200},
      {1, A::maCenter, 45, 39, 218},   {1, A::maCenter, 90, 59, 200}, {2, A::maCenter, 0, 616, 195},
      {2, A::maCenter, 270, 621, 170},
  };
  int x = 0, y = 0;
  for (const auto& [axis, alignment, angle, cx, cy] : cases) {
    const int pixel = axis == 0 ? 100 : 200;
    ASSERT_TRUE(TickLabelOrigin(axis, alignment, angle, pixel, plot, 30, 10, x, y))
        << axis << " " << angle;
    EXPECT_EQ(std::pair(x, y), std::pair(cx, cy)) << axis << " " << angle;
  }
  EXPECT_FALSE(TickLabelOrigin(0, A::maTop, 0, 100, plot, 30, 10, x, y));
}

TEST(TickLabelsCrowd, LabelsCloserThanTheGapAlongOrAcrossTheirTextCrowd) {
  // Labels of 30 x 10 pixels; the next one moved one pixel nearer than 4 px apart crowds. Each
  // case: the label drawn, one exactly 4 px clear of it, and the step that brings that one a
  // pixel nearer.
  const std::tuple<TTickLabelBox, TTickLabelBox, int, int> cases[] = {
      {{100, 416, 30, 10, 0}, {134, 416, 30, 10, 0}, -1, 0},     // flat X, left to right
      {{100, 416, 30, 10, 0}, {66, 416, 30, 10, 0}, 1, 0},       // flat X, reversed
      {{34, 195, 30, 10, 0}, {34, 181, 30, 10, 0}, 0, 1},        // flat Y, upward
      {{95, 446, 30, 10, 90}, {109, 446, 30, 10, 90}, -1, 0},    // X reading upward
      {{621, 170, 30, 10, 270}, {621, 136, 30, 10, 270}, 0, 1},  // secondary Y reading down
      // Slanted alike: 14.14 px apart across the text for 20 px along the axis, 13.4 for 19.
      {{100, 400, 30, 10, 45}, {120, 400, 30, 10, 45}, -1, 0},
  };
  for (const auto& [drawn, apart, dx, dy] : cases) {
    SCOPED_TRACE(drawn.Angle);
    EXPECT_FALSE(TickLabelsCrowd(drawn, apart, 4));
    TTickLabelBox nearer = apart;
    nearer.X += dx;
    nearer.Y += dy;
    EXPECT_TRUE(TickLabelsCrowd(drawn, nearer, 4));
  }
}

TEST(TickLabelStep, ThinsCrowdedLabelsEvenlyAndKeepsTheFirst) {
  // Flat X labels of 6 px a character, 10 high, centred on ticks spacing px apart.
  const auto labels = [](std::initializer_list<const char*> texts, int spacing) {
    std::vector<TTickLabelBox> boxes;
    for (const char* text : texts) {
      const int width = 6 * static_cast<int>(std::string(text).size());
      boxes.push_back({spacing * static_cast<int>(boxes.size()) - width / 2, 416, width, 10, 0});
    }
    return boxes;
  };
  const auto decades = {"0.01", "0.1", "1", "10", "100", "1000"};
  const std::pair<std::vector<TTickLabelBox>, std::size_t> cases[] = {
      {labels(decades, 30), 1},
      // "0.1" runs into "0.01", and "1000" into "100": every second decade, not 0.01 1 10 100.
      {labels(decades, 24), 2},
      {labels({"1.0001", "2.0001", "3.0001", "4.0001", "5.0001"}, 10), 4},
      {labels({"1"}, 10), 1},
      {{}, 1},
  };
  for (const auto& [boxes, step] : cases) EXPECT_EQ(TickLabelStep(boxes, 4), step) << boxes.size();
}

}  // namespace
}  // namespace aqv
