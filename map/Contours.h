#pragma once

#include <array>

#include "map/DrawdownGrid.h"

namespace aqv {

inline constexpr int kMaxContourLevels = 999;
// What the level queries return when there is no level to show.
inline constexpr double kNoContourLevel = -9999;

// The person's contour settings in display length units; a set Auto flag means the map's own
// value is used.
struct TContourSettings {
  bool AutoInterval = true, AutoMin = true, AutoMax = true;
  double Interval = 0, Min = 0, Max = 0;
};

// The contour range and levels of one grid, display length units. Levels[k] = (FirstLevelNo + k)
// Interval for k < Count, ascending; Count 0 means none.
struct TContourLevels {
  double Min = 0, Max = 0, Interval = 0;
  int FirstLevelNo = 0, LastLevelNo = 0;
  int Count = 0;
  std::array<double, kMaxContourLevels + 1> Levels{};
};

// The automatic interval of a range: 2, 5, 10, 20, 50, ... times 10^Trunc(log10(range) - 3), the
// first with at most 40 intervals in the range. 0 for an empty or non-finite range.
double AutomaticContourInterval(double range);

// Range (always including 0) of the first valueCount grid values, the interval, the user's
// narrowing bounds and the levels. Level numbers are computed in floating point and clamped, so
// a tiny interval over a wide range gives at most kMaxContourLevels levels, never an overflow.
TContourLevels ComputeContourLevels(const double* values, int valueCount,
                                    const TContourSettings& settings);

// The lowest and highest level that is drawn (the level 0 never is); kNoContourLevel when none.
double MinContourLevel(const TContourLevels& levels);
double MaxContourLevel(const TContourLevels& levels);

// Receives the traced contour segments in display units.
class TContourSink {
 public:
  virtual ~TContourSink() = default;
  // levelNo = Round(level / interval): negative for build-up, positive for drawdown.
  virtual void Segment(int levelNo, double x1, double y1, double x2, double y2) = 0;
};

// Traces every level (except 0) over the triangulation of the grid's nodes and cell centres and
// hands each segment to sink. The grid's values and coordinates must be in display units
// (TDrawdownGrid::ScaleToDisplay). Allocates nothing.
void TraceContours(const TDrawdownGrid& grid, const TContourLevels& levels, TContourSink& sink);

}  // namespace aqv
