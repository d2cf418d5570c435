#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/TimeGraphSeries.h"
#include "map/ScalableImage.h"
#include "model/AQVData.h"
#include "platform/GuardedCall.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QLineEdit;
class QMenu;

namespace aqv {

struct TAQVActions;
class TAQVConductivitiesGrid;
class TAQVFloatEdit;
class TAQVKaart;
class TAQVObservationWellsGrid;
class TAQVObservationsGrid;
class TAQVPumpingPeriodsGrid;
class TAQVPumpingWellsGrid;
class TAQVSpinEdit;
class TMyChart;
class TMyParentGrid;
class TQtUserInterface;
class TRemarksMemo;

// The pages of a document window, by tab index.
enum class TDocumentPage : int {
  dpInfo = 0,
  dpAquiferSystem = 1,
  dpPumpingWells = 2,
  dpObservationWells = 3,
  dpOutput = 4,
  dpChart = 5,
  dpContourPlot = 6,
};

// The help keyword and the window hint of page index 0..6 (empty for another index).
[[nodiscard]] const char* PageHelpKeyword(int page);
[[nodiscard]] const char* PageHint(int page);

inline constexpr const char* kInvalidGridsText =
    "Grid contains invalid value(s). Search for red cells!";

// The window of one open document inside the frame: seven pages that show and edit the
// document, its input grids, its time graph and its map. Owns the document, the grids, the
// chart and the map (as Qt children, the document through a unique pointer). Closing asks to
// save an unsaved document; closing while a curve computation runs becomes a cancel request
// and a pending close that the end of the computation carries out.
class TMDIChild : public QWidget {
  Q_OBJECT

 public:
  // ui: where the document's messages and dialogs go (not owned); nullptr means Qt's own.
  explicit TMDIChild(TUserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TMDIChild() override;

  TAQVData& Data() { return *mData; }
  TUserInterface& UserInterface() { return *mUi; }
  TMyChart* Chart() const { return mChart; }
  TAQVKaart* Map() const { return mMap; }
  QTabWidget* PageControl() const { return mPageControl; }
  TDocumentPage ActivePage() const;
  void SetActivePage(TDocumentPage page);
  bool ClosePending() const { return mClosePending; }
  bool Loading() const { return mLoading; }

  // Starts an empty document named fileName (which may be empty: Save then asks for a name).
  bool NewFile(const std::string& fileName);
  // Reads the data file fileName; false when it is missing or refused (its message shown).
  bool LoadFile(const std::string& fileName);
  // Repaints the map while the contour page shows.
  void RepaintMap();
  // Replaces the document's background images by files, loading what is new.
  void ImportImageFiles(const TBackgroundFiles& files);
  // Loads the document's background images into the map.
  void LoadBackgroundImages();

  // Checks every grid (with the message "Grid contains invalid value(s). ..." when asked).
  bool ValidateGrids() { return ValidateGridsEx(true); }
  bool ValidateGridsEx(bool message);
  void RefreshGrids();
  // Commits the value being typed in the window's focused control; false when it was refused
  // (its message has been shown and the control keeps the focus).
  bool CommitPendingEdit();
  // Whether a field or grid of the window was left with a refused value whose message is still
  // to come or showing.
  [[nodiscard]] bool RefusalPending() const;
  // The close question: commits what is being typed, then asks to save an unsaved document
  // (Yes saves it). False when the person cancelled, a typed value was refused or the save
  // did not happen. Once it returned true for a leaving program, SetCloseAgreed(true) keeps the
  // window's own close from asking again.
  bool SaveQuery();
  void SetCloseAgreed(bool agreed) { mCloseAgreed = agreed; }

  // Long work of the document (curve computation, optimisation, image loading) processes
  // events while it runs. Meanwhile the inputs are read-only, and a close becomes a stop
  // request and a close carried out when the work ends.
  void BeginBusy();
  void EndBusy();
  [[nodiscard]] bool IsBusy() const { return mBusyDepth > 0; }

  // The time graph.
  void UpdateChart();
  void ScaleChartAxes(double factor);
  void SelectCurvesClicked();
  void UpdateGraphButtonClick();

  // --- Set by the frame window -----------------------------------------------------------
  // At the end of every data-change handling.
  std::function<void()> OnDataChange;
  // After the document was saved under path (the recent-files list takes it).
  std::function<void(const std::string& path)> OnFileSaved;
  // Saves the document for the close question; without it the document saves itself.
  std::function<void()> OnSaveRequest;
  // F1: shows the help page of the focused control.
  std::function<void()> OnHelp;
  // Enables or disables the frame while an optimisation runs.
  std::function<void(bool enabled)> OnFrameEnabled;
  // Where the curve-selection dialog was closed; the frame keeps it with its settings.
  std::function<void(QPoint)> SetCurveSelectionPosition;

  // Fills the popup menu of the five grids with the frame's Copy, Paste, Delete row(s), Insert
  // row(s) and Select All; until then a right click on a grid opens no menu.
  void SetGridActions(const TAQVActions& actions);
  QMenu* GridPopupMenu() const { return mGridPopupMenu; }

  // The page controls the tests and the frame reach.
  TAQVConductivitiesGrid* ConductivitiesGrid() const { return mConductivitiesGrid; }
  TAQVPumpingWellsGrid* PumpingWellsGrid() const { return mPumpingWellsGrid; }
  TAQVPumpingPeriodsGrid* PumpingPeriodsGrid() const { return mPumpingPeriodsGrid; }
  TAQVObservationWellsGrid* ObservationWellsGrid() const { return mObservationWellsGrid; }
  TAQVObservationsGrid* ObservationsGrid() const { return mObservationsGrid; }
  QPlainTextEdit* OutputMemo() const { return mOutputMemo; }
  QComboBox* TimeUnitComboBox() const { return mTuComboBox; }
  QLineEdit* InfoEdit(int infoText) const;
  TRemarksMemo* ProjectRemarksMemo() const { return mPrRemarksMemo; }
  QPushButton* UpdateGraphButton() const { return mUpdateGraphButton; }
  QCheckBox* AutoUpdateCheckBox() const { return mAutoUpdateCheckBox; }
  QPushButton* AnimateButton() const { return mAnimateButton; }
  QPushButton* PauseButton() const { return mPauseButton; }
  QPushButton* ResetButton() const { return mResetButton; }
  QRadioButton* WellFluxesRadioButton() const { return mCtWellFluxesRadioButton; }
  QLabel* PumpingPeriodsPanel() const { return mPumpingPeriodsPanel; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A slot that runs work through GuardedCall, so that nothing thrown leaves Qt's event loop.
  template <typename Work>
  auto Guarded(Work work) {
    return [this, work] { GuardedCall(*mUi, work); };
  }
  // Building the pages.
  QWidget* BuildInfoPage();
  QWidget* BuildAquiferSystemPage();
  QWidget* BuildPumpingWellsPage();
  QWidget* BuildObservationWellsPage();
  QWidget* BuildOutputPage();
  QWidget* BuildChartPage();
  QWidget* BuildContourPlotPage();
  TAQVFloatEdit* NewFloatEdit(TAQVFloatEditType kind, const char* name, QWidget* parent);
  TAQVSpinEdit* NewSpinEdit(TAQVSpinEditType kind, const char* name, QWidget* parent);
  void BindDocument();

  // Events of the document and the map.
  void AQVDataChange();
  void FileSaved();
  void FileLoaded();
  void GrootheidTChange();
  void StartOptimize();
  void StopOptimize();
  void AQVKaartIntervalChange();
  void AQVKaartTimeChange();
  void AQVKaartAnimationFinished();
  void SeriesOptionsChanged(TObject* sender);

  // Page changes and page shows.
  void PageControlChange(int index);
  void ShowActivePage();
  void InfoPageShow();
  void AquiferSystemPageShow();
  void PumpingWellsPageShow();
  void ObservationWellsPageShow();
  void OutputPageShow();
  void ChartPageShow();
  void ContourPlotPageShow();

  // Control handlers.
  void InfoEditChange(QLineEdit* edit, int infoText);
  void RemarksMemoChange(TRemarksMemo* memo, int firstText, int lineCount);
  void BoundaryChange();
  void ContourAutoClick(int which, bool fromBox);
  void ShowContourEdits();
  void AnimateButtonClick();
  void PauseButtonClick();
  void ResetButtonClick();
  void TimeAxisClick(int item);
  void ValueAxisClick(int item);
  void CurveTypeClick();
  void AutoUpdateCheckBoxClick();
  void ResetOptionsButtonClick();
  void DrawingOptionsButtonClick();
  bool CloseQuery();
  bool FormCloseQuery();
  [[nodiscard]] bool KeyIsForThisDocument(QWidget* receiver) const;
  void CloseWindow();
  void UpdateCaptions();
  std::vector<TMyParentGrid*> Grids() const;

  QMenu* mGridPopupMenu = nullptr;
  std::unique_ptr<TQtUserInterface> mOwnUi;
  TUserInterface* mUi;
  std::unique_ptr<TAQVData> mData;
  TChartReferences mChartReferences;
  QPointer<QWidget> mFocusBeforeFit;
  QPointer<QWidget> mFocusBeforeBusy;
  bool mClosePending = false;
  bool mCloseAgreed = false;
  bool mLoading = false;
  bool mUpdatingChart = false;
  int mBusyDepth = 0;
  bool mShowingPage = false;

  QTabWidget* mPageControl = nullptr;
  // General info.
  QLineEdit* mInfoEdits[kInfoTextCount + 1] = {};
  TRemarksMemo* mPrRemarksMemo = nullptr;
  TRemarksMemo* mFlRemarksMemo = nullptr;
  QComboBox* mTuComboBox = nullptr;
  TAQVSpinEdit* mNuNAQSpinEdit = nullptr;
  TAQVSpinEdit* mNuNPumpSpinEdit = nullptr;
  TAQVSpinEdit* mNuNObsSpinEdit = nullptr;
  TAQVFloatEdit* mPaRelativeEdit = nullptr;
  TAQVFloatEdit* mPaAbsoluteEdit = nullptr;
  QRadioButton* mPaLogDrawdownRadioButton = nullptr;
  QRadioButton* mPaLinearDrawdownRadioButton = nullptr;
  // Aquifer system.
  TAQVSpinEdit* mLaNAqSpinEdit = nullptr;
  TAQVFloatEdit* mLaElevationEdit = nullptr;
  QCheckBox* mBoTopLayerCheckBox = nullptr;
  QRadioButton* mBoTopImpervious = nullptr;
  QRadioButton* mBoTopLeaky = nullptr;
  QCheckBox* mBoBottomLayerCheckBox = nullptr;
  QRadioButton* mBoBottomImpervious = nullptr;
  QRadioButton* mBoBottomLeaky = nullptr;
  TAQVConductivitiesGrid* mConductivitiesGrid = nullptr;
  // Wells.
  TAQVPumpingWellsGrid* mPumpingWellsGrid = nullptr;
  QLabel* mPumpingPeriodsPanel = nullptr;
  TAQVPumpingPeriodsGrid* mPumpingPeriodsGrid = nullptr;
  TAQVObservationWellsGrid* mObservationWellsGrid = nullptr;
  QLabel* mObservationWellsDataPanel = nullptr;
  TAQVObservationsGrid* mObservationsGrid = nullptr;
  // Results.
  QPlainTextEdit* mOutputMemo = nullptr;
  // Time graph.
  TMyChart* mChart = nullptr;
  QRadioButton* mCtDrawdownRadioButton = nullptr;
  QRadioButton* mCtWellFluxesRadioButton = nullptr;
  TAQVFloatEdit* mTmStartingTimeFloatEdit = nullptr;
  TAQVFloatEdit* mTmStoppingTimeFloatEdit = nullptr;
  QLabel* mTmStartingTimeLabel = nullptr;
  QLabel* mTmStoppingTimeLabel = nullptr;
  QRadioButton* mTaButtons[2] = {};
  QGroupBox* mVaRadioGroup = nullptr;
  QRadioButton* mVaButtons[3] = {};
  QPushButton* mUpdateGraphButton = nullptr;
  QPushButton* mDrawingOptionsButton = nullptr;
  QPushButton* mResetOptionsButton = nullptr;
  QPushButton* mPreviousGraphButton = nullptr;
  QCheckBox* mAutoUpdateCheckBox = nullptr;
  QWidget* mChartPanel = nullptr;
  QWidget* mMapPanel = nullptr;
  // Contour plot.
  TAQVKaart* mMap = nullptr;
  TAQVFloatEdit* mCoWest = nullptr;
  TAQVFloatEdit* mCoEast = nullptr;
  TAQVFloatEdit* mCoNorth = nullptr;
  TAQVFloatEdit* mCoSouth = nullptr;
  TAQVFloatEdit* mAnStartingTime = nullptr;
  TAQVFloatEdit* mAnFinalTime = nullptr;
  TAQVSpinEdit* mAnTsteps = nullptr;
  QPushButton* mAnimateButton = nullptr;
  QPushButton* mPauseButton = nullptr;
  QPushButton* mResetButton = nullptr;
  TAQVSpinEdit* mDaTekenLaag = nullptr;
  TAQVFloatEdit* mCnEdits[3] = {};  // minimum, interval, maximum
  QCheckBox* mCnAutoBoxes[3] = {};
  QLabel* mCnMinContourVLabel = nullptr;
  QLabel* mCnMaxContourVLabel = nullptr;
  QSlider* mAnimationTrackBar = nullptr;
  TAQVFloatEdit* mTtTTijd = nullptr;
};

}  // namespace aqv
