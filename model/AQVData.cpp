#include "model/AQVData.h"

#include <algorithm>
#include <cmath>

namespace aqv {

// The 16 VGA colours with the four extra entries in the middle, in the order of the system's
// default palette: the default curve colours are picked from it by index.
const TArrayRange<TPaletteEntry, 0, kPaletteSize - 1> kDefaultPalette = [] {
  TArrayRange<TPaletteEntry, 0, kPaletteSize - 1> p;
  const std::uint8_t rgb[kPaletteSize][3] = {
      {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
      {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
      {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
      {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  for (int i = 0; i < kPaletteSize; ++i) p[i] = {rgb[i][0], rgb[i][1], rgb[i][2], 0};
  return p;
}();

double RoundHalfEven(double value) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-even by default;
  // std::round would round halves away from zero.
  return std::nearbyint(value);
}

void TPumpingWell::SetPeriodCount(int count) {
  mPeriodCount = std::clamp(count, 1, kMaxPeriods);
}

void TObservationWell::SetObservationCount(int count) {
  mObservationCount = std::clamp(count, 0, kMaxObservations);
}

TAQVData::TAQVData(TUserInterface* ui) {
  static TSilentUserInterface silent;
  mUserInterface = ui ? ui : &silent;
  const TAQVGlobals& g = Globals();
  mStehfestTerms = StehfestTermCount(g.NSt);
  ComputeStehfestWeights();
  mTimesPerLogCycle = g.nlogcycle;
  ConvertLengthUnits = g.ConvertLengthUnits;
  ConvertTimeUnits = g.ConvertTimeUnits;
  ResetToDefaults();
  SetCurrentPumpingWell(1);
  SetCurrentObservationWell(1);
  MeshDensity = 3;
  ShowBackgroundImages = false;
}

TAQVData::~TAQVData() {
  FreeWorkBuffers();
}

void TAQVData::Notify() {
  Fire(OnChange, this);
}

void TAQVData::SetModified(bool value) {
  mModified = value;
  CurvesValid = !value;
}

void TAQVData::AllocateWorkBuffers() {
  Jacobian.assign(static_cast<std::size_t>(kMaxFitObservations) * kMaxParameters, 0.0);
  Residuals.assign(kMaxFitObservations, 0.0);
  SavedResiduals.assign(kMaxFitObservations, 0.0);
  Engine = TAquiferSystemState();
  OutputTimes.clear();
  OutputTimes.reserve(kMaxOutputTimes);
  CurveDistances.assign(kMaxObservationWells, 0.0);
  CurveNames.assign(kMaxObservationWells, std::string());
  CurveValues.assign(kMaxCurveValues, 0.0);
  ResultRow.assign(10, 0.0);
  mObservationRefs.reserve(kMaxFitObservations);
  mEngineResults.reserve(std::max(kMaxFitObservations, kMaxOutputTimes));
}

void TAQVData::FreeWorkBuffers() {
  for (auto* buffer : {&Jacobian, &Residuals, &SavedResiduals, &OutputTimes, &CurveDistances,
                       &CurveValues, &ResultRow}) {
    buffer->clear();
    buffer->shrink_to_fit();
  }
  CurveNames.clear();
  CurveNames.shrink_to_fit();
}

void TAQVData::ResetPumpingWell(int w) {
  TPumpingWell& well = PumpingWells[w];
  well.Name = "Pumping well " + std::to_string(w);
  well.X = 0;
  well.Y = 0;
  well.Screened.Fill(false);
  well.Screened[1] = true;
  well.Rc = 0.1;
  well.Rw = 0.1;
  well.Skin = 0;
  well.RcCode = well.RwCode = well.SkinCode = kNoMark;
  well.SetPeriodCount(1);
  for (int k = 1; k <= kMaxPeriods; ++k) {
    well.StartTime[k] = k - 1;
    well.Discharge[k] = 800;
  }
  well.Included.Fill(true);
  well.LayerSet = TByteSet();
  if (mAquiferCount >= 1) well.LayerSet.Include(1);
  well.CurveColor.Fill(clWhite);
  well.MarkerColor.Fill(clWhite);
}

void TAQVData::ResetObservationWell(int j) {
  TObservationWell& well = ObservationWells[j];
  well.Name = "Observation well " + std::to_string(j);
  well.X = 10.0 * j;
  well.Y = 10.0 * j;
  well.OwnCurve = true;
  well.Layer = 1;
  well.Rc = 0.02;
  well.Rw = 0.02;
  well.Skin = 0;
  SetObservationCount(j, 2);
  well.Time.Fill(1);
  well.Observed.Fill(0.1);
  well.Computed.Fill(0);
  well.Included.Fill(true);
  well.CoincidentSet = TByteSet();
  well.LayerSet = TByteSet();
  well.LayerSet.Include(well.Layer);
  well.CurveColor.Fill(clWhite);
  well.MarkerColor.Fill(clWhite);
}

void TAQVData::ResetLayers() {
  for (int i = 1; i <= kMaxLayers; ++i) {
    T[i] = 1000;
    S[i] = 0.001;
    Resistance[i] = 1000;
    SAquitard[i] = 0;
    TCode[i] = ResistanceCode[i] = SCode[i] = SAquitardCode[i] = kNoMark;
    D[i] = 1;
    Kh[i] = T[i];
    DAquitard[i] = 1;
    Kv[i] = DAquitard[i] / Resistance[i];
  }
}

void TAQVData::ResetToDefaults() {
  Palette = kDefaultPalette;
  SelectedTextBox = nullptr;
  TextBoxes.clear();
  ChartReference = nullptr;
  MapReference = nullptr;
  MapOptions = TAQVMapOptions();
  SavedSeriesMarkers.clear();
  SavedSeriesPatterns.clear();
  Busy = false;
  AllocateWorkBuffers();
  GridsValid = Saved = ResultsExist = CurvesValid = Rejected = false;

  SetWellFluxMode(false);
  mLengthUnit = TAQVLengthUnit::luMeters;
  mLengthUnitLabel = "m";  // the label goes with the unit, whatever the window sets later
  for (int i = 1; i <= kInfoTextCount; ++i) InfoTexts[i].clear();
  for (int i : {5, 6, 7, 11, 12, 13, 14}) InfoTexts[i] = " ";

  SetAquiferCount(1);
  mTopAquitardImpervious = false;
  mBottomAquitardImpervious = true;

  mPumpingWellCount = 1;
  for (int w = 1; w <= kMaxPumpingWells; ++w) ResetPumpingWell(w);
  mObservationWellCount = 1;
  for (int j = 1; j <= kMaxObservationWells; ++j) ResetObservationWell(j);

  SetTopAquitardAbsent(false);
  SetBottomAquitardAbsent(false);
  SetLinearResiduals(true);

  ResetLayers();
  TopAquitardBackup = {Resistance[1], SAquitard[1], ResistanceCode[1], SAquitardCode[1]};
  const int bottom = mAquiferCount + 1;
  BottomAquitardBackup = {Resistance[bottom], SAquitard[bottom], ResistanceCode[bottom],
                          SAquitardCode[bottom]};

  SetStartingTime(0.001);
  SetStoppingTime(1000);
  mTimeFactor = mPreviousTimeFactor = mLengthFactor = mLengthFactorCubed = 1;
  SetTimeUnit(TAQVTimeUnit::tuDays);
  SetUpperLayer(1);
  SetLowerLayer(1);

  RelStoppingCriterion = 0.0001;
  AbsStoppingCriterion = 0.0001;
  MaxIterations = 100;
  InitialLambda = 0.01;

  SetTimeSteps(50);
  SetDrawLayer(1);
  SetAnimationStartTime(0);
  SetAnimationEndTime(10);
  mWorldX1 = mWorldX2 = mWorldY1 = mWorldY2 = 0;
  AutoMinContour = AutoMaxContour = AutoContourInterval = true;
  SetContourInterval(0.01);
  SetMinContour(-10 * mContourInterval);
  SetMaxContour(10 * mContourInterval);

  ReportTitles[1] = "A Q V   A Q U I F E R";
  ReportTitles[2] = "T E S T   A N A L Y S I S";
  ReportTitles[3] = "For  Unsteady-State  Flow  in  Multiple-Aquifer  Systems";
  SetSurfaceLevel(0);

  CurvesStale = true;
  UnitsChanged = true;
  SetModified(true);
  AllChanged = true;
  MapWindowChanged = false;
  AutoUpdate = false;
  SetValueAxis(0);
  LastValueAxis = 0;
  SetTimeAxis(0);

  ComputeWellCentre();
  ComputeMapDefaults();
  SelectCurves();
  AssignCurveStyles();
  // The observation counts may not have changed, so their setter need not have rebuilt the
  // fitting list; a new document's list must hold its observations all the same.
  CollectIncludedObservations();

  BackgroundTransparency = 50;
  BackgroundColor = clWhite;
  ShowBackgroundImages = false;
  BackgroundFiles.clear();
  ImagesUnavailable = false;

  Notify();
}

// --- Aquifer system ------------------------------------------------------------------------

bool TAQVData::RowToLayer(int row, int& layer) const {
  if (mTopAquitardAbsent) {
    layer = row / 2 + 1;
    return row % 2 == 1;
  }
  layer = (row - 1) / 2 + 1;
  return row % 2 == 0;
}

// An absent outer aquitard has no row, so the table's last row is the bottom aquitard only
// while that is present.
int TAQVData::RowCount() const {
  return 2 * mAquiferCount - 1 + (mTopAquitardAbsent ? 0 : 1) + (mBottomAquitardAbsent ? 0 : 1);
}

int TAQVData::SelectedRow() const {
  return std::clamp(mSelectedRow, 1, RowCount());
}

// Copies every value of layer position `from` (the aquitard and the aquifer below it) to `to`.
void TAQVData::MoveLayer(int to, int from) {
  DAquitard[to] = DAquitard[from];
  Kv[to] = Kv[from];
  Resistance[to] = Resistance[from];
  ResistanceCode[to] = ResistanceCode[from];
  SAquitard[to] = SAquitard[from];
  SAquitardCode[to] = SAquitardCode[from];
  AquitardName[to] = AquitardName[from];
  D[to] = D[from];
  Kh[to] = Kh[from];
  T[to] = T[from];
  TCode[to] = TCode[from];
  S[to] = S[from];
  SCode[to] = SCode[from];
  AquiferName[to] = AquiferName[from];
}

// A zero-thickness aquitard takes half the thickness of the aquifers on either side for its
// conductance; a missing neighbour counts as thickness 0.
void TAQVData::RecomputeResistanceFromKv(int k) {
  if (Kv[k] == 0) return;
  if (DAquitard[k] <= 0) {
    const double above = k > 1 ? D[k - 1] : 0.0;
    const double below = k <= mAquiferCount ? D[k] : 0.0;
    const double r = (above + below) / Kv[k] / 2;
    if (r > 0) Resistance[k] = r;
  } else {
    Resistance[k] = DAquitard[k] / Kv[k];
  }
}

void TAQVData::SetAquiferCount(int n) {
  n = std::clamp(n, 1, kMaxAquifers);
  if (n == mAquiferCount) return;
  while (n != mAquiferCount) {
    const int lastRow = RowCount();
    int row = SelectedRow();
    const bool wasLast = row == lastRow;
    if (wasLast) row = std::max(1, row - 1);
    mSelectedRow = row;
    int k = 1;
    RowToLayer(row, k);
    if (n < mAquiferCount) {
      for (int i = k; i <= mAquiferCount && i + 1 <= kMaxLayers; ++i) MoveLayer(i, i + 1);
      --mAquiferCount;
    } else {
      for (int i = mAquiferCount + 1; i >= k; --i)
        if (i + 1 <= kMaxLayers) MoveLayer(i + 1, i);
      ++mAquiferCount;
    }
    RecomputeResistanceFromKv(k);
    if (wasLast) mSelectedRow = RowCount();
  }
  if (T[mAquiferCount] < 0) T[mAquiferCount] = -T[mAquiferCount];
  if (S[mAquiferCount] < 0) S[mAquiferCount] = -S[mAquiferCount];
  // A well that observed a removed aquifer observes the last one left, included or not, so that
  // no computation meets a layer the system does not have.
  for (int j = 1; j <= kMaxObservationWells; ++j) {
    TObservationWell& well = ObservationWells[j];
    if (well.Layer <= mAquiferCount) continue;
    well.Layer = mAquiferCount;
    well.LayerSet.Include(mAquiferCount);
  }
  for (int layer = mAquiferCount + 1; layer < 8; ++layer) {
    for (int w = 1; w <= kMaxPumpingWells; ++w) PumpingWells[w].LayerSet.Exclude(layer);
    for (int j = 1; j <= kMaxObservationWells; ++j) ObservationWells[j].LayerSet.Exclude(layer);
  }
  // The curves are selected before the layer range is clamped, so that a curve left in a
  // removed aquifer still leaves a range within the remaining aquifers.
  SelectCurves();
  if (mAquiferCount < mUpperLayer) SetUpperLayer(mAquiferCount);
  if (mAquiferCount < mLowerLayer) SetLowerLayer(mAquiferCount);
  RefreshAquiferGrid = true;
  Saved = false;
  Notify();
}

void TAQVData::SetSurfaceLevel(double value) {
  if (value == mSurfaceLevel) return;
  mSurfaceLevel = value;
  AllChanged = true;
  Saved = false;
}

namespace {

// Saves an aquitard's resistance and storage with their marks and puts in the values of an
// aquitard that is not there: a resistance that leaks nothing special and no storage.
void BackUpAquitard(TAQVData& d, int i, TAquitardBackup& backup) {
  backup = {d.Resistance[i], d.SAquitard[i], d.ResistanceCode[i], d.SAquitardCode[i]};
  d.Resistance[i] = 1000;
  d.SAquitard[i] = 0;
  d.ResistanceCode[i] = kNoMark;
  d.SAquitardCode[i] = kNoMark;
}

void RestoreAquitard(TAQVData& d, int i, const TAquitardBackup& backup) {
  d.Resistance[i] = backup.Resistance;
  d.SAquitard[i] = backup.SAquitard;
  d.ResistanceCode[i] = backup.ResistanceCode;
  d.SAquitardCode[i] = backup.SAquitardCode;
}

}  // namespace

void TAQVData::SetTopAquitardAbsent(bool value) {
  if (value == mTopAquitardAbsent) return;
  mTopAquitardAbsent = value;
  if (value)
    BackUpAquitard(*this, 1, TopAquitardBackup);
  else
    RestoreAquitard(*this, 1, TopAquitardBackup);
  SetModified(true);
  Saved = false;
}

void TAQVData::SetBottomAquitardAbsent(bool value) {
  if (value == mBottomAquitardAbsent) return;
  mBottomAquitardAbsent = value;
  const int bottom = mAquiferCount + 1;
  if (value)
    BackUpAquitard(*this, bottom, BottomAquitardBackup);
  else
    RestoreAquitard(*this, bottom, BottomAquitardBackup);
  SetModified(true);
  Saved = false;
}

void TAQVData::SetTopAquitardImpervious(bool value) {
  if (value == mTopAquitardImpervious) return;
  mTopAquitardImpervious = value;
  SetModified(true);
  Saved = false;
  Notify();
}

void TAQVData::SetBottomAquitardImpervious(bool value) {
  if (value == mBottomAquitardImpervious) return;
  mBottomAquitardImpervious = value;
  SetModified(true);
  Saved = false;
  Notify();
}

// --- Wells ---------------------------------------------------------------------------------

void TAQVData::SetPumpingWellCount(int n) {
  mPumpingWellCount = std::clamp(n, 1, kMaxPumpingWells);
  mCurrentPumpingWell = std::clamp(mCurrentPumpingWell, 1, mPumpingWellCount);
}

void TAQVData::SetObservationWellCount(int n) {
  mObservationWellCount = std::clamp(n, 0, kMaxObservationWells);
  mCurrentObservationWell =
      std::clamp(mCurrentObservationWell, 1, std::max(1, mObservationWellCount));
}

void TAQVData::SetObservationCount(int well, int n) {
  if (well < 1 || well > kMaxObservationWells) return;
  TObservationWell& w = ObservationWells[well];
  const int before = w.ObservationCount();
  w.SetObservationCount(n);
  if (w.ObservationCount() == before) return;
  CollectIncludedObservations();
  SetModified(true);
  Saved = false;
}

void TAQVData::SetCurrentPumpingWell(int well) {
  well = std::clamp(well, 1, mPumpingWellCount);
  if (well == mCurrentPumpingWell) return;
  mCurrentPumpingWell = well;
  AllChanged = true;
  Notify();
}

void TAQVData::SetCurrentObservationWell(int well) {
  well = std::clamp(well, 1, std::max(1, mObservationWellCount));
  if (well == mCurrentObservationWell) return;
  mCurrentObservationWell = well;
  AllChanged = true;
  Notify();
}

// --- Time graph ----------------------------------------------------------------------------

void TAQVData::SetWellFluxMode(bool value) {
  if (value == mWellFluxMode) return;
  mWellFluxMode = value;
  SelectCurves();
  SetModified(true);
  Saved = false;
  CurvesStale = true;
  Notify();
}

void TAQVData::SetValueAxis(int value) {
  if (value == mValueAxis) return;
  mValueAxis = value;
  if (!mModified) {
    SetModified(true);
    CurvesValid = true;
  }
  CurvesStale = true;
  Saved = false;
  Notify();
}

void TAQVData::SetTimeAxis(int value) {
  if (value == mTimeAxis) return;
  mTimeAxis = value;
  if (!mModified) {
    SetModified(true);
    CurvesValid = true;
  }
  CurvesStale = true;
  Saved = false;
  Notify();
}

void TAQVData::SetStartingTime(double days) {
  if (days == mStartingTime) return;
  mStartingTime = days;
  SetModified(true);
  Saved = false;
}

void TAQVData::SetStoppingTime(double days) {
  if (days == mStoppingTime) return;
  mStoppingTime = days;
  SetModified(true);
  Saved = false;
}

void TAQVData::SetTimesPerLogCycle(int n) {
  if (n == mTimesPerLogCycle) return;
  mTimesPerLogCycle = n;
  SetModified(true);
  Notify();
}

void TAQVData::SetUpperLayer(int layer) {
  if (layer == mUpperLayer) return;
  mUpperLayer = layer;
  SetModified(true);
}

void TAQVData::SetLowerLayer(int layer) {
  if (layer == mLowerLayer) return;
  mLowerLayer = layer;
  SetModified(true);
}

// --- Optimiser settings --------------------------------------------------------------------

void TAQVData::SetLinearResiduals(bool value) {
  if (value == mLinearResiduals) return;
  mLinearResiduals = value;
  ResultsExist = false;
  Saved = false;
  Notify();
}

void TAQVData::SetStehfestTerms(int n) {
  // The inversion needs an even number of terms; the weights cancel only then.
  n = StehfestTermCount(n);
  if (n == mStehfestTerms) return;
  mStehfestTerms = n;
  ComputeStehfestWeights();
  SetModified(true);
  Notify();
}

// --- Map -----------------------------------------------------------------------------------

namespace {

// Stores a changed value and tells whether it changed.
bool Store(double& field, double value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

// The data file holds the world window, the animation settings, the drawn aquifer and the
// contour interval, so a change of any of them leaves the document unsaved. The lowest and
// highest contour and the display time are not in the file.
void TAQVData::SetWorldX1(double value) {
  if (!Store(mWorldX1, value)) return;
  MapWindowChanged = true;
  Saved = false;
}
void TAQVData::SetWorldX2(double value) {
  if (!Store(mWorldX2, value)) return;
  MapWindowChanged = true;
  Saved = false;
}
void TAQVData::SetWorldY1(double value) {
  if (!Store(mWorldY1, value)) return;
  MapWindowChanged = true;
  Saved = false;
}
void TAQVData::SetWorldY2(double value) {
  if (!Store(mWorldY2, value)) return;
  MapWindowChanged = true;
  Saved = false;
}
void TAQVData::SetMinContour(double value) {
  Store(mMinContour, value);
}
void TAQVData::SetMaxContour(double value) {
  Store(mMaxContour, value);
}
void TAQVData::SetContourInterval(double value) {
  if (Store(mContourInterval, value)) Saved = false;
}
void TAQVData::SetDisplayTime(double days) {
  Store(mDisplayTime, days);
}
void TAQVData::SetAnimationStartTime(double days) {
  if (Store(mAnimationStartTime, days)) Saved = false;
}
void TAQVData::SetAnimationEndTime(double days) {
  if (Store(mAnimationEndTime, days)) Saved = false;
}
void TAQVData::SetTimeSteps(int n) {
  if (n == mTimeSteps) return;
  mTimeSteps = n;
  Saved = false;
}
void TAQVData::SetDrawLayer(int layer) {
  if (layer == mDrawLayer) return;
  mDrawLayer = layer;
  Saved = false;
}

}  // namespace aqv
