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

namespace {

// The observation well of the regrouped list that holds (x, layer), or 0.
int FindWell(const TAQVData& d, int wellCount, double x, int layer) {
  for (int w = 1; w <= wellCount; ++w)
    if (d.ObservationWells[w].X == x && d.ObservationWells[w].Layer == layer) return w;
  return 0;
}

bool AnyWellAt(const TAQVData& d, int wellCount, double x) {
  for (int w = 1; w <= wellCount; ++w)
    if (d.ObservationWells[w].X == x) return true;
  return false;
}

// Counts the wells and the largest number of observations per well that the flat list needs,
// so that a list that does not fit is refused before anything changes.
struct TGroupingNeed {
  int wells = 0;
  int largestWell = 0;
};

TGroupingNeed MeasureGrouping(const TAQVData& d) {
  struct TKey {
    double x;
    int layer;
    int count;
  };
  std::vector<TKey> keys;
  TGroupingNeed need;
  for (int i = 1; i <= d.FitCount(); ++i) {
    auto it = std::find_if(keys.begin(), keys.end(), [&](const TKey& k) {
      return k.x == d.FitX[i] && k.layer == d.FitLayer[i];
    });
    if (it == keys.end()) it = keys.insert(keys.end(), TKey{d.FitX[i], d.FitLayer[i], 0});
    need.largestWell = std::max(need.largestWell, ++it->count);
  }
  need.wells = static_cast<int>(keys.size());
  return need;
}

std::string RegroupedWellName(int w) {
  std::string number = std::to_string(w);
  if (number.size() < 2) number.insert(0, 2 - number.size(), ' ');
  return CutText("observation well " + number, kWellNameWidth);
}

}  // namespace

bool TAQVData::DistributeObservations() {
  const TGroupingNeed need = MeasureGrouping(*this);
  if (need.wells > kMaxObservationWells || need.largestWell > kMaxObservations) {
    UserInterface().Beep();
    UserInterface().MessageBox(need.wells > kMaxObservationWells ? "Too many observation wells!"
                                                                 : "Too many measurements!",
                               TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    return false;
  }
  // The oldest files carry no layer thicknesses: every layer is one length unit thick.
  for (int i = 1; i <= std::min(mAquiferCount + 1, kMaxLayers); ++i) {
    D[i] = 1;
    Kh[i] = T[i] / D[i];
    DAquitard[i] = 1;
    if (Resistance[i] != 0) Kv[i] = DAquitard[i] / Resistance[i];
  }
  InfoTexts[10] = InfoTexts[12];
  InfoTexts[11] = InfoTexts[13];
  InfoTexts[12] = InfoTexts[14];

  int wellCount = 0;
  for (int i = 1; i <= mFitCount; ++i) {
    const double x = FitX[i];
    const int layer = FitLayer[i];
    const bool first = !AnyWellAt(*this, wellCount, x);
    int w = FindWell(*this, wellCount, x, layer);
    if (w == 0) {
      w = ++wellCount;
      ObservationWells[w].SetObservationCount(1);
      ObservationWells[w].OwnCurve = first;
    } else {
      ObservationWells[w].SetObservationCount(ObservationWells[w].ObservationCount() + 1);
    }
    TObservationWell& well = ObservationWells[w];
    well.Name = RegroupedWellName(w);
    well.X = x;
    well.Y = 0;
    well.Layer = layer;
    well.Rc = 0.02;
    well.Rw = 0.02;
    well.Skin = 0;
    const int k = well.ObservationCount();
    well.Time[k] = FitTime[i];
    well.Observed[k] = FitObserved[i];
  }
  SetObservationWellCount(wellCount);
  SortObservations();
  return true;
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
