#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/gui/AQVActns.h"
#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVObservationWellsGrid.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/AQVSelectionGrid.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/MyParentGrid.h"
#include "app/gui/RemarksMemo.h"
#include "app/gui/SelectionGrid.h"
#include "chart/gui/ChartDialogs.h"
#include "chart/gui/ChartPopupMenu.h"
#include "chart/gui/MyChart.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/AQVKaartOptions.h"
#include "map/gui/AQVTextEdit.h"
#include "map/gui/AQVTextEditOptions.h"
#include "map/gui/FilesSelection.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/FitScenarios.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

std::string Sample(const char* name) {
  return std::string(AQV_TEST_DATA_DIR) + "/" + name;
}

template <typename T>
T* Find(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

using test::ClickBox;
using test::ClickCentre;
using test::RadioButton;
using test::ShowActive;
using test::TypeInCell;
using test::TypeInto;
using enum TDocumentPage;

class DocumentWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mWindow = std::make_unique<TMDIChild>(&mUi);
    mWindow->resize(1100, 750);
  }
  // A test that expects an error message takes it off the list; any other one is a fault.
  void TearDown() override {
    for (const auto& m : mUi.Messages) EXPECT_NE(m.Type, TMsgDlgType::mtError) << m.Text;
  }
  // A new document in the window that has the keyboard.
  void ShowNewDocument() {
    mWindow->NewFile("");
    ASSERT_TRUE(ShowActive(*mWindow));
  }
  void ClickTab(TDocumentPage page) {
    test::ClickTab(mWindow->PageControl(), static_cast<int>(page));
  }
  bool Asked(const std::string& text) const { return std::ranges::count(mUi.Texts(), text) > 0; }
  // The close box, answered Cancel: it asks to save and the window stays.
  void ExpectCloseAsks() {
    mUi.Messages.clear();
    mUi.Answers = {TModalResult::mrCancel};
    EXPECT_FALSE(mWindow->close());
    EXPECT_TRUE(Asked("Save changes to ?"));
  }
  test::TFakeUserInterface mUi;
  std::unique_ptr<TMDIChild> mWindow;
};

TEST_F(DocumentWindowTest, LoadingASampleFillsThePagesAndComputesTheGraph) {
  ASSERT_TRUE(mWindow->LoadFile(Sample("v2012.aqv")));
  TAQVData& d = mWindow->Data();
  EXPECT_EQ(mWindow->windowTitle().toStdString(), Sample("v2012.aqv"));
  for (int text : {1, 2, 3, 4, 8, 9, 10}) {
    EXPECT_FALSE(d.InfoTexts[text].empty()) << text;
    EXPECT_EQ(mWindow->InfoEdit(text)->text().toStdString(), d.InfoTexts[text]) << text;
  }
  EXPECT_EQ(mWindow->TimeUnitComboBox()->currentIndex(), static_cast<int>(d.TimeUnit()));
  EXPECT_EQ(mWindow->findChild<QLineEdit*>("nuNObsSpinEdit")->text(), "2");
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "nuNPumpSpinEdit")->text().toInt(), d.PumpingWellCount());
  EXPECT_EQ(mWindow->findChild<QLineEdit*>("paAbsoluteEdit")->text(), "0.0002");
  const auto* fileRemarks = mWindow->findChild<QPlainTextEdit*>("flRemarksMemo");
  ASSERT_NE(fileRemarks, nullptr);
  EXPECT_EQ(fileRemarks->toPlainText().split('\n').value(3).toStdString(), d.InfoTexts[14]);
  // A change of the document shows at once, each remark on its own line.
  for (int text : {5, 6, 7, 11, 12, 13, 14}) d.InfoTexts[text] = "Remark " + std::to_string(text);
  d.RelStoppingCriterion = 0.0025;
  d.Changed();
  EXPECT_EQ(mWindow->findChild<QLineEdit*>("paRelativeEdit")->text(), "0.0025");
  EXPECT_EQ(mWindow->ProjectRemarksMemo()->toPlainText(), "Remark 5\nRemark 6\nRemark 7");
  EXPECT_EQ(fileRemarks->toPlainText(), "Remark 11\nRemark 12\nRemark 13\nRemark 14");
  mWindow->show();
  for (const char* name : {"prRemarksMemo", "flRemarksMemo"}) {  // every remark line in view
    const auto* memo = mWindow->findChild<QPlainTextEdit*>(name);
    const QTextCursor last(memo->document()->lastBlock());
    EXPECT_LE(memo->cursorRect(last).bottom(), memo->viewport()->height()) << name;
  }
  d.SetBottomAquitardAbsent(true);  // the page shows the boundary as the document has it
  d.SetBottomAquitardImpervious(false);
  ClickTab(dpAquiferSystem);
  EXPECT_TRUE(mWindow->ConductivitiesGrid()->isVisible());
  EXPECT_EQ(mWindow->findChild<QLineEdit*>("laNAqSpinEdit")->text().toInt(), d.AquiferCount());
  EXPECT_FALSE(Find<QRadioButton>(*mWindow, "boBottomLayerImperviousRadioButton")->isEnabled());
  EXPECT_TRUE(mWindow->findChild<QRadioButton*>("boBottomLayerLeakyRadioButton")->isChecked());
  mWindow->SetActivePage(dpChart);
  EXPECT_GT(mWindow->Chart()->GetSeriesCount(), 0);
  EXPECT_FALSE(d.Modified());          // the graph is up to date
  ASSERT_EQ(mUi.Messages.size(), 1u);  // the sample's images, which are not there
  EXPECT_NE(mUi.Messages[0].Text.find("/maps/other.tif"), std::string::npos);
  // The page shows a change of the whole document at once, the values converted.
  ClickTab(dpAquiferSystem);
  d.ConvertLengthUnits = true;
  d.SetLengthUnit(TAQVLengthUnit::luFeet);
  const double level = mWindow->findChild<QLineEdit*>("laElevationEdit")->text().toDouble();
  EXPECT_NEAR(level, d.SurfaceLevel(), 1e-6 * std::fabs(d.SurfaceLevel()));
  EXPECT_NE(d.SurfaceLevel(), 0.0);
  // Its boxes take the aquitards away and back.
  ASSERT_FALSE(d.TopAquitardAbsent());
  for (const char* name : {"boTopLayerCheckBox", "boBottomLayerCheckBox"}) {
    auto* box = mWindow->findChild<QCheckBox*>(name);
    ClickBox(box);
    EXPECT_EQ(mWindow->ConductivitiesGrid()->RowCount(), 1 + d.RowCount()) << name;
  }
  EXPECT_TRUE(d.TopAquitardAbsent());
  EXPECT_FALSE(d.BottomAquitardAbsent());
  // Turned round from outside, the page offers the choice of a present aquitard only.
  d.SetTopAquitardAbsent(false);
  d.SetBottomAquitardAbsent(true);
  ClickTab(dpInfo);
  ClickTab(dpAquiferSystem);
  for (const auto& [name, open] : {std::pair{"boTopLayerImperviousRadioButton", true},
                                   {"boTopLayerLeakyRadioButton", true},
                                   {"boBottomLayerLeakyRadioButton", false}})
    EXPECT_EQ(mWindow->findChild<QRadioButton*>(name)->isEnabled(), open) << name;
}

TEST_F(DocumentWindowTest, AMissingRefusedOrInvalidFileGivesOneMessageAndNothingComputed) {
  EXPECT_FALSE(mWindow->LoadFile("/no/such/folder/test.aqv"));
  EXPECT_EQ(mUi.OnlyMessage(), "File /no/such/folder/test.aqv not found!");

  test::TTempFolder folder;
  const std::string bad = folder.Path("bad.aqv");
  std::ofstream(bad) << "AQV data file version 2012\nnot a number\n";
  mUi.Messages.clear();
  EXPECT_FALSE(mWindow->LoadFile(bad));
  EXPECT_EQ(mUi.OnlyMessage(),
            "Could not open " + bad + "!\nLine 3: the file ends inside the file's title lines.");
  EXPECT_EQ(mWindow->Chart()->GetSeriesCount(), 0);

  // A file that holds a value the grids refuse opens with their message, once.
  const std::string invalid = folder.Path("invalid.aqv");
  mWindow->NewFile(invalid);
  mWindow->Data().PumpingWells[1].Rw = -1;
  mWindow->Data().AutoUpdate = true;
  mWindow->Data().SaveToFile(false);
  mUi.Messages.clear();
  EXPECT_TRUE(mWindow->LoadFile(invalid));
  EXPECT_EQ(mUi.OnlyMessage(), kInvalidGridsText);
  mUi.Messages.clear();
  ClickTab(dpChart);  // nor does the graph page say it again as it opens
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(mWindow->Chart()->GetSeriesCount(), 0);
}

// Images that cannot be loaded, damaged or missing, are named in one warning and kept in their
// places: the image files dialog lists them, takes them off, and takes one back in its place
// once it loads; a save writes each once, in the list's order, and the next open names only
// what is still listed.
TEST_F(DocumentWindowTest, ImagesThatCannotBeLoadedStayInTheSavedFile) {
  test::TTempFolder folder;
  const auto picture = [&](const std::string& name) {
    const std::string path = folder.Path(name + ".png");
    EXPECT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(path)));
    folder.Write(name + ".pgw", "10\n0\n0\n-10\n0\n40\n");
    return path;
  };
  const std::string a = picture("a"), b = picture("b"), damaged = folder.Path("damaged.png");
  folder.Write("damaged.png", "no picture");
  folder.Write("damaged.pgw", "1\n0\n0\n-1\n0\n0\n");
  std::ifstream sample(Sample("v2012.aqv"), std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(sample), {}};
  std::string list = "No. of files : 4\r\n";
  for (const std::string& path : {a, damaged, b, std::string("/maps/other.tif")})
    list += "       0.000        0.000        0.000        0.000        0.000        0.000 1 " +
            path + "\r\n";
  const std::size_t from = bytes.find("No. of files : 2");
  bytes.replace(from, bytes.find("=== Contour plot options") - from, list);
  folder.Write("a.aqv", bytes);
  ASSERT_TRUE(mWindow->LoadFile(folder.Path("a.aqv")));
  ASSERT_EQ(mUi.Messages.size(), 1u);  // one warning for both
  const std::string warning = mUi.Messages[0].Text;
  EXPECT_TRUE(
      warning.starts_with("These background images could not be loaded. They are not "
                          "shown, and a save keeps them in the file:\n"))
      << warning;
  EXPECT_NE(warning.find("The image file /maps/other.tif does not exist."), std::string::npos);
  EXPECT_NE(warning.find("The file " + damaged + " "), std::string::npos);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtWarning);
  mUi.Messages.clear();
  EXPECT_TRUE(mWindow->InfoEdit(1)->isEnabled());  // the pages take typing again after the images
  EXPECT_EQ(mWindow->Map()->Images().Count(), 2);
  // Saves the document and compares the images its file lists with paths.
  const auto listedInOrder = [&](const std::vector<std::string>& paths) {
    mUi.Answers = {TModalResult::mrYes};
    mWindow->Data().SaveToFile(false);
    mUi.Messages.clear();  // the question whether to overwrite
    const std::string text = folder.Read("a.aqv");
    const std::size_t end = text.find("=== Contour plot options");
    std::string listed;
    for (std::size_t at = text.find(" 0.000 1 ", text.find("No. of files")); at < end;
         at = text.find(" 0.000 1 ", at + 1))
      listed += text.substr(at + 9, text.find('\r', at) - at - 9) + "\n";
    std::string expected;
    for (const std::string& path : paths) expected += path + "\n";
    EXPECT_EQ(listed, expected);
  };
  listedInOrder({a, damaged, b, "/maps/other.tif"});
  // The image files dialog as the frame opens it on the document's list; OK hands it back.
  const auto editImages = [&](const std::function<void(TFilesSelectionForm&)>& edit) {
    TFilesSelectionForm form(mUi);
    form.Files = mWindow->Data().BackgroundFiles;
    form.Initialize();
    form.show();
    edit(form);
    QTest::mouseClick(form.OKButton(), Qt::LeftButton);
    mWindow->ImportImageFiles(form.Files);
  };
  const auto addEntry = [](TFilesSelectionForm& form, const std::string& path) {
    form.OpenFile = [path](std::string& fileName) { return fileName = path, true; };
    QTest::mouseClick(form.AddButton(), Qt::LeftButton);
  };
  const auto removeEntry = [](TFilesSelectionForm& form, int row) {
    QListWidget* files = form.FSListbox();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(files->item(row)).center());
    QTest::mouseClick(form.DeleteButton(), Qt::LeftButton);
  };
  // Taken off above a kept entry, an image leaves the kept one above its old neighbour below.
  editImages([&](TFilesSelectionForm& form) {
    std::vector<std::string> texts;
    for (int i = 0; i < form.FSListbox()->count(); ++i)
      texts.push_back(form.FSListbox()->item(i)->text().toStdString());
    EXPECT_EQ(texts, (std::vector<std::string>{a, damaged + " (not loaded)", b,
                                               "/maps/other.tif (not loaded)"}));
    removeEntry(form, 0);
  });
  listedInOrder({damaged, b, "/maps/other.tif"});
  // Mended and added again, the image takes its entry's place, on the list and on the map.
  ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(damaged)));
  editImages([&](TFilesSelectionForm& form) {
    addEntry(form, damaged);
    EXPECT_EQ(form.FSListbox()->count(), 3);
  });
  EXPECT_TRUE(mUi.Messages.empty());
  ASSERT_EQ(mWindow->Map()->Images().Count(), 2);
  EXPECT_EQ(mWindow->Map()->Images().Image(0).FileName(), damaged);  // drawn below b
  listedInOrder({damaged, b, "/maps/other.tif"});
  // The kept entry taken off, the next open names nothing.
  editImages([&](TFilesSelectionForm& form) { removeEntry(form, 2); });
  listedInOrder({damaged, b});
  ASSERT_TRUE(mWindow->LoadFile(folder.Path("a.aqv")));
  EXPECT_TRUE(mUi.Messages.empty());
  // An image that loads is shown on the map as its tick in the list says.
  for (const bool shown : {true, false, true}) {
    mWindow->ImportImageFiles({{shown, folder.Path("a.png")}});
    EXPECT_EQ(mWindow->Map()->Images().Image(0).Visible(), shown);
  }
  // An image taken off the list below another leaves the list and the map, the other stays.
  mWindow->ImportImageFiles({{true, folder.Path("a.png")}, {true, folder.Path("b.png")}});
  mWindow->ImportImageFiles({{true, folder.Path("a.png")}});
  ASSERT_EQ(mWindow->Data().BackgroundFiles.size(), 1u);
  EXPECT_EQ(mWindow->Data().BackgroundFiles[0].FileName, folder.Path("a.png"));
  EXPECT_EQ(mWindow->Map()->Images().Count(), 1);
  // A new file that does not load is left off the list, with its message.
  const std::string broken = folder.Path("broken.png");
  folder.Write("broken.png", "no picture");
  folder.Write("broken.pgw", "1\n0\n0\n-1\n0\n0\n");
  mUi.Messages.clear();
  editImages([&](TFilesSelectionForm& form) { addEntry(form, broken); });
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_NE(mUi.Messages[0].Text.find("The file " + broken + " "), std::string::npos);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(mWindow->Data().BackgroundFiles.size(), 1u);
  mUi.Messages.clear();
  mWindow->Map()->Images().SetPixelBudget(1);  // too little memory left to show it
  mWindow->Data().Saved = true;
  mWindow->ImportImageFiles({{true, folder.Path("a.png")}});
  EXPECT_EQ(mUi.OnlyMessage(), kImageTooBigText);
  EXPECT_FALSE(mWindow->Data().Saved);  // the list is to be saved with the rest
  mUi.Messages.clear();
}

TEST_F(DocumentWindowTest, ClosingAnUnsavedDocumentAsksAndCancelKeepsItOpen) {
  mWindow->NewFile("");
  mWindow->Data().Saved = false;
  ExpectCloseAsks();

  mUi.Answers = {TModalResult::mrNo};
  EXPECT_TRUE(mWindow->close());
}

TEST_F(DocumentWindowTest, AnsweringYesButCancellingTheSaveDialogKeepsTheWindowOpen) {
  mWindow->NewFile("");
  mWindow->Data().Saved = false;
  mUi.Answers = {TModalResult::mrYes};  // no dialog path queued: the save dialog is cancelled
  EXPECT_FALSE(mWindow->close());
  EXPECT_FALSE(mWindow->Data().Saved);

  test::TTempFolder folder;
  const std::string path = folder.Path("saved.aqv");
  mUi.Answers = {TModalResult::mrYes};
  mUi.DialogPaths = {path};
  EXPECT_TRUE(mWindow->close());
  EXPECT_TRUE(std::filesystem::exists(path));
}

// An unsaved busy document asks once, not before the cancel and again at the close.
TEST_F(DocumentWindowTest, ClosingWhileBusyCancelsAndClosesWhenTheComputationEnds) {
  ShowNewDocument();
  mWindow->Data().Saved = false;
  mUi.Answers = {TModalResult::mrNo, TModalResult::mrNo};
  int closeRequests = 0;
  mUi.OnProcessMessages = [&] {
    if (closeRequests++ == 0) {
      EXPECT_FALSE(mWindow->close());
    }
  };
  mWindow->Data().SetModified(true);
  mWindow->Data().SetTimesPerLogCycle(100);
  mWindow->UpdateChart();
  EXPECT_GE(closeRequests, 1);
  EXPECT_TRUE(mWindow->Data().Modified());  // the cancelled update computes again next time
  EXPECT_TRUE(mWindow->isVisible());        // still computing when the close was asked
  QTRY_VERIFY(!mWindow->isVisible());
  EXPECT_EQ(mUi.OnlyMessage(), "Save changes to ?");
}

// The end of a fit gives the keyboard back to the document's window; a rejected fit's report
// starts with a warning, in red.
TEST_F(DocumentWindowTest, TheEndOfAFitActivatesTheWindowAndARejectedReportWarns) {
  ShowNewDocument();
  QWidget elsewhere;
  ASSERT_TRUE(ShowActive(elsewhere));
  mUi.ConsoleAnswer = test::TConsoleAnswer::caReject;
  mWindow->Data().Optimize();
  EXPECT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));
  ClickTab(dpOutput);
  const QPlainTextEdit* report = mWindow->OutputMemo();
  EXPECT_TRUE(report->toPlainText().startsWith(
      "   WARNING: These results were rejected by the user!!\n\n"));
  EXPECT_EQ(report->palette().color(QPalette::Text), QColor(Qt::red));
}

// A fit builds the graph's series anew; the look the file gave them stays, and a save writes
// it again (the computed curves' markers were saved with size 0, gone at the next open).
TEST_F(DocumentWindowTest, AFitKeepsTheSeriesLooksOfTheFileAndASaveWritesThem) {
  test::TTempFolder folder;
  std::filesystem::copy_file(Sample("v2011.aqv"), folder.Path("a.aqv"));
  ASSERT_TRUE(mWindow->LoadFile(folder.Path("a.aqv")));
  mUi.Messages.clear();  // the sample's images, which are not there
  ClickTab(dpChart);
  TMyChart& chart = *mWindow->Chart();
  const auto looks = [&chart] {
    std::vector<std::pair<TMarkerData, TPatternsData>> all;
    for (int i = 0; i < chart.GetSeriesCount(); ++i) {
      const TSeries& series = *chart.GetSeries(i);
      all.emplace_back(series.Marker().Data(), series.Patterns().Data());
    }
    return all;
  };
  const auto seriesLines = [this, &folder] {
    mUi.Answers = {TModalResult::mrYes};
    mWindow->Data().SaveToFile(false);
    const std::string file = folder.Read("a.aqv");
    const std::size_t from = file.find("=== Chart Series options");
    return file.substr(from, file.find("=== Pumping well options") - from);
  };
  const auto before = looks();
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before[0].first, (TMarkerData{clRed, 8, TMarkerStyle::msTriangle}));
  const std::string linesBefore = seriesLines();
  EXPECT_NE(linesBefore.find("\r\nclRed 4 8\r\n"), std::string::npos) << linesBefore;
  // Whatever its outcome (the sample's two observations carry too few points for its four
  // parameters), a fit leaves the document changed and the graph computed anew.
  mWindow->Data().Optimize();
  EXPECT_FALSE(mWindow->Data().Modified());
  EXPECT_EQ(looks(), before);
  EXPECT_EQ(seriesLines(), linesBefore);
}

// A close during a fit breaks the fit off at once, without a question; then the window closes.
TEST_F(DocumentWindowTest, ClosingDuringAFitBreaksItOff) {
  ShowNewDocument();
  TAQVData& d = mWindow->Data();
  test::MakeSingleAquiferTest(d);
  d.TCode[1] = '1';
  d.Saved = true;
  bool asked = false;
  mUi.OnProcessMessages = [&] {
    if (!std::exchange(asked, true)) {
      EXPECT_FALSE(mWindow->close());
    }
  };
  d.Optimize();
  EXPECT_EQ(d.FitStatus, TRunStatus::rsBrokenOff);
  QTRY_VERIFY(!mWindow->isVisible());
}

// Chart dialogs answered at once: the person changes the chart title's text, a title's font
// size or a series' marker colour and presses OK.
class TChangingChartDialogs : public TChartDialogs {
 public:
  bool ExecuteChartArea(QWidget*, TChartArea&, int&, const QString&) override { return false; }
  bool ExecuteTitle(QWidget*, TTitle& title, int&, const QString&) override {
    title.Font().SetSize(title.Font().Size() + 4);
    return true;
  }
  bool ExecuteLegend(QWidget*, TLegend&, int&, const QString&) override { return false; }
  bool ExecuteAxis(QWidget*, TAxis&, int&, const QString&) override { return false; }
  bool ExecuteSeries(QWidget*, TSeries& series, int&, const QString&) override {
    series.Marker().SetColor(0x0000FF);
    return true;
  }
  bool ExecuteChartOptions(QWidget*, TAxisTypes&, TLegend&, int&, TTitle& chartTitle, TTitle&,
                           TTitle&, TTitle&) override {
    chartTitle.SetText("Dune test");
    return true;
  }
};

// Every control that changes what the data file holds leaves the document unsaved, so that the
// close box asks; each row works the control as a person does.
TEST_F(DocumentWindowTest, EditsThatTheFileKeepsMakeClosingAsk) {
  TMDIChild& w = *mWindow;
  ShowNewDocument();
  TChangingChartDialogs dialogs;
  w.Chart()->SetDialogs(&dialogs);
  w.Chart()->SelectSeries = [](const QStringList&, int& index) { return index = 0, true; };
  const auto click = test::ClickBox;
  // A right click on the chart, or the drawing options button, opens its popup menu; the item
  // is chosen there.
  auto chartItem = [&w](const char* name, bool byButton = false) {
    if (byButton)
      QTest::mouseClick(Find<QPushButton>(w, "DrawingOptionsButton"), Qt::LeftButton);
    else
      QTest::mouseClick(w.Chart(), Qt::RightButton, {}, w.Chart()->rect().center());
    QMenu* menu = w.Chart()->PopupMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction* item = menu->findChild<QAction*>(QString::fromUtf8(name));
    ASSERT_TRUE(item->isEnabled()) << name;
    menu->hide();
    item->trigger();
  };
  // A right click on the map at a pixel opens its popup menu; the item is chosen there.
  TAQVKaart& map = *w.Map();
  auto mapItem = [&map](QPoint pixel, const char* text) {
    QTest::mouseClick(&map, Qt::RightButton, {}, pixel);
    ASSERT_TRUE(map.PopupMenu()->isVisible());
    map.PopupMenu()->hide();
    // The text's format can be set only over a text box, where the menu offers to delete it.
    bool overBox = false;
    for (QAction* item : map.PopupMenu()->actions()) {
      overBox |= item->text() == QLatin1String("Delete text");
      if (item->text() == QLatin1String("Text format options")) {
        EXPECT_EQ(item->isEnabled(), overBox) << text;
      }
    }
    for (QAction* item : map.PopupMenu()->actions())
      if (item->text() == QLatin1String(text)) return item->trigger();
    FAIL() << text;
  };
  // A pixel of the plot, dx and dy from its top-left corner.
  auto plot = [&map](int dx, int dy) {
    return QPoint(map.PlotLayout().Left + dx, map.PlotLayout().Top + dy);
  };
  auto box = [&map]() -> TAQVTextEdit& { return *map.TextEdits().front(); };
  TAQVDataOptimize optimize(&w);
  optimize.SetData(&w.Data());
  const std::tuple<const char*, TDocumentPage, std::function<void()>> rows[] = {
      {"a project text", dpInfo,
       [&] {
         QLineEdit* name = w.InfoEdit(8);
         name->setFocus();
         QTest::keyClicks(name, "Dune test");
         EXPECT_EQ(w.Data().InfoTexts[8], "Dune test");
       }},
      {"the remarks", dpInfo,
       [&] {
         TRemarksMemo* memo = w.ProjectRemarksMemo();
         memo->setFocus();
         memo->selectAll();
         QTest::keyClicks(memo, "first");
         EXPECT_EQ(w.Data().InfoTexts[5], "first");
         for (const char* line : {"second", "third"}) {
           QTest::keyClick(memo, Qt::Key_Return);
           QTest::keyClicks(memo, line);
         }
         EXPECT_EQ(w.Data().InfoTexts[7], "third");      // the remarks hold three lines
         EXPECT_EQ(w.Data().InfoTexts[8], "Dune test");  // the text after them is kept
         memo->selectAll();
         QTest::keyClick(memo, Qt::Key_Delete);
         EXPECT_EQ(w.Data().InfoTexts[5], "");  // a deleted line is stored as empty text
       }},
      {"the file remarks", dpInfo,
       [&] {
         auto* memo = Find<TRemarksMemo>(w, "flRemarksMemo");
         memo->setFocus();
         memo->selectAll();
         QTest::keyClicks(memo, "one");
         for (const char* line : {"two", "three", "four", "five"}) {
           QTest::keyClick(memo, Qt::Key_Return);
           QTest::keyClicks(memo, line);
         }
         EXPECT_EQ(memo->toPlainText().count('\n'), 3);  // these remarks hold four lines
         EXPECT_EQ(w.Data().InfoTexts[14].substr(0, 4), "four");
       }},
      {"the time unit box", dpInfo,
       [&] {
         TScale& time = w.Chart()->Model().X_Axis.Scale();
         time.SetMaxAutomatic(false);
         time.SetMax(10);
         w.TimeUnitComboBox()->setFocus();
         QTest::keyClick(w.TimeUnitComboBox(), Qt::Key_Up);
         EXPECT_EQ(w.Data().TimeUnit(), TAQVTimeUnit::tuHours);
         EXPECT_DOUBLE_EQ(time.Max(), 240);                  // a fixed time axis keeps its span
         QTest::keyClick(w.TimeUnitComboBox(), Qt::Key_Up);  // and from hours to minutes
         EXPECT_DOUBLE_EQ(time.Max(), 14400);
       }},
      {"an observation well count", dpInfo,
       [&] { TypeInto(Find<TAQVSpinEdit>(w, "nuNObsSpinEdit"), "2"); }},
      {"a stopping criterion", dpInfo,
       [&] { TypeInto(Find<TAQVFloatEdit>(w, "paRelativeEdit"), "0.001"); }},
      {"log fitting", dpInfo,
       [&] {
         click(Find<QRadioButton>(w, "paLogDrawdownRadioButton"));
         EXPECT_FALSE(w.Data().LinearResiduals());
       }},
      {"the top elevation", dpAquiferSystem,
       [&] { TypeInto(Find<TAQVFloatEdit>(w, "laElevationEdit"), "12"); }},
      {"the top aquitard box", dpAquiferSystem,
       [&] { click(Find<QCheckBox>(w, "boTopLayerCheckBox")); }},
      {"a leaky bottom", dpAquiferSystem,
       [&] { click(Find<QRadioButton>(w, "boBottomLayerLeakyRadioButton")); }},
      {"a typed cell", dpAquiferSystem,
       [&] {
         TypeInCell(*w.ConductivitiesGrid(), 1, 2, "7");
         QTest::keyClick(w.ConductivitiesGrid()->CellEditor(), Qt::Key_Return);
       }},
      {"a pumping period's discharge", dpPumpingWells,
       [&] {
         TypeInCell(*w.PumpingPeriodsGrid(), 3, 1, "900");
         QTest::keyClick(w.PumpingPeriodsGrid()->CellEditor(), Qt::Key_Return);
       }},
      {"well-face fluxes", dpChart, [&] { click(w.WellFluxesRadioButton()); }},
      {"a linear time axis", dpChart,
       [&] { click(Find<QWidget>(w, "taRadioGroup")->findChildren<QRadioButton*>().value(1)); }},
      {"the stopping time", dpChart,
       [&] { TypeInto(Find<TAQVFloatEdit>(w, "tmStoppingTimeFloatEdit"), "5"); }},
      {"automatic update", dpChart, [&] { click(w.AutoUpdateCheckBox()); }},
      {"the chart options dialog", dpChart, [&] { chartItem("poChartOptions", true); }},
      {"a title's format dialog", dpChart, [&] { chartItem("poFormatItem_6"); }},
      {"a series' format dialog", dpChart,
       [&] {
         ASSERT_GT(w.Chart()->GetSeriesCount(), 0);
         chartItem("poFormatItem_9");
       }},
      {"the curve selection dialog", dpChart,
       [&] {
         test::AnswerDialog<TSelectionGridForm>([](TSelectionGridForm& form) {
           TAQVSelectionGrid& grid = *form.AQVSelectionGrid1();
           EXPECT_TRUE(grid.isEnabled());
           const QRect cell = grid.visualRect(grid.model()->index(0, 0));
           const bool drawn = grid.Cell(1, 1).Selected;
           QTest::mouseClick(grid.viewport(), drawn ? Qt::RightButton : Qt::LeftButton, {},
                             cell.center());
           EXPECT_NE(grid.Cell(1, 1).Selected, drawn);
           test::PressButton(form, "OK");
         });
         chartItem("poFormatItem_0");
       }},
      {"the reset options button", dpChart,
       [&] {
         w.Chart()->ChartTitle().Font().SetSize(31);
         click(Find<QPushButton>(w, "ResetOptionsButton"));
         EXPECT_NE(w.Chart()->ChartTitle().Font().Size(), 31);  // back to the default
         EXPECT_GT(w.Chart()->GetSeriesCount(), 0);             // and the curves drawn again
       }},
      {"the map window", dpContourPlot,
       [&] { TypeInto(Find<TAQVFloatEdit>(w, "coWestFloatEdit"), "-2000"); }},
      {"the animation steps", dpContourPlot,
       [&] { TypeInto(Find<TAQVSpinEdit>(w, "anTstepsSpinEdit"), "7"); }},
      {"a manual interval", dpContourPlot, [&] { click(Find<QCheckBox>(w, "cndhiAutoCheckBox")); }},
      {"zooming out", dpContourPlot,
       [&] {
         w.Map()->setFocus();
         QTest::keyClick(w.Map(), Qt::Key_Minus, Qt::KeypadModifier);
       }},
      {"a text box", dpContourPlot,
       [&] {
         mapItem(plot(80, 80), "Insert text");
         EXPECT_EQ(w.Data().TextBoxes.size(), 1u);
       }},
      {"typing into a text box", dpContourPlot,
       [&] {
         QTest::mouseClick(&map, Qt::LeftButton, {}, box().BoxRect().center());
         ASSERT_TRUE(box().hasFocus());
         QTest::keyClicks(&box(), "Dune");
         EXPECT_EQ(box().Record()->Text, "Dune");
       }},
      {"moving a text box", dpContourPlot,
       [&] {
         const QPoint from = box().BoxRect().topLeft() + QPoint(30, -2), by(40, 20);
         QTest::mousePress(&map, Qt::LeftButton, {}, from);
         QTest::mouseMove(&map, from + by);
         QTest::mouseRelease(&map, Qt::LeftButton, {}, from + by);
         EXPECT_EQ(box().BoxRect().topLeft(), from + QPoint(-30, 2) + by);
       }},
      {"the text options dialog", dpContourPlot,
       [&] {
         const bool clear = box().Record()->ClearBackground;
         test::AnswerDialog<TAQVTextEditOptionsForm>([](TAQVTextEditOptionsForm& form) {
           test::ClickPage(form, "Background");
           test::PressButton(form, "Transparent");
           test::PressButton(form, "OK");
         });
         mapItem(box().BoxRect().center(), "Text format options");
         EXPECT_NE(box().Record()->ClearBackground, clear);
       }},
      {"the legend placement of the map options", dpContourPlot,
       [&] {
         test::AnswerDialog<TAQVKaartOptionsForm>([](TAQVKaartOptionsForm& form) {
           test::ClickPage(form, "Legend");
           test::PressButton(form, "Bottom right");
           test::ClickPage(form, "Background");
           test::PressButton(form, "Show background images");
           // Ctrl+F4 in the dialog is not the document's to close it.
           QWidget* keys = QApplication::focusWidget();
           ASSERT_TRUE(form.isAncestorOf(keys));
           QTest::keyClick(keys, Qt::Key_F4, Qt::ControlModifier);
           test::PressButton(form, "OK");
         });
         const bool images = w.Data().ShowBackgroundImages;
         mapItem(plot(20, 20), "Chart options...");
         EXPECT_EQ(map.LegendPlacement(), TPlacement::plBottom);
         EXPECT_NE(w.Data().ShowBackgroundImages, images);
       }},
      {"a zoom band", dpContourPlot,
       [&] {
         mapItem(plot(20, 20), "Zoom area");
         QTest::mousePress(&map, Qt::LeftButton, {}, plot(20, 20));
         QTest::mouseMove(&map, plot(60, 60));
         QTest::mouseRelease(&map, Qt::LeftButton, {}, plot(60, 60));
         EXPECT_TRUE(map.HasPreviousView());
       }},
      {"the previous view", dpContourPlot, [&] { mapItem(plot(20, 20), "Previous view"); }},
      {"deleting a text box", dpContourPlot,
       [&] {
         mapItem(box().BoxRect().center(), "Delete text");
         EXPECT_TRUE(w.Data().TextBoxes.empty());
       }},
      {"an accepted fit", dpInfo,
       [&] {
         w.Data().TCode[1] = '1';  // the scripted console accepts
         optimize.trigger();
         EXPECT_TRUE(w.Data().ResultsExist);
         // The report keeps its columns in a narrow window: its lines scroll, never wrap.
         w.SetActivePage(dpOutput);
         auto* report = Find<QPlainTextEdit>(w, "OutputMemo");
         report->resize(200, report->height());
         EXPECT_EQ(report->document()->lineCount(), report->blockCount());
       }},
  };
  for (const auto& [name, page, act] : rows) {
    SCOPED_TRACE(name);
    // A row that failed closed the window; a popup menu takes the activation, and the person's
    // next click gives it back.
    ASSERT_TRUE(ShowActive(w));
    w.SetActivePage(page);
    QApplication::processEvents();
    w.Data().Saved = true;
    act();
    QApplication::processEvents();
    ExpectCloseAsks();
  }
}

// The close box on a saved document: what is still being typed is committed first, so that the
// question follows it; a value that cannot be stored shows its message and keeps the window.
TEST_F(DocumentWindowTest, ClosingCommitsWhatIsBeingTypedBeforeItAsks) {
  TMDIChild& w = *mWindow;
  ShowNewDocument();
  w.SetActivePage(dpAquiferSystem);
  TAQVData& d = w.Data();
  auto* elevation = Find<TAQVFloatEdit>(w, "laElevationEdit");
  d.Saved = true;
  elevation->setFocus();
  elevation->selectAll();
  QTest::keyClicks(elevation, "12");
  // Meanwhile another window has the keyboard and a change of the document reloads the pages.
  QWidget other;
  ASSERT_TRUE(ShowActive(other));
  d.SetStehfestTerms(14);
  EXPECT_EQ(elevation->text(), "12");
  other.hide();
  ASSERT_TRUE(ShowActive(w));
  ExpectCloseAsks();
  EXPECT_EQ(d.SurfaceLevel(), 12);

  d.Saved = true;
  mUi.Messages.clear();
  elevation->selectAll();
  QTest::keyClicks(elevation, "-");
  EXPECT_FALSE(w.close());
  EXPECT_EQ(mUi.OnlyMessage(), "Invalid value!");
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(elevation->hasFocus());
  elevation->clear();  // an empty field is left as it is

  TypeInCell(*w.ConductivitiesGrid(), 3, 2, "40");  // Kh of the first aquifer
  d.Saved = true;
  ExpectCloseAsks();
  EXPECT_EQ(d.Kh[1], 40);
}

TEST(RemarksMemo, RefusesALongLineAndALineTooMany) {
  // Key, caret line, line length, line count, allowed lines.
  EXPECT_TRUE(TRemarksMemo::AcceptsKey(Qt::Key_A, 0, 59, 1, 3));
  EXPECT_FALSE(TRemarksMemo::AcceptsKey(Qt::Key_A, 0, 60, 1, 3));
  EXPECT_TRUE(TRemarksMemo::AcceptsKey(Qt::Key_Backspace, 0, 60, 1, 3));
  EXPECT_TRUE(TRemarksMemo::AcceptsKey(Qt::Key_Return, 1, 10, 2, 3));
  EXPECT_FALSE(TRemarksMemo::AcceptsKey(Qt::Key_Return, 2, 10, 3, 3));
  EXPECT_FALSE(TRemarksMemo::AcceptsKey(Qt::Key_Return, 0, 10, 3, 3));
  // Typed into the memo: the line stops at 60 characters.
  TRemarksMemo memo(3);
  QTest::keyClicks(&memo, QString(70, QLatin1Char('x')));
  EXPECT_EQ(memo.toPlainText().size(), 60);
  QTest::keyClick(&memo, Qt::Key_Left);  // a full line still lets the caret move
  EXPECT_EQ(memo.textCursor().position(), 59);
  // Pasted: as many lines as typing allows, and no more; typing goes on after what fitted.
  memo.clear();
  QApplication::clipboard()->setText(QStringLiteral("a\nb"));
  memo.paste();
  memo.paste();
  QTest::keyClick(&memo, Qt::Key_X);
  EXPECT_EQ(memo.toPlainText(), "a\nba\nbx");
  memo.paste();
  EXPECT_EQ(memo.toPlainText(), "a\nba\nbxa");
  memo.clear();  // and no line longer than typing allows
  QApplication::clipboard()->setText(QString(70, QLatin1Char('y')));
  memo.paste();
  EXPECT_EQ(memo.toPlainText().size(), 60);
}

TEST_F(DocumentWindowTest, ContourPageGetsAWindowBeyondTheWells) {
  mWindow->NewFile("");
  TAQVData& d = mWindow->Data();
  d.PumpingWells[1].X = 150;
  d.PumpingWells[1].Y = 250;
  d.ObservationWells[1].X = 420;
  d.ObservationWells[1].Y = 310;
  d.SetAnimationStartTime(50);  // a start left behind in a file without a window
  mWindow->SetActivePage(dpContourPlot);
  EXPECT_EQ(std::tuple(d.WorldX1(), d.WorldX2(), d.WorldY1(), d.WorldY2()),
            std::tuple(200 - 1000.0, 500 + 1000.0, 300 - 1000.0, 400 + 1000.0));
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "anStartingTimeFloatEdit")->text(), "0");
  EXPECT_GT(d.AnimationEndTime(), d.LatestTime());  // and an animation just beyond the data
  EXPECT_LT(d.AnimationEndTime(), d.LatestTime() + 3);
  const auto levelsOpen = [this] {
    const auto open = [this](const char* name) {
      return Find<QLineEdit>(*mWindow, name)->isEnabled();
    };
    return std::tuple(open("cnMinDrawdownFloatEdit"), open("cnIntervalFloatEdit"),
                      open("cnMaxDrawdownFloatEdit"));
  };
  EXPECT_EQ(levelsOpen(), std::tuple(false, false, false));  // all levels automatic
  // A window of the person's that ends at a zero edge is theirs to keep.
  mWindow->SetActivePage(dpInfo);
  d.SetWorldY2(0);
  d.SetAnimationStartTime(0.5);  // and so are its animation times, shown as the page opens
  d.SetAnimationEndTime(2.5);
  d.SetDrawLayer(d.AquiferCount() + 1);         // a layer the document no longer has
  d.AutoMinContour = d.AutoMaxContour = false;  // levels of the person's own, to be typed
  mWindow->SetActivePage(dpContourPlot);
  EXPECT_EQ(levelsOpen(), std::tuple(true, false, true));
  EXPECT_EQ(std::tuple(d.WorldX1(), d.WorldY1(), d.WorldY2()), std::tuple(-800.0, -700.0, 0.0));
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "anStartingTimeFloatEdit")->text(), "0.5");
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "anFinalTimeFloatEdit")->text(), "2.5");
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "daTekenLaagSpinEdit")->text().toInt(), d.AquiferCount());
}

TEST_F(DocumentWindowTest, GridValidationChecksTheTablesOfEveryWell) {
  mWindow->NewFile("");
  TAQVData& d = mWindow->Data();
  ASSERT_TRUE(d.InsertObservationWells(2, 1));
  ASSERT_TRUE(d.InsertPumpingWells(2, 1));
  d.SetCurrentObservationWell(1);
  d.SetCurrentPumpingWell(1);
  EXPECT_TRUE(mWindow->ValidateGridsEx(false));
  // Values that a data file can carry and the grids refuse, in the wells not shown: the first
  // and the last.
  for (int j : {1, 2}) {
    d.SetCurrentObservationWell(3 - j);
    const double time = std::exchange(d.ObservationWells[j].Time[1], 0);
    EXPECT_FALSE(mWindow->ValidateGridsEx(false)) << j;
    d.ObservationWells[j].Time[1] = time;
  }
  d.PumpingWells[2].Rw = -1;  // in the table of all pumping wells
  mWindow->RefreshGrids();
  EXPECT_FALSE(mWindow->ValidateGridsEx(false));
  d.PumpingWells[2].Rw = d.PumpingWells[1].Rw;
  mWindow->RefreshGrids();
  // Two periods that start together in a pumping well not shown: the first, then the last.
  d.SetCurrentPumpingWell(2);
  d.PumpingWells[1].SetPeriodCount(2);
  d.PumpingWells[1].StartTime[2] = d.PumpingWells[1].StartTime[1];
  EXPECT_FALSE(mWindow->ValidateGridsEx(false));
  d.PumpingWells[1].SetPeriodCount(1);
  d.SetCurrentPumpingWell(1);
  d.PumpingWells[2].SetPeriodCount(2);
  d.PumpingWells[2].StartTime[2] = d.PumpingWells[2].StartTime[1];
  mWindow->show();
  mWindow->SetActivePage(dpChart);
  QTest::mouseClick(mWindow->UpdateGraphButton(), Qt::LeftButton);
  EXPECT_TRUE(Asked(kInvalidGridsText));
  EXPECT_EQ(d.CurrentObservationWell(), 1);
  EXPECT_EQ(d.CurrentPumpingWell(), 1);
  mUi.Messages.clear();
}

// A change of the whole document (here the current well) shows on the page at once.
TEST_F(DocumentWindowTest, TheWellPagesFollowTheCurrentWell) {
  ShowNewDocument();
  TAQVData& d = mWindow->Data();
  ASSERT_TRUE(d.InsertObservationWells(2, 1));
  d.ObservationWells[2].Name = "PB 40 m";
  ClickCentre(mWindow->InfoEdit(1));  // a tab clicked after a field takes the keys from it
  ClickTab(dpPumpingWells);
  QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Right);
  ASSERT_EQ(mWindow->ActivePage(), dpObservationWells);
  EXPECT_EQ(mWindow->ObservationWellsGrid()->Cells(2, 2), "PB 40 m");
  d.SetCurrentObservationWell(2);
  const auto shown = [this](const QString& text) {
    const auto labels = mWindow->findChildren<QLabel*>();
    return std::ranges::any_of(labels, [&](QLabel* l) { return l->text().endsWith(text); });
  };
  EXPECT_TRUE(shown(QStringLiteral("observation well number 2: PB 40 m")));

  // A file without observation wells has no measurements to show; the next file has again.
  test::TTempFolder folder;
  d.SetObservationWellCount(0);
  d.FileName = folder.Path("none.aqv");
  d.SaveToFile(false);
  QWidget* measurements = mWindow->findChild<QWidget*>("AQVObservationsGrid");
  ASSERT_TRUE(mWindow->LoadFile(folder.Path("none.aqv")));
  EXPECT_FALSE(measurements->isVisible());
  EXPECT_FALSE(shown(QStringLiteral("PB 40 m")));  // nor the well that is gone
  EXPECT_TRUE(mUi.Messages.empty());
  ASSERT_TRUE(mWindow->LoadFile(Sample("v2010.aqv")));
  EXPECT_TRUE(measurements->isVisible());
  mUi.Messages.clear();  // the sample's images, which are not there
  // So does the pumping wells page, whose periods are those of the row clicked.
  ASSERT_TRUE(mWindow->Data().InsertPumpingWells(2, 1));
  mWindow->Data().PumpingWells[2].Name = "PP 2";
  ClickTab(dpPumpingWells);
  TMyParentGrid* pumping = mWindow->PumpingWellsGrid();
  QTest::mouseClick(pumping->viewport(), Qt::LeftButton, {},
                    pumping->visualRect(pumping->model()->index(1, 3)).center());
  EXPECT_TRUE(shown(QStringLiteral("well number 2: PP 2")));
  // The periods, under their caption, lie below the wells.
  const auto top = [this](const QWidget* w) { return w->mapTo(mWindow.get(), QPoint()).y(); };
  EXPECT_LT(top(pumping), top(mWindow->PumpingPeriodsPanel()));
}

// The curve selection names the wells as they are now, also before the graph is updated.
TEST_F(DocumentWindowTest, TheCurveSelectionNamesTheWellsAsTheyAreNow) {
  ShowNewDocument();
  ClickTab(dpChart);
  ClickCentre(mWindow->UpdateGraphButton());
  ClickTab(dpObservationWells);
  TypeInCell(*mWindow->ObservationWellsGrid(), 2, 1, "PB 40 m");
  QTest::keyClick(mWindow->ObservationWellsGrid()->CellEditor(), Qt::Key_Return);
  ClickTab(dpChart);
  std::string title;  // what the dialog writes above the first curve's column
  test::AnswerDialog<TSelectionGridForm>([&](TSelectionGridForm& form) {
    title = form.AQVSelectionGrid1()->Data()->CurveNames[0];
    form.reject();
  });
  mWindow->Data().Saved = true;
  mWindow->Chart()->PopupMenu()->actions().value(0)->trigger();
  EXPECT_EQ(title, "PB 40 m");
  EXPECT_TRUE(mWindow->Data().Saved) << "a cancelled choice changes nothing";
  EXPECT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));  // the keys are the window's again
}

// The arrows step the numbers of aquifers and pumping wells no lower than one, of observation
// wells up to five.
TEST_F(DocumentWindowTest, TheArrowsStopAtOneAquiferAndFiveObservationWells) {
  ShowNewDocument();
  // Enter in a field as the page shows it stores nothing and says nothing.
  TAQVData& d = mWindow->Data();
  d.Saved = true, d.ResultsExist = true;
  for (const char* name :
       {"nuNAQSpinEdit", "nuNPumpSpinEdit", "nuNObsSpinEdit", "paRelativeEdit"}) {
    auto* field = Find<QLineEdit>(*mWindow, name);
    const QString shown = field->text();
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, field->height() / 2));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), shown) << name;
  }
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_TRUE(d.Saved && d.ResultsExist);
  for (const char* name : {"nuNAQSpinEdit", "nuNPumpSpinEdit", "laNAqSpinEdit"}) {
    auto* count = Find<TAQVSpinEdit>(*mWindow, name);
    count->setFocus();
    QTest::keyClick(count, Qt::Key_Down);
    EXPECT_EQ(count->text(), "1") << name;
  }
  QApplication::processEvents();  // a refusal would speak once the field is left
  EXPECT_TRUE(mUi.Messages.empty());
  auto* wells = Find<TAQVSpinEdit>(*mWindow, "nuNObsSpinEdit");
  wells->setFocus();
  for (int i = 0; i < 5; ++i) QTest::keyClick(wells, Qt::Key_Up);
  QTest::keyClick(wells, Qt::Key_Return);
  EXPECT_EQ(wells->text(), "5");
  EXPECT_EQ(mWindow->Data().ObservationWellCount(), 5);
  QTest::keyClick(wells, Qt::Key_Down);  // a value spun down is stored as the field is left
  QTest::keyClick(wells, Qt::Key_Tab);
  EXPECT_EQ(mWindow->Data().ObservationWellCount(), 4);
}

TEST_F(DocumentWindowTest, ARightClickOnAGridOpensItsMenuOfEditActions) {
  QObject frame;
  const TAQVActions actions = CreateAQVActions(&frame);
  mWindow->SetGridActions(actions);
  ShowNewDocument();
  mWindow->SetActivePage(dpPumpingWells);
  QApplication::clipboard()->clear();
  TMyParentGrid* grid = mWindow->PumpingWellsGrid();
  QMenu* menu = mWindow->GridPopupMenu();
  const auto rightClick = [&](int col, int row) {
    const QPoint at = grid->visualRect(grid->model()->index(row - 1, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, at);
    return menu->isVisible();
  };
  const auto choose = [&](QAction* item) {
    ASSERT_TRUE(item->isEnabled()) << item->text().toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_FALSE(menu->isVisible());
  };
  ASSERT_TRUE(rightClick(2, 1));
  QStringList items;
  for (QAction* item : menu->actions()) items << (item->isSeparator() ? "-" : item->text());
  EXPECT_EQ(items, QStringList({"&Copy", "&Paste", "-", "Delete row(s)", "Insert row(s)", "-",
                                "Select &All"}));
  EXPECT_TRUE(actions.Copy->isEnabled());
  EXPECT_FALSE(actions.Paste->isEnabled());  // nothing on the clipboard
  EXPECT_TRUE(actions.DeleteRows->isEnabled());
  EXPECT_TRUE(actions.SelectAll->isEnabled());
  EXPECT_TRUE(menu->grab().save(QString::fromStdString(test::ReviewPath("grid-menu.png"))));
  choose(actions.InsertRows);
  EXPECT_EQ(mWindow->Data().PumpingWellCount(), 2);
  ASSERT_TRUE(rightClick(3, 2));  // a third is more than a test takes, and says so
  choose(actions.InsertRows);
  EXPECT_EQ(mUi.OnlyMessage(),
            "Can not insert pumping well(s)! Maximum number of pumping wells is 2.");
  mUi.Messages.clear();
  ASSERT_TRUE(rightClick(3, 2));
  choose(actions.SelectAll);
  // The selection stays as it is under a right click, so the menu copies all of it.
  ASSERT_TRUE(rightClick(3, 2));
  choose(actions.Copy);
  EXPECT_EQ(QApplication::clipboard()->text().count(QStringLiteral("\r\n")), 2);
  ASSERT_TRUE(rightClick(3, 1));
  EXPECT_TRUE(actions.Paste->isEnabled());
  choose(actions.DeleteRows);  // all of them, which leaves none
  EXPECT_EQ(mUi.OnlyMessage(),
            "Can not delete pumping well(s)! Minimum number of pumping wells is 1.");
  menu->hide();
}

TEST_F(DocumentWindowTest, AClickOnTheMapTakesTheKeysFromAPanelEdit) {
  ShowNewDocument();
  TAQVData& d = mWindow->Data();
  d.SetTimeSteps(7);
  mWindow->SetActivePage(dpContourPlot);
  EXPECT_EQ(Find<TAQVSpinEdit>(*mWindow, "anTstepsSpinEdit")->text(), "7");
  TAQVKaart* map = mWindow->Map();
  auto* west = Find<QLineEdit>(*mWindow, "coWestFloatEdit");
  const auto shownWindow = [this] {
    std::vector<double> shown;
    for (const char* side :
         {"coWestFloatEdit", "coEastFloatEdit", "coSouthFloatEdit", "coNorthFloatEdit"})
      shown.push_back(Find<QLineEdit>(*mWindow, side)->text().toDouble());
    return shown;
  };
  EXPECT_EQ(shownWindow(),
            (std::vector<double>{d.WorldX1(), d.WorldX2(), d.WorldY1(), d.WorldY2()}));
  EXPECT_EQ(Find<QLabel>(*mWindow, "cnMaxContourVLabel")->text(), "");  // no level drawn yet
  // With the map drawn at a time, the panel names the lowest and highest level it draws.
  TypeInto(Find<TAQVFloatEdit>(*mWindow, "ttTTijdFloatEdit"), "1");
  for (const auto& [label, level] : {std::pair{"cnMinContourVLabel", map->GetMinContourLevel()},
                                     {"cnMaxContourVLabel", map->GetMaxContourLevel()}}) {
    const QString shown = Find<QLabel>(*mWindow, label)->text();
    EXPECT_FALSE(shown.isEmpty()) << label;
    EXPECT_NEAR(shown.toDouble(), level, 1e-6 * std::fabs(level)) << label;
  }
  for (const auto& [edit, value] : {std::pair{"cnMinDrawdownFloatEdit", d.AutoMinContourValue},
                                    {"cnIntervalFloatEdit", d.AutoContourIntervalValue},
                                    {"cnMaxDrawdownFloatEdit", d.AutoMaxContourValue}})
    EXPECT_NEAR(Find<QLineEdit>(*mWindow, edit)->text().toDouble(), value, 1e-6 * std::fabs(value))
        << edit;
  // A minimum typed by hand draws at once; Auto ticked again brings the automatic levels back.
  const double lowest = map->GetMinContourLevel();
  auto* automatic = Find<QCheckBox>(*mWindow, "cnmiAutoCheckBox");
  auto* minimum = Find<TAQVFloatEdit>(*mWindow, "cnMinDrawdownFloatEdit");
  ClickBox(automatic);
  EXPECT_TRUE(minimum->hasFocus());  // ready for the value
  TypeInto(minimum, QByteArray::number(lowest + d.AutoContourIntervalValue).constData());
  EXPECT_GT(map->GetMinContourLevel(), lowest);
  test::TPaintCounter paints;
  automatic->setFocus();  // ticked from the keyboard, so that no move of the focus repaints
  QApplication::processEvents();
  map->installEventFilter(&paints);
  QTest::keyClick(automatic, Qt::Key_Space);
  EXPECT_EQ(map->GetMinContourLevel(), lowest);
  QApplication::processEvents();
  EXPECT_GT(paints.Paints, 0);  // and draws them
  QTest::mouseClick(west, Qt::LeftButton);
  ASSERT_TRUE(west->hasFocus());
  const double width = d.WorldX2() - d.WorldX1();
  QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, map->rect().center());
  EXPECT_FALSE(west->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_GT(d.WorldX2() - d.WorldX1(), 1.9 * width);  // zoomed out about the centre, once
  EXPECT_LT(d.WorldX2() - d.WorldX1(), 2.5 * width);
  EXPECT_EQ(shownWindow(),
            (std::vector<double>{d.WorldX1(), d.WorldX2(), d.WorldY1(), d.WorldY2()}));
  // A started zoom band ends with Escape, so that releasing the button sets no window.
  const double zoomedOut = d.WorldX2() - d.WorldX1();
  map->SetZoomMode(true);
  QTest::mouseClick(west, Qt::LeftButton);
  const QPoint a = map->rect().center();
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, a);
  QTest::mouseMove(map, a + QPoint(80, 60));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, a + QPoint(80, 60));
  EXPECT_EQ(d.WorldX2() - d.WorldX1(), zoomedOut);
  EXPECT_TRUE(map->ZoomMode());
}

// The world-anchored text box being typed in was hidden by an animation and never shown again.
TEST_F(DocumentWindowTest, AfterAnAnimationTheTextBoxBeingTypedInIsBackForTyping) {
  ShowNewDocument();
  ClickTab(dpContourPlot);
  TAQVKaart& map = *mWindow->Map();
  mWindow->Data().SetTimeSteps(2);
  map.InsertText(QString(), map.width() / 2, map.height() / 2, 26, 100);
  ASSERT_EQ(map.TextEdits().size(), 1u);
  TAQVTextEdit& box = *map.TextEdits().front();
  QTest::mouseClick(&map, Qt::LeftButton, {}, box.BoxRect().center());
  QTest::keyClicks(&box, "Dune");
  // A map that lays out again (its window grows) places the box anew and leaves it open.
  mWindow->resize(mWindow->size() + QSize(40, 30));
  mWindow->grab();
  EXPECT_TRUE(box.isVisible());
  QTest::mouseClick(mWindow->AnimateButton(), Qt::LeftButton);
  EXPECT_TRUE(map.Animating());
  QTRY_VERIFY(!map.Animating());
  EXPECT_FALSE(mWindow->AnimateButton()->isEnabled());  // at its end, only Reset goes on
  EXPECT_FALSE(mWindow->PauseButton()->isEnabled());
  EXPECT_TRUE(mWindow->ResetButton()->isEnabled());
  EXPECT_TRUE(box.isVisible());
  ASSERT_TRUE(box.hasFocus());
  QTest::keyClicks(&box, " sand");
  EXPECT_EQ(box.Record()->Text, "Dune sand");
  // Once the person types elsewhere, an animation leaves the keyboard there.
  QTest::mouseClick(Find<QLineEdit>(*mWindow, "coWestFloatEdit"), Qt::LeftButton);
  QTest::mouseClick(mWindow->ResetButton(), Qt::LeftButton);
  QTest::mouseClick(mWindow->AnimateButton(), Qt::LeftButton);
  QTRY_VERIFY(!map.Animating());
  EXPECT_FALSE(box.isVisible());
}

// Another page stopped the animation but left Animate disabled and Pause enabled.
TEST_F(DocumentWindowTest, AnAnimationStoppedByAnotherPageLeavesTheButtonsAsAfterPause) {
  ShowNewDocument();
  ClickTab(dpContourPlot);
  TAQVKaart& map = *mWindow->Map();
  QTest::mouseClick(mWindow->AnimateButton(), Qt::LeftButton);
  QTRY_VERIFY(map.AnimationStep() >= 2);
  EXPECT_EQ(mWindow->findChild<QSlider*>()->value(), map.AnimationStep());  // following it
  ClickTab(dpChart);
  EXPECT_FALSE(map.Animating());
  EXPECT_TRUE(mWindow->AnimateButton()->isEnabled());
  EXPECT_FALSE(mWindow->PauseButton()->isEnabled());
  EXPECT_TRUE(mWindow->ResetButton()->isEnabled());
  // Animate goes on from the step where it stopped.
  ClickTab(dpContourPlot);
  const int step = map.AnimationStep();
  QTest::mouseClick(mWindow->AnimateButton(), Qt::LeftButton);
  QTRY_VERIFY(map.AnimationStep() > step);
  EXPECT_TRUE(mWindow->PauseButton()->isEnabled());
  QTest::mouseClick(mWindow->PauseButton(), Qt::LeftButton);
  QTest::mouseClick(mWindow->ResetButton(), Qt::LeftButton);  // back at the start
  EXPECT_FALSE(mWindow->ResetButton()->isEnabled());
  EXPECT_EQ(map.AnimationStep(), 0);
  EXPECT_EQ(mWindow->findChild<QSlider*>()->value(), 0);  // the slider too
  ClickCentre(mWindow->findChild<QSlider*>());            // which, clicked, takes the map along
  EXPECT_GT(map.AnimationStep(), 0);
  EXPECT_EQ(map.AnimationStep(), mWindow->findChild<QSlider*>()->value());
}

TEST_F(DocumentWindowTest, TheMapKeepsAUsableDrawingAreaInASmallWindow) {
  ShowNewDocument();
  mWindow->SetActivePage(dpContourPlot);
  for (const QSize size : {QSize(1100, 750), QSize(800, 600), QSize(640, 480)}) {
    mWindow->resize(size);
    QApplication::processEvents();
    TAQVKaart* map = mWindow->Map();
    map->ComputeLayout(map->width(), map->height());
    const TPlotLayout& plot = map->PlotLayout();
    const QString name =
        QStringLiteral("contour-page-%1x%2.png").arg(size.width()).arg(size.height());
    mWindow->grab().save(QString::fromStdString(test::ReviewPath(name.toStdString())));
    EXPECT_GE(plot.Right - plot.Left, TAQVKaart::kMinPlotWidth) << size.width();
    EXPECT_GE(plot.Bottom - plot.Top, TAQVKaart::kMinPlotHeight) << size.width();
  }
}

TEST_F(DocumentWindowTest, WellFluxModeDisablesTheValueAxisAndRelabelsTheGraph) {
  ShowNewDocument();
  mWindow->SetActivePage(dpChart);
  mWindow->WellFluxesRadioButton()->click();
  EXPECT_TRUE(mWindow->Data().WellFluxMode());
  mWindow->UpdateGraphButtonClick();
  EXPECT_EQ(mWindow->Chart()->Y_Axis().Title().Text().rfind("Flux [", 0), 0u);
}

// A switch of the curve type or of either axis once changed nothing at the next update: "Linear
// head" drew negative heads on a logarithmic axis titled "Drawdown - time".
TEST_F(DocumentWindowTest, AxisButtonsSetTheTitleAndScalesAtTheNextUpdate) {
  ShowNewDocument();
  ClickTab(dpChart);
  const TChartModel& chart = mWindow->Chart()->Model();
  ClickCentre(mWindow->UpdateGraphButton());
  ASSERT_GT(chart.SeriesCount(), 0);
  // The button, the graph's title after it, and whether the time and value axes are logarithmic.
  const std::tuple<const char*, const char*, bool, bool> steps[] = {
      {"Linear head", "Head - time", true, false},
      {"Linear drawdown", "Drawdown - time", true, false},
      {"Logarithmic drawdown", "Drawdown - time", true, true},
      {"Linear time axis", "Drawdown - time", false, true},
      {"Logarithmic time axis", "Drawdown - time", true, true},
      {"Well-face fluxes", "Well-face flux - time", true, false},
      {"Drawdown curves", "Drawdown - time", true, true}};
  for (const auto& [button, title, logX, logY] : steps) {
    SCOPED_TRACE(button);
    ClickCentre(RadioButton(*mWindow, button));
    ClickCentre(mWindow->UpdateGraphButton());
    EXPECT_EQ(chart.ChartTitle.Text(), title);
    EXPECT_EQ(chart.X_Axis.Scale().LogScale(), logX);
    EXPECT_EQ(chart.Y_Axis.Scale().LogScale(), logY);
    EXPECT_FALSE(mWindow->Data().CurvesStale);
  }
  EXPECT_TRUE(mUi.Messages.empty());
  // A time minimum the person chose outlives a switch to the logarithmic time axis.
  ClickCentre(RadioButton(*mWindow, "Linear time axis"));
  TScale& x = mWindow->Chart()->X_Axis().Scale();
  x.SetMinAutomatic(false);
  x.SetMin(0.01);
  ClickCentre(RadioButton(*mWindow, "Logarithmic time axis"));
  EXPECT_EQ(x.Min(), 0.01);
  // Previous graph shows the graph before the last update while it is held down. What the
  // screen shows is read back as painted, without painting it again.
  QWidget* graph = mWindow->Chart();
  const auto onScreen = [&] {
    QApplication::processEvents();
    const QPoint at = graph->mapTo(mWindow.get(), QPoint(0, 0));
    return mWindow->screen()
        ->grabWindow(mWindow->winId(), at.x(), at.y(), graph->width(), graph->height())
        .toImage();
  };
  const QImage now = onScreen();
  auto* previous = Find<QPushButton>(*mWindow, "PreviousGraphButton");
  QTest::mousePress(previous, Qt::LeftButton);
  EXPECT_NE(onScreen(), now);
  QTest::mouseRelease(previous, Qt::LeftButton);
  EXPECT_EQ(onScreen(), now);
  ClickCentre(Find<QPushButton>(*mWindow, "ResetOptionsButton"));  // also before a reset
  QTest::mousePress(previous, Qt::LeftButton);
  EXPECT_EQ(onScreen(), now);
  QTest::mouseRelease(previous, Qt::LeftButton);
}

// The page shows the document's curve type and axes each time it opens, also when they changed
// while another page showed.
TEST_F(DocumentWindowTest, OpeningTheChartPageShowsTheDocumentsCurveTypeAndAxes) {
  ShowNewDocument();
  TAQVData& d = mWindow->Data();
  d.AutoUpdate = true;  // then the page draws the graph as it opens
  const TChartModel& chart = mWindow->Chart()->Model();
  test::TPaintCounter paints;
  mWindow->Chart()->installEventFilter(&paints);
  int shownBeforeComputing = -1;
  mUi.OnProcessMessages = [&] {
    if (shownBeforeComputing < 0) shownBeforeComputing = paints.Paints;
  };
  ClickTab(dpChart);
  EXPECT_GT(shownBeforeComputing, 0);  // the page is on screen while its curves are computed
  EXPECT_GT(chart.SeriesCount(), 0);
  EXPECT_FALSE(mWindow->UpdateGraphButton()->isEnabled());
  ClickBox(mWindow->AutoUpdateCheckBox());  // off: the button updates again
  EXPECT_TRUE(mWindow->UpdateGraphButton()->isEnabled());
  ClickTab(dpInfo);  // the document keeps the switch
  ClickTab(dpChart);
  EXPECT_FALSE(mWindow->AutoUpdateCheckBox()->isChecked());
  d.SetModified(true);  // tabs clicked while auto-update computes add no second set of curves
  bool hop = true;
  mUi.OnProcessMessages = [&] {
    if (std::exchange(hop, false)) ClickTab(dpInfo), ClickTab(dpChart);
  };
  const int curves = chart.SeriesCount();
  ClickBox(mWindow->AutoUpdateCheckBox());
  EXPECT_EQ(chart.SeriesCount(), curves);
  EXPECT_FALSE(mWindow->UpdateGraphButton()->isEnabled());
  ClickTab(dpInfo);
  d.SetTimeAxis(1);
  d.SetValueAxis(2);
  d.SetStartingTime(1.234567);  // seven digits, all shown
  d.SetStoppingTime(7.5);
  ClickTab(dpChart);
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "tmStartingTimeFloatEdit")->text().toDouble(), 1.234567);
  EXPECT_EQ(Find<QLineEdit>(*mWindow, "tmStoppingTimeFloatEdit")->text().toDouble(), 7.5);
  EXPECT_TRUE(RadioButton(*mWindow, "Linear time axis")->isChecked());
  EXPECT_TRUE(RadioButton(*mWindow, "Linear head")->isChecked());
  ClickTab(dpInfo);
  d.SetWellFluxMode(true);
  ClickTab(dpChart);
  EXPECT_TRUE(RadioButton(*mWindow, "Well-face fluxes")->isChecked());
  EXPECT_FALSE(RadioButton(*mWindow, "Linear head")->isEnabled());
  EXPECT_EQ(chart.ChartTitle.Text(), "Well-face flux - time");
  ClickTab(dpInfo);
  d.SetWellFluxMode(false);
  ClickTab(dpChart);
  EXPECT_TRUE(RadioButton(*mWindow, "Drawdown curves")->isChecked());
  // A curve taken out in the curve selection leaves the graph at once.
  const int drawn = chart.SeriesCount();
  test::AnswerDialog<TSelectionGridForm>([](TSelectionGridForm& form) {
    TAQVSelectionGrid& grid = *form.AQVSelectionGrid1();
    const QRect first = grid.visualRect(grid.model()->index(0, 0));
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, first.center());
    test::PressButton(form, "OK");
  });
  mWindow->Chart()->PopupMenu()->actions().value(0)->trigger();
  EXPECT_LT(chart.SeriesCount(), drawn);
}

// The tab between a curve's name and its layer was drawn as a wide gap in the legend and the
// hints.
TEST_F(DocumentWindowTest, LegendAndHintShowOneBlankBeforeTheLayer) {
  ShowNewDocument();
  ClickTab(dpChart);
  ClickCentre(mWindow->UpdateGraphButton());
  TMyChart& chart = *mWindow->Chart();
  ASSERT_GT(chart.GetSeriesCount(), 0);
  const TSeries& curve = *chart.GetSeries(0);
  ASSERT_EQ(curve.Reference()->Kind, 0);
  const std::string& well = mWindow->Data().ObservationWells[1].Name;
  const QString shown = QString::fromStdString(well + " , layer: 1");
  const QString svg = QString::fromUtf8(chart.RenderSvg(chart.width(), chart.height()));
  EXPECT_TRUE(svg.contains(QStringLiteral(">") + shown + QStringLiteral("<"))) << svg.toStdString();

  chart.grab();  // lays the points out where the screen shows them
  const int k = curve.GetCount() / 2;
  QTest::mouseMove(&chart, QPoint(curve.GetPixelX(k), curve.GetPixelY(k)));
  EXPECT_TRUE(chart.Hint().startsWith(shown + QStringLiteral("\r"))) << chart.Hint().toStdString();

  QStringList offered;
  chart.SelectSeries = [&](const QStringList& names, int&) {
    offered = names;
    return false;
  };
  chart.PopupMenu()->Prepare();
  chart.PopupMenu()->Item(9)->trigger();  // "Series..."
  ASSERT_FALSE(offered.isEmpty());
  EXPECT_EQ(offered.front(), shown);
}

// With AQV_RENDER_DIR set, every page of a loaded sample is saved there as PNG.
TEST_F(DocumentWindowTest, RenderPagesWhenAsked) {
  const QByteArray folder = qgetenv("AQV_RENDER_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "AQV_RENDER_DIR not set";
  const auto save = [&folder](TMDIChild& window, TDocumentPage page, const QString& name) {
    window.SetActivePage(page);
    QApplication::processEvents();
    window.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
  };
  ASSERT_TRUE(mWindow->LoadFile(Sample("v2012.aqv")));
  mWindow->show();
  for (int page = 0; page < 7; ++page)
    save(*mWindow, static_cast<TDocumentPage>(page), QStringLiteral("page%1").arg(page));
  // A new document with its graph and map brought up to date.
  TMDIChild fresh(&mUi);
  fresh.resize(1100, 750);
  fresh.NewFile("");
  fresh.show();
  fresh.SetActivePage(dpChart);
  fresh.UpdateGraphButtonClick();
  save(fresh, dpChart, "new-chart");
  fresh.Data().SetDisplayTime(1);
  save(fresh, dpContourPlot, "new-map");
  fresh.Data().TCode[1] = '1';  // fit T of the aquifer, accepted by the scripted console
  fresh.Data().GridsValid = true;
  fresh.Data().Optimize();
  save(fresh, dpOutput, "new-report");
}

}  // namespace
}  // namespace aqv
