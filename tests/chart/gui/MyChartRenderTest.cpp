#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTransform>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "chart/NumberFormat.h"
#include "chart/gui/ChartPainter.h"
#include "chart/gui/MyChart.h"
#include "tests/chart/gui/ChartTestScenes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 560;

TEST(TMyChartRender, PixelProbesFindAreaFrameAndSeriesInTheBitmapAndTheSvgCopy) {
  ResetChartUnitState();
  TMyChart chart;
  // One series in a colour nothing else uses, from (1, 5) to (9, 5) on axes from 0 to 10; the
  // legend at the right.
  chart.ChartArea().Patterns().Area().SetColor(RGBColor(255, 255, 224));
  for (TAxis* axis : {&chart.Model().X_Axis, &chart.Model().Y_Axis})
    axis->Scale().SetData({false, false, false, false, false, 0, 10, 2, 1, false}, false);
  chart.AddSeries(0);
  chart.GetSeriesPatterns(0)->Border().SetColor(RGBColor(255, 0, 128));
  chart.GetSeriesMarker(0)->SetSize(0);
  chart.AddPoint(0, 0, 1, 5);
  chart.AddPoint(0, 1, 9, 5);
  chart.AddPoint(0, 2, 12, 9);  // leaves the plot: no segment
  chart.Model().ChartTitle.SetText("Drawdown at P1");
  TMarker& marker = *chart.GetSeriesMarker(0);
  marker.SetStyle(TMarkerStyle::msCircle);
  marker.SetSize(12);
  marker.SetColor(RGBColor(0, 128, 255));
  chart.Model().Legend.Font().SetColor(RGBColor(0, 160, 0));
  chart.Model().X_Axis.Patterns().Border().SetColor(RGBColor(0, 0, 160));
  chart.Model().Y_Axis.Patterns().Border().SetColor(RGBColor(160, 0, 0));
  chart.Model().X_Axis.SetGrid(false);  // the grid would lie over the ticks
  chart.Model().Y_Axis.SetGrid(false);
  chart.Model().X_Axis.Font().SetColor(RGBColor(0, 96, 96));
  chart.Model().ChartTitle.Font().SetColor(RGBColor(96, 48, 0));
  chart.Model().ChartTitle.Patterns().Area().SetColor(RGBColor(224, 255, 255));
  const QImage image = chart.RenderImage(kWidth, kHeight);
  const TPlotRect plot = chart.Layout().Plot();
  ASSERT_LT(plot.Left, plot.Right);
  EXPECT_EQ(image.pixel(3, kHeight - 3), qRgb(255, 255, 224));
  // The frame (axis pens 2 wide) between the ticks: the X axis's pen along the bottom and the
  // top, the Y axis's down the sides; the ticks at 4 in the pens of their axes.
  const int midX = (plot.Left + plot.Right) / 2 + 3, midY = (plot.Top + plot.Bottom) / 2 + 3;
  const int tickX = (plot.Left * 6 + plot.Right * 4) / 10,
            tickY = (plot.Bottom * 6 + plot.Top * 4) / 10;
  for (const auto& [at, colour] : {std::pair(QPoint(plot.Left, midY), qRgb(160, 0, 0)),
                                   {{plot.Right, midY}, qRgb(160, 0, 0)},
                                   {{midX, plot.Top}, qRgb(0, 0, 160)},
                                   {{midX, plot.Bottom}, qRgb(0, 0, 160)},
                                   {{tickX, plot.Bottom - 6}, qRgb(0, 0, 160)},
                                   {{tickX, plot.Top + 6}, qRgb(0, 0, 160)},
                                   {{plot.Left + 6, tickY}, qRgb(160, 0, 0)},
                                   {{plot.Right - 6, tickY}, qRgb(160, 0, 0)}})
    EXPECT_GT(test::CountColour(image, colour, QRect(at - QPoint(1, 1), QSize(3, 3))), 0)
        << at.x() << "," << at.y();
  // The title on its own area.
  const TPartRect t = chart.Model().ChartTitle.Rect();
  EXPECT_EQ(image.pixel(t.Left + 2, t.Top + 2), qRgb(224, 255, 255));
  // Its font as set, in pixels at 96 dots per inch; a clear line or one that paints nothing
  // draws no pen, and the black and white modes paint their colour.
  const TFontStyles all{TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                        TFontStyle::fsStrikeOut};
  const QFont font = ChartFont({"Tahoma", 12, clBlack, all});
  EXPECT_EQ(
      std::tuple(font.pixelSize(), font.bold(), font.italic(), font.underline(), font.strikeOut()),
      std::tuple(16, true, true, true, true));
  EXPECT_EQ(std::tuple(ChartPen({clRed, TPenStyle::psClear, 1, TPenMode::pmCopy}).style(),
                       ChartPen({clRed, TPenStyle::psSolid, 1, TPenMode::pmNop}).style(),
                       ChartPen({clRed, TPenStyle::psSolid, 1, TPenMode::pmWhite}).color(),
                       ChartPen({clRed, TPenStyle::psSolid, 1, TPenMode::pmBlack}).color()),
            std::tuple(Qt::NoPen, Qt::NoPen, QColor(Qt::white), QColor(Qt::black)));
  // Half-way between the first two points.
  const TSeries& s = *chart.GetSeries(0);
  const int mx = (s.GetPixelX(0) + s.GetPixelX(1)) / 2;
  EXPECT_EQ(image.pixel(mx, s.GetPixelY(0)), qRgb(255, 0, 128));
  EXPECT_FALSE(s.GetVisible(2));
  // A round marker of 12 px centred on each point: in it on all four sides, not beyond.
  for (const QPoint d : {QPoint(-3, -3), QPoint(3, -3), QPoint(-3, 3), QPoint(3, 3)}) {
    EXPECT_EQ(image.pixel(s.GetPixelX(1) + d.x(), s.GetPixelY(1) + d.y()), qRgb(0, 128, 255));
    EXPECT_NE(image.pixel(s.GetPixelX(1) + 3 * d.x(), s.GetPixelY(1) + 3 * d.y()),
              qRgb(0, 128, 255));
  }
  // Each marker shape of 20 px as its shape: marked (in a 3 x 3 probe) where its strokes or
  // body pass, and not where another shape would have them.
  const std::tuple<TMarkerStyle, std::vector<QPoint>, std::vector<QPoint>> shapes[] = {
      {TMarkerStyle::msCircle, {{0, 6}, {6, 0}, {-6, 0}, {0, -6}}, {{9, 9}, {-9, -9}}},
      {TMarkerStyle::msSquare, {{9, 9}, {-9, -9}, {9, -9}, {-9, 9}}, {{0, 13}, {13, 0}}},
      {TMarkerStyle::msCross, {{6, 6}, {-6, -6}, {6, -6}, {-6, 6}}, {{6, 0}, {0, 6}, {0, -6}}},
      {TMarkerStyle::msHorizontalLine, {{6, 0}, {-6, 0}}, {{0, 6}, {0, -6}, {6, 6}}},
      {TMarkerStyle::msVerticalLine, {{0, 6}, {0, -6}}, {{6, 0}, {-6, 0}, {6, 6}}},
      {TMarkerStyle::msTriangle, {{0, 6}, {-6, 8}, {6, 8}, {0, -7}}, {{-6, -6}, {6, -6}}}};
  const auto bluish = [](QColor c) { return c.blue() > c.red() + 60; };
  marker.SetSize(20);
  for (const auto& [style, marked, clear] : shapes) {
    marker.SetStyle(style);
    const QImage shape = chart.RenderImage(kWidth, kHeight);
    const QPoint centre(s.GetPixelX(1), s.GetPixelY(1));
    for (const auto& [offsets, expected] : {std::pair(marked, true), std::pair(clear, false)})
      for (const QPoint d : offsets)
        EXPECT_EQ(
            test::CountPixels(shape, bluish, QRect(centre + d - QPoint(1, 1), QSize(3, 3))) > 0,
            expected)
            << static_cast<int>(style) << " at " << d.x() << "," << d.y();
  }
  // The title's text in its own colour, the X tick labels in the X axis's font colour; the
  // legend's entry draws the series line through its marker.
  const TPartRect legend = chart.Model().Legend.Rect();
  const QRect inLegend(QPoint(legend.Left, legend.Top), QPoint(legend.Right, legend.Bottom));
  const std::tuple<QColor, QRect, int> inks[] = {
      {QColor(96, 48, 0), QRect(t.Left, t.Top, t.Right - t.Left, t.Bottom - t.Top), 5},
      {QColor(0, 96, 96), QRect(plot.Left - 8, plot.Bottom + 8, plot.Right - plot.Left + 16, 30),
       10},
      {QColor(255, 0, 128), inLegend, 8},
      {QColor(0, 128, 255), inLegend, 8}};
  for (const auto& [ink, where, least] : inks)
    EXPECT_GT(test::CountColour(image, ink, where), least) << ink.name().toStdString();
  // The legend's text in the legend's colour; no pixel of the series colour outside the plot
  // and the legend.
  const auto green = [](QColor c) { return c.green() > c.red() + 60 && c.green() > c.blue() + 60; };
  EXPECT_GT(test::CountPixels(image, green, inLegend), 10);
  const QRect inPlot(QPoint(plot.Left, plot.Top), QPoint(plot.Right, plot.Bottom));
  const auto pink = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) > 60; };
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ASSERT_TRUE(!pink(image.pixel(x, y)) || inPlot.contains(x, y) || inLegend.contains(x, y))
          << x << "," << y;
  const QByteArray svg = chart.RenderSvg(kWidth, kHeight);
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 800 560\""));
  EXPECT_TRUE(svg.contains("<title>Drawdown at P1</title>"));  // the document's own title
  QSvgRenderer renderer(svg);
  ASSERT_TRUE(renderer.isValid());
  QImage copy(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  copy.fill(Qt::transparent);
  QPainter painter(&copy);
  renderer.render(&painter);
  painter.end();
  EXPECT_EQ(copy.pixel(mx, s.GetPixelY(0)), qRgb(255, 0, 128));
  EXPECT_EQ(copy.pixel(3, kHeight - 3), qRgb(255, 255, 224));
  // A series line of 4 px or more joins its segments round, a thinner one bevelled: mitred, a
  // wide zigzag's peaks would spike out of the plot into the title.
  const QRegularExpression join(R"re(stroke="#ff0080"[^>]*stroke-linejoin="(\w+)")re");
  for (const auto& [width, expected] : {std::pair(3, "bevel"), std::pair(4, "round")}) {
    chart.GetSeriesPatterns(0)->Border().SetWidth(width);
    const QString drawing = QString::fromUtf8(chart.RenderSvg(kWidth, kHeight));
    EXPECT_EQ(join.match(drawing).captured(1).toStdString(), expected) << width;
  }
}

// What the SVG copy draws, in drawing pixels: every text with the transform it is drawn under,
// and every polyline.
struct TSvgText {
  QString Text;
  QTransform Transform;
  QPointF Local;  // the baseline point of the first character before the transform
  // The top-left corner of the text before rotation, for a font of this ascent.
  QPointF Origin(int ascent) const { return Transform.map(Local - QPointF(0, ascent)); }
  // Degrees counter-clockwise.
  double Angle() const { return -std::atan2(Transform.m12(), Transform.m11()) * 180 / M_PI; }
};
struct TSvgDrawing {
  std::vector<TSvgText> Texts;
  std::vector<QPolygonF> Lines;
  // The first text drawn that reads text and whose transformed baseline start passes where.
  const TSvgText* Find(const QString& text,
                       const std::function<bool(QPointF)>& where = nullptr) const {
    for (const TSvgText& t : Texts)
      if (t.Text == text && (!where || where(t.Transform.map(t.Local)))) return &t;
    return nullptr;
  }
  bool HasLine(QPointF from, QPointF to) const {
    for (const QPolygonF& line : Lines)
      if (line.size() == 2 && line[0] == from && line[1] == to) return true;
    return false;
  }
};

QTransform ParseMatrix(const QString& text) {
  const qsizetype open = text.indexOf('(');
  const QStringList v = text.mid(open + 1, text.indexOf(')') - open - 1).split(',');
  if (open < 0 || v.size() != 6) return {};
  return QTransform(v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble(),
                    v[4].toDouble(), v[5].toDouble());
}

TSvgDrawing ReadSvg(const QByteArray& svg) {
  TSvgDrawing drawing;
  std::vector<QTransform> stack{QTransform{}};  // the transform of each open group
  QXmlStreamReader xml(svg);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"g") stack.pop_back();
    if (!xml.isStartElement()) continue;
    const QXmlStreamAttributes a = xml.attributes();
    if (xml.name() == u"g") {
      stack.push_back(a.hasAttribute("transform") ? ParseMatrix(a.value("transform").toString())
                                                  : stack.back());
    } else if (xml.name() == u"text") {
      const QPointF local(a.value("x").toDouble(), a.value("y").toDouble());
      drawing.Texts.push_back({xml.readElementText(), stack.back(), local});
    } else if (xml.name() == u"polyline") {
      QPolygonF line;
      for (const QString& pair : a.value("points").toString().split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = pair.split(',');
        if (xy.size() == 2) line << stack.back().map(QPointF(xy[0].toDouble(), xy[1].toDouble()));
      }
      drawing.Lines.push_back(line);
    }
  }
  return drawing;
}

// One drawing of a scene: the chart as laid out, its bitmap and what its SVG copy holds.
struct TView {
  TMyChart& Chart;
  const QImage& Image;
  const TSvgDrawing& Svg;
  const TPlotRect& Plot() const { return Chart.Layout().Plot(); }
  // A tick label's text: the decimal point as the chart shows it.
  QString Label(const char* text) const {
    return QString::fromLatin1(text).replace('.', QChar::fromLatin1(Chart.DecimalSeparator()));
  }
};

bool Dark(QColor c) {
  return c.red() < 64 && c.green() < 64 && c.blue() < 64;
}

// The pixel of value v along an axis of the plot, worked out from the scale.
double AxisPixel(const TScaleData& scale, double v, int from, int to) {
  const bool log = scale.LogScale && scale.Min > 0 && scale.Max > 0;
  const double f = log ? (std::log10(v) - std::log10(scale.Min)) /
                             (std::log10(scale.Max) - std::log10(scale.Min))
                       : (v - scale.Min) / (scale.Max - scale.Min);
  return from + f * (to - from);
}

// Flat tick labels, each with its middle on its tick: X labels with their top 16 px below the
// plot, Y labels ending 16 px left of the plot and secondary Y labels starting 16 px right of it.
void ExpectLabels(const TView& v, const TAxis& axis, const std::vector<const char*>& labels) {
  const bool x = &axis == &v.Chart.Model().X_Axis;
  const bool secondary = &axis == &v.Chart.Model().SecondaryY_Axis;
  const TPlotRect& p = v.Plot();
  const QFontMetrics fm(ChartFont(axis.Font().Data()));
  for (const char* label : labels) {
    SCOPED_TRACE(label);
    const TSvgText* t = v.Svg.Find(v.Label(label), [&](QPointF at) {
      if (x) return at.y() > p.Bottom + 16;
      return at.y() < p.Bottom + 12 && (secondary ? at.x() > p.Right : at.x() < p.Left);
    });
    ASSERT_NE(t, nullptr);
    const QPointF o = t->Origin(fm.ascent());
    const int width = fm.horizontalAdvance(t->Text);
    const double tick = x ? AxisPixel(axis.Scale().Data(), std::atof(label), p.Left, p.Right)
                          : AxisPixel(axis.Scale().Data(), std::atof(label), p.Bottom, p.Top);
    if (x) {
      EXPECT_NEAR(o.x() + width / 2.0, tick, 1.5);
      EXPECT_NEAR(o.y(), p.Bottom + 16, 0.5);
    } else {
      EXPECT_NEAR(o.y() + fm.height() / 2.0, tick, 1.5);
      EXPECT_NEAR(secondary ? o.x() : o.x() + width, secondary ? p.Right + 16 : p.Left - 16, 0.5);
    }
  }
}

// The dotted grid lies on the major tick rows and columns and nowhere between them: black
// pixels along a row (or a column) of the plot, a margin in from its edges.
void ExpectGrid(const TView& v, double yTick, double yBetween, double xTick) {
  const TPlotRect& p = v.Plot();
  const auto row = [&](double y) {
    const int at = RoundPixel(AxisPixel(v.Chart.Model().Y_Axis.Scale().Data(), y, p.Bottom, p.Top));
    return test::CountPixels(v.Image, Dark, QRect(p.Left + 12, at, p.Right - p.Left - 24, 1));
  };
  const int column =
      RoundPixel(AxisPixel(v.Chart.Model().X_Axis.Scale().Data(), xTick, p.Left, p.Right));
  EXPECT_GT(row(yTick), (p.Right - p.Left - 24) / 4);
  EXPECT_LT(row(yBetween), 4);
  EXPECT_GT(test::CountPixels(v.Image, Dark, QRect(column, p.Top + 12, 1, p.Bottom - p.Top - 24)),
            (p.Bottom - p.Top - 24) / 4);
}

// The legend's frame sits on its rectangle and its entries follow each other down the columns
// (left and right placements) or along the rows (top and bottom).
void ExpectLegend(const TView& v) {
  const TLegend& legend = v.Chart.Model().Legend;
  const TPartRect r = legend.Rect();
  const TLegendLayout& grid = legend.Layout();
  EXPECT_TRUE(Dark(v.Image.pixel(r.Left, (r.Top + r.Bottom) / 2)));
  EXPECT_TRUE(Dark(v.Image.pixel((r.Left + r.Right) / 2, r.Top)));
  EXPECT_FALSE(Dark(v.Image.pixel(r.Left - 2, (r.Top + r.Bottom) / 2)));
  const bool side =
      legend.Placement() == TPlacement::plLeft || legend.Placement() == TPlacement::plRight;
  const QFontMetrics fm(ChartFont(legend.Font().Data()));
  for (int k = 0; k < v.Chart.GetSeriesCount(); ++k) {
    SCOPED_TRACE(k);
    const int column = side ? k / grid.Rows : k % grid.Columns;
    const int row = side ? k % grid.Rows : k / grid.Columns;
    const TSvgText* t = v.Svg.Find(QString::fromStdString(v.Chart.GetSeriesName(k)));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Origin(fm.ascent()),
              QPointF(r.Left + 8 + grid.ItemWidth * column + 32, r.Top + 8 + grid.RowHeight * row));
  }
}

// The canonical charts. Each scene (a name, how it is filled and its check) checks what it exists
// to show; the PNG and SVG of each are written for review.
using TScene = std::tuple<const char*, std::function<void(TMyChart&)>,
                          std::function<void(const TView&, const TChartModel&)>>;

TEST(TMyChartRender, CanonicalCharts) {
  const auto placement = [](TPlacement p) {
    return [p](TMyChart& c) {
      test::FillLinear(c, 30, 0.05);  // enough for a legend of two columns and two rows or more
      c.Model().Legend.SetPlacement(p);
    };
  };
  const TScene scenes[] = {
      {"empty", [](TMyChart&) {},
       [](const TView& v, const TChartModel& m) {
         EXPECT_EQ(std::tuple(m.X_Axis.Scale().Min(), m.X_Axis.Scale().Max(),
                              v.Image.pixel(v.Plot().Right, (v.Plot().Top + v.Plot().Bottom) / 2)),
                   std::tuple(-1.0, 1.5, qRgb(0, 0, 0)));
         for (const TAxis* axis : {&m.X_Axis, &m.Y_Axis})
           ExpectLabels(v, *axis, {"-1", "-0.5", "0", "0.5", "1", "1.5"});
         ExpectGrid(v, 0.5, 0.25, 0.5);
         EXPECT_FALSE(v.Chart.Layout().LegendShown());
       }},
      {"linear", [](TMyChart& c) { test::FillLinear(c); },
       [](const TView& v, const TChartModel& m) {
         ExpectLabels(v, m.X_Axis, {"0", "2", "4", "6", "8", "10"});
         ExpectLabels(v, m.Y_Axis, {"0", "5", "10", "15"});
         ExpectGrid(v, 10, 12.5, 4);
         // The legend at the right, 8 px in, level with the plot.
         EXPECT_EQ(std::tuple(m.Legend.Rect().Right, m.Legend.Rect().Top),
                   std::tuple(kWidth - 8, v.Plot().Top));
         ExpectLegend(v);
         // The X title reads from 4 px right of its left edge.
         const TSvgText* x = v.Svg.Find("X-axis");
         ASSERT_NE(x, nullptr);
         const TPartRect xTitle = m.X_Axis.Title().Rect();
         EXPECT_EQ(x->Origin(QFontMetrics(ChartFont(m.X_Axis.Title().Font().Data())).ascent()),
                   QPointF(xTitle.Left + 4, xTitle.Top));
         // The Y title reads upward from 4 px above its bottom.
         const TPartRect title = m.Y_Axis.Title().Rect();
         const TSvgText* t = v.Svg.Find("Y-axis");
         ASSERT_NE(t, nullptr);
         EXPECT_NEAR(t->Angle(), 90, 1e-9);
         EXPECT_EQ(t->Transform.map(QPointF(0, 0)), QPointF(title.Left, title.Bottom - 4));
       }},
      {"drawdown-loglog", [](TMyChart& c) { test::FillDrawdown(c); },
       [](const TView& v, const TChartModel& m) {
         ExpectLabels(v, m.X_Axis, {"0.01", "0.1", "1", "10", "100"});
         ExpectLabels(v, m.Y_Axis, {"0.01", "0.1", "1", "10"});
         EXPECT_EQ(v.Svg.Find(v.Label("0.001")), nullptr);  // Min itself has no label
         // X minor ticks: the one at 0.002 is drawn, the one at 0.001 on the plot's edge not.
         // Major ticks are twice as long, up from the bottom edge and down from the top.
         const TPlotRect p = v.Plot();
         const TScaleData& x = m.X_Axis.Scale().Data();
         const double x2 = RoundPixel(AxisPixel(x, 0.002, p.Left, p.Right));
         const double x1 = RoundPixel(AxisPixel(x, 1, p.Left, p.Right));
         EXPECT_TRUE(v.Svg.HasLine(QPointF(x2, p.Bottom), QPointF(x2, p.Bottom - 4)));
         EXPECT_TRUE(v.Svg.HasLine(QPointF(x1, p.Bottom), QPointF(x1, p.Bottom - 8)));
         EXPECT_TRUE(v.Svg.HasLine(QPointF(x1, p.Top), QPointF(x1, p.Top + 8)));
         EXPECT_FALSE(v.Svg.HasLine(QPointF(p.Left, p.Bottom), QPointF(p.Left, p.Bottom - 4)));
         // So for Y: the minor tick at the minimum would lie on the bottom edge.
         const TScaleData& y = m.Y_Axis.Scale().Data();
         const double y2 = RoundPixel(AxisPixel(y, 2 * y.Min, p.Bottom, p.Top));
         EXPECT_TRUE(v.Svg.HasLine(QPointF(p.Left, y2), QPointF(p.Left + 4, y2)));
         EXPECT_FALSE(v.Svg.HasLine(QPointF(p.Left, p.Bottom), QPointF(p.Left + 4, p.Bottom)));
       }},
      {"legend-left", placement(TPlacement::plLeft),
       [](const TView& v, const TChartModel& m) {
         EXPECT_EQ(m.Legend.Rect().Left, 32);
         EXPECT_EQ(m.Y_Axis.Title().Rect().Left, m.Legend.Rect().Right + 32);
         EXPECT_GE(m.Legend.Layout().Columns, 2);
         ExpectLegend(v);
       }},
      {"legend-top", placement(TPlacement::plTop),
       [](const TView& v, const TChartModel& m) {
         EXPECT_EQ(m.Legend.Rect().Top, m.ChartTitle.Rect().Bottom + 32);
         EXPECT_EQ(v.Plot().Top, m.Legend.Rect().Bottom + 32);
         EXPECT_GE(m.Legend.Layout().Rows, 2);
         ExpectLegend(v);
       }},
      {"legend-bottom", placement(TPlacement::plBottom),
       [](const TView& v, const TChartModel& m) {
         EXPECT_EQ(m.Legend.Rect().Bottom, kHeight - 32);
         EXPECT_EQ(m.Legend.Rect().Left, v.Plot().Left);
         EXPECT_EQ(m.X_Axis.Title().Rect().Bottom, m.Legend.Rect().Top - 32);
         ExpectLegend(v);
       }},
      {"legend-none", placement(TPlacement::plNone),
       [](const TView& v, const TChartModel&) {
         EXPECT_FALSE(v.Chart.Layout().LegendShown());
         EXPECT_EQ(v.Svg.Find("Series 0"), nullptr);
       }},
      {"label-orientations",
       [](TMyChart& c) {
         test::FillLinear(c);
         c.Model().Axes.Include(TAxisType::saSecondaryY);
         c.Model().X_Axis.Alignment().SetOrientation(90);
         c.Model().Y_Axis.Alignment().SetOrientation(45);
         c.Model().SecondaryY_Axis.Alignment().SetOrientation(270);
         c.Model().ChartTitle.Alignment().SetAlignment(TMyAlignmentTypes::maLeft);
       },
       [](const TView& v, const TChartModel& m) {
         // The chart title 32 px in, its text 4 px further.
         const TSvgText* title = v.Svg.Find("Chart 1");
         ASSERT_NE(title, nullptr);
         EXPECT_EQ(m.ChartTitle.Rect().Left, 32);
         EXPECT_EQ(title->Origin(QFontMetrics(ChartFont(m.ChartTitle.Font().Data())).ascent()),
                   QPointF(36, m.ChartTitle.Rect().Top));
         // X labels read upward, centred on their tick, their last character 16 px below the
         // plot.
         const QFontMetrics fm(ChartFont(m.X_Axis.Font().Data()));
         const TSvgText* ten = v.Svg.Find("10");
         ASSERT_NE(ten, nullptr);
         EXPECT_NEAR(ten->Angle(), 90, 1e-9);
         const QPointF start = ten->Transform.map(QPointF(0, 0));
         EXPECT_NEAR(start.x() + fm.height() / 2.0, v.Plot().Right, 1);
         EXPECT_EQ(start.y(), v.Plot().Bottom + 16 + fm.horizontalAdvance("10"));
       }},
      {"reversed-y",
       [](TMyChart& c) {
         test::FillDrawdown(c);
         c.SetAxisLogScale(false, 1);
         c.Model().Y_Axis.Scale().SetData({false, false, true, true, false, 2, 0, 0.5, 0.1, true},
                                          false);
       },
       [](const TView& v, const TChartModel& m) {
         // 2 at the bottom, 0 at the top.
         ExpectLabels(v, m.Y_Axis, {"2", "1.5", "1", "0.5", "0"});
       }},
      {"secondary-y",
       [](TMyChart& c) {
         test::FillLinear(c);
         c.Model().Axes.Include(TAxisType::saSecondaryY);
         c.Model().Y_Axis.SetGrid(false);
         c.GetSeries(2)->Range().SetYAxis(2);
         for (int j = 0; j <= 10; ++j) c.SetY(2, j, 700.0 * j * j);
       },
       [](const TView& v, const TChartModel& m) {
         ExpectLabels(v, m.Y_Axis, {"0", "2", "4", "6", "8", "10"});
         ExpectLabels(v, m.SecondaryY_Axis, {"0", "2E+04", "4E+04", "6E+04", "8E+04"});
         // Its title reads downward from 4 px below its top.
         const TSvgText* title = v.Svg.Find("Secondary Y-axis");
         ASSERT_NE(title, nullptr);
         const TPartRect r = m.SecondaryY_Axis.Title().Rect();
         EXPECT_EQ(title->Transform.map(QPointF(0, 0)), QPointF(r.Right, r.Top + 4));
         // The Y ticks only at the left edge: the right edge belongs to the secondary axis.
         const TPlotRect p = v.Plot();
         for (const double y : {2.0, 4.0, 6.0, 8.0}) {
           SCOPED_TRACE(y);
           const int row = RoundPixel(AxisPixel(m.Y_Axis.Scale().Data(), y, p.Bottom, p.Top));
           const auto solid = [&](int from) {
             for (int r = row - 1; r <= row + 1; ++r)
               if (test::CountPixels(v.Image, Dark, QRect(from, r, 4, 1)) == 4) return true;
             return false;
           };
           EXPECT_TRUE(solid(p.Left + 3));
           EXPECT_FALSE(solid(p.Right - 7));
         }
         // No grid for the Y axis that has none: nothing dark across the plot between the ticks.
         const int between = RoundPixel(AxisPixel(m.Y_Axis.Scale().Data(), 5, p.Bottom, p.Top));
         EXPECT_LT(test::CountPixels(v.Image, Dark,
                                     QRect(p.Left + 12, between, p.Right - p.Left - 24, 1)),
                   4);
       }},
  };
  for (const auto& [sceneName, fill, check] : scenes) {
    SCOPED_TRACE(sceneName);
    ResetChartUnitState();
    TMyChart chart;
    chart.resize(kWidth, kHeight);
    fill(chart);
    const QImage image = chart.RenderImage(kWidth, kHeight);
    const QByteArray svg = chart.RenderSvg(kWidth, kHeight);
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    const TSvgDrawing drawing = ReadSvg(svg);
    check(TView{chart, image, drawing}, chart.Model());
    const std::string name = std::string("chart-") + sceneName;
    image.save(QString::fromStdString(test::ReviewPath(name + ".png")));
    QFile file(QString::fromStdString(test::ReviewPath(name + ".svg")));
    if (file.open(QIODevice::WriteOnly)) file.write(svg);
  }
}

// The tick labels of one axis as the SVG copy draws them, in drawing order: each label's text
// and the four corners of its box (advance by line height, rotated with the text). A label is
// a text that reads as a number, and its axis is the side of the plot its box's middle lies on.
struct TLabelBox {
  QString Text;
  QPolygonF Corners;
};
const TAxis& AxisOf(const TChartModel& m, int axis) {
  return axis == 0 ? m.X_Axis : axis == 1 ? m.Y_Axis : m.SecondaryY_Axis;
}
std::vector<TLabelBox> TickLabelBoxes(const TView& v, int axis) {
  const QFontMetrics fm(ChartFont(AxisOf(v.Chart.Model(), axis).Font().Data()));
  std::vector<TLabelBox> boxes;
  for (const TSvgText& t : v.Svg.Texts) {
    bool number = false;
    QString(t.Text).replace(QChar::fromLatin1(v.Chart.DecimalSeparator()), '.').toDouble(&number);
    if (!number) continue;
    QPolygonF corners;
    const QPointF top = t.Local - QPointF(0, fm.ascent());
    for (const QPointF d :
         {QPointF(0, 0), QPointF(fm.horizontalAdvance(t.Text), 0),
          QPointF(fm.horizontalAdvance(t.Text), fm.height()), QPointF(0, fm.height())})
      corners << t.Transform.map(top + d);
    // X labels start below the plot; Y labels, centred on a tick inside it, start above its
    // bottom edge however low the plot and whatever the font.
    const QRectF box = corners.boundingRect();
    const int side = box.top() >= v.Plot().Bottom - 1   ? 0
                     : box.right() <= v.Plot().Left + 1 ? 1
                     : box.left() >= v.Plot().Right - 1 ? 2
                                                        : -1;
    if (side == axis) boxes.push_back({t.Text, corners});
  }
  return boxes;
}

// No two tick labels of an axis touch, whatever the size of the drawing and the angle of the
// labels; the first label of each axis is always there, those shown are evenly spaced through the
// ticks, and a big drawing keeps them all.
TEST(TMyChartRender, TickLabelsOfAnAxisNeverRunIntoEachOther) {
  const auto rotated = [](TMyChart& c) {
    test::FillDrawdown(c);
    c.Model().Axes.Include(TAxisType::saSecondaryY);
    c.GetSeries(4)->Range().SetYAxis(2);
    c.Model().X_Axis.Alignment().SetOrientation(45);
    c.Model().Y_Axis.Alignment().SetOrientation(90);
    c.Model().SecondaryY_Axis.Alignment().SetOrientation(270);
    c.Model().SecondaryY_Axis.Scale().SetData(
        {false, false, true, true, false, 1, 0, 0.05, 0.01, true}, false);
  };
  const auto drawdown = [](TMyChart& c) { test::FillDrawdown(c); };
  const std::tuple<const char*, int, int, std::function<void(TMyChart&)>> cases[] = {
      {"document", 480, 320, drawdown},
      {"narrow", 320, 480, drawdown},
      {"low", 640, 200, drawdown},
      {"rotated", 480, 320, rotated},
      {"big", 1600, 1000, drawdown}};
  for (const auto& [name, width, height, fill] : cases) {
    SCOPED_TRACE(name);
    ResetChartUnitState();
    TMyChart chart;
    chart.resize(width, height);
    fill(chart);
    const QImage image = chart.RenderImage(width, height);
    const TSvgDrawing drawing = ReadSvg(chart.RenderSvg(width, height));
    const TView v{chart, image, drawing};
    image.save(QString::fromStdString(test::ReviewPath(std::string("labels-") + name + ".png")));
    const TChartModel& m = chart.Model();
    for (int axis = 0; axis < kAxisCount; ++axis) {
      if (!m.Axes.Contains(static_cast<TAxisType>(axis))) continue;
      SCOPED_TRACE(axis);
      std::vector<double> ticks;
      MajorTicks(AxisOf(m, axis).Scale().Data(), chart.Layout().LogDrawable(axis), ticks);
      const std::vector<TLabelBox> boxes = TickLabelBoxes(v, axis);
      ASSERT_FALSE(boxes.empty());
      EXPECT_EQ(boxes.front().Text.toStdString(),
                FormatTickLabel(ticks.front(), chart.DecimalSeparator()));
      EXPECT_TRUE(std::string(name) != "big" || boxes.size() == ticks.size()) << boxes.size();
      // Those shown keep even steps through the ticks.
      std::vector<std::ptrdiff_t> shownAt;
      for (const TLabelBox& box : boxes)
        for (std::size_t k = 0; k < ticks.size(); ++k)
          if (box.Text.toStdString() == FormatTickLabel(ticks[k], chart.DecimalSeparator()))
            shownAt.push_back(static_cast<std::ptrdiff_t>(k));
      for (std::size_t i = 2; i < shownAt.size(); ++i)
        EXPECT_EQ(shownAt[i] - shownAt[i - 1], shownAt[1] - shownAt[0])
            << boxes[i].Text.toStdString();
      for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
          EXPECT_FALSE(boxes[i].Corners.intersects(boxes[j].Corners))
              << boxes[i].Text.toStdString() << " runs into " << boxes[j].Text.toStdString();
    }
  }
}

}  // namespace
}  // namespace aqv
