#include "map/Contours.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace aqv {

namespace {

// Clamps a level number given as double to what an int holds with room to spare.
double ClampLevelNo(double n) {
  constexpr double kLimit = 1e9;
  if (!(n > -kLimit)) return -kLimit;  // also NaN
  return std::min(n, kLimit);
}

struct TTracePoint {
  double H = 0;  // value minus the level
  double X = 0, Y = 0;
  int State = 0;  // 0 below, 1 on, 2 above the level
};

// The crossing of the level on the side between points a and b (linear interpolation of the
// zero of h).
inline double XSect(const TTracePoint& a, const TTracePoint& b) {
  return (b.H * a.X - a.H * b.X) / (b.H - a.H);
}
inline double YSect(const TTracePoint& a, const TTracePoint& b) {
  return (b.H * a.Y - a.H * b.Y) / (b.H - a.H);
}

// One triangle (point 0, vertex m, vertex n): the case |9 s_m + 3 s_0 + s_n - 13| picks which
// vertices and side crossings the segment joins.
void TraceTriangle(const TTracePoint& p0, const TTracePoint& m, const TTracePoint& n, int levelNo,
                   TContourSink& sink) {
  const int kase = std::abs(9 * m.State + 3 * p0.State + n.State - 13);
  switch (kase) {
    case 0:
    case 3:
      sink.Segment(levelNo, n.X, n.Y, m.X, m.Y);
      break;
    case 1:
      sink.Segment(levelNo, m.X, m.Y, p0.X, p0.Y);
      break;
    case 2:
      sink.Segment(levelNo, m.X, m.Y, XSect(p0, n), YSect(p0, n));
      break;
    case 5:
      sink.Segment(levelNo, XSect(n, m), YSect(n, m), XSect(m, p0), YSect(m, p0));
      break;
    case 6:
      sink.Segment(levelNo, n.X, n.Y, XSect(m, p0), YSect(m, p0));
      break;
    case 7:
      sink.Segment(levelNo, XSect(m, p0), YSect(m, p0), XSect(p0, n), YSect(p0, n));
      break;
    case 8:
      sink.Segment(levelNo, p0.X, p0.Y, XSect(n, m), YSect(n, m));
      break;
    case 9:
      sink.Segment(levelNo, p0.X, p0.Y, n.X, n.Y);
      break;
    case 11:
      sink.Segment(levelNo, XSect(p0, n), YSect(p0, n), XSect(n, m), YSect(n, m));
      break;
    default:  // 4, 10, 12, 13: the triangle lies on one side of the level
      break;
  }
}

}  // namespace

double AutomaticContourInterval(double range) {
  if (!std::isfinite(range) || !(range > 0.0)) return 0;
  const double base = std::pow(10.0, std::trunc(std::log10(range) - 3));
  double interval = base;
  int counter = 10;
  // Doubling with 4 replaced by 5 every third step: 2, 5, 10, 20, 50, ... times the base. The
  // base is at least 100 times below the range, so a few steps always suffice.
  for (int guard = 0; guard < 64; ++guard) {
    interval *= 2;
    counter *= 2;
    if (counter == 40) {
      interval *= 1.25;
      counter = 5;
    }
    if (range / interval <= 40) break;
  }
  return interval;
}

TContourLevels ComputeContourLevels(const double* values, int valueCount,
                                    const TContourSettings& settings) {
  TContourLevels out;
  double lo = 0, hi = 0;
  for (int i = 0; i < valueCount; ++i) {
    const double v = values[i];
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  double interval = lo == hi ? 0.0 : AutomaticContourInterval(hi - lo);
  if (!settings.AutoInterval) interval = settings.Interval;
  if (!settings.AutoMin && settings.Min > lo) lo = settings.Min;
  if (!settings.AutoMax && settings.Max < hi) hi = settings.Max;
  out.Min = lo;
  out.Max = hi;
  out.Interval = interval;
  if (!std::isfinite(interval) || !(interval > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) {
    return out;
  }
  double first = ClampLevelNo(std::trunc(lo / interval));
  if (lo > 0) first += 1;
  double last = ClampLevelNo(std::trunc(hi / interval));
  if (hi < 0) last -= 1;
  const double count = last - first + 1;
  out.FirstLevelNo = static_cast<int>(first);
  out.LastLevelNo = static_cast<int>(last);
  if (!(count >= 1)) return out;
  out.Count = count > kMaxContourLevels ? kMaxContourLevels : static_cast<int>(count);
  for (int k = 0; k < out.Count; ++k) out.Levels[k] = (first + k) * interval;
  return out;
}

double MinContourLevel(const TContourLevels& levels) {
  if (levels.Count < 1) return kNoContourLevel;
  if (levels.Levels[0] != 0.0) return levels.Levels[0];
  return levels.Count >= 2 ? levels.Levels[1] : kNoContourLevel;
}

double MaxContourLevel(const TContourLevels& levels) {
  if (levels.Count < 1) return kNoContourLevel;
  const int last = levels.Count - 1;
  if (levels.Levels[last] != 0.0) return levels.Levels[last];
  return levels.Count >= 2 ? levels.Levels[last - 1] : kNoContourLevel;
}

void TraceContours(const TDrawdownGrid& grid, const TContourLevels& levels, TContourSink& sink) {
  const TGridLayout& g = grid.Layout();
  if (!(levels.Interval > 0.0) || levels.Count < 1 || g.IsEmpty()) return;
  const int nx = g.NodeCountX;
  const int ny = g.NodeCountY;
  const double f = grid.LengthFactor();
  const double* v = grid.Values();
  const double* levelBegin = levels.Levels.data();
  const double* levelEnd = levelBegin + levels.Count;
  // Grid offsets of the six points from the cell centre: centre, north-west, north-east, next
  // centre east, south-east, south-west.
  const int offset[6] = {0, nx - 1, nx, 1, 1 - nx, -nx};
  std::array<double, 6> value{};
  std::array<TTracePoint, 6> p{};
  for (int i = 1; i <= nx - 1; ++i) {
    const bool lastColumn = i == nx - 1;
    for (int j = 1; j <= ny - 1; ++j) {
      const int c = (j - 1) * (2 * nx - 1) + (i - 1) + nx;
      double lowest = std::numeric_limits<double>::infinity();
      double highest = -lowest;
      for (int k = 0; k < 6; ++k) {
        // In the last column there is no next centre east; its stand-in is made below.
        if (k == 3 && lastColumn) continue;
        value[k] = v[c + offset[k]];
        lowest = std::min(lowest, value[k]);
        highest = std::max(highest, value[k]);
      }
      if (highest < *levelBegin || lowest > *(levelEnd - 1)) continue;
      p[0].X = (g.NodeX[i] - g.HalfCellX) * f;
      p[0].Y = (g.NodeY[j] - g.HalfCellY) * f;
      p[1].X = g.NodeX[i - 1] * f;
      p[1].Y = g.NodeY[j] * f;
      p[2].X = g.NodeX[i] * f;
      p[2].Y = g.NodeY[j] * f;
      p[3].X = lastColumn ? p[2].X : (g.NodeX[i] + g.HalfCellX) * f;
      p[3].Y = p[0].Y;
      p[4].X = g.NodeX[i] * f;
      p[4].Y = g.NodeY[j - 1] * f;
      p[5].X = g.NodeX[i - 1] * f;
      p[5].Y = g.NodeY[j - 1] * f;
      // The first level above the lowest value; levels up to the highest follow.
      for (const double* level = std::upper_bound(levelBegin, levelEnd, lowest);
           level != levelEnd && *level <= highest; ++level) {
        if (*level == 0.0) continue;
        for (int k = 0; k < 6; ++k) {
          if (k == 3 && lastColumn) continue;
          p[k].H = value[k] - *level;
        }
        // The middle of the east side closes the last column.
        if (lastColumn) p[3].H = (p[2].H + p[4].H) / 2;
        for (TTracePoint& point : p) point.State = point.H > 0 ? 2 : (point.H < 0 ? 0 : 1);
        const int levelNo = static_cast<int>(std::nearbyint(*level / levels.Interval));
        for (int m = 1; m <= 4; ++m) TraceTriangle(p[0], p[m], p[m + 1], levelNo, sink);
        if (i == 1) TraceTriangle(p[0], p[5], p[1], levelNo, sink);
      }
    }
  }
}

}  // namespace aqv
