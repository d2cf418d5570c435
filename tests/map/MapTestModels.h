#pragma once

#include <cmath>
#include <vector>

#include "map/Contours.h"
#include "map/DrawdownGrid.h"
#include "tests/support/EngineInputs.h"

namespace aqv::test {

// A confined aquifer (T 100 m2/d, S 1e-4) with one well at (wellX, wellY) pumping 500 m3/d
// from day 0, in the window -1000..1000 both ways, N = 12.
inline TMapModel OneWellMapModel(double wellX = 0, double wellY = 0) {
  TMapModel model;
  model.System = ConfinedAquifer(100, 1e-4);
  model.Weights = ComputeStehfestWeights(12);
  model.Layer = 1;
  model.Window = {-1000, 1000, -1000, 1000};
  model.LengthFactor = 1;
  TMapWell well;
  well.Input = {.X = wellX, .Y = wellY, .Rc = 0, .Rw = 0.1};
  well.Input.Screened[1] = true;
  well.PeriodCount = 1;
  well.StartTime[1] = 0;
  well.RateStep[1] = 500;
  model.Wells.push_back(well);
  return model;
}

// The grid of a model at time t (days) in display units.
inline TDrawdownGrid ComputeGrid(const TMapModel& model, double t) {
  TDrawdownGrid grid;
  grid.Reset(ComputeGridLayout(model.Window));
  TAquiferSystemState work;
  (void)ComputeDrawdownGrid(model, t, grid, work);
  grid.ScaleToDisplay(model.LengthFactor);
  return grid;
}

// One traced contour segment, display units.
struct TSegment {
  int LevelNo;
  double X1, Y1, X2, Y2;
  double Length() const { return std::hypot(X2 - X1, Y2 - Y1); }
};

// The segments of grid's levels, in the order they are traced.
inline std::vector<TSegment> TracedSegments(const TDrawdownGrid& grid,
                                            const TContourLevels& levels) {
  struct TSink : TContourSink {
    std::vector<TSegment> Segments;
    void Segment(int levelNo, double x1, double y1, double x2, double y2) override {
      Segments.push_back({levelNo, x1, y1, x2, y2});
    }
  } sink;
  TraceContours(grid, levels, sink);
  return sink.Segments;
}

}  // namespace aqv::test
