#include "app/gui/MAIN.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/gui/AQVLengthUnitsPopupMenu.h"
#include "app/gui/AQVTimeUnitsPopupMenu.h"
#include "app/gui/About.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"
#include "app/gui/Help.h"
#include "app/gui/MRUList.h"
#include "app/gui/Preferences.h"
#include "app/gui/Startup.h"
#include "app/gui/ToolIcons.h"
#include "chart/gui/MyChart.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/FilesSelection.h"
#include "map/gui/Progress.h"
#include "model/AQVElements.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {
// Size of the frame before any window placement is restored, in pixels.
// Wide enough for the pumping-wells grid without a scroll bar.
constexpr int kDefaultWidth = 1160;
constexpr int kDefaultHeight = 760;
constexpr const char* kMRUKey = "Software\\\\AQV for Windows Lite\\\\MRU";

std::string AbsolutePath(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  const QString canonical = info.canonicalFilePath();
  return (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toStdString();
}

std::string FolderOf(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}
}  // namespace

void TileSubWindows(QMdiArea& area, Qt::Orientation orientation) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : area.subWindowList())
    if (w->isVisible() && !w->isMinimized()) windows.append(w);
  if (windows.isEmpty()) return;
  // Minimised windows keep their row along the bottom; the others share the rest.
  QRect room = area.viewport()->rect();
  for (QMdiSubWindow* w : area.subWindowList())
    if (w->isMinimized()) room.setBottom(std::min(room.bottom(), w->geometry().top() - 1));
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* w = windows[i];
    if (w->isMaximized()) w->showNormal();
    // Horizontal tiles are as wide as the area and stacked; vertical ones stand side by side.
    const QRect tile =
        orientation == Qt::Horizontal
            ? QRect(room.left(), room.top() + room.height() * i / n, room.width(),
                    room.height() * (i + 1) / n - room.height() * i / n)
            : QRect(room.left() + room.width() * i / n, room.top(),
                    room.width() * (i + 1) / n - room.width() * i / n, room.height());
    w->setGeometry(tile);
  }
}

void ArrangeMinimizedSubWindows(QMdiArea& area) {
  // Minimised windows line up from the bottom left, a row higher when one is full.
  const QRect room = area.viewport()->rect();
  int x = room.left();
  int bottom = room.bottom() + 1;
  for (QMdiSubWindow* w : area.subWindowList()) {
    if (!w->isMinimized()) continue;
    const QSize size = w->size();
    if (x > room.left() && x + size.width() > room.right() + 1) {
      x = room.left();
      bottom -= size.height();
    }
    w->move(x, bottom - size.height());
    x += size.width();
  }
}

QSize DefaultFrameSize(const QRect& available) {
  return QSize(kDefaultWidth, kDefaultHeight).boundedTo(available.size());
}

QRect WithinScreen(const QRect& placement, const QRect& available) {
  QRect r(placement.topLeft(), placement.size().boundedTo(available.size()));
  r.moveLeft(std::clamp(r.left(), available.left(), available.right() + 1 - r.width()));
  r.moveTop(std::clamp(r.top(), available.top(), available.bottom() + 1 - r.height()));
  return r;
}

std::string MainFormCaption(std::string_view versionString) {
  return "AQV for Windows - Zelvor edition (" + std::string(versionString.substr(0, 4)) + ")";
}

std::string TimeUnitPanelText(TAQVTimeUnit unit) {
  static const char* const kNames[] = {"Seconds", "Minutes", "Hours", "Days", "Year"};
  const int i = static_cast<int>(unit);
  return std::string("Time units: ") + (i >= 0 && i <= 4 ? kNames[i] : "");
}

std::string LengthUnitPanelText(TAQVLengthUnit unit) {
  return std::string("Length units: ") + (unit == TAQVLengthUnit::luFeet ? "Feet" : "Meters");
}

TMainForm::TMainForm(TUserInterface* ui, QWidget* parent)
    : QMainWindow(parent),
      mOwnUi(ui == nullptr ? std::make_unique<TQtUserInterface>(this) : nullptr),
      mUi(ui == nullptr ? mOwnUi.get() : ui),
      mMdiArea(new QMdiArea(this)) {
  setObjectName(QStringLiteral("MainForm"));
  mMdiArea->setObjectName(QStringLiteral("MdiArea"));
  mMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mMdiArea);
  setWindowTitle(QString::fromStdString(MainFormCaption(Globals().VersionString)));
  SetHelpKeyword(this, QString::fromUtf8(kDefaultHelpKeyword));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    resize(DefaultFrameSize(screen->availableGeometry()));
  else
    resize(kDefaultWidth, kDefaultHeight);
  CreateActions();
  CreateStatusBar();
  CreateMenus();
  CreateToolBar();
  mTimeUnitsMenu = new TAQVTimeUnitsPopupMenu(this);
  mLengthUnitsMenu = new TAQVLengthUnitsPopupMenu(this);
  mProgressForm = new TProgressForm(this);
  ReadSettings();
  connect(mMdiArea, &QMdiArea::subWindowActivated, this, &TMainForm::ChildActivated);
  connect(qApp, &QApplication::focusChanged, this, &TMainForm::ActiveControlChange);
  UpdateStatus();
}

TMainForm::~TMainForm() {
  // The focus and the active document change while the base widget closes its children, after
  // this part of the frame is gone.
  disconnect(qApp, &QApplication::focusChanged, this, &TMainForm::ActiveControlChange);
  disconnect(mMdiArea, nullptr, this, nullptr);
}

void TMainForm::CreateActions() {
  mActions = CreateAQVActions(this);
  mActions.Save->setIcon(ToolIcon(TToolIcon::tiSave));
  mActions.Cut->setIcon(ToolIcon(TToolIcon::tiCut));
  mActions.Copy->setIcon(ToolIcon(TToolIcon::tiCopy));
  mActions.Paste->setIcon(ToolIcon(TToolIcon::tiPaste));
  mActions.Optimize->setIcon(ToolIcon(TToolIcon::tiOptimize));
  addActions(mActions.All());
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  mFileMenu = bar->addMenu(QStringLiteral("&File"));
  mFileMenu->setStatusTip(QStringLiteral("File related commands"));
  QAction* fileNew = mFileMenu->addAction(ToolIcon(TToolIcon::tiNew), QStringLiteral("&New"), this,
                                          Guarded([this] { FileNewClick(); }));
  fileNew->setObjectName(QStringLiteral("FileNew"));
  fileNew->setShortcut(QKeySequence::New);
  fileNew->setStatusTip(QStringLiteral("Create a new file"));
  QAction* fileOpen = mFileMenu->addAction(ToolIcon(TToolIcon::tiOpen), QStringLiteral("&Open"),
                                           this, Guarded([this] { FileOpenClick(); }));
  fileOpen->setObjectName(QStringLiteral("FileOpen"));
  fileOpen->setShortcut(QKeySequence::Open);
  fileOpen->setStatusTip(QStringLiteral("Open a file"));
  mReopenMenu = mFileMenu->addMenu(QStringLiteral("&Reopen"));
  mFileReopen = mReopenMenu->menuAction();
  mFileReopen->setObjectName(QStringLiteral("FileReopen"));
  mMRUList = new TMRUList(this);
  mMRUList->SetRegistryKey(kMRUKey);
  mMRUList->SetParentMenu(mReopenMenu);
  connect(mMRUList, &TMRUList::FileClick, this, Guarded([this] { FileReopenClick(); }));
  mFileMenu->addAction(mActions.Save);
  mFileMenu->addAction(mActions.SaveAs);
  QAction* fileClose =
      mFileMenu->addAction(QStringLiteral("&Close"), this, Guarded([this] { FileCloseClick(); }));
  fileClose->setObjectName(QStringLiteral("FileClose"));
  fileClose->setStatusTip(QStringLiteral("Close current file"));
  mFileMenu->addSeparator();
  QAction* fileExit = mFileMenu->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
  fileExit->setObjectName(QStringLiteral("FileExit"));
  fileExit->setStatusTip(QStringLiteral("Exit application"));
  connect(mFileMenu, &QMenu::aboutToShow, this, [this, fileClose] {
    mFileReopen->setEnabled(mMRUList->Count() > 0);
    fileClose->setEnabled(ActiveChild() != nullptr);
  });

  QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
  edit->setStatusTip(QStringLiteral("Edit commands"));
  edit->addActions({mActions.Cut, mActions.Copy, mActions.Paste});
  edit->addSeparator();
  edit->addActions({mActions.DeleteRows, mActions.InsertRows});
  edit->addSeparator();
  edit->addActions({mActions.Clear, mActions.SelectAll});
  connect(edit, &QMenu::aboutToShow, this, [this] {
    for (QAction* a : mActions.All())
      if (auto* e = qobject_cast<TAQVEditAction*>(a)) e->Refresh();
  });

  QMenu* view = bar->addMenu(QStringLiteral("View"));
  mViewStatusbar = view->addAction(QStringLiteral("Statusbar"));
  mViewStatusbar->setCheckable(true);
  connect(mViewStatusbar, &QAction::triggered, this,
          [this](bool on) { statusBar()->setVisible(on); });
  mViewToolbar = view->addAction(QStringLiteral("Toolbar"));
  mViewToolbar->setCheckable(true);
  mViewBackgroundImagesAction = view->addAction(QStringLiteral("Background images"));
  mViewBackgroundImagesAction->setObjectName(QStringLiteral("ViewBackgroundImagesAction"));
  mViewBackgroundImagesAction->setCheckable(true);
  mViewBackgroundImagesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  addAction(mViewBackgroundImagesAction);
  connect(mViewBackgroundImagesAction, &QAction::triggered, this,
          Guarded([this] { ViewBackgroundImagesActionExecute(); }));
  connect(view, &QMenu::aboutToShow, this, [this] {
    mViewStatusbar->setChecked(statusBar()->isVisible());
    mViewToolbar->setChecked(mToolBar->isVisible());
    TMDIChild* child = ActiveChild();
    mViewBackgroundImagesAction->setEnabled(child != nullptr);
    mViewBackgroundImagesAction->setChecked(child != nullptr && child->Data().ShowBackgroundImages);
  });

  QMenu* calculate = bar->addMenu(QStringLiteral("Calculate"));
  calculate->addAction(mActions.Optimize);
  calculate
      ->addAction(QStringLiteral("Preferences"), this,
                  Guarded([this] { CalculatePreferencesClick(); }))
      ->setObjectName(QStringLiteral("CalculatePreferences"));

  QMenu* import = bar->addMenu(QStringLiteral("&Import"));
  mImportImageFilesAction = import->addAction(QStringLiteral("Import image files"));
  mImportImageFilesAction->setObjectName(QStringLiteral("ImportImageFilesAction"));
  connect(mImportImageFilesAction, &QAction::triggered, this,
          Guarded([this] { ImportImageFilesActionExecute(); }));
  connect(import, &QMenu::aboutToShow, this,
          [this] { mImportImageFilesAction->setEnabled(ActiveChild() != nullptr); });

  mExportMenu = bar->addMenu(QStringLiteral("E&xport"));
  QMenu* copyChart = mExportMenu->addMenu(QStringLiteral("Copy time graph"));
  mExportCopyChartMenu = copyChart->menuAction();
  mExportCopyChart[0] =
      copyChart->addAction(QStringLiteral("as Metafile"), this, [this] { ExportCopyChart(true); });
  mExportCopyChart[1] =
      copyChart->addAction(QStringLiteral("as Bitmap"), this, [this] { ExportCopyChart(false); });
  QMenu* copyMap = mExportMenu->addMenu(QStringLiteral("Copy contour plot"));
  mExportCopyMapMenu = copyMap->menuAction();
  mExportCopyMap[0] = copyMap->addAction(QStringLiteral("as Metafile"), this,
                                         [this] { ExportCopyContourMap(true); });
  mExportCopyMap[1] = copyMap->addAction(QStringLiteral("as Bitmap"), this,
                                         [this] { ExportCopyContourMap(false); });
  mExportMenu->addSeparator();
  mExportFTH = mExportMenu->addAction(QStringLiteral("Save curves as &FTH"), this,
                                      Guarded([this] { ExportSaveCurvesAsFTHClick(); }));
  mExportXYZ = mExportMenu->addAction(QStringLiteral("Save contours as &XYZ"), this,
                                      Guarded([this] { ExportSavecontoursAsXYZClick(); }));
  mExportFEM = mExportMenu->addAction(QStringLiteral("Save model as FEM"), this,
                                      Guarded([this] { ExportSaveModelAsFEMClick(); }));
  connect(mExportMenu, &QMenu::aboutToShow, this, Guarded([this] { UpdateExportMenu(); }));

  QMenu* window = bar->addMenu(QStringLiteral("&Window"));
  window->setStatusTip(QStringLiteral("Window related commands"));
  window->addAction(QStringLiteral("&Cascade"), mMdiArea, &QMdiArea::cascadeSubWindows);
  window->addAction(QStringLiteral("Tile &Horizontally"), this,
                    [this] { TileSubWindows(*mMdiArea, Qt::Horizontal); });
  window->addAction(QStringLiteral("Tile &Vertically"), this,
                    [this] { TileSubWindows(*mMdiArea, Qt::Vertical); });
  window->addAction(QStringLiteral("&Minimize All"), this, [this] {
    for (QMdiSubWindow* w : mMdiArea->subWindowList()) w->showMinimized();
  });
  window->addAction(QStringLiteral("&Arrange All"), this,
                    [this] { ArrangeMinimizedSubWindows(*mMdiArea); });
  window->addSeparator();
  connect(window, &QMenu::aboutToShow, this, [this, window] {
    // The open documents follow the fixed items, the active one checked.
    const QList<QAction*> items = window->actions();
    for (int i = 6; i < items.size(); ++i) window->removeAction(items[i]), items[i]->deleteLater();
    int n = 0;
    for (QMdiSubWindow* w : mMdiArea->subWindowList()) {
      QAction* a = window->addAction(QStringLiteral("&%1 %2").arg(++n).arg(w->windowTitle()));
      a->setCheckable(true);
      a->setChecked(w == mMdiArea->activeSubWindow());
      connect(a, &QAction::triggered, this, [this, w] {
        // What is being typed belongs to the document it was typed in; refused, it keeps the
        // person there.
        if (TMDIChild* active = ActiveChild(); active != nullptr && !active->CommitPendingEdit())
          return;
        mMdiArea->setActiveSubWindow(w);
      });
    }
  });

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->setStatusTip(QStringLiteral("Help topics"));
  QAction* aqvHelp =
      help->addAction(QStringLiteral("AQV Help"), this, Guarded([this] { WMHelp(); }));
  aqvHelp->setShortcut(QKeySequence::HelpContents);
  aqvHelp->setShortcutContext(Qt::ApplicationShortcut);
  help->addSeparator();
  QMenu* web = help->addMenu(QStringLiteral("AQV on the web"));
  web->addAction(QStringLiteral("AQV homepage"), this, [this] { OpenWebPage(kProductHomePage); });
  web->addAction(QStringLiteral("Kelvaros homepage"), this,
                 [this] { OpenWebPage(kKelvarosHomePage); });
  help->addSeparator();
  QAction* about = help->addAction(QStringLiteral("&About..."), this,
                                   Guarded([this] { HelpAboutActionExecute(); }));
  about->setObjectName(QStringLiteral("HelpAboutAction"));
  about->setStatusTip(
      QStringLiteral("Displays program information, version number, and copyright"));
}

void TMainForm::CreateToolBar() {
  mToolBar = addToolBar(QStringLiteral("ToolBar"));
  mToolBar->setObjectName(QStringLiteral("ToolBar"));
  mToolBar->setIconSize(QSize(24, 24));
  mToolBar->setMovable(false);
  QAction* newButton = mToolBar->addAction(ToolIcon(TToolIcon::tiNew), QStringLiteral("&New"), this,
                                           Guarded([this] { FileNewClick(); }));
  newButton->setToolTip(QStringLiteral("New"));
  newButton->setStatusTip(QStringLiteral("Create a new file"));
  QAction* openButton = mToolBar->addAction(ToolIcon(TToolIcon::tiOpen), QStringLiteral("&Open"),
                                            this, Guarded([this] { FileOpenClick(); }));
  openButton->setToolTip(QStringLiteral("Open"));
  openButton->setStatusTip(QStringLiteral("Open a file"));
  mToolBar->addAction(mActions.Save);
  mToolBar->addSeparator();
  mToolBar->addActions({mActions.Cut, mActions.Copy, mActions.Paste});
  mToolBar->addSeparator();
  mToolBar->addAction(mActions.Optimize);
  connect(mViewToolbar, &QAction::triggered, mToolBar, &QWidget::setVisible);
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  const int widths[] = {232, 110, 110};
  for (int i = 0; i < 3; ++i) {
    mPanels[i] = new QLabel(bar);
    mPanels[i]->setMinimumWidth(widths[i]);
    mPanels[i]->installEventFilter(this);
  }
  bar->addWidget(mPanels[0], 1);
  bar->addPermanentWidget(mPanels[1]);
  bar->addPermanentWidget(mPanels[2]);
  mProgressBar = new QProgressBar(bar);
  mProgressBar->setObjectName(QStringLiteral("AQVChartProgressBar"));
  mProgressBar->setFixedWidth(150 - 15);
  mProgressBar->setTextVisible(false);
  mProgressBar->setValue(0);
  bar->addPermanentWidget(mProgressBar);
  mPanels[0]->setText(QString::fromUtf8(kWelcomeText));
}

QString TMainForm::StatusText(int panel) const {
  return panel >= 0 && panel < 3 ? mPanels[panel]->text() : QString();
}

void TMainForm::ShowStatusHint(const QString& text) {
  // An empty hint comes when the mouse leaves a control or a menu closes: the active document's
  // page hint shows again, or without a document the frame's own.
  const TMDIChild* child = text.isEmpty() ? ActiveChild() : nullptr;
  const QString shown = child != nullptr ? child->statusTip() : text;
  mPanels[0]->setText(shown.isEmpty() ? QString::fromUtf8(kWelcomeText) : shown);
}

// --- Settings --------------------------------------------------------------------------------

void TMainForm::ReadSettings() {
  TSettingsStore store;
  TPreferenceValues preferences = CurrentPreferences();
  const TSettingsReadResult desktop = ReadDesktopSettings(store, mDesktop);
  const TSettingsReadResult prefs = ReadPreferenceSettings(store, preferences);
  UsePreferences(preferences);
  if (SettingsReadFailed(desktop, prefs))
    mUi->MessageBox(kRegistryErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  if (mDesktop.HasPlacement) {
    QRect placement(mDesktop.Left, mDesktop.Top, mDesktop.Width, mDesktop.Height);
    // A placement kept from a larger screen is brought back onto this one.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      placement = WithinScreen(placement, screen->availableGeometry());
    setGeometry(placement);
  }
  if (mDesktop.WindowState == 2) setWindowState(Qt::WindowMaximized);
  statusBar()->setVisible(mDesktop.ViewStatusbar);
  mToolBar->setVisible(mDesktop.ViewToolbar);
  Globals().OpenDirectory = mDesktop.OpenDirectory;
  Globals().SaveDirectory = mDesktop.SaveDirectory;
  mMRUList->LoadFromRegistry(store, *mUi);
}

void TMainForm::WriteSettings() {
  const bool maximised = isMaximized();
  if (!maximised && !isMinimized()) {
    const QRect g = geometry();
    mDesktop.Left = g.left(), mDesktop.Top = g.top();
    mDesktop.Width = g.width(), mDesktop.Height = g.height();
  }
  mDesktop.WindowState = maximised ? 2 : isMinimized() ? 1 : 0;
  mDesktop.ViewStatusbar = !statusBar()->isHidden();
  mDesktop.ViewToolbar = !mToolBar->isHidden();
  mDesktop.OpenDirectory = Globals().OpenDirectory;
  mDesktop.SaveDirectory = Globals().SaveDirectory;
  TSettingsStore store;
  if (!WriteDesktopSettings(store, mDesktop, maximised))
    mUi->MessageBox(kRegistryErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  (void)mMRUList->SaveToRegistry(store, *mUi);
}

// --- Documents -------------------------------------------------------------------------------

std::vector<TMDIChild*> TMainForm::Children() const {
  std::vector<TMDIChild*> children;
  for (QMdiSubWindow* w : mMdiArea->subWindowList())
    if (auto* child = qobject_cast<TMDIChild*>(w->widget())) children.push_back(child);
  return children;
}

TMDIChild* TMainForm::ActiveChild() const {
  QMdiSubWindow* w = mMdiArea->activeSubWindow();
  if (w == nullptr && !mMdiArea->subWindowList().isEmpty())
    w = mMdiArea->subWindowList().constLast();
  return w != nullptr ? qobject_cast<TMDIChild*>(w->widget()) : nullptr;
}

QMdiSubWindow* TMainForm::SubWindowOf(const TMDIChild* child) const {
  for (QMdiSubWindow* w : mMdiArea->subWindowList())
    if (w->widget() == child) return w;
  return nullptr;
}

TMDIChild* TMainForm::CreateMDIChild() {
  auto* child = new TMDIChild(mOwnUi ? nullptr : mUi);
  QMdiSubWindow* window = mMdiArea->addSubWindow(child);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowIcon(QIcon(ProgramPicture(16)));
  child->SetGridActions(mActions);
  child->OnDataChange = [this] { UpdateStatus(); };
  child->OnFileSaved = [this](const std::string& path) {
    mMRUList->AddFile(path);
    UpdateStatus();
  };
  child->OnSaveRequest = [this, child] {
    mActions.SetData(&child->Data());
    mActions.Save->trigger();
  };
  child->OnHelp = [this] { WMHelp(); };
  child->OnFrameEnabled = [this](bool enabled) { setEnabled(enabled); };
  child->SetCurveSelectionPosition = [this](QPoint p) {
    mDesktop.sgLeft = p.x();
    mDesktop.sgTop = p.y();
  };
  child->Data().OnProgressBarChange = [this, child](TObject*) {
    if (const TProgressBarState* state = child->Data().ProgressBar) {
      // A range of 0 would make Qt show a busy bar; position 0 means nothing runs.
      mProgressBar->setMaximum(std::max(1, state->Max));
      mProgressBar->setValue(std::clamp(state->Position, 0, std::max(1, state->Max)));
    }
    UpdateStatus();
  };
  connect(child, &QObject::destroyed, this,
          [this] { QTimer::singleShot(0, this, [this] { UpdateStatus(); }); });
  window->showMaximized();
  mMdiArea->setActiveSubWindow(window);
  return child;
}

void TMainForm::ChildActivated(QMdiSubWindow* window) {
  UpdateStatus();
  // A document brought to the front names its page. None is active also while the program is
  // in the background: the hint then stays.
  if (const TMDIChild* child = window != nullptr ? ActiveChild() : nullptr)
    mPanels[0]->setText(child->statusTip());
}

void TMainForm::ActiveControlChange() {
  // The map draws the focus of its text boxes and edits beside it.
  if (TMDIChild* child = ActiveChild()) child->RepaintMap();
}

void TMainForm::UpdateStatus() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr) {
    mPanels[0]->setText(QString::fromUtf8(kWelcomeText));
    mPanels[1]->clear();
    mPanels[2]->clear();
    mActions.SetData(nullptr);
    SetApplicationTitle(kApplicationTitle);
    return;
  }
  TAQVData& d = child->Data();
  SetApplicationTitle(DocumentApplicationTitle(d.FileName));
  const bool fitted = d.ResultsExist && !d.Rejected;
  mActions.Optimize->setIcon(ToolIcon(fitted ? TToolIcon::tiOptimized : TToolIcon::tiOptimize));
  mPanels[1]->setText(QString::fromStdString(TimeUnitPanelText(d.TimeUnit())));
  mPanels[2]->setText(QString::fromStdString(LengthUnitPanelText(d.LengthUnit())));
  mActions.SetData(&d);
  d.ProgressBar = &mProgressState;
  mProgressBar->setMaximum(std::max(1, mProgressState.Max));
  mProgressBar->setValue(std::clamp(mProgressState.Position, 0, mProgressBar->maximum()));
}

TMDIChild* TMainForm::ChildShowing(const std::string& canonicalPath) const {
  TMDIChild* found = nullptr;
  for (TMDIChild* child : Children())
    if (!child->Data().FileName.empty() && AbsolutePath(child->Data().FileName) == canonicalPath)
      found = child;
  return found;
}

void TMainForm::FileNewClick() {
  TMDIChild* child = CreateMDIChild();
  child->NewFile(child->Data().DefaultFileName);
  UpdateStatus();
}

void TMainForm::FileOpenClick() {
  std::string path;
  if (!mUi->OpenDialog(path, Globals().OpenDirectory, kDataFileFilter)) return;
  OpenFile(path, false);
}

bool TMainForm::OpenFile(const std::string& path, bool dropFromRecentOnFailure) {
  const std::string absolute = AbsolutePath(path);
  Globals().OpenDirectory = FolderOf(absolute);
  if (TMDIChild* open = ChildShowing(absolute)) {
    mMdiArea->setActiveSubWindow(SubWindowOf(open));
    return true;
  }
  TMDIChild* child = CreateMDIChild();
  if (child->LoadFile(absolute)) {
    mMRUList->AddFile(absolute);
    UpdateStatus();
    return true;
  }
  // A file that cannot be read closes its window without a question.
  child->Data().Saved = true;
  if (QMdiSubWindow* w = SubWindowOf(child)) w->close();
  if (dropFromRecentOnFailure) mMRUList->RemoveFile(absolute);
  UpdateStatus();
  return false;
}

void TMainForm::FileReopenClick() {
  OpenFile(mMRUList->FileName(), true);
}

void TMainForm::FileCloseClick() {
  if (QMdiSubWindow* w = mMdiArea->activeSubWindow()) w->close();
  UpdateStatus();
}

void TMainForm::FirstActivation(const QStringList& arguments) {
  if (!mFirstActivation) return;
  mFirstActivation = false;
  if (arguments.size() < 2) return;
  OpenFile(arguments.at(1).toStdString(), true);
}

// --- Exports and import --------------------------------------------------------------------

void TMainForm::UpdateExportMenu() {
  TMDIChild* child = ActiveChild();
  const TDocumentPage page = child != nullptr ? child->ActivePage() : TDocumentPage::dpInfo;
  const bool chart = child != nullptr && page == TDocumentPage::dpChart;
  const bool map = child != nullptr && page == TDocumentPage::dpContourPlot;
  // The sub-menus' own items are what the person sees enabled or not in the Export menu.
  mExportCopyChartMenu->setEnabled(chart);
  mExportCopyMapMenu->setEnabled(map);
  for (QAction* a : mExportCopyChart) a->setEnabled(chart);
  for (QAction* a : mExportCopyMap) a->setEnabled(map);
  mExportFTH->setEnabled(chart && child->Data().CurvesValid && child->Data().CurveCount > 0);
  mExportXYZ->setEnabled(map);
  mExportFEM->setEnabled(child != nullptr);
}

void TMainForm::ExportCopyChart(bool asMetafile) {
  if (TMDIChild* child = ActiveChild()) child->Chart()->CopyToClipboard(asMetafile, true);
}

void TMainForm::ExportCopyContourMap(bool /*asMetafile*/) {
  // The map's copy always offers the picture both as bitmap and as vector drawing.
  if (TMDIChild* child = ActiveChild()) child->Map()->CopyToClipboard(true);
}

void TMainForm::ExportSaveCurvesAsFTHClick() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr || !child->CommitPendingEdit()) return;
  std::string path = MakeUniqueFileName(child->Data().FileName, "fth");
  if (!mUi->SaveDialog(path, Globals().OpenDirectory, "FTH files (*.fth)|*.fth|All files (*.*)|*.*",
                       "fth"))
    return;
  child->Data().SaveCurvesAsFTH(path);
}

void TMainForm::ExportSavecontoursAsXYZClick() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr || !child->CommitPendingEdit()) return;
  std::string path = MakeUniqueFileName(child->Data().FileName, "xyz");
  if (!mUi->SaveDialog(path, Globals().OpenDirectory, "XYZ files (*.xyz)|*.xyz|All files (*.*)|*.*",
                       "xyz"))
    return;
  child->Map()->SaveContoursAsXYZ(path);
}

void TMainForm::ExportSaveModelAsFEMClick() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr || !child->CommitPendingEdit()) return;
  child->setEnabled(false);
  ExecuteModelGenerator(*child, *mUi, this);
  child->setEnabled(true);
  child->setFocus();
}

void TMainForm::ImportImageFilesActionExecute() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr || !child->CommitPendingEdit()) return;
  TFilesSelectionForm form(*mUi, this);
  form.Files = child->Data().BackgroundFiles;
  form.Initialize();
  form.OnHelp = [this] { WMHelp(); };
  if (form.exec() == QDialog::Accepted) child->ImportImageFiles(form.Files);
  UpdateStatus();
}

void TMainForm::ViewBackgroundImagesActionExecute() {
  TMDIChild* child = ActiveChild();
  if (child == nullptr) return;
  // The menu's tick is set only as the menu opens; Ctrl+B without the menu, or after another
  // document was active, would read a stale tick. The document's own flag is what flips.
  TAQVData& d = child->Data();
  d.ShowBackgroundImages = !d.ShowBackgroundImages;
  d.Saved = false;
  child->Map()->RefreshBackground();
}

// --- Preferences, help and the web -------------------------------------------------------------

void TMainForm::CalculatePreferencesClick() {
  // Applying reloads every document's pages: what is being typed in any of them is first
  // that document's, or the dialog does not open.
  for (TMDIChild* child : Children())
    if (!child->CommitPendingEdit()) return;
  TPreferencesForm form(this);
  form.FormShow(CurrentPreferences());
  form.OnHelp = [this] { WMHelp(); };
  if (form.exec() == QDialog::Accepted) ApplyPreferences(form.Values());
}

void TMainForm::ApplyPreferences(const TPreferenceValues& values) {
  UsePreferences(values);
  // The default length unit is for documents made later; open ones keep theirs.
  for (TMDIChild* child : Children()) {
    TAQVData& d = child->Data();
    d.SetStehfestTerms(values.NSt);
    d.SetTimesPerLogCycle(values.nlogcycle);
    d.ConvertLengthUnits = values.ConvertLengthUnits;
    d.ConvertTimeUnits = values.ConvertTimeUnits;
  }
}

void TMainForm::WMHelp() {
  QString keyword = QString::fromUtf8(kDefaultHelpKeyword);
  if (QWidget* dialog = QApplication::activeModalWidget())
    keyword = HelpKeywordOf(dialog->focusWidget() ? dialog->focusWidget() : dialog);
  else if (TMDIChild* child = ActiveChild())
    keyword = HelpKeywordOf(child->focusWidget() ? child->focusWidget() : child);
  ShowHelpPageOrSayWhere(keyword, *mUi);
}

void TMainForm::OpenWebPage(const char* address) {
  if (!QDesktopServices::openUrl(QUrl(QString::fromUtf8(address))))
    mUi->MessageBox(kBrowserErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

void TMainForm::HelpAboutActionExecute() {
  if (mAboutBox == nullptr) mAboutBox = new TAboutBox(this);
  mAboutBox->exec();
}

// --- Window events ---------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
  // Disabled while a fit runs: nothing closes, asks or saves until it ends.
  if (!isEnabled()) {
    event->ignore();
    return;
  }
  // Every document is asked before any closes: Cancel, a refused typed value or a save that
  // did not happen stops the leaving and keeps every document open. What is being typed is
  // the active document's before another one is brought to the front to be asked.
  TMDIChild* active = ActiveChild();
  bool agreed = active == nullptr || active->CommitPendingEdit();
  for (TMDIChild* child : Children()) {
    if (!agreed) break;
    mMdiArea->setActiveSubWindow(SubWindowOf(child));
    agreed = child->SaveQuery();
    if (agreed) child->SetCloseAgreed(true);
  }
  if (agreed) mMdiArea->closeAllSubWindows();
  // A document still open (busy, or not asked) asks again at the next close; a busy one that
  // agreed closes when its work ends, without asking again.
  for (TMDIChild* child : Children())
    if (!child->ClosePending()) child->SetCloseAgreed(false);
  if (!mMdiArea->subWindowList().isEmpty()) {
    event->ignore();
    return;
  }
  WriteSettings();
  event->accept();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (mFirstActivation) FitOnScreen();
  if (mFirstActivation)
    QTimer::singleShot(0, this, [this] { FirstActivation(QCoreApplication::arguments()); });
}

void TMainForm::FitOnScreen() {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr || isMaximized() || isFullScreen()) return;
  // The window's frame, known once it is shown, counts too.
  const QRect outer = frameGeometry();
  const QRect fitted = WithinScreen(outer, shownOn->availableGeometry());
  if (fitted == outer) return;
  resize(size() - (outer.size() - fitted.size()));
  move(fitted.topLeft());
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  TMDIChild* child = ActiveChild();
  if (child == nullptr) return;
  const QWidget* shown =
      child->ActivePage() == TDocumentPage::dpChart         ? static_cast<QWidget*>(child->Chart())
      : child->ActivePage() == TDocumentPage::dpContourPlot ? static_cast<QWidget*>(child->Map())
                                                            : nullptr;
  if (shown != nullptr)
    mPanels[0]->setText(
        QStringLiteral("Width = %1, Height = %2").arg(shown->width()).arg(shown->height()));
}

bool TMainForm::event(QEvent* event) {
  // Hints of menus, actions and controls go to the first panel.
  if (event->type() == QEvent::StatusTip) {
    ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  // A window manager frames the window after it is shown; once the frame is there (the first
  // activation), its title bar and borders are fitted on the screen as well.
  if (event->type() == QEvent::WindowActivate && !mFittedWithFrame) {
    mFittedWithFrame = true;
    FitOnScreen();
  }
  return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    TMDIChild* child = ActiveChild();
    const bool unitPanel = watched == mPanels[1] || watched == mPanels[2];
    if (mouse->button() == Qt::RightButton && child != nullptr && unitPanel && isEnabled()) {
      // A value being typed means the unit it was typed in: it is committed before the unit
      // can change, and a refused one keeps the menu closed.
      if (!child->CommitPendingEdit()) return true;
      if (watched == mPanels[1]) {
        mTimeUnitsMenu->SetData(&child->Data());
        mTimeUnitsMenu->Popup(mouse->globalPosition().toPoint());
        return true;
      }
      if (watched == mPanels[2]) {
        mLengthUnitsMenu->SetData(&child->Data());
        mLengthUnitsMenu->Popup(mouse->globalPosition().toPoint());
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace aqv
