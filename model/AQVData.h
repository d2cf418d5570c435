#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/Color.h"
#include "chart/Elements.h"
#include "chart/Series.h"
#include "model/file/AQVDataFile.h"
#include "model/AQVDataTypes.h"
#include "model/AQVElements.h"
#include "model/fit/AQVOptimizer.h"
#include "model/engine/AQVStehfest.h"
#include "model/Array1.h"
#include "model/MyParentData.h"
#include "model/UserInterface.h"

namespace aqv {

class TChartModel;
class TAQVKaart;

// Number-edit quantities.
enum class TAQVFloatEditType : std::uint8_t {
  feSurfaceLevel,
  feAbsStoppingCriterion,
  feRelStoppingCriterion,
  feStartingTime,
  feStoppingTime,
  feWorldX1,
  feWorldX2,
  feWorldY1,
  feWorldY2,
  feBeginTijd,
  feEindTijd,
  feMinContour,
  feMaxContour,
  feInterval,
  feTTijd,
  feModelLength,
};

// Spin-edit quantities.
enum class TAQVSpinEditType : std::uint8_t {
  seNAq,
  seNObsWells,
  seNPumpingWells,
  seLowerl,
  seUpperl,
  seTsteps,
  seTekenlaag,
  seDensity,
};

// What a parameter link ties to an optimised parameter; the numbers are the kinds of the
// links. Kinds 1 to 4 vary as LinkValue·exp(x), kinds 5 to 7 as LinkValue·x.
enum class TLinkKind : int {
  lkResistance = 1,           // c of an aquitard, days
  lkTransmissivity = 2,       // T of an aquifer, length2/day
  lkStorativity = 3,          // S of an aquifer
  lkAquitardStorativity = 4,  // S' of an aquitard
  lkCasingRadius = 5,         // rc of a pumping well, length
  lkScreenRadius = 6,         // rw of a pumping well, length
  lkSkin = 7                  // skin of a pumping well, days
};

// True for the kinds whose parameter is the logarithm of the factor on the linked value.
constexpr bool IsLogarithmicKind(TLinkKind kind) {
  return kind <= TLinkKind::lkAquitardStorativity;
}

// How an optimisation run ended. Negative codes come from the run before or instead of a fit,
// 0 to 6 from the optimiser, 11 from a failed plain evaluation of the aquifer system.
enum class TRunStatus : int {
  rsTooManyMeasurements = -3,  // more fitting points than the optimiser takes
  rsTooManyParameters = -2,    // fewer fitting points than parameters
  rsDrawdownsCalculated = -1,  // nothing marked; the plain evaluation succeeded
  rsParametersFound = 0,
  rsIterationLimit = 1,
  rsNoAcceptableStep = 4,
  rsBrokenOff = 5,
  rsNoUsableJacobian = 6,
  rsAquiferSystemFailed = 11
};

// The status line text of a run; status 1 names the iteration limit that was applied.
std::string ToText(TRunStatus status, int iterationLimit);
// True for the statuses with a result to keep: parameters found, drawdowns calculated.
inline bool IsSuccess(TRunStatus status) {
  return status == TRunStatus::rsParametersFound || status == TRunStatus::rsDrawdownsCalculated;
}

// The status a run ends with before any computation, from its counts: too many parameters for
// the fitting points, or more fitting points than the optimiser takes; rsParametersFound when
// the counts allow a computation.
TRunStatus RunStatusForCounts(int fitCount, int parameterCount);

// The refusal of every edit that would leave no included period of an included pumping well.
inline constexpr const char* kNoPumpingIncludedText =
    "At least one pumping well/period has to be included!";

// One entry of the system palette.
struct TPaletteEntry {
  std::uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
};

// The system's 20-entry default palette (16 VGA colours and four more), from which the default
// curve colours are taken.
extern const TArrayRange<TPaletteEntry, 0, kPaletteSize - 1> kDefaultPalette;

// Style of one well's curve in one aquifer of the time graph.
struct TCurveStyles {
  TArray1<TColor, kMaxAquifers> CurveColor;
  TArray1<std::uint8_t, kMaxAquifers> PenStyle;  // the toolkit's pen style ordinal
  TArray1<int, kMaxAquifers> CurveWidth;
  TArray1<TColor, kMaxAquifers> MarkerColor;
  TArray1<std::uint8_t, kMaxAquifers> MarkerStyle;  // TMarkerStyle ordinal
  TArray1<int, kMaxAquifers> MarkerSize;
};

// A pumping well with its pumping periods. Lengths in the document's length unit, times in
// days since the start of the test, discharges in length^3/day, skin in days.
struct TPumpingWell : TCurveStyles {
  std::string Name;  // at most kWellNameWidth characters
  double X = 0, Y = 0;
  TArray1<bool, kMaxAquifers> Screened;
  double Rc = 0.1;
  double Rw = 0.1;
  double Skin = 0;
  char RcCode = kNoMark, RwCode = kNoMark, SkinCode = kNoMark;
  TArray1<double, kMaxPeriods> StartTime;
  TArray1<double, kMaxPeriods> Discharge;
  // Element 0: the well takes part in computations; element k: period k does.
  TArrayRange<bool, 0, kMaxPeriods> Included;
  TByteSet LayerSet;  // aquifers with a screen, kept by the curve styling

  int PeriodCount() const { return mPeriodCount; }
  // Clamped to 1..100, so that a loop over the periods never leaves the arrays.
  void SetPeriodCount(int count);

 private:
  int mPeriodCount = 1;
};

// An observation well with its measured drawdowns. Lengths in the document's length unit,
// times in days, skin in days.
struct TObservationWell : TCurveStyles {
  std::string Name;  // at most kWellNameWidth characters
  double X = 0, Y = 0;
  bool OwnCurve = true;  // no earlier included well stands at the same place
  int Layer = 1;         // the observed aquifer
  double Rc = 0.02;
  double Rw = 0.02;
  double Skin = 0;
  TArray1<double, kMaxObservations> Time;
  TArray1<double, kMaxObservations> Observed;
  TArray1<double, kMaxObservations> Computed;
  // Element 0: the well takes part in fitting; element k: observation k does.
  TArrayRange<bool, 0, kMaxObservations> Included;
  TByteSet LayerSet;
  TByteSet CoincidentSet;  // other observation wells at the same place

  int ObservationCount() const { return mObservationCount; }
  // Clamped to 0..1000.
  void SetObservationCount(int count);

 private:
  int mObservationCount = 2;
};

// An aquitard's values kept while it is marked absent.
struct TAquitardBackup {
  double Resistance = 1000;
  double SAquitard = 0;
  char ResistanceCode = kNoMark;
  char SAquitardCode = kNoMark;
};

// A free text box of the map as the document keeps it: its "TME" record (position, anchor,
// colours, font, frame) and its text (line breaks as CR LF). The map shows it.
struct TAQVTextBoxRecord : TAQVTextBoxProperties {};

// What the map draws besides contours and wells; the numbers are the bits of the set.
enum class TBoundaryGridDrawingOptions : std::uint8_t {
  dbgGrid = 0,      // grey grid lines
  dbgBoundary = 1,  // black boundary rectangle
};
// Bit n is the option with ordinal n, as the data file and the options dialog keep it.
using TBoundaryGridDrawing = TEnumSet<TBoundaryGridDrawingOptions>;

// The map's persistent options, held by the document so that the data file keeps them while
// no map is attached; the map binds to this record. Defaults as a new map has them.
struct TAQVMapOptions {
  TBoundaryGridDrawing DrawingOptions{TBoundaryGridDrawingOptions::dbgGrid,
                                      TBoundaryGridDrawingOptions::dbgBoundary};
  TPlacement LegendPlacement = TPlacement::plRight;  // plNone hides the map's legend
  friend bool operator==(const TAQVMapOptions&, const TAQVMapOptions&) = default;
};

// The frame window's progress bar as the curve computation moves it; the window mirrors it
// when OnProgressBarChange fires.
struct TProgressBarState {
  int Max = 100;
  int Position = 0;
};

// The whole state of one aquifer-test document: input tables, information texts, units,
// settings of the time graph, the map and the optimiser, the lists derived from the input,
// the status flags that tell the document window what to refresh, and the engine's buffers.
// Tables live in fixed-capacity arrays indexed from 1. Stored times are days; stored lengths
// are in the document's length unit. Owned by its document window; it references but never
// owns the chart, the map and the progress bar.
class TAQVData : public TMyParentData {
 public:
  // ui is not owned and must outlive the document; nullptr means a silent interface.
  explicit TAQVData(TUserInterface* ui = nullptr);
  ~TAQVData() override;

  TUserInterface& UserInterface() const { return *mUserInterface; }

  // --- Reset and the cell operations -----------------------------------------------------
  void ResetToDefaults() override;
  // Modified := value, CurvesValid := not value.
  void SetModified(bool value);

  // Stores one cell of an input table given as display text (row 1 is the first data row,
  // column 0 the grid's label column), converts it to stored units, keeps the dependent values
  // and the derived data consistent, clears Saved, CurvesValid and ResultsExist and announces
  // the change. A cell outside its table, a display column, a text that does not convert and a
  // count outside its capacity are ignored: nothing changes and nothing is announced.
  void SetCellText(int aCol, int aRow, const std::string& value, TAQVGridKind kind) override;
  // The same; with notify false the grid announces a whole paste by one Changed().
  void SetCell(int aCol, int aRow, const std::string& value, TAQVGridKind kind,
               bool notify) override;
  void Changed() override;
  // A new silent document with this one's input tables (aquifer system, wells, periods,
  // observations), units and current wells, and no events: edits can be tried on it to judge
  // the document they would result in before they are made here.
  [[nodiscard]] std::unique_ptr<TAQVData> TableCopy() const;
  // Stores a number edit's display text into its quantity; a text that does not convert
  // changes nothing.
  void SetFloatSetting(const std::string& text, TAQVFloatEditType kind);
  // Stores a spin edit's text; a text that does not convert or a count outside its capacity
  // changes nothing.
  void SetIntSetting(const std::string& text, TAQVSpinEditType kind);
  // Flips an include mark of the current observation well (index 0: the well itself).
  void ToggleObservation(int index);
  // Flips an include mark of the current pumping well (index 0: the well itself); refused with
  // a message box when no included period of an included well would be left.
  void TogglePumpingPeriod(int index);

  // --- Aquifer system ------------------------------------------------------------------
  // Returns true for an aquifer row; layer is the aquifer or aquitard index of the row.
  bool RowToLayer(int row, int& layer) const;
  // Number of rows of the aquifer-system table.
  int RowCount() const;
  int AquiferCount() const { return mAquiferCount; }
  // Inserts or removes aquifer-aquitard pairs at SelectedRow; n is clamped to 1..2.
  void SetAquiferCount(int n);
  // The row at which SetAquiferCount inserts or removes, clamped to the table.
  int SelectedRow() const;
  void SetSelectedRow(int row) { mSelectedRow = row; }

  TArray1<double, kMaxLayers> T;           // transmissivity, length^2/day
  TArray1<double, kMaxLayers> Kh;          // horizontal conductivity, length/day
  TArray1<double, kMaxLayers> D;           // aquifer thickness, length
  TArray1<double, kMaxLayers> S;           // storativity
  TArray1<double, kMaxLayers> Resistance;  // aquitard resistance c, days
  TArray1<double, kMaxLayers> Kv;          // aquitard vertical conductivity, length/day
  TArray1<double, kMaxLayers> DAquitard;   // aquitard thickness, length
  TArray1<double, kMaxLayers> SAquitard;   // aquitard storativity S'
  TArray1<char, kMaxLayers> TCode, ResistanceCode, SCode, SAquitardCode;
  TArray1<std::string, kMaxLayers> AquiferName;  // at most kLayerNameWidth characters
  TArray1<std::string, kMaxLayers> AquitardName;
  TAquitardBackup TopAquitardBackup, BottomAquitardBackup;

  double SurfaceLevel() const { return mSurfaceLevel; }
  void SetSurfaceLevel(double value);
  bool TopAquitardAbsent() const { return mTopAquitardAbsent; }
  bool BottomAquitardAbsent() const { return mBottomAquitardAbsent; }
  void SetTopAquitardAbsent(bool value);
  void SetBottomAquitardAbsent(bool value);
  bool TopAquitardImpervious() const { return mTopAquitardImpervious; }
  bool BottomAquitardImpervious() const { return mBottomAquitardImpervious; }
  void SetTopAquitardImpervious(bool value);
  void SetBottomAquitardImpervious(bool value);

  // Levels of the top and bottom of a row of the aquifer-system table, length.
  double RowTopLevel(int row) const;
  double RowBottomLevel(int row) const;

  // --- Wells ---------------------------------------------------------------------------
  int PumpingWellCount() const { return mPumpingWellCount; }
  void SetPumpingWellCount(int n);  // clamped to 1..2, no side effects
  int ObservationWellCount() const { return mObservationWellCount; }
  void SetObservationWellCount(int n);  // clamped to 0..5, no side effects
  TArray1<TPumpingWell, kMaxPumpingWells> PumpingWells;
  TArray1<TObservationWell, kMaxObservationWells> ObservationWells;
  // Sets the observation count of a well and rebuilds the fitting list when it changes.
  void SetObservationCount(int well, int n);

  int CurrentPumpingWell() const { return mCurrentPumpingWell; }
  int CurrentObservationWell() const { return mCurrentObservationWell; }
  void SetCurrentPumpingWell(int well);
  void SetCurrentObservationWell(int well);

  // --- Fitting list: the included observations of all included wells -------------------
  int FitCount() const { return mFitCount; }
  TArray1<std::string, kMaxFitObservations> FitName;
  TArray1<double, kMaxFitObservations> FitX;
  TArray1<int, kMaxFitObservations> FitLayer;
  TArray1<double, kMaxFitObservations> FitTime;
  TArray1<double, kMaxFitObservations> FitObserved;
  TArray1<double, kMaxFitObservations> FitComputed;

  // --- Texts ---------------------------------------------------------------------------
  TArray1<std::string, kInfoTextCount> InfoTexts;  // at most kInfoTextWidth characters each
  TArray1<std::string, 3> ReportTitles;

  // --- Units ---------------------------------------------------------------------------
  TAQVTimeUnit TimeUnit() const { return mTimeUnit; }
  void SetTimeUnit(TAQVTimeUnit value);
  TAQVLengthUnit LengthUnit() const { return mLengthUnit; }
  // Switches the length unit and converts every stored length-bearing value to it.
  void SetLengthUnit(TAQVLengthUnit value);
  // Sets the unit of a new document; only the contour settings are converted, and only when
  // the unit changes.
  void SetLengthUnitLabel(TAQVLengthUnit value);
  const std::string& TimeUnitLabel() const { return mTimeUnitLabel; }
  const std::string& LengthUnitLabel() const { return mLengthUnitLabel; }
  double TimeFactor() const { return mTimeFactor; }  // display units per day
  double PreviousTimeFactor() const { return mPreviousTimeFactor; }
  double LengthFactor() const { return mLengthFactor; }
  double LengthFactorCubed() const { return mLengthFactorCubed; }
  bool ConvertLengthUnits = false;
  bool ConvertTimeUnits = true;

  // --- Time graph ----------------------------------------------------------------------
  bool WellFluxMode() const { return mWellFluxMode; }
  void SetWellFluxMode(bool value);
  int ValueAxis() const { return mValueAxis; }  // 0 log drawdown, 1 linear drawdown, 2 head
  void SetValueAxis(int value);
  int LastValueAxis = 0;
  int TimeAxis() const { return mTimeAxis; }  // 0 logarithmic, 1 linear
  void SetTimeAxis(int value);
  double StartingTime() const { return mStartingTime; }  // days
  double StoppingTime() const { return mStoppingTime; }  // days
  void SetStartingTime(double days);
  void SetStoppingTime(double days);
  int TimesPerLogCycle() const { return mTimesPerLogCycle; }
  void SetTimesPerLogCycle(int n);
  int UpperLayer() const { return mUpperLayer; }
  int LowerLayer() const { return mLowerLayer; }
  void SetUpperLayer(int layer);
  void SetLowerLayer(int layer);
  std::bitset<256> SelectedCurves;
  int CurveCount = 0;
  bool AutoUpdate = false;
  // The document's time graph, not owned; nullptr until the document window sets it. The data
  // file carries its formats while it is set.
  TChartModel* ChartReference = nullptr;
  // The series formats read from the data file, one entry per series of the file, for the
  // document window to copy onto the chart's series; emptied at the start of every read.
  std::vector<std::unique_ptr<TMarker>> SavedSeriesMarkers;
  std::vector<std::unique_ptr<TPatterns>> SavedSeriesPatterns;
  TArrayRange<TPaletteEntry, 0, kPaletteSize - 1> Palette;

  // --- Optimiser settings ----------------------------------------------------------------
  bool LinearResiduals() const { return mLinearResiduals; }
  void SetLinearResiduals(bool value);
  double AbsStoppingCriterion = 0.0001;  // length
  double RelStoppingCriterion = 0.0001;
  double MaxIterations = 100;
  double InitialLambda = 0.01;
  int StehfestTerms() const { return mStehfestTerms; }
  void SetStehfestTerms(int n);

  // --- Map -----------------------------------------------------------------------------
  double WorldX1() const { return mWorldX1; }
  double WorldX2() const { return mWorldX2; }
  double WorldY1() const { return mWorldY1; }
  double WorldY2() const { return mWorldY2; }
  void SetWorldX1(double value);
  void SetWorldX2(double value);
  void SetWorldY1(double value);
  void SetWorldY2(double value);
  double MinContour() const { return mMinContour; }
  double MaxContour() const { return mMaxContour; }
  double ContourInterval() const { return mContourInterval; }
  void SetMinContour(double value);
  void SetMaxContour(double value);
  void SetContourInterval(double value);
  double SavedContourInterval = 0;
  double DisplayTime() const { return mDisplayTime; }  // days
  void SetDisplayTime(double days);
  double AnimationStartTime() const { return mAnimationStartTime; }  // days
  double AnimationEndTime() const { return mAnimationEndTime; }      // days
  void SetAnimationStartTime(double days);
  void SetAnimationEndTime(double days);
  int TimeSteps() const { return mTimeSteps; }
  void SetTimeSteps(int n);
  int DrawLayer() const { return mDrawLayer; }
  void SetDrawLayer(int layer);
  double WellCentreX = 0, WellCentreY = 0;
  double MapRadius = 0, ModelRadius = 0, ModelLength = 0;
  int MeshDensity = 3;
  bool AutoMinContour = true, AutoMaxContour = true, AutoContourInterval = true;
  double AutoMinContourValue = 0, AutoMaxContourValue = 0, AutoContourIntervalValue = 0;
  bool ShowBackgroundImages = false;
  int BackgroundTransparency = 50;
  TColor BackgroundColor = clWhite;
  // The file's list of images, in its order. The map holds one image for each entry that is
  // not Unloaded, in the same order.
  TBackgroundFiles BackgroundFiles;
  bool ImagesUnavailable = false;
  std::vector<std::unique_ptr<TAQVTextBoxRecord>> TextBoxes;
  TAQVTextBoxRecord* SelectedTextBox = nullptr;  // not owned
  TAQVKaart* MapReference = nullptr;             // not owned
  TProgressBarState* ProgressBar = nullptr;      // not owned
  // Reset with the document; the data file carries it.
  TAQVMapOptions MapOptions;

  // --- File ----------------------------------------------------------------------------
  // The document's full path, of any length.
  std::string FileName;
  // Name of a document that was never saved; saving asks for a name while FileName equals it.
  std::string DefaultFileName;

  // Reads the data file named by FileName, in any of its forms, into this document (which
  // holds its defaults). A file that cannot be read or is refused shows its message (after a
  // beep for a refusal), returns false and leaves the document exactly as it was. Otherwise
  // the content is applied through the setters in file order, images whose image or world file
  // is missing are dropped, warnings are shown (each after a beep), the derived data is
  // rebuilt and OnChange (then, for files that carry the time graph, OnFileLoaded) fires.
  bool LoadFromFile();
  // Saves the document: with saveAs, or without a path, after a save dialog; otherwise after
  // the overwrite question when the file exists. The old file is replaced only by a complete
  // new one. On success Saved is set and OnFileSaved fires; a failure shows
  // "Could not save " + path + "!" with the reason on a second line and leaves Saved as it was.
  void SaveToFile(bool saveAs);
  // The content the data file carries for this document as it stands: the 2010 form without
  // a chart, the 2012 form with text boxes, else the 2011 form.
  TAQVDataFileContent DataFileContent() const;
  // Writes the curves of the last time-graph computation as an FTH file at fileName. Without
  // valid computed curves it shows "No results to write to FTH file. Update chart first!" and
  // writes nothing; a failed write shows "Could not save " + fileName + "!" with the reason on
  // a second line and leaves an existing file as it was.
  void SaveCurvesAsFTH(const std::string& fileName);
  // The FTH text of the curves of the last computation; empty when there are none.
  std::string CurvesFTHText() const;

  // --- Status flags --------------------------------------------------------------------
  bool Modified() const { return mModified; }
  bool CurvesValid = false;
  bool Saved = false;
  bool ResultsExist = false;
  bool Rejected = false;
  bool GridsValid = false;
  bool Cancel = false;
  bool Busy = false;
  bool CurvesStale = false;
  bool UnitsChanged = false;
  bool MapWindowChanged = false;
  bool RefreshAquiferGrid = false;
  bool RefreshObservationGrids = false;
  bool RefreshPeriodsGrid = false;

  // --- Events (OnChange is the base's) ---------------------------------------------------
  TNotifyEvent OnFileSaved;
  TNotifyEvent OnFileLoaded;
  TNotifyEvent OnGrootheidTChange;
  TNotifyEvent OnProgressBarChange;
  TNotifyEvent OnStartOptimize;
  TNotifyEvent OnStopOptimize;

  // --- Check routines --------------------------------------------------------------------
  // Each check takes a value in display units, returns whether the input control may hand it
  // to the document and leaves its message in Globals().DataErrorText whether it passes or
  // not (the layer-list check only when it fails). Checks never change the document.
  [[nodiscard]] bool CheckBaseLevel(int row, double value) const;
  [[nodiscard]] bool CheckThickness(int row, double value) const;
  [[nodiscard]] bool CheckConductivity(double value) const;
  [[nodiscard]] bool CheckTransmissivityOrResistance(int row, double value) const;
  [[nodiscard]] bool CheckStorativity(double value) const;
  [[nodiscard]] bool CheckParameterMark(std::string_view text) const;
  [[nodiscard]] bool CheckLayerList(std::string_view text) const;
  [[nodiscard]] bool CheckCasingRadius(double value) const;
  [[nodiscard]] bool CheckScreenRadius(double value) const;
  [[nodiscard]] bool CheckSkinFactor(double value) const;
  [[nodiscard]] bool CheckPeriodCount(int value) const;
  [[nodiscard]] bool CheckObservationLayer(int value) const;
  [[nodiscard]] bool CheckObservationCount(int value) const;
  [[nodiscard]] bool CheckPeriodStartTime(int row, double value) const;
  [[nodiscard]] bool CheckObservationTime(double value) const;
  [[nodiscard]] bool CheckStoppingCriterion(double value) const;
  [[nodiscard]] bool CheckStartingTime(double value) const;
  [[nodiscard]] bool CheckStoppingTime(double value) const;
  [[nodiscard]] bool CheckAnimationStartTime(double value) const;
  [[nodiscard]] bool CheckAnimationEndTime(double value) const;
  [[nodiscard]] bool CheckDisplayTime(double value) const;
  [[nodiscard]] bool CheckMinContour(double value) const;
  [[nodiscard]] bool CheckMaxContour(double value) const;
  [[nodiscard]] bool CheckContourInterval(double value) const;
  [[nodiscard]] bool CheckWorldX1(double value) const;
  [[nodiscard]] bool CheckWorldX2(double value) const;
  [[nodiscard]] bool CheckWorldY1(double value) const;
  [[nodiscard]] bool CheckWorldY2(double value) const;
  [[nodiscard]] bool CheckModelLength(double value) const;
  [[nodiscard]] bool CheckAquiferCount(int value) const;
  [[nodiscard]] bool CheckPumpingWellCount(int value) const;
  [[nodiscard]] bool CheckObservationWellCount(int value) const;
  [[nodiscard]] bool CheckUpperLayer(int value) const;
  [[nodiscard]] bool CheckLowerLayer(int value) const;
  [[nodiscard]] bool CheckTimeSteps(int value) const;
  [[nodiscard]] bool CheckDrawLayer(int value) const;
  [[nodiscard]] bool CheckDensity(int value) const;

  // The screened aquifers 1..AquiferCount as "1,2"; runs of three or more as "first-last".
  std::string LayerSetToText(const TArray1<bool, kMaxAquifers>& flags) const;
  // Parses such a list into per-aquifer flags (cleared first). On an error the message goes
  // into DataErrorText, the flags set before it stay set and the result is false.
  [[nodiscard]] bool TextToLayerSet(std::string_view text,
                                    TArray1<bool, kMaxAquifers>& flags) const;

  // --- Row insertion and deletion ----------------------------------------------------------
  // Each takes the first affected row (1-based) and a row count. A refusal leaves its message
  // in DataErrorText, returns false and changes nothing (InsertAquifers stores row as
  // SelectedRow first). A first row below 1 or a count below 1 is refused; a deletion that
  // runs past the end of its table deletes only the rows that exist; an insertion after the
  // last row appends.
  [[nodiscard]] bool DeleteAquifers(int row, int count);
  [[nodiscard]] bool DeleteObservationWells(int first, int count);
  [[nodiscard]] bool DeleteObservations(int first, int count);
  [[nodiscard]] bool DeletePumpingPeriods(int first, int count);
  [[nodiscard]] bool DeletePumpingWells(int first, int count);
  [[nodiscard]] bool InsertAquifers(int row, int count);
  [[nodiscard]] bool InsertObservationWells(int first, int count);
  [[nodiscard]] bool InsertObservations(int first, int count);
  [[nodiscard]] bool InsertPumpingPeriods(int first, int count);
  [[nodiscard]] bool InsertPumpingWells(int first, int count);
  // Copies a well's input record (not its curve styles, nor an observation well's OwnCurve and
  // coincident set). Well numbers outside the tables are ignored.
  void CopyPumpingWell(int target, int source);
  void CopyObservationWell(int target, int source);

  // --- Derived data --------------------------------------------------------------------
  void CollectIncludedObservations();
  void GroupCoincidentWells();
  // Layers of a curve: the pumping well's screens in well-flux mode, else the observation
  // well's layer with those of the included wells at the same place.
  TByteSet CurveLayerSet(int curve) const;
  void SelectCurves();
  void AssignCurveStyles();
  // The well whose record holds the style of a curve in an aquifer; -1 when there is none.
  int CurveOwner(int curve, int layer) const;
  TColor GetCurveColor(int curve, int layer) const;
  void SetCurveColor(int curve, int layer, TColor value);
  int GetCurveWidth(int curve, int layer) const;
  void SetCurveWidth(int curve, int layer, int value);
  std::uint8_t GetCurvePenStyle(int curve, int layer) const;
  void SetCurvePenStyle(int curve, int layer, std::uint8_t value);
  TColor GetCurveMarkerColor(int curve, int layer) const;
  void SetCurveMarkerColor(int curve, int layer, TColor value);
  int GetCurveMarkerSize(int curve, int layer) const;
  void SetCurveMarkerSize(int curve, int layer, int value);
  std::uint8_t GetCurveMarkerStyle(int curve, int layer) const;
  void SetCurveMarkerStyle(int curve, int layer, std::uint8_t value);
  // Colour k (1..14) of the default curve colours, from the palette.
  TColor DefaultCurveColor(int k) const;
  void ComputeWellCentre();
  void ComputeMapDefaults();
  double MaxWellX() const;
  double MinWellX() const;
  double MaxWellY() const;
  double MinWellY() const;
  // Latest period start or observation time, days.
  double LatestTime() const;
  // The last pumping well screened in layer whose screen contains (x, y); -1 when none.
  int PumpingWellAtPoint(int layer, double x, double y) const;

  // --- Observation lists --------------------------------------------------------------------
  // The flat list of an oldest-form file is regrouped into wells by the file reader alone.
  // FlattenObservations copies every observation (included or not) into the fitting list;
  // SortObservations sorts each well's observations by time, equal times keeping their order.
  void FlattenObservations();
  void SortObservations();

  // --- Optimisation: parameter links (filled anew by each run) -----------------------------
  int ParameterCount = 0;  // n, distinct parameters, at most kMaxParameters
  int LinkCount = 0;
  std::string ParameterMarks;  // mark of each parameter in order; well marks raised by 100
  TArray1<int, kMaxParameters> ParameterFirstLink;
  TArray1<int, kMaxLinks> LinkParameter;
  TArray1<int, kMaxLinks> LinkIndex;  // layer or pumping well of the linked value
  TArray1<double, kMaxLinks> LinkValue;
  TArray1<TLinkKind, kMaxLinks> LinkKind;
  TArray1<std::string, kMaxLinks> LinkLabel;  // 4 characters, such as " T 1" or "rw 2"
  // The optimiser's parameter vector x: 0 (logarithmic kinds) or 1 reproduces the linked values.
  TArray1<double, kMaxParameters> ParameterStart;
  TArray1<double, kMaxLinks> LinkDeviation;  // standard deviation of the linked value

  // Links a marked value to a parameter: equal marks share one; code is one of "cTSZRWK" (c, T,
  // S, S', rc, rw, skin). A mark outside '1'..'z', an unknown code, a seventh distinct mark and
  // a link beyond kMaxLinks link nothing. The first call of a run (LinkCount 0) clears the
  // parameters.
  void AddParameter(char mark, char code, double value, int index);
  // The linked value of link i at the current parameter vector, in stored units.
  double LinkedValue(int link) const;
  // LinkDeviation of every link from the covariance and the residual norm of the fit.
  void ParameterDeviations();
  // Writes the parameter vector into the linked table values.
  void ApplyParameters();
  // Folds a parameter vector into the links (LinkValue := the linked value) and puts the vector
  // back at its start values, which then describe the same model.
  void FoldParameters(std::span<double> parameters);

  // --- Optimisation run and results ------------------------------------------------------
  // The optimisation run: links the marked values, fits them to the fitting list (or, with
  // nothing marked, evaluates once) in a console window, lets the person accept or reject the
  // result and otherwise restores every linked value and computed drawdown bit for bit. Fires
  // OnStartOptimize first and OnStopOptimize last; does nothing else while GridsValid is false
  // or while a run of this document is still going on. An exception from the user interface
  // still ends the run (values restored, console closed, OnStopOptimize fired) and then goes
  // on to the caller.
  void Optimize();
  // Applies the parameters, writes the console line when asked, computes the drawdowns and
  // the residuals; true when the aquifer system could be evaluated (StatusCode 0).
  bool EvaluateObjective();
  // Appends the least-squares report of the last run to lines.
  void WriteLeastSquaresReport(std::vector<std::string>& lines);

  // Report lines: a buffer that ReportFlush adds to the console or the report as one line.
  void ReportAppend(std::string_view text);
  void ReportFlush();
  void ReportRule();
  void ReportAppendInt(int value, int width);
  // Right-aligned in width characters (a UTF-8 character counts once); never cut.
  void ReportAppendText(std::string_view text, int width);
  void ReportAppendFloat(int width, double value);
  void WriteCenteredTitle(int width, int before, int after, std::string_view title);

  // The console of the run in progress, nullptr between runs.
  TOptimizeConsole* OutputForm() const { return mOutputForm; }
  TAQVTimeUnit RunTimeUnit = TAQVTimeUnit::tuDays;  // TimeUnit at the start of the last run
  double RunTimeFactor = 1;                         // TimeFactor at the start of the last run

  // Results of the last run. FitStatus is its status; the statistics are those of the
  // optimiser (set for statuses 0, 1 and 4), the norms in length (linear fitting) or log10
  // units.
  TRunStatus FitStatus = TRunStatus::rsParametersFound;
  double ResidualNorm = 0;
  double InitialResidualNorm = 0;
  int EvaluationCount = 0;
  int IterationCount = 0;
  double LastNormReduction = 0;
  double ConditionNumber = 0;
  TOptimizerVector VarianceFactor{};
  TOptimizerMatrix Covariance{};       // of the parameters, without the residual variance
  TOptimizerMatrix SavedV{};           // right singular vectors of the last decomposition
  TOptimizerSummary OptimizerSummary;  // everything the optimiser reported, for diagnosis
  // The result as the report shows it, kept when the document itself is restored: each link's
  // value at the end of the computation (stored units) and the computed drawdown of each
  // fitting point (length).
  TArray1<double, kMaxLinks> LinkFittedValue;
  std::vector<double> FittedDrawdowns;

  // --- Drawdown engine ---------------------------------------------------------------------
  // 0 after a successful computation, 11 after a failed evaluation of the aquifer system.
  int StatusCode = 0;
  // The state of the last Laplace evaluation made on the GUI thread: p, the aquitard terms,
  // the eigenvalues and the scaled eigenvectors, which the map reads.
  TAquiferSystemState Engine;
  const TStehfestWeights& StehfestWeights() const { return mStehfestWeights; }
  void ComputeStehfestWeights();
  // The aquifer system and a pumping well as the engine takes them.
  TAquiferSystemInput AquiferSystemInput() const;
  TPumpingWellInput PumpingWellInput(int well) const;
  // The discharge step (length3/day) that a period of a well adds to the included periods
  // before it.
  double RateStep(int well, int period) const;
  // Decomposes the aquifer system for p = Engine.LaplaceP; false when it is singular.
  bool ComputeAquiferSystem();
  // Drawdown (length) at time t (days) at (x, y) in aquifer layer, with an observation well's
  // radii and skin, caused by the rate step of a period of a well. A failed evaluation sets
  // StatusCode 11, beeps, shows its message and gives 0.
  double PointDrawdown(int well, int period, double x, double y, int layer, double rc, double rw,
                       double skin, double t);
  // Computed drawdown of every observation and the computed column of the fitting list; a
  // failure is reported once. Called while a curve or observation computation runs (from
  // ProcessMessages), it is refused: StatusCode 11 and a beep, every value left as it was.
  void ComputeObservationDrawdowns();
  // Builds the output times and computes the curves, unless the curves are valid or a
  // computation runs.
  void BuildCurveTimes();
  // Fills CurveValues for the selected curves at the output times, with progress and cancel;
  // from a failed time on the values are kMissingCurveValue. Does nothing while a computation
  // runs.
  void ComputeCurves();
  void CollectCurveNames();
  int OutputTimeCount() const { return static_cast<int>(OutputTimes.size()); }
  // Index in CurveValues of a curve (from 1) in an aquifer at output time timeIndex (from 0).
  int CurveValueIndex(int timeIndex, int layer, int curve) const;

  // --- Work buffers ------------------------------------------------------------------------
  void FreeWorkBuffers();
  std::vector<double> Jacobian;        // kMaxFitObservations x kMaxParameters
  std::vector<double> Residuals;       // kMaxFitObservations, one per fitting point
  std::vector<double> SavedResiduals;  // kMaxFitObservations, the optimiser's scratch
  // Output times of the curves, days, ascending; at most kMaxOutputTimes.
  std::vector<double> OutputTimes;
  std::vector<double> CurveDistances;
  std::vector<std::string> CurveNames;
  std::vector<double> CurveValues;  // kMaxCurveValues
  std::vector<double> ResultRow;

 private:
  friend class TAQVFitObjective;
  // Data file: applying a read content in file order, and the steps after a read.
  void ApplyDataFileContent(const TAQVDataFileContent& content);
  void ApplyHead(const TAQVDataFileContent& content);
  void ApplyAquiferSystem(const TAQVDataFileContent& content);
  void ApplyPumpingWells(const TAQVDataFileContent& content);
  void ApplyObservationWells(const TAQVDataFileContent& content);
  void ApplyTimeGraph(const TAQVDataFileContent& content);
  void ApplyChartFormats(const TDataFileTimeGraph& graph);
  void ApplyContourSettings(const TAQVDataFileContent& content);
  void ApplyImagesAndTexts(const TAQVDataFileContent& content);
  void InitAfterLoad();
  void FinishRead(TAQVDataFileForm form);
  void ShowFileMessage(const std::string& text, bool beep, TMsgDlgType type);
  // The aquifer count as a file gives it, without inserting or removing layers.
  void StoreAquiferCount(int n) { mAquiferCount = n; }
  // The world window and the animation settings as a file gives them, without the setters'
  // flags.
  void StoreMapWindow(double x1, double x2, double y1, double y2);
  void StoreAnimation(double startDays, int steps, double endDays);
  TDataFileTimeGraph TimeGraphContent() const;
  // FTH export: the well of each computed curve, and the header lines.
  struct TFTHCurve {
    std::string Name;
    double X = 0, Y = 0;  // length
  };
  std::vector<TFTHCurve> FTHCurves() const;
  std::string FTHHeader(const std::vector<TFTHCurve>& curves) const;
  [[nodiscard]] bool ChooseSaveFile();
  void Notify();
  // Optimisation run steps.
  std::unique_ptr<TOptimizeConsole> OpenConsole();
  void RunInConsole(TOptimizeConsole& console);
  void CollectParameterLinks();
  void WriteReportHead();
  TRunStatus ComputeRun(TOptimizeConsole& console);
  void WriteRunStatus(TRunStatus status);
  bool AskAcceptance(TOptimizeConsole& console, TRunStatus status);
  void DeriveFittedConductivities();
  void CloseConsole(TOptimizeConsole& console);
  void WriteConsoleParameters(int iterationNumber);
  [[nodiscard]] bool LinkedValuesAcceptable() const;
  TObjectiveResult EvaluateFitPoint(std::span<double> residuals, bool reportLine,
                                    int iterationNumber);
  TRunStatus Fit(TOptimizeConsole& console);
  double ComputeResiduals(std::span<double> residuals) const;
  double LinearSumOfSquares() const;
  void StoreOptimizerResults(const TOptimizerSummary& summary);
  // Report sections.
  void WriteParameterTable();
  void WriteObservationTable();
  void WriteFitStatistics();
  void WriteCorrelationAndEigenvectors();
  double DisplayLinkFactor(TLinkKind kind) const;
  void ReportEngineFailure(const TEngineResult& result);
  void RefillFitComputed();

  // Buffers of the drawdown computations, kept between calls so that the optimiser's repeated
  // evaluations allocate nothing: the observations in table order, one engine state per
  // worker thread, and the result of each observation or output time.
  struct TObservationRef {
    int Well, Index;
  };
  std::vector<TObservationRef> mObservationRefs;
  // Each worker's engine state on cache lines of its own, so that workers writing their
  // states never slow each other down.
  struct alignas(64) TWorkerState {
    TAquiferSystemState State;
  };
  std::vector<TWorkerState> mWorkerStates;
  std::vector<TEngineResult> mEngineResults;
  // What one worker of ComputeObservationDrawdowns keeps: the decompositions of the elapsed
  // times it met, and the points, sums and results of one group of observations at one time.
  // Aligned, and the buffers padded at both ends (kWorkspacePadding entries), for the same
  // reason: the sums of a group are added to term by term.
  struct alignas(64) TObservationWorkspace {
    TInversionCache Systems;
    std::vector<TObservationPointInput> Points;
    std::vector<double> Drawdowns;
    std::vector<TEngineResult> Results;
  };
  static constexpr std::size_t kWorkspacePadding = 8;
  // Positions in mObservationRefs ordered by time, and where each run of equal times starts
  // (with the end as the last entry); one workspace per worker.
  std::vector<int> mObservationOrder;
  std::vector<int> mObservationGroups;
  std::vector<TObservationWorkspace> mObservationWorkspaces;
  // True while a curve or observation computation runs: the buffers above belong to it, and a
  // computation started meanwhile (from ProcessMessages) is refused.
  bool mEngineRunning = false;
  // Cell setters of the five tables; each returns whether the cell was stored.
  bool SetAquiferSystemCell(int col, int row, const std::string& text);
  bool SetAquiferCell(int col, int k, const std::string& text, double top);
  bool SetAquitardCell(int col, int k, const std::string& text, double top);
  bool SetPumpingWellCell(int col, int row, const std::string& text);
  bool SetPumpingWellScreens(TPumpingWell& well, const std::string& text);
  bool SetPumpingPeriodCell(int col, int row, const std::string& text);
  bool SetObservationWellCell(int col, int row, const std::string& text);
  bool SetObservationCell(int col, int row, const std::string& text);
  bool StoreFloatSetting(TAQVFloatEditType kind, double value);
  bool StoreIntSetting(TAQVSpinEditType kind, int value);
  // Thickness of aquifer i, 0 for an aquifer that the system does not have.
  double AquiferThickness(int i) const;
  void DeriveAquitardKv(int k);
  void DeriveZeroThicknessKv(int k);
  void ConvertStoredLengths(TAQVLengthUnit unit);
  // Finishes a successful row operation.
  bool RowsChanged();
  // True when some included period of an included pumping well exists now but none would be
  // left if only the periods (well, period) for which kept holds stayed.
  bool LosesAllPumping(const std::function<bool(int, int)>& kept) const;
  void MoveLayer(int to, int from);
  void RecomputeResistanceFromKv(int k);
  void ApplyStyle(TCurveStyles& styles, int layer, int colourIndex) const;
  // The default style of every well in every aquifer, without touching the layer sets; a
  // read file lays its colours over it.
  void ApplyDefaultStyles();
  TCurveStyles& StyleRecord(int curve, int layer);
  const TCurveStyles& StyleRecord(int curve, int layer) const;
  void ResetPumpingWell(int w);
  void ResetObservationWell(int j);
  void ResetLayers();
  void AllocateWorkBuffers();

  TUserInterface* mUserInterface;
  TOptimizeConsole* mOutputForm = nullptr;           // the run's console, not owned
  std::vector<std::string>* mOutputLines = nullptr;  // the report's lines while it is written
  std::string mReportLine;                           // the report line buffer

  int mAquiferCount = 1;
  int mSelectedRow = 1;
  double mSurfaceLevel = 0;
  bool mTopAquitardAbsent = false;
  bool mBottomAquitardAbsent = false;
  bool mTopAquitardImpervious = false;
  bool mBottomAquitardImpervious = true;

  int mPumpingWellCount = 1;
  int mObservationWellCount = 1;
  int mCurrentPumpingWell = 1;
  int mCurrentObservationWell = 1;
  int mFitCount = 0;

  TAQVTimeUnit mTimeUnit = TAQVTimeUnit::tuDays;
  TAQVLengthUnit mLengthUnit = TAQVLengthUnit::luMeters;
  std::string mTimeUnitLabel = "d";
  std::string mLengthUnitLabel = "m";  // the label of the default unit, metres
  double mTimeFactor = 1;
  double mPreviousTimeFactor = 1;
  double mLengthFactor = 1;
  double mLengthFactorCubed = 1;

  bool mWellFluxMode = false;
  int mValueAxis = 0;
  int mTimeAxis = 0;
  double mStartingTime = 0.001;
  double mStoppingTime = 1000;
  int mTimesPerLogCycle = 10;
  int mUpperLayer = 1;
  int mLowerLayer = 1;

  bool mLinearResiduals = true;
  int mStehfestTerms = 10;
  TStehfestWeights mStehfestWeights;

  double mWorldX1 = 0, mWorldX2 = 0, mWorldY1 = 0, mWorldY2 = 0;
  double mMinContour = -0.1, mMaxContour = 0.1, mContourInterval = 0.01;
  double mDisplayTime = 0;
  double mAnimationStartTime = 0, mAnimationEndTime = 10;
  int mTimeSteps = 50;
  int mDrawLayer = 1;

  bool mModified = false;
};

// Rounds to the nearest integer, halves to even (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

// Length conversions with the international foot, 0.3048 m exactly.
double MetresToFeet(double metres);
double FeetToMetres(double feet);
// Converts a quantity of length dimension `power` (1 lengths and conductivities, 2
// transmissivities, 3 discharges) into `unit` from the other unit; power < 1 returns value.
double ConvertLength(TAQVLengthUnit unit, int power, double value);

}  // namespace aqv
