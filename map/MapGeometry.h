#pragma once

#include <array>

#include "chart/Elements.h"

namespace aqv {

// The plot layout, the computation grid's node layout and the coordinate arithmetic of the map.
// Plain values; the map control recomputes the plot layout before every drawing and keeps the
// node layout with the grid values computed on it.

inline constexpr int kMaxGridNodes = 7000;  // NodeCountX x NodeCountY never exceeds it
inline constexpr int kMinNodesPerSide = 10;
inline constexpr int kMaxNodesPerSide = 150;
// Nodes and cell centres: NodeCountX NodeCountY + (NodeCountX - 1)(NodeCountY - 1) < 14001.
inline constexpr int kMaxGridValues = 14001;
inline constexpr int kPlotMargin = 20;  // pixels around the plot area
// Pixel coordinates saturate at this magnitude, so that a far-away anchor or well neither
// overflows 32 bits nor overflows when a box's size is added to it.
inline constexpr int kPixelLimit = 1 << 28;

// The model window in stored length units: X1 west, X2 east, Y1 south, Y2 north.
struct TMapWindow {
  double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
  friend bool operator==(const TMapWindow&, const TMapWindow&) = default;
};

// True when the window has a finite, positive extent both ways.
bool IsWindowProper(const TMapWindow& window);
// True for the window of a new document: |X1 - X2| = 1 and |Y1 - Y2| = 1 exactly.
bool IsWindowUndefined(const TMapWindow& window);

// Where the model window is drawn, in control pixels, and the isotropic scale. Valid is false
// for a degenerate window, a non-finite or non-positive length factor, or a plot area without
// size: then only the rectangle is set and nothing is drawn at scale.
struct TPlotLayout {
  int Left = 0, Right = 0, Top = 0, Bottom = 0;
  double CentreX = 0, CentreY = 0;            // plot centre, pixels
  double WorldCentreX = 0, WorldCentreY = 0;  // window centre, display length units
  double Scale = 0;                           // pixels per display length unit
  bool Valid = false;
};

// Legend on the left for plLeft and plTop, else on the right; legendWidth 0 when hidden.
TPlotLayout ComputePlotLayout(int width, int height, int legendWidth, TPlacement placement,
                              const TMapWindow& window, double lengthFactor);

// Display-unit coordinate to pixel (halves to even), saturating at +-kPixelLimit; a NaN gives
// the far negative limit so that it is never inside anything.
int WorldToScreenX(const TPlotLayout& layout, double x);
int WorldToScreenY(const TPlotLayout& layout, double y);
// Pixel to display-unit coordinate; 0 scale gives the world centre.
double ScreenToWorldX(const TPlotLayout& layout, double px);
double ScreenToWorldY(const TPlotLayout& layout, double py);
// Clamps a pixel value given as double to +-kPixelLimit (NaN to -kPixelLimit).
int SaturatePixel(double value);

// The computation grid's node layout: node columns NodeX[0..NodeCountX-1] and rows
// NodeY[0..NodeCountY-1] in stored length units.
struct TGridLayout {
  int NodeCountX = 0, NodeCountY = 0;  // 10..150 each once computed, 0 before
  std::array<double, kMaxNodesPerSide> NodeX{};
  std::array<double, kMaxNodesPerSide> NodeY{};
  double HalfCellX = 0, HalfCellY = 0;  // stored length units

  bool IsEmpty() const { return NodeCountX < 2 || NodeCountY < 2; }
  // Values held: nodes and cell centres.
  int ValueCount() const {
    return IsEmpty() ? 0 : NodeCountX * NodeCountY + (NodeCountX - 1) * (NodeCountY - 1);
  }
  // Index of node (a, b) and of the centre of cell (a, b).
  int NodeIndex(int a, int b) const { return (2 * NodeCountX - 1) * b + a; }
  int CentreIndex(int a, int b) const { return NodeIndex(a, b) + NodeCountX; }
  friend bool operator==(const TGridLayout&, const TGridLayout&) = default;
};

// Node counts from the window's aspect (triangles nearly equilateral, at most 7000 nodes) and
// the node coordinates. A window that is not proper gives an empty layout.
TGridLayout ComputeGridLayout(const TMapWindow& window);

// Spacing of the grid lines in display units: a power of ten above the length of 50 px, made
// finer for a small window. 0 when the layout is not valid.
double GridSpacing(const TPlotLayout& layout, const TMapWindow& window, double lengthFactor);
// Rounding step of the zoom corners: 1 up to a grid spacing of 9, else a tenth of it.
double SnapStep(double gridSpacing);
// Rounds v to a multiple of step, halves away from zero.
double SnapToStep(double v, double step);
// The window doubled about its centre (display units cx, cy converted by the caller) with every
// side moved out to the grid g; all values in the same unit.
TMapWindow ZoomOutWindow(const TMapWindow& window, double cx, double cy, double g);

}  // namespace aqv
