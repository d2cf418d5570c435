#include "map/MapGeometry.h"

#include <algorithm>
#include <cmath>

namespace aqv {

namespace {

// Rounds to the nearest integer with halves to even (the default rounding mode).
double RoundEven(double v) {
  return std::nearbyint(v);
}

int ClampNodes(double n) {
  if (!(n >= kMinNodesPerSide)) return kMinNodesPerSide;  // also NaN
  if (n > kMaxNodesPerSide) return kMaxNodesPerSide;
  return static_cast<int>(std::trunc(n));
}

}  // namespace

bool IsWindowProper(const TMapWindow& w) {
  return std::isfinite(w.X1) && std::isfinite(w.X2) && std::isfinite(w.Y1) && std::isfinite(w.Y2) &&
         w.X2 > w.X1 && w.Y2 > w.Y1 && std::isfinite(w.X2 - w.X1) && std::isfinite(w.Y2 - w.Y1);
}

bool IsWindowUndefined(const TMapWindow& w) {
  return std::fabs(w.X1 - w.X2) == 1.0 && std::fabs(w.Y1 - w.Y2) == 1.0;
}

TPlotLayout ComputePlotLayout(int width, int height, int legendWidth, TPlacement placement,
                              const TMapWindow& window, double lengthFactor) {
  TPlotLayout layout;
  const bool legendLeft = placement == TPlacement::plLeft || placement == TPlacement::plTop;
  if (legendLeft) {
    layout.Left = legendWidth + kPlotMargin;
    layout.Right = width - kPlotMargin;
  } else {
    layout.Left = kPlotMargin;
    layout.Right = width - legendWidth - kPlotMargin;
  }
  layout.Top = kPlotMargin;
  layout.Bottom = height - kPlotMargin;
  layout.CentreX = (static_cast<double>(layout.Left) + layout.Right) / 2.0;
  layout.CentreY = (static_cast<double>(layout.Top) + layout.Bottom) / 2.0;
  if (!IsWindowProper(window) || !std::isfinite(lengthFactor) || !(lengthFactor > 0.0)) {
    return layout;
  }
  layout.WorldCentreX = (window.X1 + window.X2) / 2.0 * lengthFactor;
  layout.WorldCentreY = (window.Y1 + window.Y2) / 2.0 * lengthFactor;
  if (layout.Right <= layout.Left || layout.Bottom <= layout.Top) return layout;
  const double scaleX = (layout.Right - layout.Left) / (window.X2 - window.X1);
  const double scaleY = (layout.Bottom - layout.Top) / (window.Y2 - window.Y1);
  layout.Scale = std::min(scaleX, scaleY) / lengthFactor;
  layout.Valid = std::isfinite(layout.Scale) && layout.Scale > 0.0;
  if (!layout.Valid) layout.Scale = 0;
  return layout;
}

int SaturatePixel(double value) {
  if (!(value > -kPixelLimit)) return -kPixelLimit;  // also NaN
  if (value > kPixelLimit) return kPixelLimit;
  return static_cast<int>(RoundEven(value));
}

int WorldToScreenX(const TPlotLayout& l, double x) {
  return SaturatePixel((x - l.WorldCentreX) * l.Scale + l.CentreX);
}

int WorldToScreenY(const TPlotLayout& l, double y) {
  return SaturatePixel(l.CentreY - (y - l.WorldCentreY) * l.Scale);
}

double ScreenToWorldX(const TPlotLayout& l, double px) {
  if (l.Scale == 0.0) return l.WorldCentreX;
  return (px - l.CentreX) / l.Scale + l.WorldCentreX;
}

double ScreenToWorldY(const TPlotLayout& l, double py) {
  if (l.Scale == 0.0) return l.WorldCentreY;
  return (l.CentreY - py) / l.Scale + l.WorldCentreY;
}

TGridLayout ComputeGridLayout(const TMapWindow& w) {
  TGridLayout grid;
  if (!IsWindowProper(w)) return grid;
  const double dx = w.X2 - w.X1;
  const double dy = w.Y2 - w.Y1;
  // Node spacing in y is sqrt(3) times that in x before truncation: the tracing triangles of
  // a node, its neighbours and the cell centres are then nearly equilateral.
  const double root3 = std::sqrt(3.0);
  grid.NodeCountX = ClampNodes(std::sqrt(root3 * kMaxGridNodes * dx / dy));
  grid.NodeCountY = ClampNodes(std::sqrt(kMaxGridNodes / root3 * dy / dx));
  for (int a = 0; a < grid.NodeCountX; ++a)
    grid.NodeX[a] = static_cast<double>(a) / (grid.NodeCountX - 1) * dx + w.X1;
  for (int b = 0; b < grid.NodeCountY; ++b)
    grid.NodeY[b] = static_cast<double>(b) / (grid.NodeCountY - 1) * dy + w.Y1;
  grid.HalfCellX = (grid.NodeX[1] - grid.NodeX[0]) * 0.5;
  grid.HalfCellY = (grid.NodeY[1] - grid.NodeY[0]) * 0.5;
  return grid;
}

double GridSpacing(const TPlotLayout& layout, const TMapWindow& w, double lengthFactor) {
  if (!layout.Valid || !IsWindowProper(w)) return 0;
  double g = 1;
  const double fifty = 50.0 / layout.Scale;
  // The loop is bounded: g grows tenfold per step and fifty is finite.
  for (int guard = 0; fifty > g && guard < 400; ++guard) g *= 10;
  const double n = ((w.X2 - w.X1) + (w.Y2 - w.Y1)) / g * lengthFactor;
  if (n < 2)
    g /= 5;
  else if (n < 5)
    g /= 2;
  return g;
}

double SnapStep(double gridSpacing) {
  return gridSpacing <= 9 ? 1.0 : gridSpacing / 10.0;
}

double SnapToStep(double v, double step) {
  if (!(step > 0.0)) return v;
  return v > 0 ? std::floor(v / step + 0.5) * step : std::ceil(v / step - 0.5) * step;
}

TMapWindow ZoomOutWindow(const TMapWindow& w, double cx, double cy, double g) {
  if (!(g > 0.0)) return w;
  TMapWindow out;
  out.X1 = RoundEven((2 * w.X1 - cx) / g - 1) * g;
  out.X2 = RoundEven((2 * w.X2 - cx) / g + 1) * g;
  out.Y1 = RoundEven((2 * w.Y1 - cy) / g - 1) * g;
  out.Y2 = RoundEven((2 * w.Y2 - cy) / g + 1) * g;
  return out;
}

}  // namespace aqv
