#include <algorithm>

#include "model/AQVData.h"

namespace aqv {

double TAQVData::RowTopLevel(int row) const {
  int i = 1;
  const bool aquifer = RowToLayer(row, i);
  i = std::clamp(i, 1, kMaxLayers);
  // The top aquitard counts only while it is there; it has no row when absent.
  const auto aquitard = [this](int k) { return k == 1 && mTopAquitardAbsent ? 0.0 : DAquitard[k]; };
  double level = mSurfaceLevel;
  for (int k = 1; k < i; ++k) level -= aquitard(k) + D[k];
  if (aquifer) level -= aquitard(i);
  return level;
}

double TAQVData::RowBottomLevel(int row) const {
  int i = 1;
  const bool aquifer = RowToLayer(row, i);
  i = std::clamp(i, 1, kMaxLayers);
  const double top = RowTopLevel(row);
  if (aquifer) return top - D[i];
  return top - (i == 1 && mTopAquitardAbsent ? 0.0 : DAquitard[i]);
}

void TAQVData::FlattenObservations() {
  int count = 0;
  for (int j = 1; j <= mObservationWellCount; ++j) {
    const TObservationWell& well = ObservationWells[j];
    for (int k = 1; k <= well.ObservationCount(); ++k) {
      ++count;
      FitName[count] = well.Name;
      FitX[count] = well.X;
      FitLayer[count] = well.Layer;
      FitTime[count] = well.Time[k];
      FitComputed[count] = well.Computed[k];
      FitObserved[count] = well.Observed[k];
    }
  }
  mFitCount = count;
}

void TAQVData::SortObservations() {
  // A stable insertion sort: observations at equal times keep their order, and each moves
  // with its observed and computed drawdown and its included flag.
  for (int j = 1; j <= mObservationWellCount; ++j) {
    TObservationWell& well = ObservationWells[j];
    for (int k = 2; k <= well.ObservationCount(); ++k) {
      const double time = well.Time[k];
      const double observed = well.Observed[k];
      const double computed = well.Computed[k];
      const bool included = well.Included[k];
      int i = k - 1;
      while (i >= 1 && well.Time[i] > time) {
        well.Time[i + 1] = well.Time[i];
        well.Observed[i + 1] = well.Observed[i];
        well.Computed[i + 1] = well.Computed[i];
        well.Included[i + 1] = well.Included[i];
        --i;
      }
      well.Time[i + 1] = time;
      well.Observed[i + 1] = observed;
      well.Computed[i + 1] = computed;
      well.Included[i + 1] = included;
    }
  }
}

}  // namespace aqv
