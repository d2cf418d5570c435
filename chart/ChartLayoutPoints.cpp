#include <cmath>

#include "chart/ChartLayout.h"

namespace aqv {

namespace {

bool InScale(double v, const TScaleData& scale) {
  if (v == kMissingValue || !std::isfinite(v)) return false;
  return scale.ReverseOrder ? scale.Max <= v && v <= scale.Min : scale.Min <= v && v <= scale.Max;
}

// The pixel where the segment from p (outside the plot) to c (inside) crosses the bottom or
// left edge of the plot. Entries through the top or right edge are not placed: the point then
// lies on c and no segment shows. Computed in double, so that a point far outside cannot
// overflow; a result off the plot also falls back to c.
void EnteringPixel(double px, double py, int cx, int cy, const TPlotRect& plot, int& qx, int& qy) {
  double x = cx;
  double y = cy;
  if (px >= plot.Left && py >= plot.Bottom && cy != py) {
    const double r = (cx - px) / (cy - py);
    x = px + std::nearbyint((plot.Bottom - py) * r);
    y = plot.Bottom;
  }
  if (px <= plot.Left && py <= plot.Bottom && x != px) {
    const double r = (y - py) / (x - px);
    y = py + std::nearbyint((plot.Left - px) * r);
    x = plot.Left;
  }
  const bool onPlot = x >= plot.Left && x <= plot.Right && y >= plot.Top && y <= plot.Bottom;
  qx = onPlot ? static_cast<int>(x) : cx;
  qy = onPlot ? static_cast<int>(y) : cy;
}

}  // namespace

void TChartLayout::PlacePoints(TChartModel& model) {
  const TScaleData& xs = model.X_Axis.Scale().Data();
  const TAxisMapping xm = Mapping(0, xs);
  for (int i = 0; i < model.SeriesCount(); ++i) {
    TSeries& series = *model.Series(i);
    const int vertical = series.Range().YAxis() == 2 ? 2 : 1;
    const TScaleData& ys = (vertical == 2 ? model.SecondaryY_Axis : model.Y_Axis).Scale().Data();
    const TAxisMapping ym = Mapping(vertical, ys);
    const bool lines = series.Patterns().Border().Style() != TPenStyle::psClear;
    std::vector<char>& entering = mEntering[static_cast<std::size_t>(i)];
    const int count = series.GetCount();
    entering.assign(static_cast<std::size_t>(count), 0);
    const auto points = series.Points();
    for (int j = 0; j < count; ++j) {
      const TSeriesPoint& p = points[static_cast<std::size_t>(j)];
      if (!InScale(p.X, xs) || !InScale(p.Y, ys)) {
        series.SetVisible(j, false);
        continue;
      }
      const int cx = RoundPixel(mPlot.Left + xm.Offset(p.X));
      const int cy = RoundPixel(mPlot.Bottom - ym.Offset(p.Y));
      series.SetVisible(j, true);
      series.SetPixelX(j, cx);
      series.SetPixelY(j, cy);
      if (j == 0 || !lines || points[static_cast<std::size_t>(j - 1)].Visible) continue;
      // The previous point lies outside: start the segment where it enters the plot.
      const TSeriesPoint& prev = points[static_cast<std::size_t>(j - 1)];
      if (prev.X == kMissingValue || prev.Y == kMissingValue) continue;
      const double px = std::nearbyint(mPlot.Left + xm.Offset(prev.X));
      const double py = std::nearbyint(mPlot.Bottom - ym.Offset(prev.Y));
      if (!std::isfinite(px) || !std::isfinite(py)) continue;
      int qx = cx;
      int qy = cy;
      EnteringPixel(px, py, cx, cy, mPlot, qx, qy);
      series.SetVisible(j - 1, true);
      series.SetPixelX(j - 1, qx);
      series.SetPixelY(j - 1, qy);
      entering[static_cast<std::size_t>(j - 1)] = 1;
    }
  }
}

}  // namespace aqv
