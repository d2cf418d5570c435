#include <algorithm>
#include <cmath>

#include "model/AQVData.h"

namespace aqv {

void TAQVData::CollectIncludedObservations() {
  int count = 0;
  for (int j = 1; j <= mObservationWellCount; ++j) {
    const TObservationWell& well = ObservationWells[j];
    if (!well.Included[0]) continue;
    for (int k = 1; k <= well.ObservationCount(); ++k) {
      if (!well.Included[k]) continue;
      ++count;
      FitName[count] = well.Name;
      FitX[count] = well.X;
      FitLayer[count] = well.Layer;
      FitTime[count] = well.Time[k];
      FitObserved[count] = well.Observed[k];
      FitComputed[count] = well.Computed[k];
    }
  }
  mFitCount = count;
}

void TAQVData::GroupCoincidentWells() {
  for (int j = 1; j <= mObservationWellCount; ++j) {
    TObservationWell& well = ObservationWells[j];
    well.OwnCurve = true;
    well.CoincidentSet = TByteSet();
    for (int i = 1; i < j; ++i) {
      TObservationWell& earlier = ObservationWells[i];
      if (!earlier.Included[0] || earlier.X != well.X || earlier.Y != well.Y) continue;
      well.OwnCurve = false;
      well.CoincidentSet.Include(i);
      earlier.CoincidentSet.Include(j);
    }
  }
}

TByteSet TAQVData::CurveLayerSet(int curve) const {
  if (mWellFluxMode) {
    return curve >= 1 && curve <= kMaxPumpingWells ? PumpingWells[curve].LayerSet : TByteSet();
  }
  if (curve < 1 || curve > kMaxObservationWells) return TByteSet();
  const TObservationWell& well = ObservationWells[curve];
  TByteSet layers = well.LayerSet;
  for (int i = 1; i <= kMaxObservationWells; ++i) {
    if (!well.CoincidentSet.Contains(i) || !ObservationWells[i].Included[0]) continue;
    for (int l = 1; l < 8; ++l)
      if (ObservationWells[i].LayerSet.Contains(l)) layers.Include(l);
  }
  return layers;
}

void TAQVData::SelectCurves() {
  SelectedCurves.reset();
  CurveCount = 0;
  if (mWellFluxMode) {
    for (int w = 1; w <= mPumpingWellCount; ++w) {
      if (!PumpingWells[w].Included[0]) continue;
      SelectedCurves.set(static_cast<std::size_t>(w));
      ++CurveCount;
    }
  } else {
    for (int j = 1; j <= mObservationWellCount; ++j) {
      const TObservationWell& well = ObservationWells[j];
      if (!well.OwnCurve || !well.Included[0]) continue;
      SelectedCurves.set(static_cast<std::size_t>(j));
      ++CurveCount;
    }
  }
  // The layer range starts empty (2..1) and widens to every layer of a selected curve.
  SetUpperLayer(2);
  SetLowerLayer(1);
  for (int curve = 1; curve <= kMaxObservationWells; ++curve) {
    if (!SelectedCurves.test(static_cast<std::size_t>(curve))) continue;
    const TByteSet layers = CurveLayerSet(curve);
    for (int l = 1; l < 8; ++l) {
      if (!layers.Contains(l)) continue;
      if (l < mUpperLayer) SetUpperLayer(l);
      if (l > mLowerLayer) SetLowerLayer(l);
    }
  }
}

TColor TAQVData::DefaultCurveColor(int k) const {
  // Black, red, lime, blue, fuchsia, aqua, grey, maroon, green, olive, navy, purple, teal,
  // silver: the strong colours first, so that the first curves stand apart best.
  static constexpr int kEntries[14] = {0, 13, 14, 16, 17, 18, 12, 1, 2, 3, 4, 5, 6, 7};
  const TPaletteEntry& e = Palette[kEntries[std::clamp(k, 1, 14) - 1]];
  return RGBColor(e.Red, e.Green, e.Blue);
}

void TAQVData::ApplyStyle(TCurveStyles& styles, int layer, int colourIndex) const {
  styles.CurveColor[layer] = DefaultCurveColor(colourIndex);
  styles.MarkerColor[layer] = styles.CurveColor[layer];
  styles.CurveWidth[layer] = 2;
  styles.MarkerSize[layer] = 6;
  styles.MarkerStyle[layer] = 3;
  styles.PenStyle[layer] = 0;
}

void TAQVData::ApplyDefaultStyles() {
  int k = 0;  // colours 1 to 14, then 1 again
  for (int w = 1; w <= mPumpingWellCount; ++w)
    for (int l = 1; l <= mAquiferCount; ++l) ApplyStyle(PumpingWells[w], l, k++ % 14 + 1);
  k = 0;
  for (int j = 1; j <= mObservationWellCount; ++j)
    for (int l = 1; l <= mAquiferCount; ++l) ApplyStyle(ObservationWells[j], l, k++ % 14 + 1);
}

void TAQVData::AssignCurveStyles() {
  const auto next = [](int k) { return k == 14 ? 1 : k + 1; };
  int k = 1;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    TPumpingWell& well = PumpingWells[w];
    for (int l = 1; l <= mAquiferCount; ++l) {
      if (well.Screened[l]) {
        ApplyStyle(well, l, k);
        well.LayerSet.Include(l);
        k = next(k);
      } else {
        well.LayerSet.Exclude(l);
      }
    }
  }
  k = 1;
  for (int j = 1; j <= mObservationWellCount; ++j) {
    TObservationWell& well = ObservationWells[j];
    for (int l = 1; l <= mAquiferCount; ++l) {
      if (l == well.Layer) {
        ApplyStyle(well, l, k);
        well.LayerSet.Include(l);
        k = next(k);
      } else {
        well.LayerSet.Exclude(l);
      }
    }
  }
  SetModified(true);
}

int TAQVData::CurveOwner(int curve, int layer) const {
  if (mWellFluxMode) return curve;
  if (curve < 1 || curve > kMaxObservationWells) return -1;
  const TObservationWell& well = ObservationWells[curve];
  if (well.Layer == layer) return curve;
  int owner = -1;
  for (int i = 1; i <= kMaxObservationWells; ++i)
    if (well.CoincidentSet.Contains(i) && ObservationWells[i].Layer == layer) owner = i;
  return owner;
}

namespace {

// Style records are addressed by curve and aquifer numbers that come from the chart; numbers
// outside the tables read as a blank style and are not written.
TCurveStyles& InvalidStyle() {
  static TCurveStyles blank;
  blank = TCurveStyles();
  return blank;
}

}  // namespace

TCurveStyles& TAQVData::StyleRecord(int curve, int layer) {
  int owner = CurveOwner(curve, layer);
  if (owner == -1) owner = curve;
  if (layer < 1 || layer > kMaxAquifers || owner < 1) return InvalidStyle();
  if (mWellFluxMode)
    return owner <= kMaxPumpingWells ? static_cast<TCurveStyles&>(PumpingWells[owner])
                                     : InvalidStyle();
  return owner <= kMaxObservationWells ? static_cast<TCurveStyles&>(ObservationWells[owner])
                                       : InvalidStyle();
}

const TCurveStyles& TAQVData::StyleRecord(int curve, int layer) const {
  return const_cast<TAQVData*>(this)->StyleRecord(curve, layer);
}

namespace {

// The style accessors read and write element `layer` of one field of the owning record; a layer
// outside 1..2 reads the blank record and writes nothing.
template <typename T>
T ReadStyle(const TCurveStyles& record, TArray1<T, kMaxAquifers> TCurveStyles::*field, int layer) {
  return (record.*field)[std::clamp(layer, 1, kMaxAquifers)];
}

template <typename T>
void WriteStyle(TCurveStyles& record, TArray1<T, kMaxAquifers> TCurveStyles::*field, int layer,
                T value) {
  if (layer >= 1 && layer <= kMaxAquifers) (record.*field)[layer] = value;
}

}  // namespace

TColor TAQVData::GetCurveColor(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::CurveColor, layer);
}
void TAQVData::SetCurveColor(int curve, int layer, TColor value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::CurveColor, layer, value);
}
int TAQVData::GetCurveWidth(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::CurveWidth, layer);
}
void TAQVData::SetCurveWidth(int curve, int layer, int value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::CurveWidth, layer, value);
}
std::uint8_t TAQVData::GetCurvePenStyle(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::PenStyle, layer);
}
void TAQVData::SetCurvePenStyle(int curve, int layer, std::uint8_t value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::PenStyle, layer, value);
}
TColor TAQVData::GetCurveMarkerColor(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerColor, layer);
}
void TAQVData::SetCurveMarkerColor(int curve, int layer, TColor value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerColor, layer, value);
}
int TAQVData::GetCurveMarkerSize(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerSize, layer);
}
void TAQVData::SetCurveMarkerSize(int curve, int layer, int value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerSize, layer, value);
}
std::uint8_t TAQVData::GetCurveMarkerStyle(int curve, int layer) const {
  return ReadStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerStyle, layer);
}
void TAQVData::SetCurveMarkerStyle(int curve, int layer, std::uint8_t value) {
  Saved = false;  // the data file carries the curve styles
  WriteStyle(StyleRecord(curve, layer), &TCurveStyles::MarkerStyle, layer, value);
}

void TAQVData::ComputeWellCentre() {
  double x = 0, y = 0;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    x += PumpingWells[w].X;
    y += PumpingWells[w].Y;
  }
  x /= mPumpingWellCount;
  y /= mPumpingWellCount;
  if (mPumpingWellCount > 1) {
    x = RoundHalfEven(x / 100) * 100;
    y = RoundHalfEven(y / 100) * 100;
  }
  WellCentreX = x;
  WellCentreY = y;
}

void TAQVData::ComputeMapDefaults() {
  double r = 0;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TPumpingWell& well = PumpingWells[w];
    if (well.Included[0]) r = std::max(r, std::hypot(well.X - WellCentreX, well.Y - WellCentreY));
  }
  r *= 2;
  // The leakage factor of the whole system: the distance over which drawdowns die out.
  double sumT = 0, sumC = 0;
  for (int i = 1; i <= mAquiferCount; ++i) sumT += T[i];
  for (int i = 1; i <= mAquiferCount + 1; ++i) sumC += Resistance[i];
  double l = std::sqrt(sumT) * std::sqrt(sumC);
  if (!(l <= 2500)) l = 2500;
  if (r < l) r = l;
  MapRadius = RoundHalfEven((r + 50) / 100) * 100;
  double m = 4 * l;
  if (3 * MapRadius > m) m = 3 * MapRadius;
  ModelRadius = RoundHalfEven((m + 50) / 100) * 100;
  ModelLength = 2 * ModelRadius;
}

namespace {

template <typename Pick, typename Better>
double Extreme(const TAQVData& d, Pick pick, Better better) {
  double result = pick(d.PumpingWells[1].X, d.PumpingWells[1].Y);
  for (int w = 1; w <= d.PumpingWellCount(); ++w) {
    const double v = pick(d.PumpingWells[w].X, d.PumpingWells[w].Y);
    if (better(v, result)) result = v;
  }
  for (int j = 1; j <= d.ObservationWellCount(); ++j) {
    const double v = pick(d.ObservationWells[j].X, d.ObservationWells[j].Y);
    if (better(v, result)) result = v;
  }
  return result;
}

const auto kPickX = [](double x, double) { return x; };
const auto kPickY = [](double, double y) { return y; };

}  // namespace

double TAQVData::MaxWellX() const {
  return Extreme(*this, kPickX, std::greater<>());
}
double TAQVData::MinWellX() const {
  return Extreme(*this, kPickX, std::less<>());
}
double TAQVData::MaxWellY() const {
  return Extreme(*this, kPickY, std::greater<>());
}
double TAQVData::MinWellY() const {
  return Extreme(*this, kPickY, std::less<>());
}

double TAQVData::LatestTime() const {
  double latest = PumpingWells[1].StartTime[1];
  for (int w = 1; w <= mPumpingWellCount; ++w)
    for (int k = 1; k <= PumpingWells[w].PeriodCount(); ++k)
      latest = std::max(latest, PumpingWells[w].StartTime[k]);
  for (int j = 1; j <= mObservationWellCount; ++j)
    for (int k = 1; k <= ObservationWells[j].ObservationCount(); ++k)
      latest = std::max(latest, ObservationWells[j].Time[k]);
  return latest;
}

int TAQVData::PumpingWellAtPoint(int layer, double x, double y) const {
  if (layer < 1 || layer > kMaxAquifers) return -1;
  int found = -1;
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TPumpingWell& well = PumpingWells[w];
    if (std::hypot(x - well.X, y - well.Y) <= well.Rw && well.Screened[layer]) found = w;
  }
  return found;
}

}  // namespace aqv
