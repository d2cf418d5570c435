#include "map/HitTest.h"

#include <algorithm>
#include <cmath>

namespace aqv {

THitResult HitTest(const TDrawdownGrid& grid, std::span<const THitPoint> wells, double x,
                   double y) {
  THitResult hit;
  const TGridLayout& g = grid.Layout();
  if (g.IsEmpty() || !std::isfinite(x) || !std::isfinite(y)) return hit;
  const double f = grid.LengthFactor();
  const double hx = g.HalfCellX * f;
  const double hy = g.HalfCellY * f;
  double best = hx * hx + hy * hy;
  for (std::size_t i = 0; i < wells.size(); ++i) {
    const double dx = wells[i].X - x;
    const double dy = wells[i].Y - y;
    if (std::fabs(dx) >= hx || std::fabs(dy) >= hy) continue;
    const double d2 = dx * dx + dy * dy;
    if (d2 < best) {
      best = d2;
      hit.Kind = THitKind::hkWell;
      hit.Index = static_cast<int>(i);
      hit.X = wells[i].X;
      hit.Y = wells[i].Y;
    }
  }
  if (hit.Kind == THitKind::hkWell) return hit;
  const double x1 = g.NodeX[0] * f, x2 = g.NodeX[g.NodeCountX - 1] * f;
  const double y1 = g.NodeY[0] * f, y2 = g.NodeY[g.NodeCountY - 1] * f;
  if (x < x1 || x > x2 || y < y1 || y > y2) return hit;
  const double u = (x - x1) * (g.NodeCountX - 1) / (x2 - x1);
  const double v = (y - y1) * (g.NodeCountY - 1) / (y2 - y1);
  // A point on the east or north edge belongs to the last cell.
  const int a = std::clamp(static_cast<int>(u), 0, g.NodeCountX - 2);
  const int b = std::clamp(static_cast<int>(v), 0, g.NodeCountY - 2);
  const double fu = u - a;
  const double fv = v - b;
  int index = g.CentreIndex(a, b);
  // Outside the diamond around the centre (spacing in y is about sqrt(3) times that in x) the
  // nearest corner node is meant.
  if (3 * std::fabs(fv - 0.5) > 1 - std::fabs(fu - 0.5))
    index = g.NodeIndex(fu > 0.5 ? a + 1 : a, fv <= 0.5 ? b : b + 1);
  hit.Kind = THitKind::hkGrid;
  hit.Index = index;
  hit.X = grid.PointX(index);
  hit.Y = grid.PointY(index);
  hit.Value = grid.Value(index);
  return hit;
}

}  // namespace aqv
