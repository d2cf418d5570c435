#include "app/gui/CHILDWIN.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/AQVActns.h"
#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVObservationWellsGrid.h"
#include "app/gui/AQVObservationsGrid.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/Help.h"
#include "app/gui/RemarksMemo.h"
#include "app/gui/Startup.h"
#include "chart/gui/MyChart.h"
#include "map/gui/AQVKaart.h"
#include "model/AQVElements.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {

struct TPageInfo {
  const char* Caption;
  const char* HelpKeyword;
  const char* Hint;
};
constexpr TPageInfo kPages[] = {
    {"General info", "general_info", "General information"},
    {"Aquifer system", "aquifer_system", "Aquifer system"},
    {"Pumping wells", "pumping_wells", "Pumping wells"},
    {"Observation wells", "observation_wells", "Observation wells"},
    {"Optimization results", "parameter_optimization", "Optimization results"},
    {"Time graphs", "time_graphs", "Time graphs"},
    {"Contour plot", "contour_plot", "Piezometric surface drawdown and build-up"},
};

}  // namespace

const char* PageHelpKeyword(int page) {
  return page >= 0 && page < 7 ? kPages[page].HelpKeyword : "";
}

const char* PageHint(int page) {
  return page >= 0 && page < 7 ? kPages[page].Hint : "";
}

namespace {

// Smallest size the window accepts, pixels.
constexpr int kMinimumSize = 401;

// A caption; with a buddy it names that field (and a layout check finds them on one row).
QLabel* Label(const char* text, QWidget* parent, QWidget* buddy = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

QRadioButton* Radio(const char* name, const char* text, QWidget* parent) {
  auto* button = new QRadioButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromUtf8(name));
  return button;
}

QPushButton* Button(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromUtf8(name));
  return button;
}

// Holds a page's controls, or a chart or map, at their own sizes; where the window is smaller
// they scroll.
QWidget* Scrolling(QWidget* page) {
  auto* scroll = new QScrollArea;
  scroll->setObjectName(page->objectName() + QStringLiteral("Scroller"));
  scroll->setWidget(page);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  return scroll;
}

// A side panel beside a chart or map: as wide as its controls, scrolling in its height.
QScrollArea* SidePanel(QWidget* panel, QWidget* page) {
  auto* scroll = new QScrollArea(page);
  scroll->setObjectName(panel->objectName() + QStringLiteral("Scroller"));
  scroll->setWidget(panel);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFrameShape(QFrame::NoFrame);
  const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
  // A panel of fixed width is as wide as that, whatever its layout would like.
  const int width = std::max(panel->sizeHint().width(), panel->minimumWidth());
  scroll->setFixedWidth(width + bar + 2);
  return scroll;
}

// Smallest sizes of the time graph and the map, pixels: the graph keeps its fixed margins, axis
// bands and a legend of up to half its width and still has room for the curves and the tick
// labels; the map keeps its legend beside a readable picture. Below them the page scrolls.
constexpr QSize kMinimumChartSize(480, 320);
constexpr QSize kMinimumMapSize(320, 240);

// A grid above a caption panel and a second grid, split so the person can share the height.
QWidget* SplitGrids(QWidget* upper, QLabel* caption, QWidget* lower, QWidget* parent) {
  auto* splitter = new QSplitter(Qt::Vertical, parent);
  auto* bottom = new QWidget(splitter);
  auto* bottomLayout = new QVBoxLayout(bottom);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  bottomLayout->addWidget(caption);
  bottomLayout->addWidget(lower, 1);
  splitter->addWidget(upper);
  splitter->addWidget(bottom);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 2);
  return splitter;
}

}  // namespace

TMDIChild::TMDIChild(TUserInterface* ui, QWidget* parent)
    : QWidget(parent),
      mOwnUi(ui == nullptr ? std::make_unique<TQtUserInterface>(this) : nullptr),
      mUi(ui == nullptr ? mOwnUi.get() : ui),
      mData(std::make_unique<TAQVData>(mUi)) {
  setObjectName(QStringLiteral("MDIChild"));
  setMinimumSize(kMinimumSize, kMinimumSize);
  mPageControl = new QTabWidget(this);
  mPageControl->setObjectName(QStringLiteral("PageControl"));
  SetHelpKeyword(mPageControl, QString::fromUtf8(PageHelpKeyword(0)));
  setStatusTip(QString::fromUtf8(PageHint(0)));
  QWidget* pages[] = {Scrolling(BuildInfoPage()), Scrolling(BuildAquiferSystemPage()),
                      BuildPumpingWellsPage(), BuildObservationWellsPage(),
                      BuildOutputPage(),       Scrolling(BuildChartPage()),
                      Scrolling(BuildContourPlotPage())};
  for (int i = 0; i < 7; ++i) {
    SetHelpKeyword(pages[i], QString::fromUtf8(kPages[i].HelpKeyword));
    mPageControl->addTab(pages[i], QString::fromUtf8(kPages[i].Caption));
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(mPageControl);
  connect(mPageControl, &QTabWidget::currentChanged, this, &TMDIChild::PageControlChange);
  // A click on a tab gives the tabs the focus, so that F1 there shows the page's help.
  mPageControl->tabBar()->setFocusPolicy(Qt::StrongFocus);
  BindDocument();
  // Keys are looked at before the focused control gets them (Escape cancels a computation,
  // the numeric-pad minus zooms the map out).
  qApp->installEventFilter(this);
}

TMDIChild::~TMDIChild() {
  qApp->removeEventFilter(this);
  // The document goes before the window's children (the grids, the chart and the map), so
  // they let go of it first, and the chart's series of their references.
  mMap->StopAnimation();
  mMap->SetData(nullptr);
  for (TMyParentGrid* grid : Grids()) grid->SetData(nullptr);
  mChart->ClearSeries();
  mChart->OnFormatChanged = nullptr;
  mData->ChartReference = nullptr;
  mData->MapReference = nullptr;
  mData->OnChange = nullptr;
}

void TMDIChild::BindDocument() {
  TAQVData& d = *mData;
  d.SetStehfestTerms(Globals().NSt);
  d.ChartReference = &mChart->Model();
  d.MapReference = mMap;
  d.SetTimesPerLogCycle(Globals().nlogcycle);
  d.ConvertLengthUnits = Globals().ConvertLengthUnits;
  d.ConvertTimeUnits = Globals().ConvertTimeUnits;
  d.SetLengthUnitLabel(static_cast<TAQVLengthUnit>(Globals().DefaultLengthUnits));
  d.DefaultFileName.clear();
  d.OnChange = [this](TObject*) { AQVDataChange(); };
  d.OnFileSaved = [this](TObject*) { FileSaved(); };
  d.OnFileLoaded = [this](TObject*) { FileLoaded(); };
  d.OnGrootheidTChange = [this](TObject*) { GrootheidTChange(); };
  d.OnStartOptimize = [this](TObject*) { StartOptimize(); };
  d.OnStopOptimize = [this](TObject*) { StopOptimize(); };
  for (TMyParentGrid* grid : Grids()) grid->SetData(&d);
  // The data file keeps the time graph's formats.
  mChart->OnFormatChanged = [this] { mData->Saved = false; };
  mMap->SetData(&d);
  connect(mMap, &TAQVKaart::IntervalChange, this, Guarded([this] { AQVKaartIntervalChange(); }));
  connect(mMap, &TAQVKaart::TimeChange, this, Guarded([this] { AQVKaartTimeChange(); }));
  connect(mMap, &TAQVKaart::AnimationFinished, this,
          Guarded([this] { AQVKaartAnimationFinished(); }));
  // An animation that another page stopped goes on from its step when Animate is pressed, as
  // after Pause.
  connect(mMap, &TAQVKaart::AnimationStopped, this, Guarded([this] { PauseButtonClick(); }));
}

TAQVFloatEdit* TMDIChild::NewFloatEdit(TAQVFloatEditType kind, const char* name, QWidget* parent) {
  auto* edit = new TAQVFloatEdit(parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->SetData(mData.get());
  edit->SetAQVEditType(kind);
  edit->setMaximumWidth(110);
  return edit;
}

TAQVSpinEdit* TMDIChild::NewSpinEdit(TAQVSpinEditType kind, const char* name, QWidget* parent) {
  auto* edit = new TAQVSpinEdit(parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->SetData(mData.get());
  edit->SetAQVSpinEditType(kind);
  edit->setMaximumWidth(70);
  return edit;
}

QWidget* TMDIChild::BuildInfoPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("InfoPage"));
  auto edit = [&](int text, const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setMaxLength(kInfoTextWidth);
    mInfoEdits[text] = e;
    connect(e, &QLineEdit::textChanged, this, [this, e, text] { InfoEditChange(e, text); });
    return e;
  };
  auto* project = new QGroupBox(QStringLiteral("Project"), page);
  auto* pl = new QGridLayout(project);
  pl->addWidget(edit(1, "prNameEdit", project), 0, 1);
  pl->addWidget(Label("Name:", project, mInfoEdits[1]), 0, 0);
  pl->addWidget(edit(2, "prTestEdit", project), 1, 1);
  pl->addWidget(Label("Test", project, mInfoEdits[2]), 1, 0);
  pl->addWidget(edit(3, "prLocationEdit", project), 2, 1);
  pl->addWidget(Label("Location:", project, mInfoEdits[3]), 2, 0);
  pl->addWidget(edit(4, "prDateEdit", project), 3, 1);
  pl->addWidget(Label("Date:", project, mInfoEdits[4]), 3, 0);
  mPrRemarksMemo = new TRemarksMemo(3, project);
  pl->addWidget(Label("Remarks:", project, mPrRemarksMemo), 4, 0, Qt::AlignTop);
  mPrRemarksMemo->setObjectName(QStringLiteral("prRemarksMemo"));
  mPrRemarksMemo->setFixedHeight(mPrRemarksMemo->fontMetrics().lineSpacing() * 3 + 12);
  pl->addWidget(mPrRemarksMemo, 4, 1);
  connect(mPrRemarksMemo, &QPlainTextEdit::textChanged, this,
          [this] { RemarksMemoChange(mPrRemarksMemo, 5, 3); });

  auto* file = new QGroupBox(QStringLiteral("File"), page);
  auto* fl = new QGridLayout(file);
  fl->addWidget(edit(8, "flDataNameEdit", file), 0, 1);
  fl->addWidget(Label("Data name:", file, mInfoEdits[8]), 0, 0);
  fl->addWidget(edit(9, "flFileNameEdit", file), 1, 1);
  fl->addWidget(Label("File name:", file, mInfoEdits[9]), 1, 0);
  fl->addWidget(edit(10, "flDateEdit", file), 2, 1);
  fl->addWidget(Label("Date:", file, mInfoEdits[10]), 2, 0);
  mFlRemarksMemo = new TRemarksMemo(4, file);
  mFlRemarksMemo->setObjectName(QStringLiteral("flRemarksMemo"));
  mFlRemarksMemo->setFixedHeight(mFlRemarksMemo->fontMetrics().lineSpacing() * 4 + 12);
  fl->addWidget(Label("Remarks:", file, mFlRemarksMemo), 3, 0, Qt::AlignTop);
  fl->addWidget(mFlRemarksMemo, 3, 1);
  connect(mFlRemarksMemo, &QPlainTextEdit::textChanged, this,
          [this] { RemarksMemoChange(mFlRemarksMemo, 11, 4); });

  mTuComboBox = new QComboBox(page);
  mTuComboBox->setObjectName(QStringLiteral("tuComboBox"));
  mTuComboBox->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes"),
                         QStringLiteral("Hours"), QStringLiteral("Days"), QStringLiteral("Years")});
  mTuComboBox->setCurrentIndex(3);
  connect(mTuComboBox, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) mData->SetTimeUnit(static_cast<TAQVTimeUnit>(index));
  });
  auto* units = new QHBoxLayout;
  units->addWidget(Label("Time units:", page, mTuComboBox));
  units->addWidget(mTuComboBox);
  units->addStretch(1);

  auto* setup = new QGroupBox(QStringLiteral("General setup"), page);
  auto* sl = new QGridLayout(setup);
  mNuNAQSpinEdit = NewSpinEdit(TAQVSpinEditType::seNAq, "nuNAQSpinEdit", setup);
  mNuNPumpSpinEdit = NewSpinEdit(TAQVSpinEditType::seNPumpingWells, "nuNPumpSpinEdit", setup);
  mNuNObsSpinEdit = NewSpinEdit(TAQVSpinEditType::seNObsWells, "nuNObsSpinEdit", setup);
  mNuNAQSpinEdit->SetMinValue(1), mNuNAQSpinEdit->SetMaxValue(2);
  mNuNPumpSpinEdit->SetMinValue(1), mNuNPumpSpinEdit->SetMaxValue(2);
  mNuNObsSpinEdit->SetMinValue(1), mNuNObsSpinEdit->SetMaxValue(5);
  sl->addWidget(Label("Number of aquifers", setup, mNuNAQSpinEdit), 0, 0);
  sl->addWidget(mNuNAQSpinEdit, 0, 1);
  sl->addWidget(Label("Number of pumping wells", setup, mNuNPumpSpinEdit), 1, 0);
  sl->addWidget(mNuNPumpSpinEdit, 1, 1);
  sl->addWidget(Label("Number of observation wells", setup, mNuNObsSpinEdit), 2, 0);
  sl->addWidget(mNuNObsSpinEdit, 2, 1);

  auto* optimization = new QGroupBox(QStringLiteral("Parameter optimization"), page);
  auto* ol = new QGridLayout(optimization);
  mPaRelativeEdit =
      NewFloatEdit(TAQVFloatEditType::feRelStoppingCriterion, "paRelativeEdit", optimization);
  mPaAbsoluteEdit =
      NewFloatEdit(TAQVFloatEditType::feAbsStoppingCriterion, "paAbsoluteEdit", optimization);
  ol->addWidget(Label("Relative stopping criterion", optimization, mPaRelativeEdit), 0, 0);
  ol->addWidget(mPaRelativeEdit, 0, 1);
  ol->addWidget(Label("Absolute stopping criterion", optimization, mPaAbsoluteEdit), 1, 0);
  ol->addWidget(mPaAbsoluteEdit, 1, 1);
  auto* fitting = new QGroupBox(QStringLiteral("Curve fitting"), optimization);
  auto* fitLayout = new QVBoxLayout(fitting);
  mPaLogDrawdownRadioButton =
      Radio("paLogDrawdownRadioButton", "Log drawdown curve fitting", fitting);
  mPaLinearDrawdownRadioButton =
      Radio("paLinearDrawdownRadioButton", "Linear drawdown curve fitting", fitting);
  mPaLogDrawdownRadioButton->setChecked(true);
  fitLayout->addWidget(mPaLogDrawdownRadioButton);
  fitLayout->addWidget(mPaLinearDrawdownRadioButton);
  ol->addWidget(fitting, 2, 0, 1, 2);
  for (QRadioButton* b : {mPaLogDrawdownRadioButton, mPaLinearDrawdownRadioButton})
    connect(b, &QRadioButton::clicked, this,
            [this] { mData->SetLinearResiduals(!mPaLogDrawdownRadioButton->isChecked()); });

  auto* left = new QVBoxLayout;
  left->addWidget(project);
  left->addWidget(file);
  left->addLayout(units);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(setup);
  right->addWidget(optimization);
  right->addStretch(1);
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(left, 3);
  layout->addLayout(right, 2);
  return page;
}

QWidget* TMDIChild::BuildAquiferSystemPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("AquiferSystemPage"));
  auto* layers = new QGroupBox(QStringLiteral("Layers"), page);
  auto* ll = new QGridLayout(layers);
  mLaNAqSpinEdit = NewSpinEdit(TAQVSpinEditType::seNAq, "laNAqSpinEdit", layers);
  mLaNAqSpinEdit->SetMinValue(1), mLaNAqSpinEdit->SetMaxValue(2);
  mLaElevationEdit = NewFloatEdit(TAQVFloatEditType::feSurfaceLevel, "laElevationEdit", layers);
  ll->addWidget(Label("Number of aquifers", layers, mLaNAqSpinEdit), 0, 0);
  ll->addWidget(mLaNAqSpinEdit, 0, 1);
  ll->addWidget(Label("Top layer elevation", layers, mLaElevationEdit), 1, 0);
  ll->addWidget(mLaElevationEdit, 1, 1);

  auto* boundary = new QGroupBox(QStringLiteral("Boundary conditions"), page);
  auto* bl = new QGridLayout(boundary);
  auto side = [&](const char* boxName, const char* text, const char* imperviousName,
                  const char* leakyName, int row, QCheckBox*& box, QRadioButton*& impervious,
                  QRadioButton*& leaky) {
    box = new QCheckBox(QString::fromUtf8(text), boundary);
    box->setObjectName(QString::fromUtf8(boxName));
    auto* group = new QWidget(boundary);  // keeps each pair of radio buttons exclusive
    auto* gl = new QHBoxLayout(group);
    gl->setContentsMargins(0, 0, 0, 0);
    impervious = Radio(imperviousName, "Impervious", group);
    leaky = Radio(leakyName, "Leaky", group);
    gl->addWidget(impervious);
    gl->addWidget(leaky);
    bl->addWidget(box, row, 0);
    bl->addWidget(group, row, 1);
    connect(box, &QCheckBox::clicked, this, Guarded([this] { BoundaryChange(); }));
    connect(impervious, &QRadioButton::clicked, this, Guarded([this] { BoundaryChange(); }));
    connect(leaky, &QRadioButton::clicked, this, Guarded([this] { BoundaryChange(); }));
  };
  side("boTopLayerCheckBox", "Top aquitard present", "boTopLayerImperviousRadioButton",
       "boTopLayerLeakyRadioButton", 0, mBoTopLayerCheckBox, mBoTopImpervious, mBoTopLeaky);
  side("boBottomLayerCheckBox", "Bottom aquitard present", "boBottomLayerImperviousRadioButton",
       "boBottomLayerLeakyRadioButton", 1, mBoBottomLayerCheckBox, mBoBottomImpervious,
       mBoBottomLeaky);
  mBoTopLeaky->setChecked(true);
  mBoBottomImpervious->setChecked(true);

  mConductivitiesGrid = new TAQVConductivitiesGrid(page);
  mConductivitiesGrid->setObjectName(QStringLiteral("AQVConductivitiesGrid"));
  auto* top = new QHBoxLayout;
  top->addWidget(layers);
  top->addWidget(boundary);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(mConductivitiesGrid, 1);
  return page;
}

QWidget* TMDIChild::BuildPumpingWellsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("PumpingWellsPage"));
  mPumpingWellsGrid = new TAQVPumpingWellsGrid(page);
  mPumpingWellsGrid->setObjectName(QStringLiteral("AQVPumpingWellsGrid"));
  mPumpingPeriodsPanel = new QLabel(page);
  mPumpingPeriodsPanel->setObjectName(QStringLiteral("PumpingPeriodsPanel"));
  mPumpingPeriodsGrid = new TAQVPumpingPeriodsGrid(page);
  mPumpingPeriodsGrid->setObjectName(QStringLiteral("AQVPumpingPeriodsGrid"));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(SplitGrids(mPumpingWellsGrid, mPumpingPeriodsPanel, mPumpingPeriodsGrid, page));
  // Entering a well's own table first commits the well table, whose current row names it.
  mPumpingPeriodsGrid->installEventFilter(this);
  return page;
}

QWidget* TMDIChild::BuildObservationWellsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ObservationWellsPage"));
  mObservationWellsGrid = new TAQVObservationWellsGrid(page);
  mObservationWellsGrid->setObjectName(QStringLiteral("AQVObservationWellsGrid"));
  mObservationWellsDataPanel = new QLabel(page);
  mObservationWellsDataPanel->setObjectName(QStringLiteral("ObservationWellsDataPanel"));
  mObservationsGrid = new TAQVObservationsGrid(page);
  mObservationsGrid->setObjectName(QStringLiteral("AQVObservationsGrid"));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(
      SplitGrids(mObservationWellsGrid, mObservationWellsDataPanel, mObservationsGrid, page));
  mObservationsGrid->installEventFilter(this);
  return page;
}

QWidget* TMDIChild::BuildOutputPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("OutputPage"));
  mOutputMemo = new QPlainTextEdit(page);
  mOutputMemo->setObjectName(QStringLiteral("OutputMemo"));
  mOutputMemo->setReadOnly(true);
  mOutputMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  mOutputMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The report is laid out in fixed columns.
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mOutputMemo->setFont(mono);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(mOutputMemo);
  return page;
}

QWidget* TMDIChild::BuildChartPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ChartPage"));
  mChart = new TMyChart(page);
  mChart->setObjectName(QStringLiteral("AQVChart"));
  mChart->setMinimumSize(kMinimumChartSize);
  auto* panel = new QWidget;
  mChartPanel = panel;
  panel->setObjectName(QStringLiteral("AQVChartPanel"));
  panel->setFixedWidth(210);

  auto* curveType = new QGroupBox(QStringLiteral("Curve type"), panel);
  auto* cl = new QVBoxLayout(curveType);
  mCtDrawdownRadioButton = Radio("ctDrawdownRadioButton", "Drawdown curves", curveType);
  mCtWellFluxesRadioButton = Radio("ctWellFluxesRadioButton", "Well-face fluxes", curveType);
  mCtDrawdownRadioButton->setChecked(true);
  cl->addWidget(mCtDrawdownRadioButton);
  cl->addWidget(mCtWellFluxesRadioButton);
  connect(mCtDrawdownRadioButton, &QRadioButton::clicked, this,
          Guarded([this] { CurveTypeClick(); }));
  connect(mCtWellFluxesRadioButton, &QRadioButton::clicked, this,
          Guarded([this] { CurveTypeClick(); }));

  auto* times = new QGroupBox(QStringLiteral("Times"), panel);
  auto* tl = new QGridLayout(times);
  mTmStartingTimeLabel = new QLabel(times);
  mTmStartingTimeLabel->setObjectName(QStringLiteral("tmStartingTimeLabel"));
  mTmStoppingTimeLabel = new QLabel(times);
  mTmStoppingTimeLabel->setObjectName(QStringLiteral("tmStoppingTimeLabel"));
  mTmStartingTimeFloatEdit =
      NewFloatEdit(TAQVFloatEditType::feStartingTime, "tmStartingTimeFloatEdit", times);
  mTmStoppingTimeFloatEdit =
      NewFloatEdit(TAQVFloatEditType::feStoppingTime, "tmStoppingTimeFloatEdit", times);
  mTmStartingTimeLabel->setBuddy(mTmStartingTimeFloatEdit);
  mTmStoppingTimeLabel->setBuddy(mTmStoppingTimeFloatEdit);
  tl->addWidget(mTmStartingTimeLabel, 0, 0);
  tl->addWidget(mTmStartingTimeFloatEdit, 1, 0);
  tl->addWidget(mTmStoppingTimeLabel, 2, 0);
  tl->addWidget(mTmStoppingTimeFloatEdit, 3, 0);

  auto* taRadioGroup = new QGroupBox(QStringLiteral("Time axis"), panel);
  taRadioGroup->setObjectName(QStringLiteral("taRadioGroup"));
  auto* tal = new QVBoxLayout(taRadioGroup);
  const char* timeItems[] = {"Logarithmic time axis", "Linear time axis"};
  for (int i = 0; i < 2; ++i) {
    mTaButtons[i] = new QRadioButton(QString::fromUtf8(timeItems[i]), taRadioGroup);
    tal->addWidget(mTaButtons[i]);
    connect(mTaButtons[i], &QRadioButton::clicked, this, [this, i] { TimeAxisClick(i); });
  }
  mVaRadioGroup = new QGroupBox(QStringLiteral("Value axis"), panel);
  mVaRadioGroup->setObjectName(QStringLiteral("vaRadioGroup"));
  auto* val = new QVBoxLayout(mVaRadioGroup);
  const char* valueItems[] = {"Logarithmic drawdown", "Linear drawdown", "Linear head"};
  for (int i = 0; i < 3; ++i) {
    mVaButtons[i] = new QRadioButton(QString::fromUtf8(valueItems[i]), mVaRadioGroup);
    val->addWidget(mVaButtons[i]);
    connect(mVaButtons[i], &QRadioButton::clicked, this, [this, i] { ValueAxisClick(i); });
  }

  mUpdateGraphButton = Button("UpdateGraphButton", "Update graph", panel);
  mDrawingOptionsButton = Button("DrawingOptionsButton", "Drawing options...", panel);
  mResetOptionsButton = Button("ResetOptionsButton", "Reset options", panel);
  mPreviousGraphButton = Button("PreviousGraphButton", "Previous graph", panel);
  mAutoUpdateCheckBox = new QCheckBox(QStringLiteral("Auto-update"), panel);
  mAutoUpdateCheckBox->setObjectName(QStringLiteral("AutoUpdateCheckBox"));
  connect(mUpdateGraphButton, &QPushButton::clicked, this,
          Guarded([this] { UpdateGraphButtonClick(); }));
  connect(mDrawingOptionsButton, &QPushButton::clicked, this,
          Guarded([this] { DrawingOptionsButtonClick(); }));
  connect(mResetOptionsButton, &QPushButton::clicked, this,
          Guarded([this] { ResetOptionsButtonClick(); }));
  connect(mAutoUpdateCheckBox, &QCheckBox::clicked, this,
          Guarded([this] { AutoUpdateCheckBoxClick(); }));
  // While the button is held the chart shows the picture kept before the last update.
  connect(mPreviousGraphButton, &QPushButton::pressed, this, [this] { mChart->RestoreImage(); });
  connect(mPreviousGraphButton, &QPushButton::released, this, [this] { mChart->update(); });

  auto* pl = new QVBoxLayout(panel);
  pl->setContentsMargins(0, 0, 0, 0);
  pl->addWidget(curveType);
  pl->addWidget(times);
  pl->addWidget(taRadioGroup);
  pl->addWidget(mVaRadioGroup);
  pl->addWidget(mUpdateGraphButton);
  pl->addWidget(mAutoUpdateCheckBox);
  pl->addWidget(mDrawingOptionsButton);
  pl->addWidget(mResetOptionsButton);
  pl->addWidget(mPreviousGraphButton);
  pl->addStretch(1);
  auto* layout = new QHBoxLayout(page);
  // The graph scrolls in its own place before the page does, so that the side panel and its
  // scroll bar stay in view down to a window as narrow as the panel.
  layout->addWidget(Scrolling(mChart), 1);
  layout->addWidget(SidePanel(panel, page));
  return page;
}

QWidget* TMDIChild::BuildContourPlotPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("ContourPlotPage"));
  mMap = new TAQVKaart(page);
  mMap->setObjectName(QStringLiteral("AQVKaart"));
  // The map's own least size keeps its legend beside a usable plot.
  mMap->setMinimumSize(kMinimumMapSize.expandedTo(mMap->minimumSizeHint()));
  // A click on the map takes the focus from a panel edit, so that the page's keys (zoom out,
  // cancel zoom) reach the map.
  connect(mMap, &TAQVKaart::MouseDown, page, [page] { page->setFocus(Qt::MouseFocusReason); });
  auto* panel = new QWidget;
  mMapPanel = panel;
  panel->setObjectName(QStringLiteral("AQVKaartPanel"));

  auto* coordinates = new QGroupBox(QStringLiteral("Coordinates"), panel);
  auto* col = new QGridLayout(coordinates);
  mCoWest = NewFloatEdit(TAQVFloatEditType::feWorldX1, "coWestFloatEdit", coordinates);
  mCoEast = NewFloatEdit(TAQVFloatEditType::feWorldX2, "coEastFloatEdit", coordinates);
  mCoNorth = NewFloatEdit(TAQVFloatEditType::feWorldY2, "coNorthFloatEdit", coordinates);
  mCoSouth = NewFloatEdit(TAQVFloatEditType::feWorldY1, "coSouthFloatEdit", coordinates);
  col->addWidget(Label("North", coordinates, mCoNorth), 0, 1, Qt::AlignHCenter);
  col->addWidget(mCoNorth, 1, 1);
  col->addWidget(Label("West", coordinates, mCoWest), 2, 0);
  col->addWidget(mCoWest, 3, 0);
  col->addWidget(Label("East", coordinates, mCoEast), 2, 2);
  col->addWidget(mCoEast, 3, 2);
  col->addWidget(mCoSouth, 4, 1);
  col->addWidget(Label("South", coordinates, mCoSouth), 5, 1, Qt::AlignHCenter);

  auto* animation = new QGroupBox(QStringLiteral("Animation"), panel);
  auto* al = new QGridLayout(animation);
  mAnStartingTime =
      NewFloatEdit(TAQVFloatEditType::feBeginTijd, "anStartingTimeFloatEdit", animation);
  mAnFinalTime = NewFloatEdit(TAQVFloatEditType::feEindTijd, "anFinalTimeFloatEdit", animation);
  mAnTsteps = NewSpinEdit(TAQVSpinEditType::seTsteps, "anTstepsSpinEdit", animation);
  al->addWidget(Label("Starting time", animation, mAnStartingTime), 0, 0);
  al->addWidget(mAnStartingTime, 0, 1);
  al->addWidget(Label("Final time", animation, mAnFinalTime), 1, 0);
  al->addWidget(mAnFinalTime, 1, 1);
  al->addWidget(Label("Intervals", animation, mAnTsteps), 2, 0);
  al->addWidget(mAnTsteps, 2, 1);
  mAnimateButton = Button("AnimateButton", "Animate", animation);
  mPauseButton = Button("PauseButton", "Pause", animation);
  mResetButton = Button("ResetButton", "Reset", animation);
  mPauseButton->setEnabled(false);
  mResetButton->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(mAnimateButton);
  buttons->addWidget(mPauseButton);
  buttons->addWidget(mResetButton);
  al->addLayout(buttons, 3, 0, 1, 2);
  connect(mAnimateButton, &QPushButton::clicked, this, Guarded([this] { AnimateButtonClick(); }));
  connect(mPauseButton, &QPushButton::clicked, this, Guarded([this] { PauseButtonClick(); }));
  connect(mResetButton, &QPushButton::clicked, this, Guarded([this] { ResetButtonClick(); }));

  auto* aquifer = new QGroupBox(QStringLiteral("Aquifer"), panel);
  auto* aql = new QHBoxLayout(aquifer);
  mDaTekenLaag = NewSpinEdit(TAQVSpinEditType::seTekenlaag, "daTekenLaagSpinEdit", aquifer);
  aql->addWidget(Label("Display aquifer", aquifer, mDaTekenLaag));
  aql->addWidget(mDaTekenLaag);

  auto* drawdown = new QGroupBox(QStringLiteral("Drawdown"), panel);
  auto* dl = new QGridLayout(drawdown);
  const TAQVFloatEditType kinds[] = {TAQVFloatEditType::feMinContour, TAQVFloatEditType::feInterval,
                                     TAQVFloatEditType::feMaxContour};
  const char* editNames[] = {"cnMinDrawdownFloatEdit", "cnIntervalFloatEdit",
                             "cnMaxDrawdownFloatEdit"};
  const char* boxNames[] = {"cnmiAutoCheckBox", "cndhiAutoCheckBox", "cnmaAutoCheckBox"};
  const char* captions[] = {"Minimum", "Interval", "Maximum"};
  for (int i = 0; i < 3; ++i) {
    mCnEdits[i] = NewFloatEdit(kinds[i], editNames[i], drawdown);
    mCnAutoBoxes[i] = new QCheckBox(QStringLiteral("Auto"), drawdown);
    mCnAutoBoxes[i]->setObjectName(QString::fromUtf8(boxNames[i]));
    mCnAutoBoxes[i]->setChecked(true);
    dl->addWidget(Label(captions[i], drawdown, mCnEdits[i]), i, 0);
    dl->addWidget(mCnEdits[i], i, 1);
    dl->addWidget(mCnAutoBoxes[i], i, 2);
    connect(mCnAutoBoxes[i], &QCheckBox::clicked, this, [this, i] { ContourAutoClick(i, true); });
  }
  mCnMinContourVLabel = new QLabel(drawdown);
  mCnMinContourVLabel->setObjectName(QStringLiteral("cnMinContourVLabel"));
  mCnMaxContourVLabel = new QLabel(drawdown);
  mCnMaxContourVLabel->setObjectName(QStringLiteral("cnMaxContourVLabel"));
  dl->addWidget(Label("Lowest level", drawdown, mCnMinContourVLabel), 3, 0);
  dl->addWidget(mCnMinContourVLabel, 3, 1);
  dl->addWidget(Label("Highest level", drawdown, mCnMaxContourVLabel), 4, 0);
  dl->addWidget(mCnMaxContourVLabel, 4, 1);

  auto* timeBox = new QGroupBox(QStringLiteral("Time"), panel);
  auto* ttl = new QGridLayout(timeBox);
  mTtTTijd = NewFloatEdit(TAQVFloatEditType::feTTijd, "ttTTijdFloatEdit", timeBox);
  mAnimationTrackBar = new QSlider(Qt::Horizontal, timeBox);
  mAnimationTrackBar->setObjectName(QStringLiteral("AnimationTrackBar"));
  ttl->addWidget(Label("Display time", timeBox, mTtTTijd), 0, 0);
  ttl->addWidget(mTtTTijd, 0, 1);
  ttl->addWidget(mAnimationTrackBar, 1, 0, 1, 2);
  connect(mAnimationTrackBar, &QSlider::valueChanged, this, [this](int position) {
    if (mAnimationTrackBar->hasFocus()) mMap->SetTimeStep(position, false);
  });

  auto* pl = new QVBoxLayout(panel);
  pl->addWidget(coordinates);
  pl->addWidget(animation);
  pl->addWidget(aquifer);
  pl->addWidget(drawdown);
  pl->addWidget(timeBox);
  pl->addStretch(1);
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(Scrolling(mMap), 1);  // as the graph's
  layout->addWidget(SidePanel(panel, page));
  return page;
}

void TMDIChild::SetGridActions(const TAQVActions& actions) {
  if (!mGridPopupMenu) {
    mGridPopupMenu = new QMenu(this);
    mGridPopupMenu->setObjectName(QStringLiteral("GridPopupMenu"));
    // The clipboard may have changed since the focus last moved.
    connect(mGridPopupMenu, &QMenu::aboutToShow, this, [menu = mGridPopupMenu] {
      for (QAction* action : menu->actions())
        if (auto* edit = qobject_cast<TAQVEditAction*>(action)) edit->Refresh();
    });
  }
  mGridPopupMenu->clear();
  mGridPopupMenu->addActions({actions.Copy, actions.Paste});
  mGridPopupMenu->addSeparator();
  mGridPopupMenu->addActions({actions.DeleteRows, actions.InsertRows});
  mGridPopupMenu->addSeparator();
  mGridPopupMenu->addAction(actions.SelectAll);
  for (TMyParentGrid* grid : Grids()) grid->SetPopupMenu(mGridPopupMenu);
}

std::vector<TMyParentGrid*> TMDIChild::Grids() const {
  return {mConductivitiesGrid, mPumpingWellsGrid, mPumpingPeriodsGrid, mObservationWellsGrid,
          mObservationsGrid};
}

QLineEdit* TMDIChild::InfoEdit(int infoText) const {
  return infoText >= 1 && infoText <= kInfoTextCount ? mInfoEdits[infoText] : nullptr;
}

TDocumentPage TMDIChild::ActivePage() const {
  return static_cast<TDocumentPage>(mPageControl->currentIndex());
}

void TMDIChild::SetActivePage(TDocumentPage page) {
  mPageControl->setCurrentIndex(static_cast<int>(page));
}

// --- Document life ---------------------------------------------------------------------

void TMDIChild::UpdateCaptions() {
  const std::string& path = mData->FileName;
  setWindowTitle(QString::fromStdString(path));
  SetApplicationTitle(DocumentApplicationTitle(path));
}

bool TMDIChild::NewFile(const std::string& fileName) {
  for (TMyParentGrid* grid : Grids()) grid->Reset();
  mData->FileName = fileName;
  mData->InfoTexts[9] =
      CutText(QFileInfo(QString::fromStdString(fileName)).fileName().toStdString(), kInfoTextWidth);
  mData->InfoTexts[10] =
      QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
  RefreshGrids();
  UpdateCaptions();
  ShowActivePage();
  return true;
}

bool TMDIChild::LoadFile(const std::string& fileName) {
  mConductivitiesGrid->hide();
  for (TMyParentGrid* grid : Grids()) grid->Reset();
  mData->FileName = fileName;
  bool result = false;
  if (!QFileInfo::exists(QString::fromStdString(fileName))) {
    mUi->MessageBox("File " + fileName + " not found!", TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  } else {
    mLoading = true;
    result = mData->LoadFromFile();
    // A refused file leaves a fresh document that the window then closes: nothing of it is
    // validated or computed.
    if (result) {
      // Series shown before belong to no document now, nor does their look.
      mChart->ClearSeries();
      mChartReferences.clear();
      mData->CurvesStale = true;
      mData->SetModified(true);
      // Quietly: the check below, once the grids show the file, names an invalid value.
      if (ValidateGridsEx(false)) UpdateChart();
    }
    mLoading = false;
  }
  if (result) {
    if (!mData->BackgroundFiles.empty()) LoadBackgroundImages();
    RefreshGrids();
    mData->GridsValid = ValidateGrids();
    UpdateCaptions();
    ShowActivePage();
  }
  mConductivitiesGrid->show();
  return result;
}

void TMDIChild::FileSaved() {
  UpdateCaptions();
  if (OnFileSaved) OnFileSaved(mData->FileName);
}

void TMDIChild::FileLoaded() {
  mMap->SyncTextEdits();
  mMap->RepositionTexts(true);
}

void TMDIChild::GrootheidTChange() {
  if (mData->PreviousTimeFactor() != 0)
    ScaleChartAxes(mData->TimeFactor() / mData->PreviousTimeFactor());
}

void TMDIChild::StartOptimize() {
  for (TMyParentGrid* grid : Grids()) grid->CallDoExit();
  mData->GridsValid = ValidateGrids();
  // The disabled frame lets go of the keyboard; it comes back here when the fit ends.
  mFocusBeforeFit = focusWidget();
  if (OnFrameEnabled) OnFrameEnabled(false);
  BeginBusy();
}

void TMDIChild::StopOptimize() {
  if (OnFrameEnabled) OnFrameEnabled(true);
  EndBusy();
  // The keyboard where it was brings the fitted document to the front again, whichever
  // document the window system would otherwise give it to.
  (mFocusBeforeFit ? mFocusBeforeFit.data() : mPageControl)->setFocus(Qt::OtherFocusReason);
  window()->activateWindow();
}

bool TMDIChild::RefusalPending() const {
  for (const TAQVFloatEdit* edit : findChildren<TAQVFloatEdit*>())
    if (edit->RefusalPending()) return true;
  for (const TAQVSpinEdit* edit : findChildren<TAQVSpinEdit*>())
    if (edit->RefusalPending()) return true;
  return std::ranges::any_of(Grids(), [](const TMyParentGrid* g) { return g->RefusalPending(); });
}

bool TMDIChild::CommitPendingEdit() {
  // The window's own focused control, also when another window has the keyboard (a program
  // that leaves asks every document in turn).
  return aqv::CommitPendingEdit(focusWidget());
}

// --- Validation and refresh ------------------------------------------------------------------

bool TMDIChild::ValidateGridsEx(bool message) {
  TAQVData& d = *mData;
  // Switching wells below must not refresh the pages.
  TNotifyEvent onChange = std::move(d.OnChange);
  d.OnChange = nullptr;
  bool valid = mObservationWellsGrid->AllCellsValid() && mPumpingWellsGrid->AllCellsValid() &&
               mConductivitiesGrid->AllCellsValid();
  const int pumping = d.CurrentPumpingWell();
  for (int w = 1; w <= d.PumpingWellCount(); ++w) {
    d.SetCurrentPumpingWell(w);
    mPumpingPeriodsGrid->LoadFromData();
    valid = valid && mPumpingPeriodsGrid->AllCellsValid();
  }
  d.SetCurrentPumpingWell(pumping);
  mPumpingPeriodsGrid->LoadFromData();
  const int observation = d.CurrentObservationWell();
  for (int j = 1; j <= d.ObservationWellCount(); ++j) {
    d.SetCurrentObservationWell(j);
    mObservationsGrid->LoadFromData();
    valid = valid && mObservationsGrid->AllCellsValid();
  }
  d.SetCurrentObservationWell(observation);
  mObservationsGrid->LoadFromData();
  d.OnChange = std::move(onChange);
  if (message && !valid)
    mUi->MessageBox(kInvalidGridsText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  return valid;
}

void TMDIChild::RefreshGrids() {
  for (TMyParentGrid* grid : Grids()) grid->LoadFromData();
}

void TMDIChild::AQVDataChange() {
  TAQVData& d = *mData;
  const TDocumentPage page = ActivePage();
  if (page == TDocumentPage::dpInfo) InfoPageShow();
  if (d.AllChanged) {
    if (page == TDocumentPage::dpPumpingWells) PumpingWellsPageShow();
    if (page == TDocumentPage::dpObservationWells) ObservationWellsPageShow();
    AquiferSystemPageShow();
  }
  if (page == TDocumentPage::dpOutput) OutputPageShow();
  if (page == TDocumentPage::dpChart) ChartPageShow();
  if (page == TDocumentPage::dpContourPlot) ContourPlotPageShow();
  if (d.RefreshPeriodsGrid || d.AllChanged) mPumpingPeriodsGrid->LoadFromData();
  if (d.RefreshObservationGrids || d.AllChanged) {
    mObservationsGrid->LoadFromData();
    mObservationWellsGrid->LoadFromData();
  }
  if (d.AllChanged) mPumpingWellsGrid->LoadFromData();
  if (d.RefreshAquiferGrid || d.AllChanged) mConductivitiesGrid->LoadFromData();
  if (OnDataChange) OnDataChange();
}

// --- Closing and keys ----------------------------------------------------------------------

bool TMDIChild::SaveQuery() {
  // What is still being typed belongs to the document before the question reads Saved.
  if (!CommitPendingEdit()) return false;
  if (mData->Saved || mCloseAgreed) return true;
  const TModalResult answer =
      mUi->MessageBox("Save changes to " + mData->FileName + "?", TMsgDlgType::mtWarning,
                      TMsgDlgButtons::mbYesNoCancel);
  if (answer == TModalResult::mrCancel) return false;
  if (answer == TModalResult::mrYes) {
    if (OnSaveRequest)
      OnSaveRequest();
    else
      mData->SaveToFile(false);
    if (!mData->Saved) return false;
  }
  return true;
}

bool TMDIChild::CloseQuery() {
  // A busy document first stops its work; the close that follows asks, once.
  return FormCloseQuery() && SaveQuery();
}

bool TMDIChild::FormCloseQuery() {
  if (mData->Busy || IsBusy()) {
    // The computation polls the flags; the end of the work closes the window.
    mData->Cancel = true;
    Globals().OptimizeCancelled = mData->OutputForm() != nullptr;
    mClosePending = true;
    return false;
  }
  return true;
}

void TMDIChild::BeginBusy() {
  if (mBusyDepth++ > 0) return;
  mFocusBeforeBusy = focusWidget();
  for (int page = 0; page <= static_cast<int>(TDocumentPage::dpObservationWells); ++page)
    mPageControl->widget(page)->setEnabled(false);
  for (QWidget* panel : {mChartPanel, mMapPanel}) panel->setEnabled(false);
}

void TMDIChild::EndBusy() {
  if (mBusyDepth == 0 || --mBusyDepth > 0) return;
  for (int page = 0; page <= static_cast<int>(TDocumentPage::dpObservationWells); ++page)
    mPageControl->widget(page)->setEnabled(true);
  for (QWidget* panel : {mChartPanel, mMapPanel}) panel->setEnabled(true);
  // A disabled control lets go of the keyboard; the field where a value was just entered gets
  // it back, unless the person has put it somewhere else meanwhile.
  if (mFocusBeforeBusy && QApplication::focusWidget() == nullptr)
    mFocusBeforeBusy->setFocus(Qt::OtherFocusReason);
  mFocusBeforeBusy = nullptr;
  if (mClosePending) {
    // Closed once the work that asked for it has returned.
    mClosePending = false;
    QMetaObject::invokeMethod(this, [this] { CloseWindow(); }, Qt::QueuedConnection);
  }
}

void TMDIChild::CloseWindow() {
  // Inside the frame the sub-window frame closes, which asks this window.
  parentWidget() != nullptr ? parentWidget()->close() : close();
}

bool TMDIChild::KeyIsForThisDocument(QWidget* receiver) const {
  if (receiver == this || isAncestorOf(receiver)) return receiver == this || receiver->hasFocus();
  // A key with no control focused goes to the frame; it is meant for the active document.
  if (!receiver->isAncestorOf(this)) return false;
  const QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && focus != receiver) return false;
  const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget());
  return frame == nullptr || frame->mdiArea() == nullptr ||
         frame->mdiArea()->activeSubWindow() == frame;
}

void TMDIChild::closeEvent(QCloseEvent* event) {
  if (!CloseQuery()) {
    event->ignore();
    return;
  }
  mMap->StopAnimation();
  event->accept();
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event) {
  // The click on a tab has already taken the keyboard from a field; when the field refused its
  // value, the page stays, so that its message finds the person with the text as typed.
  if (event->type() == QEvent::MouseButtonPress && watched == mPageControl->tabBar() &&
      RefusalPending())
    return true;
  if (event->type() == QEvent::FocusIn) {
    if (watched == mPumpingPeriodsGrid) mPumpingWellsGrid->LoadFromData();
    if (watched == mObservationsGrid) mObservationWellsGrid->LoadFromData();
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Each key press is offered to the filter once per receiver on its way up; the focused
  // widget (or the window, or the frame, when nothing has the focus) decides.
  // A disabled window (the frame while a fit runs) takes no keys, not even Ctrl+F4.
  if (widget == nullptr || !isEnabled() || !KeyIsForThisDocument(widget)) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const TDocumentPage page = ActivePage();
  // The busy state disables the panel whose button started the work, so the focus may be
  // nowhere in the window: Escape still stops the computation.
  if (key->key() == Qt::Key_Escape && page == TDocumentPage::dpChart && mData->Busy) {
    mData->Cancel = true;
    mData->SetModified(true);
    return true;
  }
  // A maximised document has no frame of its own whose shortcut would take Ctrl+F4.
  if (key->key() == Qt::Key_F4 && key->modifiers() == Qt::ControlModifier) {
    QMetaObject::invokeMethod(this, [this] { CloseWindow(); }, Qt::QueuedConnection);
    return true;
  }
  if (widget != this && !isAncestorOf(widget)) return false;
  if (key->key() == Qt::Key_F1) {
    if (OnHelp) OnHelp();
    return true;
  }
  if (page == TDocumentPage::dpContourPlot) {
    const bool keypadMinus = key->key() == Qt::Key_Minus && (key->modifiers() & Qt::KeypadModifier);
    const bool inEdit = qobject_cast<TAQVFloatEdit*>(widget) != nullptr ||
                        qobject_cast<TAQVSpinEdit*>(widget) != nullptr;
    if (keypadMinus && !inEdit) {
      mMap->ZoomOut();
      return true;
    }
    if (key->key() == Qt::Key_Escape && mMap->ZoomMode()) {
      mMap->CancelZoom();
      return true;
    }
  }
  return false;
}

}  // namespace aqv
