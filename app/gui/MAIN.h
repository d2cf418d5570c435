#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/gui/AQVActns.h"
#include "app/gui/AppSettings.h"
#include "model/AQVData.h"
#include "platform/GuardedCall.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QToolButton;

namespace aqv {

class TAQVLengthUnitsPopupMenu;
class TAQVTimeUnitsPopupMenu;
class TAboutBox;
class TMDIChild;
class TMRUList;
class TProgressForm;
class TQtUserInterface;
class TUserInterface;

// Caption of the frame window for a version string such as "1.02.03": the product, the
// edition and the first four characters of the version ("1.02").
[[nodiscard]] std::string MainFormCaption(std::string_view versionString);
// "Time units: " and the unit's name as the status bar shows it ("Year" for years).
[[nodiscard]] std::string TimeUnitPanelText(TAQVTimeUnit unit);
[[nodiscard]] std::string LengthUnitPanelText(TAQVLengthUnit unit);

// Window menu: tiles the area's windows that are not minimised, stacked as wide as the area
// (Qt::Horizontal) or side by side as high as it (Qt::Vertical).
void TileSubWindows(QMdiArea& area, Qt::Orientation orientation);
// Window menu: lines the minimised windows up along the bottom of the area.
void ArrangeMinimizedSubWindows(QMdiArea& area);

// The frame's first size: its default, but never larger than the screen's available area.
[[nodiscard]] QSize DefaultFrameSize(const QRect& available);
// placement made no larger than available and moved onto it.
[[nodiscard]] QRect WithinScreen(const QRect& placement, const QRect& available);

inline constexpr const char* kWelcomeText = "Welcome to AQV for Windows";
inline constexpr const char* kDataFileFilter = "AQV data files (*.aqv)|*.aqv|All files (*.*)|*.*";

// The application's main window and the frame of the document windows, which live in its
// MDI area: menus, tool bar, status bar with the unit panels and the computation's progress
// bar, the actions bound to the active document, recent files, exports, image import,
// preferences, help and the settings kept per user. Created by the program entry after the
// process-wide values are set; reads the settings on creation and writes them when closed.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // ui: where the frame's and its documents' messages and file dialogs go (not owned);
  // nullptr means Qt's own.
  explicit TMainForm(TUserInterface* ui = nullptr, QWidget* parent = nullptr);
  ~TMainForm() override;

  [[nodiscard]] QMdiArea* MdiArea() const { return mMdiArea; }
  [[nodiscard]] TMDIChild* ActiveChild() const;
  [[nodiscard]] std::vector<TMDIChild*> Children() const;
  [[nodiscard]] const TAQVActions& Actions() const { return mActions; }
  [[nodiscard]] TMRUList& RecentFiles() const { return *mMRUList; }
  [[nodiscard]] QString StatusText(int panel) const;
  [[nodiscard]] QProgressBar* ChartProgressBar() const { return mProgressBar; }
  [[nodiscard]] const TDesktopSettings& Desktop() const { return mDesktop; }

  // Creates a document window; it becomes the active one.
  TMDIChild* CreateMDIChild();
  // Brings title, status panels, tool bar and action bindings in line with the active document.
  void UpdateStatus();

  // File menu.
  void FileNewClick();
  void FileOpenClick();
  // Opens path (made absolute) or focuses the window that shows it already; false when it
  // could not be read. A name from the recent files or the command line that fails leaves
  // the recent files.
  bool OpenFile(const std::string& path, bool dropFromRecentOnFailure);
  void FileReopenClick();
  void FileCloseClick();
  // Export menu.
  void UpdateExportMenu();
  void ExportCopyChart(bool asMetafile);
  void ExportCopyContourMap(bool asMetafile);
  void ExportSaveCurvesAsFTHClick();
  void ExportSavecontoursAsXYZClick();
  void ExportSaveModelAsFEMClick();
  // Import and view.
  void ImportImageFilesActionExecute();
  void ViewBackgroundImagesActionExecute();
  // Calculate, help.
  void CalculatePreferencesClick();
  void WMHelp();
  void OpenWebPage(const char* address);
  void HelpAboutActionExecute();

  // The handler of the document window's open dialog, replaceable by tests.
  TUserInterface& UserInterface() const { return *mUi; }

  // Takes the values chosen in the preferences dialog into use, also in every open document,
  // but for the default length unit, which is for documents made later.
  void ApplyPreferences(const TPreferenceValues& values);

  // Opens the command line's file on the first activation; run once.
  void FirstActivation(const QStringList& arguments);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // A slot that runs work through GuardedCall, so that nothing thrown leaves Qt's event loop.
  template <typename Work>
  auto Guarded(Work work) {
    return [this, work] { GuardedCall(*mUi, work); };
  }
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void ReadSettings();
  void WriteSettings();
  void ShowStatusHint(const QString& text);
  void StatusBarMouseDown(QPoint position);
  [[nodiscard]] TMDIChild* ChildShowing(const std::string& canonicalPath) const;
  [[nodiscard]] QMdiSubWindow* SubWindowOf(const TMDIChild* child) const;
  void ChildActivated(QMdiSubWindow* window);
  void ActiveControlChange();
  // Brings the shown frame, with its window frame, within its screen's available area.
  void FitOnScreen();

  std::unique_ptr<TQtUserInterface> mOwnUi;
  TUserInterface* mUi;
  QMdiArea* mMdiArea = nullptr;
  TAQVActions mActions;
  TMRUList* mMRUList = nullptr;
  TDesktopSettings mDesktop;
  bool mFirstActivation = true;
  bool mFittedWithFrame = false;  // fitted on the screen with the window manager's frame
  TAQVTimeUnitsPopupMenu* mTimeUnitsMenu = nullptr;
  TAQVLengthUnitsPopupMenu* mLengthUnitsMenu = nullptr;
  TProgressForm* mProgressForm = nullptr;
  TAboutBox* mAboutBox = nullptr;
  QProgressBar* mProgressBar = nullptr;
  QLabel* mPanels[3] = {};
  QToolBar* mToolBar = nullptr;
  QMenu* mFileMenu = nullptr;
  QMenu* mReopenMenu = nullptr;
  QMenu* mExportMenu = nullptr;
  QAction* mFileReopen = nullptr;
  QAction* mViewStatusbar = nullptr;
  QAction* mViewToolbar = nullptr;
  QAction* mViewBackgroundImagesAction = nullptr;
  QAction* mImportImageFilesAction = nullptr;
  QAction* mExportCopyChart[2] = {};  // metafile, bitmap
  QAction* mExportCopyMap[2] = {};
  QAction* mExportCopyChartMenu = nullptr;  // the items that open the two copy sub-menus
  QAction* mExportCopyMapMenu = nullptr;
  QAction* mExportFTH = nullptr;
  QAction* mExportXYZ = nullptr;
  QAction* mExportFEM = nullptr;
  // The progress of the active document's curve computation, mirrored by the bar.
  TProgressBarState mProgressState;
};

}  // namespace aqv
