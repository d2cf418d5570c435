#pragma once

#include <span>

#include "map/DrawdownGrid.h"

namespace aqv {

// A well position for the hit test, display length units.
struct THitPoint {
  double X = 0, Y = 0;
};

enum class THitKind : std::uint8_t { hkNone, hkWell, hkGrid };

// What lies under a world position: a well (Index into the wells given, pumping wells first),
// or the grid point whose value the hint shows (its position and value, display units).
struct THitResult {
  THitKind Kind = THitKind::hkNone;
  int Index = -1;
  double X = 0, Y = 0, Value = 0;
};

// The nearest well within half a cell each way (and within the cell's half diagonal; an earlier
// well wins a tie), else, inside the grid's window, the cell centre or, near a corner of the
// cell's diamond, that corner node. x, y in display units; the grid's own node layout and
// length factor are used, so the answer always matches the values.
THitResult HitTest(const TDrawdownGrid& grid, std::span<const THitPoint> wells, double x, double y);

}  // namespace aqv
