#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <optional>
#include <string_view>
#include <vector>

#include "chart/ChartLayout.h"

class QPainter;

namespace aqv {

// A chart font in pixels at 96 dots per inch, so that the screen, the bitmap and the SVG copy
// measure and draw text alike.
QFont ChartFont(const TFontData& font);
// A chart line: round caps on lines wider than 1, round joins on lines wider than 3; no line at
// all for psClear and pmNop.
QPen ChartPen(const TPenData& pen);

// Text measures with Qt fonts; remembers the last font, since the layout measures many texts in
// one font in a row.
class TQtTextMetrics final : public TTextMetrics {
 public:
  explicit TQtTextMetrics(char decimalSeparator = '.') : mDecimalSeparator(decimalSeparator) {}
  int TextHeight(const TFontData& font) override;
  int TextWidth(const TFontData& font, std::string_view text) override;
  char DecimalSeparator() const override { return mDecimalSeparator; }
  const QFontMetrics& Metrics(const TFontData& font);

 private:
  char mDecimalSeparator;
  std::optional<TFontData> mFontData;
  std::optional<QFontMetrics> mMetrics;
};

// Paints a laid-out time graph: chart area, axes, legend, titles and series, in that order, on
// any paint device (the screen's image, a bitmap copy, an SVG generator). Holds references only;
// lives for one drawing.
class TChartPainter {
 public:
  TChartPainter(QPainter& painter, const TChartModel& model, const TChartLayout& layout,
                TQtTextMetrics& metrics);
  void Paint();
  // The tick labels Paint drew, in drawing order, axis by axis.
  const std::vector<TTickLabelBox>& DrawnTickLabels() const { return mDrawnTickLabels; }

  // The top-left corner of a text drawn at angle degrees counter-clockwise stays at (x, y).
  void DrawText(int x, int y, int angle, const std::string& text);

 private:
  void DrawChartArea();
  void DrawAxes();
  void DrawAxis(int axis);
  // Adds the label of the tick at pixel to the axis's labels unless its alignment draws none.
  void AddTickLabel(int axis, int pixel, double value);
  // Draws the labels AddTickLabel gathered for axis, thinned evenly where they would crowd.
  void DrawTickLabels(int axis);
  void DrawLegend();
  void DrawTitles();
  void DrawTitle(const TTitle& title, int x, int y);
  void DrawSeries();
  void DrawSeriesLines(int index);
  void DrawSeriesMarkers(int index);
  void DrawMarker(int x, int y, const TMarkerData& marker);
  void Rectangle(const TPartRect& rect, const TPatternsData& patterns);
  void SetPen(const TPenData& pen);
  void Line(int x1, int y1, int x2, int y2);

  QPainter& mPainter;
  const TChartModel& mModel;
  const TChartLayout& mLayout;
  TQtTextMetrics& mMetrics;
  std::vector<double> mTicks;
  std::vector<TTickLabelBox> mLabelBoxes;  // of one axis, with their values
  std::vector<double> mLabelValues;
  std::vector<TTickLabelBox> mDrawnTickLabels;
  QPolygon mPolyline;
};

}  // namespace aqv
