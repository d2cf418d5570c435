#include <cmath>
#include <iterator>

#include "model/AQVData.h"

namespace aqv {

namespace {

// The international foot.
constexpr double kMetresPerFoot = 0.3048;

struct TTimeUnitRow {
  const char* Label;
  double FactorPerDay;  // display units per day
};

// A year counts 365.24 days.
constexpr TTimeUnitRow kTimeUnits[] = {
    {"s", 86400}, {"min", 1440}, {"h ", 24}, {"d", 1}, {"yr", 1 / 365.24}};

const char* LengthUnitLabelOf(TAQVLengthUnit unit) {
  return unit == TAQVLengthUnit::luFeet ? "ft" : "m";
}

bool IsKnownLengthUnit(TAQVLengthUnit unit) {
  return unit == TAQVLengthUnit::luFeet || unit == TAQVLengthUnit::luMeters;
}

}  // namespace

double MetresToFeet(double metres) {
  return metres / kMetresPerFoot;
}

double FeetToMetres(double feet) {
  return feet * kMetresPerFoot;
}

double ConvertLength(TAQVLengthUnit unit, int power, double value) {
  // Applied once per length dimension rather than with pow(0.3048, power), so that a round
  // trip divides by exactly the factors it multiplied with.
  for (int i = 0; i < power; ++i)
    value = unit == TAQVLengthUnit::luMeters ? FeetToMetres(value) : MetresToFeet(value);
  return value;
}

void TAQVData::SetTimeUnit(TAQVTimeUnit value) {
  const auto index = static_cast<std::size_t>(value);
  if (value == mTimeUnit || index >= std::size(kTimeUnits)) return;
  mTimeUnit = value;
  mPreviousTimeFactor = mTimeFactor;
  mTimeUnitLabel = kTimeUnits[index].Label;
  // Without conversion a change of unit only relabels the numbers.
  mTimeFactor = ConvertTimeUnits ? kTimeUnits[index].FactorPerDay : 1.0;
  CurvesValid = false;
  AllChanged = true;
  SetModified(true);
  UnitsChanged = true;
  Saved = false;
  Fire(OnGrootheidTChange, this);
  Notify();
}

// Converts every stored value that carries a length, in every slot of every table up to its
// capacity: records hidden by a lower count come back in the new unit when the count rises.
// Resistances, storativities, skins and times carry no length; computed drawdowns are
// recomputed in the new unit anyway.
void TAQVData::ConvertStoredLengths(TAQVLengthUnit unit) {
  const auto length = [unit](double& x) { x = ConvertLength(unit, 1, x); };
  SetSurfaceLevel(ConvertLength(unit, 1, mSurfaceLevel));
  SetMinContour(ConvertLength(unit, 1, mMinContour));
  SetMaxContour(ConvertLength(unit, 1, mMaxContour));
  SetContourInterval(ConvertLength(unit, 1, mContourInterval));
  for (double* x :
       {&ModelLength, &ModelRadius, &MapRadius, &WellCentreX, &WellCentreY, &SavedContourInterval,
        &AutoMinContourValue, &AutoMaxContourValue, &AutoContourIntervalValue})
    length(*x);
  for (int i = 1; i <= kMaxLayers; ++i) {
    length(D[i]);
    length(DAquitard[i]);
    length(Kh[i]);
    length(Kv[i]);
    T[i] = ConvertLength(unit, 2, T[i]);
  }
  for (TPumpingWell& well : PumpingWells) {
    for (double* x : {&well.X, &well.Y, &well.Rc, &well.Rw}) length(*x);
    for (double& q : well.Discharge) q = ConvertLength(unit, 3, q);
  }
  for (TObservationWell& well : ObservationWells) {
    for (double* x : {&well.X, &well.Y, &well.Rc, &well.Rw}) length(*x);
    for (double& s : well.Observed) length(s);
  }
  SetWorldX1(ConvertLength(unit, 1, mWorldX1));
  SetWorldX2(ConvertLength(unit, 1, mWorldX2));
  SetWorldY1(ConvertLength(unit, 1, mWorldY1));
  SetWorldY2(ConvertLength(unit, 1, mWorldY2));
  // A box anchored to a world point stays beside what it describes; the others are placed in
  // pixels from a corner of the model window.
  for (const auto& box : TextBoxes)
    if (box->AnchorMode == 1) {
      length(box->X);
      length(box->Y);
    }
}

void TAQVData::SetLengthUnit(TAQVLengthUnit value) {
  if (value == mLengthUnit || !IsKnownLengthUnit(value)) return;
  mLengthUnit = value;
  mLengthUnitLabel = LengthUnitLabelOf(value);
  mLengthFactor = 1;
  ConvertStoredLengths(value);
  // The optimiser fits the fitting list, which holds copies of the observed drawdowns.
  CollectIncludedObservations();
  ResultsExist = false;
  mLengthFactorCubed = mLengthFactor * mLengthFactor * mLengthFactor;
  CurvesValid = false;
  AllChanged = true;
  SetModified(true);
  UnitsChanged = true;
  CurvesStale = true;
  Saved = false;
  MapWindowChanged = false;
  Notify();
}

void TAQVData::SetLengthUnitLabel(TAQVLengthUnit value) {
  if (!IsKnownLengthUnit(value)) return;
  const bool changes = value != mLengthUnit;
  mLengthUnit = value;
  mLengthUnitLabel = LengthUnitLabelOf(value);
  mLengthFactor = 1;
  // A new document's contour defaults are metres; they are converted only into feet, never
  // from metres into metres.
  if (changes) {
    SetMinContour(ConvertLength(value, 1, mMinContour));
    SetMaxContour(ConvertLength(value, 1, mMaxContour));
    SetContourInterval(ConvertLength(value, 1, mContourInterval));
    Saved = false;
  }
  ResultsExist = false;
  mLengthFactorCubed = mLengthFactor * mLengthFactor * mLengthFactor;
  CurvesValid = false;
  AllChanged = true;
  SetModified(true);
  UnitsChanged = true;
  MapWindowChanged = true;
  Notify();
}

}  // namespace aqv
