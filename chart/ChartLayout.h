#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "chart/ChartModel.h"
#include "chart/ScaleTicks.h"

namespace aqv {

// Text measures of the device a chart is drawn on, in whole pixels. The Qt control measures with
// its fonts; tests use fixed measures so that layouts come out as exact rectangles.
class TTextMetrics {
 public:
  virtual ~TTextMetrics() = default;
  // The height of a line of text in font (the height of "|").
  virtual int TextHeight(const TFontData& font) = 0;
  virtual int TextWidth(const TFontData& font, std::string_view text) = 0;
  // The decimal separator of the tick labels measured and drawn.
  virtual char DecimalSeparator() const { return '.'; }
};

// The plot rectangle, where the series are drawn, in pixels of the drawing.
struct TPlotRect {
  int Left = 0;
  int Right = 0;
  int Top = 0;
  int Bottom = 0;
  friend bool operator==(const TPlotRect&, const TPlotRect&) = default;
};

// Index of an axis in the per-axis arrays below: X 0, Y 1, secondary Y 2 (the axis's Kind).
inline constexpr int kAxisCount = 3;

// The layout of one drawing of a time graph: what is shown, the plot rectangle, the scale
// factors and the pixel mapping of each axis. Calc also stores every part's rectangle, the
// legend grid, the automatic scale values and every point's visibility and pixel position in
// the model. The scale factors of an axis whose Min equals its Max are kept from the previous
// Calc, which is why the layout is an object that lives as long as its chart.
class TChartLayout {
 public:
  // Lays out model for a drawing of width x height pixels.
  void Calc(TChartModel& model, TTextMetrics& metrics, int width, int height);

  bool LegendShown() const { return mLegendShown; }
  const TPlotRect& Plot() const { return mPlot; }
  // True when the axis has LogScale and both bounds are positive.
  bool LogDrawable(int axis) const { return mLogDrawable[axis]; }
  // True when the axis is drawn, has LogScale and cannot be drawn logarithmically; the chart
  // then draws it linearly and warns once.
  bool LogWarning(int axis) const { return mLogWarning[axis]; }
  double LinearFactor(int axis) const { return mLinearFactor[axis]; }
  double LogFactor(int axis) const { return mLogFactor[axis]; }
  // Offsets from the plot's left edge (X) or bottom edge (Y axes).
  TAxisMapping Mapping(int axis, const TScaleData& scale) const;
  // True for a point outside the plot that Calc made visible only to start the segment that
  // enters the plot at its edge: it gets no marker, no label, no hint and no segment before it.
  bool IsEntering(int series, int point) const;

 private:
  void ScaleAxes(TChartModel& model);
  void PlaceTitleAndLegend(TChartModel& model, TTextMetrics& metrics);
  void PlaceAxes(TChartModel& model, TTextMetrics& metrics);
  void PlaceAxisTitles(TChartModel& model, TTextMetrics& metrics);
  void StoreFactors(TChartModel& model);
  void PlaceLegendFinally(TChartModel& model);
  void PlacePoints(TChartModel& model);

  int mWidth = 0;
  int mHeight = 0;
  bool mLegendShown = false;
  int mLegendWidth = 0;
  int mLegendHeight = 0;
  TPlotRect mPlot;
  std::array<bool, kAxisCount> mLogDrawable{};
  std::array<bool, kAxisCount> mLogWarning{};
  std::array<double, kAxisCount> mLinearFactor{};
  std::array<double, kAxisCount> mLogFactor{};
  std::vector<double> mTicks;                                // reused by the label width walk
  std::array<std::vector<char>, kMaxSeriesCount> mEntering;  // per series and point
};

// Fills the legend's Layout() for the model's series in a drawing of width x height pixels. Returns
// false, leaving the legend out, when there is no room (a drawing of 128 pixels or less).
bool CalcLegendLayout(TChartModel& model, TTextMetrics& metrics, int width, int height);

// The widest major tick label of axis in pixels, in the axis font; 0 without ticks.
// ticks is scratch space.
int MaxTickLabelWidth(const TAxis& axis, bool logarithmic, TTextMetrics& metrics,
                      std::vector<double>& ticks);

// The top-left corner, before rotation, of the tick label of axis (0 X, 1 Y, 2 secondary Y) at
// pixel, for a text of tw x th pixels drawn at angle degrees counter-clockwise. Flat labels
// (angle below 1 or 360 and above) follow the alignment; rotated ones end at the tick (X up to
// 180 degrees, Y below 90 or from 270, secondary Y from 91 to 270) or start there. Returns false
// for a flat X label whose alignment draws none.
bool TickLabelOrigin(int axis, TMyAlignmentTypes alignment, int angle, int pixel,
                     const TPlotRect& plot, int tw, int th, int& x, int& y);

// A tick label as drawn: the top-left corner (X, Y) before rotation, its Width x Height in
// pixels and its Angle in degrees counter-clockwise.
struct TTickLabelBox {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  int Angle = 0;
  friend bool operator==(const TTickLabelBox&, const TTickLabelBox&) = default;
};

// The clear space in pixels that a tick label keeps from the label drawn before it on its axis.
inline constexpr int kTickLabelGap = 4;

// True when two labels of one axis, drawn at the same angle, come closer than gap pixels: the
// chart then leaves the later one out. Being rectangles turned alike, they stay apart exactly
// when they are apart along the text or across it; across is along the axis for labels
// perpendicular to it.
bool TickLabelsCrowd(const TTickLabelBox& drawn, const TTickLabelBox& next, int gap);

// The step s with which an axis draws the labels of its major ticks, boxes in drawing order: the
// smallest s for which labels 0, s, 2s, ... keep gap pixels clear of each other, so that an axis
// too short for every label shows every second (third, ...) one evenly, always the first. 1 for
// fewer than two labels.
std::size_t TickLabelStep(const std::vector<TTickLabelBox>& boxes, int gap);

// Round to the nearest integer with halves to even, the rounding of every pixel coordinate.
int RoundPixel(double value);

}  // namespace aqv
