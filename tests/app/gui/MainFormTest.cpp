#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/gui/CHILDWIN.h"
#include "app/gui/Help.h"
#include "app/gui/MAIN.h"
#include "app/gui/MRUList.h"
#include "app/gui/Startup.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/FilesSelection.h"
#include "model/AQVElements.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetGlobals(); }
};

TEST(MainFormCaption, ShowsTheFirstFourCharactersOfTheVersion) {
  struct TCase {
    const char* Version;
    const char* Caption;
  };
  const TCase cases[] = {{"1.00.00", "AQV for Windows - Zelvor edition (1.00)"},
                         {"2.17.03", "AQV for Windows - Zelvor edition (2.17)"},
                         {"10.02.00", "AQV for Windows - Zelvor edition (10.0)"},
                         {"1.0", "AQV for Windows - Zelvor edition (1.0)"},
                         {"", "AQV for Windows - Zelvor edition ()"}};
  for (const TCase& c : cases) EXPECT_EQ(MainFormCaption(c.Version), c.Caption) << c.Version;
}

// The version string itself is formed and checked in the model tests.
TEST_F(MainFormTest, WindowTitleFollowsTheVersionString) {
  Globals().VersionString = "3.04.05";
  TMainForm form;
  EXPECT_EQ(form.windowTitle(), "AQV for Windows - Zelvor edition (3.04)");
}

TEST_F(MainFormTest, TheFrameOpensWithinTheScreensAvailableArea) {
  // The offscreen screen is 800 x 600, as small as a screen the program serves.
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  TMainForm form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_TRUE(available.contains(form.frameGeometry()));
  // A placement kept from a larger screen comes back whole onto this one.
  const QRect screen(0, 0, 800, 600);
  EXPECT_EQ(WithinScreen(QRect(500, 300, 1600, 1000), screen), screen);
  EXPECT_EQ(WithinScreen(QRect(700, -20, 300, 200), screen), QRect(500, 0, 300, 200));
  EXPECT_EQ(WithinScreen(QRect(10, 20, 300, 200), screen), QRect(10, 20, 300, 200));
}

// The next session's frame opens with the folders last used and the bars as they were left.
TEST_F(MainFormTest, TheNextFrameKeepsTheFoldersAndBarsOfTheLast) {
  {
    TMainForm form;
    form.show();
    Globals().OpenDirectory = "/data/open";
    Globals().SaveDirectory = "/data/save";
    form.statusBar()->hide();
    EXPECT_TRUE(form.close());
  }
  ResetGlobals();
  TMainForm next;
  next.show();
  EXPECT_EQ(Globals().OpenDirectory, "/data/open");
  EXPECT_EQ(Globals().SaveDirectory, "/data/save");
  EXPECT_FALSE(next.statusBar()->isVisible());
  next.statusBar()->show();
  EXPECT_TRUE(next.close());
}

TEST_F(MainFormTest, DocumentWindowsLiveInTheCentralMdiArea) {
  TMainForm form;
  ASSERT_NE(form.MdiArea(), nullptr);
  EXPECT_EQ(form.centralWidget(), form.MdiArea());
  EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
}

TEST(Startup, ApplicationTitleAndVersion) {
  ResetGlobals();
  InitApplication();
  EXPECT_EQ(QApplication::applicationName(), "AQV for Windows");
  EXPECT_EQ(QApplication::applicationDisplayName(), "AQV for Windows");
  EXPECT_EQ(QApplication::applicationVersion().toStdString(), Globals().VersionString);
}

TEST_F(MainFormTest, RendersOffscreen) {
  TMainForm form;
  form.show();
  const QImage image = form.grab().toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), form.size());
  EXPECT_TRUE(image.save(QString::fromStdString(test::ReviewPath("main-form.png"))));
}

TEST(StatusPanels, NameTheUnitsAsTheStatusBarShowsThem) {
  EXPECT_EQ(TimeUnitPanelText(TAQVTimeUnit::tuYears), "Time units: Year");
  EXPECT_EQ(TimeUnitPanelText(TAQVTimeUnit::tuSeconds), "Time units: Seconds");
  EXPECT_EQ(LengthUnitPanelText(TAQVLengthUnit::luFeet), "Length units: Feet");
  EXPECT_EQ(LengthUnitPanelText(TAQVLengthUnit::luMeters), "Length units: Meters");
}

class FrameFilesTest : public MainFormTest {
 protected:
  void SetUp() override {
    ResetGlobals();
    std::filesystem::copy_file(std::string(AQV_TEST_DATA_DIR) + "/v2012.aqv",
                               mFolder.Path("a.aqv"));
  }
  test::TFakeUserInterface mUi;
  test::TTempFolder mFolder;
};

TEST_F(FrameFilesTest, AFileAlreadyOpenIsFoundByItsCanonicalPath) {
  TMainForm form(&mUi);
  ASSERT_TRUE(form.OpenFile(mFolder.Path("a.aqv"), false));
  std::filesystem::create_directory(mFolder.Path("sub"));
  // The same file through a detour and through a link: no second window.
  EXPECT_TRUE(form.OpenFile(mFolder.Path("sub/../a.aqv"), false));
  std::filesystem::create_symlink(mFolder.Path("a.aqv"), mFolder.Path("link.aqv"));
  EXPECT_TRUE(form.OpenFile(mFolder.Path("link.aqv"), false));
  EXPECT_EQ(form.Children().size(), 1u);
  EXPECT_EQ(form.RecentFiles().Count(), 1);
}

TEST_F(FrameFilesTest, ARefusedFileClosesItsWindowWithoutAQuestionAndLeavesTheRecentFiles) {
  TMainForm form(&mUi);
  std::ofstream(mFolder.Path("bad.aqv")) << "AQV data file version 2012\nbroken\n";
  form.RecentFiles().AddFile(mFolder.Path("bad.aqv"));
  EXPECT_FALSE(form.OpenFile(mFolder.Path("bad.aqv"), true));
  QApplication::processEvents();
  EXPECT_TRUE(form.Children().empty());
  EXPECT_EQ(form.RecentFiles().Count(), 0);
  ASSERT_EQ(mUi.Messages.size(), 1u);  // only the reader's own message, no save question
  EXPECT_EQ(mUi.Messages[0].Text, "Could not open " + mFolder.Path("bad.aqv") + "!");
}

TEST_F(FrameFilesTest, ACommandLinePathIsMadeAbsoluteAndOpenedOnce) {
  TMainForm form(&mUi);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(mFolder.Root());
  form.FirstActivation({"aqv", "a.aqv"});
  form.FirstActivation({"aqv", "a.aqv"});
  std::filesystem::current_path(cwd);
  ASSERT_EQ(form.Children().size(), 1u);
  EXPECT_EQ(form.Children()[0]->Data().FileName,
            std::filesystem::canonical(mFolder.Path("a.aqv")).string());
}

TEST_F(FrameFilesTest, PreferencesApplyToOpenDocumentsButNotTheirLengthUnit) {
  TMainForm form(&mUi);
  form.FileNewClick();
  TAQVData& d = form.Children()[0]->Data();
  const TAQVLengthUnit unit = d.LengthUnit();
  d.Saved = true;
  form.ApplyPreferences({14, 20, false, true, unit == TAQVLengthUnit::luFeet ? 1 : 0});
  EXPECT_EQ(d.StehfestTerms(), 14);
  EXPECT_EQ(d.TimesPerLogCycle(), 20);
  EXPECT_EQ(d.LengthUnit(), unit);
  EXPECT_TRUE(d.Saved) << "the data file keeps no preference";
}

// The frame's own ways of changing what a document's file holds make File > Close ask.
TEST_F(FrameFilesTest, FrameChangesThatTheFileKeepsMakeClosingAsk) {
  TMainForm form(&mUi);
  form.show();
  ASSERT_TRUE(form.OpenFile(mFolder.Path("a.aqv"), false));
  TAQVData& d = form.ActiveChild()->Data();
  auto* fileClose = form.findChild<QAction*>(QStringLiteral("FileClose"));
  auto* showImages = form.findChild<QAction*>(QStringLiteral("ViewBackgroundImagesAction"));
  QLabel* lengthPanel = nullptr;
  for (QLabel* label : form.statusBar()->findChildren<QLabel*>())
    if (label->text().startsWith(QStringLiteral("Length units:"))) lengthPanel = label;
  ASSERT_NE(lengthPanel, nullptr);
  // A background image of 4 x 4 pixels of 10 m with its world file.
  const QString image = QString::fromStdString(mFolder.Path("site.png"));
  ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(image));
  std::ofstream(mFolder.Path("site.pgw")) << "10\n0\n0\n-10\n0\n40\n";
  auto* importImages = form.findChild<QAction*>(QStringLiteral("ImportImageFilesAction"));
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"the length units menu",
       [&] {
         QTest::mouseClick(lengthPanel, Qt::RightButton, {}, QPoint(10, 5));
         auto* menu = form.findChild<QMenu*>(QStringLiteral("LengthUnitsPopupMenu"));
         ASSERT_NE(menu, nullptr);
         ASSERT_TRUE(menu->isVisible());
         menu->hide();
         menu->actions().value(0)->trigger();  // Feet
         EXPECT_EQ(d.LengthUnit(), TAQVLengthUnit::luFeet);
       }},
      {"View > Background images", [&] { showImages->trigger(); }},
      {"Import image files: Add",
       [&] {
         test::AnswerDialog<TFilesSelectionForm>([&](TFilesSelectionForm& files) {
           test::AnswerDialog<QFileDialog>([&](QFileDialog& open) {
             open.setDirectory(QString::fromStdString(mFolder.Root()));  // browsed there
             QTest::keyClicks(open.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                              QStringLiteral("site.png"));
             test::PressButton(open, "Open");
           });
           test::PressButton(files, "Add");
           QTest::keyClick(&files, Qt::Key_F1);  // the frame's help, at the dialog's page
           test::PressButton(files, "OK");
         });
         importImages->trigger();
         ASSERT_EQ(d.BackgroundFiles.size(), 1u);
         const QString help = HelpFailureText(HelpPagePath(HelpFolder(), "import_image"));
         EXPECT_EQ(std::ranges::count(mUi.Texts(), help.toStdString()), 1);
       }},
      {"Import image files: an image's shown flag",
       [&] {
         test::AnswerDialog<TFilesSelectionForm>([](TFilesSelectionForm& files) {
           auto* list = files.findChild<QListWidget*>(QStringLiteral("FSListbox"));
           QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                             list->visualItemRect(list->item(0)).center());
           QTest::keyClick(list, Qt::Key_Space);
           test::PressButton(files, "OK");
         });
         importImages->trigger();
         EXPECT_FALSE(d.BackgroundFiles.at(0).Checked);
       }},
  };
  for (const auto& [name, act] : rows) {
    SCOPED_TRACE(name);
    d.Saved = true;
    act();
    mUi.Messages.clear();
    mUi.Answers = {TModalResult::mrCancel};
    fileClose->trigger();
    QApplication::processEvents();
    ASSERT_EQ(form.Children().size(), 1u);
    EXPECT_EQ(mUi.OnlyMessage(), "Save changes to " + d.FileName + "?");
  }
  d.Saved = true;
}

// Opens a menu of the bar and clicks its item, as a person does.
void ChooseMenuItem(QMainWindow& form, const QString& menuTitle, const QString& itemText) {
  QMenuBar* bar = form.menuBar();
  QAction* title = nullptr;
  for (QAction* a : bar->actions())
    if (a->text().remove('&') == menuTitle) title = a;
  ASSERT_NE(title, nullptr) << menuTitle.toStdString();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
  QMenu* menu = title->menu();
  ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 3000));
  for (QAction* a : menu->actions())
    if (a->text().remove('&') == itemText) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
      return;
    }
  FAIL() << "no item " << itemText.toStdString();
}

class FrameWindowsTest : public FrameFilesTest {
 protected:
  void SetUp() override {
    FrameFilesTest::SetUp();
    mForm = std::make_unique<TMainForm>(&mUi);
    mForm->resize(1000, 700);
    mForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mForm.get()));
  }
  void TearDown() override {
    for (TMDIChild* child : mForm->Children()) child->Data().Saved = true;
    mForm.reset();
    FrameFilesTest::TearDown();
  }
  static void ClickTab(TMDIChild& child, TDocumentPage page) {
    test::ClickTab(child.PageControl(), static_cast<int>(page));
  }
  std::unique_ptr<TMainForm> mForm;
};

TEST_F(FrameWindowsTest, APageChangeSetsTheWindowHintAndTheHelpOfTheTabs) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TMDIChild& child = *mForm->ActiveChild();
  ClickTab(child, TDocumentPage::dpContourPlot);
  EXPECT_EQ(child.statusTip(), "Piezometric surface drawdown and build-up");
  // With the tabs focused, F1 asks for the page's help, not the first page's.
  child.PageControl()->tabBar()->setFocus();
  EXPECT_EQ(HelpKeywordOf(QApplication::focusWidget()), "contour_plot");
  ClickTab(child, TDocumentPage::dpPumpingWells);
  EXPECT_EQ(child.statusTip(), "Pumping wells");
  EXPECT_EQ(HelpKeywordOf(child.PageControl()->tabBar()), "pumping_wells");
}

TEST_F(FrameWindowsTest, HelpThatCannotOpenSaysSoAndNamesThePage) {
  // The offscreen platform has no browser: opening the page fails as on a bare desktop.
  mForm->WMHelp();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(QString::fromStdString(mUi.Messages[0].Text),
            HelpFailureText(HelpPagePath(HelpFolder(), "Introduction")));
  EXPECT_TRUE(QString::fromStdString(mUi.Messages[0].Text).contains("Introduction.html"));
}

// Counts the paintings of a widget.
struct TPaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

TEST_F(FrameWindowsTest, TheMapRepaintsWhenTheFocusMoves) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TMDIChild& child = *mForm->ActiveChild();
  ClickTab(child, TDocumentPage::dpContourPlot);
  QApplication::processEvents();
  TPaintCounter counter;
  child.Map()->installEventFilter(&counter);
  auto* west = child.findChild<QWidget*>("coWestFloatEdit");
  auto* east = child.findChild<QWidget*>("coEastFloatEdit");
  test::ClickCentre(west);
  test::ClickCentre(east);
  ASSERT_TRUE(east->hasFocus());
  EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.Paints >= 1; }, 1000));
}

TEST_F(FrameWindowsTest, WindowMenuTilesBothWaysAndArrangesMinimisedWindows) {
  for (int i = 0; i < 3; ++i) mForm->FileNewClick();
  const QRect room = mForm->MdiArea()->viewport()->rect();
  const QList<QMdiSubWindow*> windows = mForm->MdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 3);
  ChooseMenuItem(*mForm, "Window", "Tile Vertically");
  for (QMdiSubWindow* w : windows) EXPECT_EQ(w->height(), room.height());  // side by side
  EXPECT_EQ(windows[0]->width() + windows[1]->width() + windows[2]->width(), room.width());
  ChooseMenuItem(*mForm, "Window", "Tile Horizontally");
  for (QMdiSubWindow* w : windows) EXPECT_EQ(w->width(), room.width());  // stacked
  EXPECT_EQ(windows[0]->height() + windows[1]->height() + windows[2]->height(), room.height());

  ChooseMenuItem(*mForm, "Window", "Minimize All");
  windows[0]->move(room.center());
  windows[1]->move(room.topLeft());
  windows[2]->move(room.center() / 2);
  ChooseMenuItem(*mForm, "Window", "Arrange All");
  for (QMdiSubWindow* w : windows) {
    EXPECT_TRUE(w->isMinimized());  // arranged, not cascaded open
    EXPECT_EQ(w->geometry().bottom(), room.bottom());
  }
  for (int i = 0; i < 3; ++i)
    EXPECT_FALSE(windows[i]->geometry().intersects(windows[(i + 1) % 3]->geometry()));
}

}  // namespace
}  // namespace aqv
