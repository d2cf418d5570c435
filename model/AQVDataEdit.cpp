#include <cmath>
#include <functional>

#include "model/AQVData.h"

namespace aqv {

namespace {

// Below this an aquitard base typed at the level of the aquitard's top counts as that top: the
// grid shows levels with 7 digits, so a typed copy of the top can differ by rounding.
constexpr double kZeroAquitardThickness = 1e-6;

bool ParseFloat(const std::string& text, double& value) {
  return TryStrToFloat(text, value, Globals().DecimalSeparator);
}

// The mark a "#" cell stores: its first character when that is one the optimiser links
// ('1'..'z'), else no mark; a blank is the typed form of "not optimised".
char MarkFromText(std::string_view text) {
  if (text.empty()) return kNoMark;
  const char c = text.front();
  return c >= '1' && c <= 'z' ? c : kNoMark;
}

// Stores numerator / denominator unless the quotient is not a finite number; a zero
// denominator leaves the previous value rather than an infinity that would poison every
// later computation.
void StoreQuotient(double& field, double numerator, double denominator) {
  if (denominator == 0) return;
  const double quotient = numerator / denominator;
  if (std::isfinite(quotient)) field = quotient;
}

// Whether an included period of an included well is among those for which kept holds.
bool AnyPumpingIncluded(const TAQVData& d, const std::function<bool(int, int)>& kept) {
  for (int w = 1; w <= d.PumpingWellCount(); ++w) {
    const TPumpingWell& well = d.PumpingWells[w];
    if (!well.Included[0]) continue;
    for (int k = 1; k <= well.PeriodCount(); ++k)
      if (well.Included[k] && kept(w, k)) return true;
  }
  return false;
}

bool Everything(int, int) {
  return true;
}

}  // namespace

bool TAQVData::LosesAllPumping(const std::function<bool(int, int)>& kept) const {
  return AnyPumpingIncluded(*this, Everything) && !AnyPumpingIncluded(*this, kept);
}

// --- Table cells ---------------------------------------------------------------------------

void TAQVData::SetCellText(int aCol, int aRow, const std::string& value, TAQVGridKind kind) {
  SetCell(aCol, aRow, value, kind, true);
}

void TAQVData::SetCell(int aCol, int aRow, const std::string& value, TAQVGridKind kind,
                       bool notify) {
  bool stored = false;
  switch (kind) {
    case TAQVGridKind::gkConductivities:
      stored = SetAquiferSystemCell(aCol, aRow, value);
      break;
    case TAQVGridKind::gkPumpingWells:
      stored = SetPumpingWellCell(aCol, aRow, value);
      break;
    case TAQVGridKind::gkPumpingPeriods:
      stored = SetPumpingPeriodCell(aCol, aRow, value);
      break;
    case TAQVGridKind::gkObservationWells:
      stored = SetObservationWellCell(aCol, aRow, value);
      break;
    case TAQVGridKind::gkObservations:
      stored = SetObservationCell(aCol, aRow, value);
      break;
  }
  if (!stored) return;
  Saved = false;
  CurvesValid = false;
  ResultsExist = false;
  if (!notify) return;
  SetModified(true);
  Notify();
}

void TAQVData::Changed() {
  AllChanged = true;
  SetModified(true);
  Notify();
}

std::unique_ptr<TAQVData> TAQVData::TableCopy() const {
  auto copy = std::make_unique<TAQVData>();
  TAQVData& c = *copy;
  c.mAquiferCount = mAquiferCount;
  c.mSelectedRow = mSelectedRow;
  c.mSurfaceLevel = mSurfaceLevel;
  c.mTopAquitardAbsent = mTopAquitardAbsent;
  c.mBottomAquitardAbsent = mBottomAquitardAbsent;
  c.mTopAquitardImpervious = mTopAquitardImpervious;
  c.mBottomAquitardImpervious = mBottomAquitardImpervious;
  c.T = T, c.Kh = Kh, c.D = D, c.S = S;
  c.Resistance = Resistance, c.Kv = Kv, c.DAquitard = DAquitard, c.SAquitard = SAquitard;
  c.TCode = TCode, c.ResistanceCode = ResistanceCode, c.SCode = SCode;
  c.SAquitardCode = SAquitardCode;
  c.AquiferName = AquiferName, c.AquitardName = AquitardName;
  c.TopAquitardBackup = TopAquitardBackup, c.BottomAquitardBackup = BottomAquitardBackup;
  c.mPumpingWellCount = mPumpingWellCount;
  c.mObservationWellCount = mObservationWellCount;
  c.PumpingWells = PumpingWells;
  c.ObservationWells = ObservationWells;
  c.mCurrentPumpingWell = mCurrentPumpingWell;
  c.mCurrentObservationWell = mCurrentObservationWell;
  c.mTimeUnit = mTimeUnit, c.mLengthUnit = mLengthUnit;
  c.mTimeUnitLabel = mTimeUnitLabel, c.mLengthUnitLabel = mLengthUnitLabel;
  c.mTimeFactor = mTimeFactor, c.mPreviousTimeFactor = mPreviousTimeFactor;
  c.mLengthFactor = mLengthFactor, c.mLengthFactorCubed = mLengthFactorCubed;
  c.ConvertLengthUnits = ConvertLengthUnits, c.ConvertTimeUnits = ConvertTimeUnits;
  c.mUpperLayer = mUpperLayer, c.mLowerLayer = mLowerLayer;
  c.mWellFluxMode = mWellFluxMode;
  c.SelectedCurves = SelectedCurves;
  c.CurveCount = CurveCount;
  return copy;
}

double TAQVData::AquiferThickness(int i) const {
  return i >= 1 && i <= mAquiferCount ? D[i] : 0.0;
}

// Kv = D' / c. An aquitard of zero thickness between two aquifers still passes water through
// its resistance; its conductance is taken over half the thickness of the aquifers on either
// side, Kv = (D[k-1] + D[k]) / (2 c), with a missing aquifer counting as thickness 0.
void TAQVData::DeriveAquitardKv(int k) {
  if (DAquitard[k] <= 0)
    StoreQuotient(Kv[k], AquiferThickness(k - 1) + AquiferThickness(k), 2 * Resistance[k]);
  else
    StoreQuotient(Kv[k], DAquitard[k], Resistance[k]);
}

// After a change of aquifer k's thickness, the zero-thickness aquitards above and below it
// take their conductivity from the new thickness.
void TAQVData::DeriveZeroThicknessKv(int k) {
  for (int i : {k, k + 1})
    if (i <= kMaxLayers && DAquitard[i] == 0)
      StoreQuotient(Kv[i], AquiferThickness(i - 1) + AquiferThickness(i), 2 * Resistance[i]);
}

bool TAQVData::SetAquiferSystemCell(int col, int row, const std::string& text) {
  if (row < 1 || row > RowCount()) return false;
  int k = 1;
  const bool aquifer = RowToLayer(row, k);
  if (k < 1 || k > kMaxLayers) return false;
  const double top = RowTopLevel(row);
  const bool stored =
      aquifer ? SetAquiferCell(col, k, text, top) : SetAquitardCell(col, k, text, top);
  if (stored && (col == 1 || col == 2 || col == 3 || col == 5)) {
    ComputeWellCentre();
    ComputeMapDefaults();
  }
  return stored;
}

// Aquifer k: D and T are stored, Kh = T / D follows them.
bool TAQVData::SetAquiferCell(int col, int k, const std::string& text, double top) {
  double v = 0;
  const bool isNumberColumn = col == 1 || col == 2 || col == 3 || col == 5 || col == 8;
  if (isNumberColumn && !ParseFloat(text, v)) return false;
  switch (col) {
    case 1:
    case 2:
      D[k] = col == 1 ? top - v / mLengthFactor : v / mLengthFactor;
      StoreQuotient(Kh[k], T[k], D[k]);
      DeriveZeroThicknessKv(k);
      return true;
    case 3:  // Kh per display time unit
      Kh[k] = v / mLengthFactor * mTimeFactor;
      T[k] = Kh[k] * D[k];
      return true;
    case 5:  // T in length^2 per display time unit
      T[k] = v / (mLengthFactor * mLengthFactor) * mTimeFactor;
      StoreQuotient(Kh[k], T[k], D[k]);
      return true;
    case 6:
      TCode[k] = MarkFromText(text);
      return true;
    case 8:
      S[k] = v;
      if (S[k] <= 0) SCode[k] = kNoMark;
      return true;
    case 9:
      SCode[k] = S[k] > 0 ? MarkFromText(text) : kNoMark;
      return true;
    case 10:
      AquiferName[k] = CutText(text, kLayerNameWidth);
      return true;
    default:
      return false;
  }
}

// Aquitard k: D' and c are stored, Kv = D' / c follows them.
bool TAQVData::SetAquitardCell(int col, int k, const std::string& text, double top) {
  double v = 0;
  const bool isNumberColumn = col == 1 || col == 2 || col == 3 || col == 5 || col == 8;
  if (isNumberColumn && !ParseFloat(text, v)) return false;
  switch (col) {
    case 1:
    case 2:
      DAquitard[k] = col == 1 ? top - v / mLengthFactor : v / mLengthFactor;
      if (col == 1 && DAquitard[k] < kZeroAquitardThickness) DAquitard[k] = 0;
      DeriveAquitardKv(k);
      // An aquitard without thickness stores nothing, so its S' and the mark on it go.
      if (DAquitard[k] == 0) {
        SAquitard[k] = 0;
        SAquitardCode[k] = kNoMark;
      }
      return true;
    case 3:  // Kv per display time unit; c = D' / Kv
      Kv[k] = v / mLengthFactor * mTimeFactor;
      if (DAquitard[k] <= 0)
        StoreQuotient(Resistance[k], AquiferThickness(k - 1) + AquiferThickness(k), 2 * Kv[k]);
      else
        StoreQuotient(Resistance[k], DAquitard[k], Kv[k]);
      return true;
    case 5:  // c in display time units
      Resistance[k] = v / mTimeFactor;
      DeriveAquitardKv(k);
      return true;
    case 6:
      ResistanceCode[k] = MarkFromText(text);
      return true;
    case 8:
      SAquitard[k] = DAquitard[k] == 0 ? 0.0 : v;
      if (SAquitard[k] <= 0) SAquitardCode[k] = kNoMark;
      return true;
    case 9:
      SAquitardCode[k] = SAquitard[k] > 0 ? MarkFromText(text) : kNoMark;
      return true;
    case 10:
      AquitardName[k] = CutText(text, kLayerNameWidth);
      return true;
    default:
      return false;
  }
}

bool TAQVData::SetPumpingWellCell(int col, int row, const std::string& text) {
  if (row < 1 || row > mPumpingWellCount) return false;
  TPumpingWell& well = PumpingWells[row];
  double v = 0;
  const bool isNumberColumn = col == 3 || col == 4 || col == 6 || col == 8 || col == 10;
  if (isNumberColumn && !ParseFloat(text, v)) return false;
  switch (col) {
    case 2:
      well.Name = CutText(text, kWellNameWidth);
      return true;
    case 3:
    case 4:
      (col == 3 ? well.X : well.Y) = v / mLengthFactor;
      ComputeWellCentre();
      ComputeMapDefaults();
      return true;
    case 5:
      return SetPumpingWellScreens(well, text);
    case 6:
      well.Rc = v / mLengthFactor;
      if (well.Rc <= 0) well.RcCode = kNoMark;
      return true;
    case 7:
      well.RcCode = well.Rc > 0 ? MarkFromText(text) : kNoMark;
      return true;
    case 8:
      well.Rw = v / mLengthFactor;
      return true;
    case 9:
      well.RwCode = MarkFromText(text);
      return true;
    case 10:  // skin resistance, days
      well.Skin = v;
      if (well.Skin <= 0) well.SkinCode = kNoMark;
      return true;
    case 11:
      well.SkinCode = well.Skin > 0 ? MarkFromText(text) : kNoMark;
      return true;
    case 12: {
      int n = 0;
      if (!TryStrToInt(text, n) || n < 1 || n > kMaxPeriods) return false;
      if (LosesAllPumping([&](int w, int k) { return w != row || k <= n; })) {
        UserInterface().MessageBox(kNoPumpingIncludedText, TMsgDlgType::mtError,
                                   TMsgDlgButtons::mbOK);
        return false;
      }
      well.SetPeriodCount(n);
      RefreshPeriodsGrid = true;
      return true;
    }
    default:
      return false;
  }
}

bool TAQVData::SetPumpingWellScreens(TPumpingWell& well, const std::string& text) {
  TArray1<bool, kMaxAquifers> screens;
  if (!TextToLayerSet(text, screens)) return false;
  for (int l = 1; l <= kMaxAquifers; ++l)
    if (well.Screened[l]) well.LayerSet.Exclude(l);
  well.Screened = screens;
  for (int l = 1; l <= mAquiferCount; ++l)
    if (well.Screened[l]) well.LayerSet.Include(l);
  AssignCurveStyles();
  // In well-flux mode the screens are the curve's layers, which bound the drawn range.
  SelectCurves();
  return true;
}

bool TAQVData::SetPumpingPeriodCell(int col, int row, const std::string& text) {
  TPumpingWell& well = PumpingWells[mCurrentPumpingWell];
  if (row < 1 || row > well.PeriodCount() || (col != 2 && col != 3)) return false;
  double v = 0;
  if (!ParseFloat(text, v)) return false;
  if (col == 2)
    well.StartTime[row] = v / mTimeFactor;
  else  // length^3 per display time unit
    well.Discharge[row] = v / mLengthFactorCubed * mTimeFactor;
  RefreshPeriodsGrid = false;
  return true;
}

bool TAQVData::SetObservationWellCell(int col, int row, const std::string& text) {
  if (row < 1 || row > mObservationWellCount) return false;
  TObservationWell& well = ObservationWells[row];
  double v = 0;
  const bool isNumberColumn = col == 3 || col == 4 || col == 6 || col == 7 || col == 8;
  if (isNumberColumn && !ParseFloat(text, v)) return false;
  switch (col) {
    case 2:
      well.Name = CutText(text, kWellNameWidth);
      break;
    case 3:
    case 4:
      (col == 3 ? well.X : well.Y) = v / mLengthFactor;
      GroupCoincidentWells();
      SelectCurves();
      AssignCurveStyles();
      break;
    case 5: {
      int layer = 0;
      if (!TryStrToInt(text, layer) || layer < 1 || layer > kMaxAquifers) return false;
      well.LayerSet.Exclude(well.Layer);
      well.Layer = layer;
      well.LayerSet.Include(layer);
      AssignCurveStyles();
      // The drawn range of aquifers follows the layers of the curves.
      SelectCurves();
      break;
    }
    case 6:
      well.Rc = v / mLengthFactor;
      return true;
    case 7:
      well.Rw = v / mLengthFactor;
      return true;
    case 8:  // skin resistance, days
      well.Skin = v;
      return true;
    case 9: {
      int n = 0;
      if (!TryStrToInt(text, n) || n < 1 || n > kMaxObservations) return false;
      SetObservationCount(row, n);
      RefreshObservationGrids = true;
      return true;
    }
    default:
      return false;
  }
  // The fitting list copies each observation's well name, position and layer.
  CollectIncludedObservations();
  return true;
}

bool TAQVData::SetObservationCell(int col, int row, const std::string& text) {
  TObservationWell& well = ObservationWells[mCurrentObservationWell];
  if (row < 1 || row > well.ObservationCount() || (col != 2 && col != 3)) return false;
  double v = 0;
  if (!ParseFloat(text, v)) return false;
  if (col == 2)
    well.Time[row] = v / mTimeFactor;
  else
    well.Observed[row] = v / mLengthFactor;
  CollectIncludedObservations();
  RefreshObservationGrids = false;
  return true;
}

// --- Number and spin edits -----------------------------------------------------------------

void TAQVData::SetFloatSetting(const std::string& text, TAQVFloatEditType kind) {
  double v = 0;
  if (!ParseFloat(text, v) || !StoreFloatSetting(kind, v)) return;
  Saved = false;
  ResultsExist = false;
  Notify();
}

bool TAQVData::StoreFloatSetting(TAQVFloatEditType kind, double value) {
  const double length = value / mLengthFactor;
  const double days = value / mTimeFactor;
  using enum TAQVFloatEditType;
  switch (kind) {
    case feSurfaceLevel:
      SetSurfaceLevel(length);
      break;
    case feAbsStoppingCriterion:
      AbsStoppingCriterion = length;
      break;
    case feRelStoppingCriterion:
      RelStoppingCriterion = value;
      break;
    case feStartingTime:
      SetStartingTime(days);
      break;
    case feStoppingTime:
      SetStoppingTime(days);
      break;
    case feWorldX1:
      SetWorldX1(length);
      break;
    case feWorldX2:
      SetWorldX2(length);
      break;
    case feWorldY1:
      SetWorldY1(length);
      break;
    case feWorldY2:
      SetWorldY2(length);
      break;
    case feBeginTijd:
      SetAnimationStartTime(days);
      break;
    case feEindTijd:
      SetAnimationEndTime(days);
      break;
    case feMinContour:
      SetMinContour(length);
      break;
    case feMaxContour:
      SetMaxContour(length);
      break;
    case feInterval:
      SetContourInterval(length);
      break;
    case feTTijd:
      SetDisplayTime(days);
      break;
    case feModelLength:
      ModelLength = length;
      break;
    default:
      return false;
  }
  return true;
}

void TAQVData::SetIntSetting(const std::string& text, TAQVSpinEditType kind) {
  int v = 0;
  if (!TryStrToInt(text, v) || !StoreIntSetting(kind, v)) return;
  using enum TAQVSpinEditType;
  if (kind == seNAq || kind == seNObsWells || kind == seNPumpingWells) {
    GroupCoincidentWells();
    SelectCurves();
    AssignCurveStyles();
    AllChanged = true;
    SetModified(true);
  }
  Saved = false;
  ResultsExist = false;
  Notify();
}

bool TAQVData::StoreIntSetting(TAQVSpinEditType kind, int value) {
  using enum TAQVSpinEditType;
  switch (kind) {
    case seNAq:
      if (value < 1 || value > kMaxAquifers) return false;
      SetAquiferCount(value);
      return true;
    case seNObsWells:
      if (value < 1 || value > kMaxObservationWells) return false;
      SetObservationWellCount(value);
      GroupCoincidentWells();
      CollectIncludedObservations();
      AssignCurveStyles();
      return true;
    case seNPumpingWells:
      if (value < 1 || value > kMaxPumpingWells) return false;
      if (LosesAllPumping([&](int w, int) { return w <= value; })) {
        UserInterface().MessageBox(kNoPumpingIncludedText, TMsgDlgType::mtError,
                                   TMsgDlgButtons::mbOK);
        return false;
      }
      SetPumpingWellCount(value);
      ComputeWellCentre();
      ComputeMapDefaults();
      AssignCurveStyles();
      return true;
    case seLowerl:
      SetLowerLayer(value);
      return true;
    case seUpperl:
      SetUpperLayer(value);
      return true;
    case seTsteps:
      SetTimeSteps(value);
      return true;
    case seTekenlaag:
      SetDrawLayer(value);
      return true;
    case seDensity:
      MeshDensity = value;
      return true;
    default:
      return false;
  }
}

// --- Include marks -------------------------------------------------------------------------

void TAQVData::ToggleObservation(int index) {
  TObservationWell& well = ObservationWells[mCurrentObservationWell];
  if (index < 0 || index > well.ObservationCount()) return;
  well.Included[index] = !well.Included[index];
  CollectIncludedObservations();
  GroupCoincidentWells();
  SelectCurves();
  AssignCurveStyles();
  SetModified(true);
  Saved = false;
}

void TAQVData::TogglePumpingPeriod(int index) {
  TPumpingWell& well = PumpingWells[mCurrentPumpingWell];
  if (index < 0 || index > well.PeriodCount()) return;
  well.Included[index] = !well.Included[index];
  // Without any discharge there is nothing to compute.
  const bool kept = AnyPumpingIncluded(*this, Everything);
  if (!kept) {
    UserInterface().MessageBox(kNoPumpingIncludedText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    well.Included[index] = !well.Included[index];
  }
  ComputeWellCentre();
  ComputeMapDefaults();
  SelectCurves();
  AssignCurveStyles();
  SetModified(true);
  if (kept) Saved = false;
}

}  // namespace aqv
