#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <functional>

#include "chart/gui/CanvasDimensionsForm.h"
#include "chart/gui/MyChart.h"
#include "chart/gui/SelectSeriesForm.h"
#include "tests/chart/gui/ChartTestScenes.h"

namespace aqv {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 560;

// One series in a colour nothing else uses, from (1, 1) to (9, 9) on axes from 0 to 10, drawn
// as a line without markers; the legend at the right.
void FillProbeChart(TMyChart& chart) {
  chart.ChartArea().Patterns().Area().SetColor(RGBColor(255, 255, 224));
  for (TAxis* axis : {&chart.Model().X_Axis, &chart.Model().Y_Axis})
    axis->Scale().SetData({false, false, false, false, false, 0, 10, 2, 1, false}, false);
  chart.AddSeries(0);
  chart.GetSeriesPatterns(0)->Border().SetColor(RGBColor(255, 0, 128));
  chart.GetSeriesMarker(0)->SetSize(0);
  chart.AddPoint(0, 0, 1, 5);
  chart.AddPoint(0, 1, 9, 5);
  chart.AddPoint(0, 2, 12, 9);  // leaves the plot: no segment
}

TEST(TMyChartRender, PixelProbesFindAreaFrameAndSeries) {
  ResetChartUnitState();
  TMyChart chart;
  FillProbeChart(chart);
  const QImage image = chart.RenderImage(kWidth, kHeight);
  const TPlotRect plot = chart.Layout().Plot();
  ASSERT_LT(plot.Left, plot.Right);
  EXPECT_EQ(image.pixel(3, kHeight - 3), qRgb(255, 255, 224));
  // The frame (axis pens are black and 2 wide) on the left and bottom edges.
  EXPECT_EQ(image.pixel(plot.Left, (plot.Top + plot.Bottom) / 2), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel((plot.Left + plot.Right) / 2 + 3, plot.Bottom), qRgb(0, 0, 0));
  // Half-way between the first two points.
  const TSeries& s = *chart.GetSeries(0);
  const int mx = (s.GetPixelX(0) + s.GetPixelX(1)) / 2;
  EXPECT_EQ(image.pixel(mx, s.GetPixelY(0)), qRgb(255, 0, 128));
  EXPECT_FALSE(s.GetVisible(2));
  // No pixel of the series colour outside the plot and the legend.
  const TPartRect legend = chart.Model().Legend.Rect();
  int outside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool inPlot = x >= plot.Left && x <= plot.Right && y >= plot.Top && y <= plot.Bottom;
      const bool inLegend =
          x >= legend.Left && x <= legend.Right && y >= legend.Top && y <= legend.Bottom;
      if (!inPlot && !inLegend && qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 80 &&
          qBlue(image.pixel(x, y)) > 60)
        ++outside;
    }
  }
  EXPECT_EQ(outside, 0);
}

TEST(TMyChartRender, SvgCopyDrawsWhatTheBitmapDraws) {
  ResetChartUnitState();
  TMyChart chart;
  FillProbeChart(chart);
  const QByteArray svg = chart.RenderSvg(kWidth, kHeight);
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 800 560\""));
  QSvgRenderer renderer(svg);
  ASSERT_TRUE(renderer.isValid());
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    renderer.render(&painter);
  }
  const TSeries& s = *chart.GetSeries(0);
  const int mx = (s.GetPixelX(0) + s.GetPixelX(1)) / 2;
  EXPECT_EQ(image.pixel(mx, s.GetPixelY(0)), qRgb(255, 0, 128));
  EXPECT_EQ(image.pixel(3, kHeight - 3), qRgb(255, 255, 224));
}

TEST(TMyChartRender, EmptyChartDrawsAxesWithoutLegend) {
  ResetChartUnitState();
  TMyChart chart;
  const QImage image = chart.RenderImage(kWidth, kHeight);
  EXPECT_FALSE(chart.Layout().LegendShown());
  EXPECT_EQ(chart.Model().X_Axis.Scale().Min(), -1.0);
  EXPECT_EQ(chart.Model().X_Axis.Scale().Max(), 1.5);
  const TPlotRect plot = chart.Layout().Plot();
  EXPECT_EQ(image.pixel(plot.Right, (plot.Top + plot.Bottom) / 2), qRgb(0, 0, 0));
}

// The canonical charts, rendered for a person to look at when AQV_CHART_RENDER_DIR names a
// folder (PNG and SVG of each); otherwise only checked to render.
struct TScene {
  const char* name;
  std::function<void(TMyChart&)> fill;
};

TEST(TMyChartRender, CanonicalCharts) {
  const auto placement = [](TPlacement p) {
    return [p](TMyChart& c) {
      test::FillLinear(c);
      c.Model().Legend.SetPlacement(p);
    };
  };
  const TScene scenes[] = {
      {"empty", [](TMyChart&) {}},
      {"linear", [](TMyChart& c) { test::FillLinear(c); }},
      {"drawdown-loglog", [](TMyChart& c) { test::FillDrawdown(c); }},
      {"legend-left", placement(TPlacement::plLeft)},
      {"legend-top", placement(TPlacement::plTop)},
      {"legend-bottom", placement(TPlacement::plBottom)},
      {"legend-none", placement(TPlacement::plNone)},
      {"label-orientations",
       [](TMyChart& c) {
         test::FillLinear(c);
         c.Model().Axes.Include(TAxisType::saSecondaryY);
         c.Model().X_Axis.Alignment().SetOrientation(90);
         c.Model().Y_Axis.Alignment().SetOrientation(45);
         c.Model().SecondaryY_Axis.Alignment().SetOrientation(270);
         c.Model().ChartTitle.Alignment().SetAlignment(TMyAlignmentTypes::maLeft);
       }},
      {"reversed-y",
       [](TMyChart& c) {
         test::FillDrawdown(c);
         c.SetAxisLogScale(false, 1);
         TScale& y = c.Model().Y_Axis.Scale();
         y.SetData({false, false, true, true, false, 2, 0, 0.5, 0.1, true}, false);
       }},
      {"secondary-y",
       [](TMyChart& c) {
         test::FillLinear(c);
         c.Model().Axes.Include(TAxisType::saSecondaryY);
         c.GetSeries(2)->Range().SetYAxis(2);
         for (int j = 0; j <= 10; ++j) c.SetY(2, j, 1000.0 * j * j);
       }},
  };
  const QString folder = qEnvironmentVariable("AQV_CHART_RENDER_DIR");
  if (!folder.isEmpty()) QDir().mkpath(folder);
  for (const TScene& scene : scenes) {
    SCOPED_TRACE(scene.name);
    ResetChartUnitState();
    TMyChart chart;
    chart.resize(kWidth, kHeight);
    scene.fill(chart);
    const QImage image = chart.RenderImage(kWidth, kHeight);
    const QByteArray svg = chart.RenderSvg(kWidth, kHeight);
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    EXPECT_TRUE(svg.contains("<svg"));
    if (folder.isEmpty()) continue;
    image.save(folder + "/" + scene.name + ".png");
    QFile file(folder + "/" + scene.name + ".svg");
    if (file.open(QIODevice::WriteOnly)) file.write(svg);
  }
  if (folder.isEmpty()) return;
  TCanvasDimensionsForm size;
  size.SetCanvasSize(kWidth, kHeight);
  size.adjustSize();
  size.grab().save(folder + "/size-dialog.png");
  TSelectSeriesForm picker;
  picker.SetSeriesNames({"Well at 5 m", "Observed at 5 m"}, 1);
  picker.adjustSize();
  picker.grab().save(folder + "/series-picker.png");
}

}  // namespace
}  // namespace aqv
