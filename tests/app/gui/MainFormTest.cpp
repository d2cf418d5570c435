#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/About.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"
#include "app/gui/Help.h"
#include "app/gui/MAIN.h"
#include "app/gui/MRUList.h"
#include "app/gui/Preferences.h"
#include "app/gui/RemarksMemo.h"
#include "app/gui/Startup.h"
#include "app/gui/ToolIcons.h"
#include "controls/MySpin.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/FilesSelection.h"
#include "model/AQVElements.h"
#include "model/fit/AQVOptimizeConsole.h"
#include "platform/SettingsStore.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/Menus.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::ChooseMenuItem;
using test::ChooseMenuItemByKeys;
using test::OpenBarMenu;
using test::ShowActive;

class MainFormTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetGlobals(); }
};

TEST(MainFormCaption, ShowsTheFirstFourCharactersOfTheVersion) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.00.00", "AQV for Windows - Zelvor edition (1.00)"},
      {"2.17.03", "AQV for Windows - Zelvor edition (2.17)"},
      {"10.02.00", "AQV for Windows - Zelvor edition (10.0)"},
      {"1.0", "AQV for Windows - Zelvor edition (1.0)"},
      {"", "AQV for Windows - Zelvor edition ()"}};
  for (const auto& [version, caption] : cases)
    EXPECT_EQ(MainFormCaption(version), caption) << version;
}

// The version string itself is formed and checked in the model tests.
TEST_F(MainFormTest, WindowTitleFollowsTheVersionString) {
  Globals().VersionString = "3.04.05";
  TMainForm form;
  EXPECT_EQ(form.windowTitle(), "AQV for Windows - Zelvor edition (3.04)");
  EXPECT_EQ(form.centralWidget(), form.MdiArea());  // where the document windows live
}

TEST_F(MainFormTest, TheFrameOpensWithinTheScreensAvailableArea) {
  // The offscreen screen is 800 x 600, as small as a screen the program serves.
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  TMainForm form;
  ASSERT_TRUE(ShowActive(form));
  EXPECT_TRUE(available.contains(form.frameGeometry()));
  EXPECT_EQ(form.frameGeometry().width(), available.width());  // a first start's, held to it
  // A kept placement in the screen's corner, too small for the frame, grows inwards.
  TSettingsStore store;
  TDesktopSettings corner, kept;
  corner.Left = 700, corner.Top = 500, corner.Width = 50, corner.Height = 50;
  ASSERT_TRUE(WriteDesktopSettings(store, corner, false));
  TMainForm cornered;
  cornered.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cornered));
  EXPECT_TRUE(available.contains(cornered.frameGeometry()));
  // Moved partly off the screen by the person, a frame stays there when it is active again.
  form.move(available.center());
  for (QWidget* w : {static_cast<QWidget*>(&cornered), static_cast<QWidget*>(&form)})
    ASSERT_TRUE(ShowActive(*w));
  EXPECT_EQ(form.pos(), available.center());
  // Closed as it is, neither minimised nor maximised, it opens so the next time.
  ASSERT_TRUE(cornered.close());
  ASSERT_EQ(ReadDesktopSettings(store, kept), TSettingsReadResult::srRead);
  EXPECT_EQ(kept.WindowState, 0);
  form.showMinimized();  // closed minimised, it does not come back maximised
  ASSERT_TRUE(form.close());
  TMainForm next;
  EXPECT_FALSE(next.isMaximized());
  next.showMaximized();  // closed maximised, it does
  ASSERT_TRUE(next.close());
  EXPECT_TRUE(TMainForm().isMaximized());
  QFile::remove(QString::fromStdString(TSettingsStore().FileName()));
  // A placement kept from a larger screen comes back whole onto this one.
  const QRect screen(0, 0, 800, 600);
  EXPECT_EQ(WithinScreen(QRect(500, 300, 1600, 1000), screen), screen);
  EXPECT_EQ(WithinScreen(QRect(700, -20, 300, 200), screen), QRect(500, 0, 300, 200));
  EXPECT_EQ(WithinScreen(QRect(10, 20, 300, 200), screen), QRect(10, 20, 300, 200));
}

// Settings that cannot be read at all are reported once, and the frame starts on its defaults.
TEST_F(MainFormTest, UnreadableSettingsAreReportedAndTheFrameStillStarts) {
  const QString file = QString::fromStdString(TSettingsStore().FileName());
  QFile::remove(file);
  ASSERT_TRUE(QDir().mkpath(file));  // a folder where the settings file should be
  test::TFakeUserInterface ui;
  {
    TMainForm form(&ui);
    form.show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.close());
  }
  QDir(file).removeRecursively();
  // and the close says that its settings could not be kept, as the start said.
  const std::vector<std::string> said = {kRegistryErrorText,
                                         "The settings file cannot be accessed"};
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{said[0], said[1], said[0], said[1]}));
}

// The next session's frame opens with the folders last used and the bars as they were left.
TEST_F(MainFormTest, TheNextFrameKeepsTheFoldersAndBarsOfTheLast) {
  {
    TMainForm form;
    form.show();
    form.resize(700, 500);
    Globals().OpenDirectory = "/data/open";
    Globals().SaveDirectory = "/data/save";
    form.statusBar()->hide();
    form.findChild<QToolBar*>()->hide();
    EXPECT_TRUE(form.close());
  }
  const TPreferenceValues stored{12, 20, true, false, 0};  // each unlike its default
  TSettingsStore store;
  ASSERT_TRUE(WritePreferenceSettings(store, stored));
  ResetGlobals();
  TMainForm next;
  next.show();
  EXPECT_EQ(CurrentPreferences(), stored);
  EXPECT_EQ(next.size(), QSize(700, 500));  // where and as large as it was left
  // Every button of the tool bar shows its picture, the bar itself hidden as it was left.
  QToolBar* bar = next.findChild<QToolBar*>();
  EXPECT_FALSE(bar->isVisible());
  bar->show();
  QStringList tips;
  for (QAction* a : bar->actions()) {
    tips << (a->isSeparator() ? "-" : a->toolTip() + (a->statusTip().isEmpty() ? "" : "*"));
    EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << a->text().toStdString();
  }
  EXPECT_EQ(tips.join(' '), "New* Open* Save - Cut* Copy* Paste* - Optimize*");  // *: a hint
  // Optimize tells a fitted document from one that is not, whose curve is red.
  EXPECT_NE(ToolIcon(TToolIcon::tiOptimize).pixmap(24).toImage(),
            ToolIcon(TToolIcon::tiOptimized).pixmap(24).toImage());
  const auto red = [](QColor c) { return c.alpha() > 128 && c.red() > 150 && c.green() < 100; };
  EXPECT_GT(test::CountPixels(ToolIcon(TToolIcon::tiOptimize).pixmap(24).toImage(), red), 10);
  EXPECT_EQ(Globals().OpenDirectory, "/data/open");
  EXPECT_EQ(Globals().SaveDirectory, "/data/save");
  EXPECT_FALSE(next.statusBar()->isVisible());
  next.statusBar()->show();
  EXPECT_TRUE(next.close());
  QFile::remove(QString::fromStdString(store.FileName()));  // the next test starts afresh
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

// Minimised windows that do not fit in a row go a row higher, from the left again.
TEST(ArrangeMinimizedSubWindows, KeepsEveryWindowInTheArea) {
  QMdiArea area;
  area.resize(250, 300);
  area.show();
  for (int i = 0; i < 3; ++i) area.addSubWindow(new QWidget)->showMinimized();
  ArrangeMinimizedSubWindows(area);
  for (const QMdiSubWindow* w : area.subWindowList())
    EXPECT_TRUE(area.viewport()->rect().contains(w->geometry())) << w->geometry().x();
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
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  mUi.DialogPaths.push_back(mFolder.Path("a.aqv"));
  QTest::keySequence(&form, QKeySequence::Open);  // File > Open by its keys
  ASSERT_EQ(form.Children().size(), 1u);
  std::filesystem::create_directory(mFolder.Path("sub"));
  // The same file through a detour and through a link: no second window.
  EXPECT_TRUE(form.OpenFile(mFolder.Path("sub/../a.aqv"), false));
  std::filesystem::create_symlink(mFolder.Path("a.aqv"), mFolder.Path("link.aqv"));
  EXPECT_TRUE(form.OpenFile(mFolder.Path("link.aqv"), false));
  EXPECT_EQ(form.Children().size(), 1u);
  EXPECT_EQ(form.RecentFiles().Count(), 1);
  EXPECT_EQ(Globals().OpenDirectory, mFolder.Root());  // the next Open starts there
}

TEST_F(FrameFilesTest, ARefusedFileClosesItsWindowWithoutAQuestionAndLeavesTheRecentFiles) {
  TMainForm form(&mUi);
  std::ofstream(mFolder.Path("bad.aqv")) << "AQV data file version 2012\nbroken\n";
  form.RecentFiles().AddFile(mFolder.Path("bad.aqv"));
  for (QMenu* menu : form.findChildren<QMenu*>())  // File > Reopen > the file
    if (menu->title() == "&Reopen") menu->actions().value(0)->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(form.Children().empty());
  EXPECT_EQ(form.RecentFiles().Count(), 0);
  ASSERT_EQ(mUi.Messages.size(), 1u);  // only the reader's own message, no save question
  EXPECT_EQ(mUi.Messages[0].Text, "Could not open " + mFolder.Path("bad.aqv") +
                                      "!\nLine 3: the file ends inside the file's title lines.");
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
  // Closed, it stays closed when the frame is activated again.
  form.Children()[0]->Data().Saved = true;
  form.FileCloseClick();
  QApplication::processEvents();
  form.FirstActivation({"aqv", mFolder.Path("a.aqv").c_str()});
  EXPECT_TRUE(form.Children().empty());
}

// Leaving while an unsaved document computes asks it once; it closes when the computation stops.
TEST_F(FrameFilesTest, LeavingWhileADocumentComputesAsksItOnce) {
  TMainForm form(&mUi);
  ASSERT_TRUE(ShowActive(form));
  QTest::keySequence(&form, QKeySequence::New);
  ASSERT_NE(form.ActiveChild(), nullptr);
  TMDIChild& child = *form.ActiveChild();
  child.Data().Saved = false;
  child.Data().SetTimesPerLogCycle(100);
  mUi.Answers = {TModalResult::mrNo, TModalResult::mrNo};
  int calls = 0;
  mUi.OnProcessMessages = [&] {
    if (calls++ == 0) {
      EXPECT_FALSE(form.close());
    }
  };
  child.Data().SetModified(true);
  child.UpdateChart();
  QTRY_VERIFY(form.Children().empty());
  EXPECT_EQ(mUi.OnlyMessage(), "Save changes to ?");
}

// The frame's own ways of changing what a document's file holds make File > Close ask.
TEST_F(FrameFilesTest, FrameChangesThatTheFileKeepsMakeClosingAsk) {
  TMainForm form(&mUi);
  form.show();
  ASSERT_TRUE(form.OpenFile(mFolder.Path("a.aqv"), false));
  TAQVData& d = form.ActiveChild()->Data();
  auto* fileClose = form.findChild<QAction*>(QStringLiteral("FileClose"));
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
      {"View > Background images: Ctrl+B",
       [&] {
         ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
         const bool shown = d.ShowBackgroundImages;
         QTest::keySequence(&form, QKeySequence(Qt::CTRL | Qt::Key_B));
         EXPECT_NE(d.ShowBackgroundImages, shown);
       }},
      {"the length units menu",
       [&] {
         auto* menu = form.findChild<QMenu*>(QStringLiteral("LengthUnitsPopupMenu"));
         ASSERT_NE(menu, nullptr);
         QTest::mouseClick(lengthPanel, Qt::LeftButton, {}, QPoint(10, 5));
         EXPECT_FALSE(menu->isVisible()) << "only the right button opens the menu";
         QTest::mousePress(lengthPanel, Qt::RightButton, {}, QPoint(10, 5));
         ASSERT_TRUE(menu->isVisible()) << "open as the button goes down";
         QTest::mouseRelease(lengthPanel, Qt::RightButton, {}, QPoint(10, 5));
         QTest::mouseClick(menu, Qt::LeftButton, {},
                           menu->actionGeometry(menu->actions().value(0)).center());  // Feet
         EXPECT_EQ(d.LengthUnit(), TAQVLengthUnit::luFeet);
       }},
      {"Import image files: Add",
       [&] {
         mUi.Messages.clear();
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
         ASSERT_EQ(d.BackgroundFiles.size(), 3u);  // after the file's two, which are not there
         EXPECT_EQ(d.BackgroundFiles.back(), (TBackgroundFile{true, image.toStdString()}));
         EXPECT_FALSE(d.ImagesUnavailable) << "the image is there to show";
         const QString help = HelpFailureText(HelpPagePath(HelpFolder(), "import_image"));
         // The help's failure, once, and not a word about the image that loaded.
         EXPECT_EQ(mUi.Texts(), std::vector<std::string>{help.toStdString()});
       }},
      {"Import image files: an image's shown flag",
       [&] {
         test::AnswerDialog<TFilesSelectionForm>([](TFilesSelectionForm& files) {
           auto* list = files.findChild<QListWidget*>(QStringLiteral("FSListbox"));
           QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                             list->visualItemRect(list->item(2)).center());
           QTest::keyClick(list, Qt::Key_Space);
           test::PressButton(files, "OK");
         });
         importImages->trigger();
         EXPECT_EQ(d.BackgroundFiles.size(), 3u);  // the image listed already is not added again
         EXPECT_FALSE(d.BackgroundFiles.at(2).Checked);
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

// Opens a menu of the bar as OpenBarMenu does, reads the texts of the items kept ("-" for a
// separator, mnemonics left out) and closes it again with Escape.
QStringList MenuTexts(QMainWindow& form, const QString& menuTitle, bool byKeyboard,
                      const std::function<bool(const QAction*)>& keep) {
  QMenu* menu = OpenBarMenu(form, menuTitle, byKeyboard);
  if (menu == nullptr) {
    ADD_FAILURE() << "menu " << menuTitle.toStdString() << " did not open";
    return {};
  }
  QStringList texts;
  for (const QAction* a : menu->actions())
    if (keep(a)) texts << (a->isSeparator() ? QStringLiteral("-") : a->text().remove('&'));
  QTest::keyClick(menu, Qt::Key_Escape);
  QTest::keyClick(form.menuBar(), Qt::Key_Escape);
  return texts;
}

// The items a menu offers: enabled, separators left out.
bool Offered(const QAction* a) {
  return a->isEnabled() && !a->isSeparator();
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

TEST_F(FrameWindowsTest, APageChangeSetsTheWindowHintTheStatusBarAndTheHelpOfTheTabs) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TMDIChild& child = *mForm->ActiveChild();
  ClickTab(child, TDocumentPage::dpContourPlot);
  EXPECT_EQ(child.statusTip(), "Piezometric surface drawdown and build-up");
  EXPECT_EQ(mForm->StatusText(0), child.statusTip());
  // With the tabs focused, F1 asks for the page's help, not the first page's.
  child.PageControl()->tabBar()->setFocus();
  mUi.Messages.clear();
  QTest::keyClick(child.PageControl()->tabBar(), Qt::Key_F1);
  EXPECT_EQ(mUi.OnlyMessage(),
            HelpFailureText(HelpPagePath(HelpFolder(), "contour_plot")).toStdString());
  mUi.Messages.clear();
  ClickTab(child, TDocumentPage::dpPumpingWells);
  EXPECT_EQ(child.statusTip(), "Pumping wells");
  EXPECT_EQ(mForm->StatusText(0), "Pumping wells");
  // Nothing is fitted yet: Optimize shows so.
  EXPECT_EQ(mForm->Actions().Optimize->icon().pixmap(24).toImage(),
            ToolIcon(TToolIcon::tiOptimize).pixmap(24).toImage());
  // Opened again behind another window, the file's window comes to the front. Each window
  // brought to the front names its own page in the status bar.
  mForm->FileNewClick();
  ASSERT_NE(mForm->ActiveChild(), &child);
  EXPECT_EQ(mForm->StatusText(0).toStdString(), "General information");
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  EXPECT_EQ(mForm->ActiveChild(), &child);
  EXPECT_EQ(mForm->StatusText(0).toStdString(), "Pumping wells");
  EXPECT_EQ(HelpKeywordOf(child.PageControl()->tabBar()), "pumping_wells");
  // A unit picked in the document shows in the status bar at once.
  ClickTab(child, TDocumentPage::dpInfo);
  const QString before = mForm->StatusText(1);
  child.TimeUnitComboBox()->setFocus();
  QTest::keyClick(child.TimeUnitComboBox(), Qt::Key_Up);
  EXPECT_NE(mForm->StatusText(1).toStdString(), before.toStdString());
  EXPECT_EQ(mForm->StatusText(1).toStdString(), TimeUnitPanelText(child.Data().TimeUnit()));
  // The other document, brought to the front from the Window menu, shows its own units.
  const TAQVData& other = mForm->Children().at(1)->Data();
  ASSERT_NE(other.TimeUnit(), child.Data().TimeUnit());
  ChooseMenuItem(*mForm, "Window", "2 " + mForm->MdiArea()->subWindowList()[1]->windowTitle());
  EXPECT_EQ(mForm->StatusText(1).toStdString(), TimeUnitPanelText(other.TimeUnit()));
  EXPECT_EQ(mForm->StatusText(2).toStdString(), LengthUnitPanelText(other.LengthUnit()));
  // Closed one by one, the window left shows its page's hint, and none the frame's own.
  ClickTab(*mForm->ActiveChild(), TDocumentPage::dpAquiferSystem);
  for (const char* left : {"General information", kWelcomeText}) {
    mForm->ActiveChild()->Data().Saved = true;
    ChooseMenuItem(*mForm, "File", "Close");
    QApplication::processEvents();
    EXPECT_EQ(mForm->StatusText(0).toStdString(), left);
  }
}

TEST_F(FrameWindowsTest, HelpThatCannotOpenSaysSoAndNamesThePage) {
  // The offscreen platform has no browser: opening the page fails as on a bare desktop.
  mForm->WMHelp();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(QString::fromStdString(mUi.Messages[0].Text),
            HelpFailureText(HelpPagePath(HelpFolder(), "Introduction")));
  EXPECT_TRUE(QString::fromStdString(mUi.Messages[0].Text).contains("Introduction.html"));
  // A web page that cannot open says so too.
  mUi.Messages.clear();
  for (QAction* a : mForm->findChildren<QAction*>())
    if (a->text() == QStringLiteral("AQV homepage")) a->trigger();
  EXPECT_EQ(mUi.OnlyMessage(), kBrowserErrorText);
  mUi.Messages.clear();
  // What does open is the About box, and OK closes it.
  test::AnswerDialog<TAboutBox>([](TAboutBox& about) { test::PressButton(about, "OK"); });
  ChooseMenuItem(*mForm, "Help", "About...");
}

// A help page names in bold only captions the program shows (units and a closing colon aside), so
// that a person looks for a box, button or menu item that is there.
TEST_F(FrameWindowsTest, TheHelpPagesNameOnlyCaptionsTheProgramShows) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TFEMGridForm generator(mForm->ActiveChild()->Data(), mUi);
  QSet<QString> shown;
  const auto take = [&shown](QString text) {
    text = text.remove(QLatin1Char('&')).section(QStringLiteral(" ["), 0, 0);
    text = text.section(QStringLiteral(" ("), 0, 0);
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    shown.insert(text);
  };
  for (const QWidget* root :
       {static_cast<QWidget*>(mForm.get()), static_cast<QWidget*>(&generator)}) {
    for (const QLabel* label : root->findChildren<QLabel*>()) take(label->text());
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>())
      take(button->text());
    for (const QGroupBox* group : root->findChildren<QGroupBox*>()) take(group->title());
    for (const QAction* action : root->findChildren<QAction*>()) take(action->text());  // menus too
  }
  // The optimisation console's buttons take their captions as a run goes.
  for (std::string_view caption :
       {kStopCaption, kRunCaption, kCancelCaption, kAcceptCaption, kRejectCaption})
    take(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  const QRegularExpression bold(QStringLiteral("<b>(.*?)</b>"),
                                QRegularExpression::DotMatchesEverythingOption);
  const QFileInfoList pages = QDir(QStringLiteral(AQV_HELP_SOURCE_DIR)).entryInfoList({"*.html"});
  ASSERT_GE(pages.size(), 9);
  for (const QFileInfo& page : pages) {
    QFile file(page.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (auto match = bold.globalMatch(html); match.hasNext();) {
      const QString caption = match.next().captured(1).simplified();
      EXPECT_TRUE(shown.contains(caption))
          << page.fileName().toStdString() << ": " << caption.toStdString();
    }
  }
}

TEST_F(FrameWindowsTest, F1InTheModelGeneratorThatCannotOpenSaysWhereThePageIs) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  mUi.Messages.clear();  // the sample's images, which are not there
  test::AnswerDialog<TFEMGridForm>([](TFEMGridForm& form) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(ShowActive(form));
    QTest::keyClick(form.ModelLengthEdit(), Qt::Key_F1);
    test::ClickCentre(form.CloseButton());
  });
  ChooseMenuItem(*mForm, "Export", "Save model as FEM");
  EXPECT_EQ(mUi.OnlyMessage(),
            HelpFailureText(HelpPagePath(HelpFolder(), "fem_model")).toStdString());
  EXPECT_EQ(mForm->focusWidget(), mForm->ActiveChild()) << "the keys go back to the document";
}

TEST_F(FrameWindowsTest, TheExportMenuFollowsThePageAndTheEditMenuHoldsEveryCommand) {
  // A page (-1: no document) and the items of the Export menu enabled when it opens.
  const std::pair<int, const char*> cases[] = {
      {-1, ""},
      {0, "Save model as FEM"},
      {5, "Copy time graph, Save curves as FTH, Save model as FEM"},
      {6, "Copy contour plot, Save contours as XYZ, Save model as FEM"}};
  for (const auto& [page, offered] : cases) {
    if (page >= 0) {
      if (mForm->ActiveChild() == nullptr) mForm->OpenFile(mFolder.Path("a.aqv"), false);
      ClickTab(*mForm->ActiveChild(), static_cast<TDocumentPage>(page));
    }
    for (const bool byKeyboard : {false, true}) {
      SCOPED_TRACE(testing::Message() << "page " << page << (byKeyboard ? " keys" : " mouse"));
      const QStringList enabled = MenuTexts(*mForm, "Export", byKeyboard, Offered);
      EXPECT_EQ(enabled.join(", ").toStdString(), offered);
      const QStringList file =
          MenuTexts(*mForm, "File", byKeyboard, [](const QAction* a) { return a->isEnabled(); });
      EXPECT_EQ(file.contains("Close"), page >= 0) << "File > Close needs a document";
    }
    // A picture's copy asks its size; the time graph's metafile alone adds the vector drawing.
    for (const QString item : {"as Metafile", "as Bitmap"}) {
      if (page < 5) break;
      QGuiApplication::clipboard()->setText("kept");
      test::AnswerDialog<QDialog>([](QDialog& size) { test::PressButton(size, "Copy"); });
      ChooseMenuItemByKeys(*mForm, mForm->focusWidget(), "Export",
                           (page == 5 ? "Copy time graph/" : "Copy contour plot/") + item);
      const QMimeData* copy = QGuiApplication::clipboard()->mimeData();
      EXPECT_TRUE(copy->hasImage()) << item.toStdString();
      EXPECT_EQ(copy->hasFormat("image/svg+xml"), page == 6 || item == "as Metafile");
      ASSERT_TRUE(ShowActive(*mForm));  // as a window manager does once a dialog has gone
    }
  }
  // The Edit menu holds every edit command, whatever the page.
  const auto all = [](const QAction*) { return true; };
  const auto checked = [](const QAction* a) { return a->isChecked(); };
  EXPECT_EQ(MenuTexts(*mForm, "Edit", true, all).join(", ").toStdString(),
            "Cut, Copy, Paste, -, Delete row(s), Insert row(s), -, Clear, Select All");
  // The File menu's commands that give a hint in the status bar.
  const auto hinted = [](const QAction* a) { return !a->statusTip().isEmpty(); };
  EXPECT_EQ(MenuTexts(*mForm, "File", false, hinted).join(", ").toStdString(),
            "New, Open, Close, Exit");
  // The View menu ticks the bars that show.
  const QStringList ticked = MenuTexts(*mForm, "View", false, checked);
  EXPECT_TRUE(ticked.contains("Toolbar") && ticked.contains("Statusbar"))
      << ticked.join(", ").toStdString();
  ChooseMenuItem(*mForm, "View", "Toolbar");  // and takes a bar away
  EXPECT_FALSE(mForm->findChild<QToolBar*>()->isVisible());
}

// The Edit menu, opened with the mouse or the keys, offers what the control that has the keys
// can do: a cell's editor is a text field like the others, a grid acts on its cells. Closed,
// the menu gives the keys back to that control as it was.
TEST_F(FrameWindowsTest, TheEditMenuOffersWhatTheControlWithTheKeysCanDo) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  mUi.Messages.clear();  // the sample's images, which are not there
  TMDIChild& child = *mForm->ActiveChild();
  TAQVPumpingWellsGrid& grid = *child.PumpingWellsGrid();
  const auto cellEditor = [&]() -> QWidget* {
    ClickTab(child, TDocumentPage::dpPumpingWells);
    test::OpenCellEditor(grid, 3, 1);
    return grid.CellEditor();
  };
  // Selects the text of the caret's line, from its end back to its start, as Shift+Home does.
  const auto selectLine = [](QWidget* field) {
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_Home, Qt::ShiftModifier);
    return field;
  };
  const struct {
    const char* Name;
    std::function<QWidget*()> Focus;  // gives a control the keys and returns it
    const char* Enabled;
  } rows[] = {
      {"a cell's editor, its text selected", [&] { return selectLine(cellEditor()); },
       "Cut, Copy, Paste, Clear, Select All"},
      {"a cell's editor, nothing selected",
       [&] {
         QWidget* editor = cellEditor();
         QTest::keyClick(editor, Qt::Key_End);
         return editor;
       },
       "Paste, Select All"},
      {"a number field, its text selected",
       [&]() -> QWidget* {
         ClickTab(child, TDocumentPage::dpAquiferSystem);
         auto* elevation = child.findChild<QLineEdit*>(QStringLiteral("laElevationEdit"));
         test::ClickCentre(elevation);
         return selectLine(elevation);
       },
       "Cut, Copy, Paste, Clear, Select All"},
      {"the remarks, a word selected",
       [&]() -> QWidget* {
         ClickTab(child, TDocumentPage::dpInfo);
         TRemarksMemo* remarks = child.ProjectRemarksMemo();
         test::ClickCentre(remarks);
         QTest::keyClicks(remarks, QStringLiteral("Sand"));
         QTest::keyClick(remarks, Qt::Key_Home, Qt::ShiftModifier);
         return remarks;
       },
       "Cut, Copy, Paste, Clear, Select All"},
      {"a grid",
       [&]() -> QWidget* {
         cellEditor();
         QTest::keyClick(grid.CellEditor(), Qt::Key_Escape);
         return &grid;
       },
       "Copy, Paste, Delete row(s), Insert row(s), Select All"},
  };
  for (const auto& row : rows) {
    for (const bool byKeyboard : {false, true}) {
      SCOPED_TRACE(testing::Message() << row.Name << (byKeyboard ? ", keys" : ", mouse"));
      QApplication::clipboard()->setText(QStringLiteral("12"));
      QWidget* focus = row.Focus();
      ASSERT_TRUE(focus != nullptr && focus->hasFocus());
      EXPECT_EQ(MenuTexts(*mForm, "Edit", byKeyboard, Offered).join(", ").toStdString(),
                row.Enabled);
      EXPECT_EQ(QApplication::focusWidget(), focus) << "the keys go back to the control";
    }
  }
  // Edit > Copy chosen by the keys copies the text selected in the cell.
  QWidget* editor = rows[0].Focus();
  ASSERT_NE(editor, nullptr) << "the cell is edited again after the other pages and the menus";
  const QString selected = static_cast<QLineEdit*>(editor)->selectedText();
  ASSERT_FALSE(selected.isEmpty());
  ChooseMenuItemByKeys(*mForm, editor, "Edit", "&Copy");
  EXPECT_EQ(QApplication::clipboard()->text(), selected);
  ASSERT_TRUE(grid.IsEditing());
  // Left for another control while the menu bar has the keys, the cell is stored as on any
  // other exit.
  QTest::keyClicks(editor, QStringLiteral("5"));
  QTest::sendKeyEvent(QTest::Press, editor, Qt::Key_Alt, QString(), Qt::AltModifier);
  QTest::sendKeyEvent(QTest::Release, editor, Qt::Key_Alt, QString(), Qt::NoModifier);
  ASSERT_TRUE(mForm->menuBar()->hasFocus());
  test::ClickCentre(child.PumpingPeriodsGrid()->viewport());
  EXPECT_FALSE(grid.IsEditing());
  const TAQVData& d = child.Data();
  EXPECT_DOUBLE_EQ(d.PumpingWells[1].X * d.LengthFactor(), 5.0);
  EXPECT_TRUE(mUi.Messages.empty());
}

TEST_F(FrameWindowsTest, TheStatusBarGivesAClosedMenusHintBackAndShowsTheMapsCoordinates) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  ClickTab(*mForm->ActiveChild(), TDocumentPage::dpContourPlot);
  QMenu* calculate = OpenBarMenu(*mForm, "Calculate", false);
  ASSERT_NE(calculate, nullptr);
  QTest::mouseMove(calculate, calculate->actionGeometry(mForm->Actions().Optimize).center());
  EXPECT_EQ(mForm->StatusText(0), "Optimize");
  QTest::keyClick(calculate, Qt::Key_Escape);
  QTest::keyClick(mForm->menuBar(), Qt::Key_Escape);
  EXPECT_EQ(mForm->StatusText(0), "Piezometric surface drawdown and build-up");
  TAQVKaart* map = mForm->ActiveChild()->Map();
  const QPoint p = map->rect().center() + QPoint(map->width() / 8, 0);  // beside the well
  ASSERT_TRUE(QTest::qWaitFor([&] { return map->HintAt(p).Tip.contains("Drawdown"); }, 5000));
  QTest::mouseMove(map, p);
  EXPECT_EQ(mForm->StatusText(0), map->HintAt(p).Status);  // the coordinates alone
}

// A folder the save may not write, made here as a path whose folder is a regular file (root
// writes into read-only folders): the document stays the file it came from.
TEST_F(FrameWindowsTest, FailedSaveAsLeavesTheDocumentItsOldName) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TMDIChild& child = *mForm->ActiveChild();
  const QString caption = child.windowTitle();
  const std::string failed = mFolder.Path("a.aqv/b.aqv");
  mUi.DialogPaths.push_back(failed);
  mUi.Messages.clear();  // the sample's images, which are not there
  ChooseMenuItem(*mForm, "File", "Save as...");
  EXPECT_EQ(mUi.OnlyMessage(), "Could not save " + failed + "!\nThe folder does not exist.");
  EXPECT_EQ(child.Data().FileName, mFolder.Path("a.aqv"));
  EXPECT_EQ(child.windowTitle(), caption);
  EXPECT_EQ(mForm->RecentFiles().Count(), 1);
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  EXPECT_EQ(mForm->Children().size(), 1u) << "the open file is found under its old name";
}

TEST_F(FrameWindowsTest, TheMapRepaintsOnFocusMovesAndImageTogglesAndItsSizeShowsInTheStatusBar) {
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  TMDIChild& child = *mForm->ActiveChild();
  ClickTab(child, TDocumentPage::dpContourPlot);
  QApplication::processEvents();
  test::TPaintCounter counter;
  child.Map()->installEventFilter(&counter);
  auto* west = child.findChild<QWidget*>("coWestFloatEdit");
  auto* east = child.findChild<QWidget*>("coEastFloatEdit");
  test::ClickCentre(west);
  test::ClickCentre(east);
  ASSERT_TRUE(east->hasFocus());
  EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.Paints >= 1; }, 1000));
  counter.Paints = 0;  // and when Ctrl+B shows or hides its background images
  QTest::keySequence(mForm.get(), QKeySequence(Qt::CTRL | Qt::Key_B));
  EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.Paints >= 1; }, 1000));
  mForm->resize(mForm->size() - QSize(40, 30));  // the status bar gives the map's new size
  QApplication::processEvents();
  QStringList panels;
  for (const QLabel* label : mForm->statusBar()->findChildren<QLabel*>()) panels << label->text();
  const QWidget* map = child.Map();
  EXPECT_TRUE(
      panels.contains(QString("Width = %1, Height = %2").arg(map->width()).arg(map->height())))
      << panels.join('|').toStdString();
}

TEST_F(FrameWindowsTest, WindowMenuTilesBothWaysAndArrangesMinimisedWindows) {
  for (int i = 0; i < 3; ++i) mForm->FileNewClick();
  const QRect room = mForm->MdiArea()->viewport()->rect();
  const QList<QMdiSubWindow*> windows = mForm->MdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 3);
  ChooseMenuItem(*mForm, "Window", "2 " + windows[1]->windowTitle());  // numbered from 1
  EXPECT_EQ(mForm->MdiArea()->activeSubWindow(), windows[1]);
  // The active one has the check mark.
  EXPECT_EQ(MenuTexts(*mForm, "Window", true, [](const QAction* a) { return a->isChecked(); }),
            QStringList("2 " + windows[1]->windowTitle()));
  // Each document is listed once, after the fixed items.
  QString listed = "Cascade, Tile Horizontally, Tile Vertically, Minimize All, Arrange All, -";
  for (int i = 0; i < 3; ++i)
    listed += QString(", %1 %2").arg(i + 1).arg(windows[i]->windowTitle());
  const QStringList shown = MenuTexts(*mForm, "Window", false, [](const QAction*) { return true; });
  EXPECT_EQ(shown.join(", ").toStdString(), listed.toStdString());
  ChooseMenuItem(*mForm, "Window", "Tile Vertically");
  for (QMdiSubWindow* w : windows) EXPECT_EQ(w->height(), room.height());  // side by side
  EXPECT_EQ(windows[0]->width() + windows[1]->width() + windows[2]->width(), room.width());
  ChooseMenuItem(*mForm, "Window", "Tile Horizontally");
  for (QMdiSubWindow* w : windows) EXPECT_EQ(w->width(), room.width());  // stacked
  EXPECT_EQ(windows[0]->height() + windows[1]->height() + windows[2]->height(), room.height());

  ChooseMenuItem(*mForm, "Window", "Minimize All");
  windows[2]->showNormal();  // an open window stays where it is
  windows[2]->move(room.center() / 2);
  windows[0]->move(room.center());
  windows[1]->move(room.topLeft());
  ChooseMenuItem(*mForm, "Window", "Arrange All");
  // At the bottom of the area as it is now, a scroll bar included.
  const int bottom = mForm->MdiArea()->viewport()->rect().bottom();
  for (QMdiSubWindow* w : {windows[0], windows[1]}) {
    EXPECT_TRUE(w->isMinimized());  // arranged, not cascaded open
    EXPECT_EQ(w->geometry().bottom(), bottom);
  }
  EXPECT_FALSE(windows[0]->geometry().intersects(windows[1]->geometry()));
  EXPECT_EQ(windows[2]->pos(), room.center() / 2);
  windows[2]->move(room.bottomRight() - QPoint(20, 20));  // partly out: the area scrolls to it
  QApplication::processEvents();
  EXPECT_TRUE(mForm->MdiArea()->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(mForm->MdiArea()->verticalScrollBar()->isVisible());
}

// Calculate > Preferences, opened with the mouse or the keyboard, applies to every open
// document but for its length unit, which the file keeps. A value typed and not yet entered is
// the document's before that or any dialog opens, and an invalid one keeps the dialog closed.
TEST_F(FrameWindowsTest, PreferencesApplyAfterTheValueBeingTypedAndNotToTheLengthUnit) {
  mForm->FileNewClick();
  TAQVData& other = mForm->ActiveChild()->Data();
  other.Saved = true;
  ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  mUi.Messages.clear();  // the sample's images, which are not there
  TMDIChild& child = *mForm->ActiveChild();
  TAQVData& d = child.Data();
  const TAQVLengthUnit unit = d.LengthUnit();
  ClickTab(child, TDocumentPage::dpAquiferSystem);
  auto* elevation = child.findChild<QLineEdit*>(QStringLiteral("laElevationEdit"));
  const auto typeElevation = [&](const char* text) {
    ASSERT_TRUE(ShowActive(*mForm));  // as a window manager does once a dialog has gone
    test::ClickCentre(elevation);
    elevation->selectAll();
    QTest::keyClicks(elevation, QString::fromLatin1(text));
  };
  // What is typed, the Stehfest terms then chosen (0: the image files dialog, cancelled) and the
  // way the dialog opens.
  const std::tuple<const char*, int, std::function<void()>> ways[] = {
      {"12", 14, [&] { ChooseMenuItem(*mForm, "Calculate", "Preferences"); }},
      {"7", 6, [&] { ChooseMenuItemByKeys(*mForm, elevation, "Calculate", "Preferences"); }},
      {"9", 0, [&] { ChooseMenuItem(*mForm, "Import", "Import image files"); }},
  };
  for (const auto& [typed, nSt, open] : ways) {
    SCOPED_TRACE(typed);
    typeElevation(typed);
    if (nSt == 0)
      test::AnswerDialog<TFilesSelectionForm>([](auto& f) { test::PressButton(f, "Cancel"); });
    else
      test::AnswerDialog<TPreferencesForm>([&](TPreferencesForm& form) {
        form.StehfestComboBox()->setFocus();
        QTest::keyClicks(form.StehfestComboBox(), QString::number(nSt));
        QTest::keyClick(form.NCSpinEdit(), Qt::Key_Up);  // one time more per log cycle
        test::PressButton(form, "Apply");
      });
    open();
    QApplication::processEvents();
    EXPECT_EQ(d.StehfestTerms(), nSt != 0 ? nSt : 6);
    EXPECT_EQ(other.StehfestTerms(), d.StehfestTerms());
    EXPECT_EQ(elevation->text(), typed);
    EXPECT_EQ(d.SurfaceLevel(), std::stod(typed));
  }
  EXPECT_EQ(d.LengthUnit(), unit);
  EXPECT_EQ(std::pair(d.TimesPerLogCycle(), other.TimesPerLogCycle()), std::pair(12, 12));
  EXPECT_TRUE(other.Saved) << "the data file keeps no preference";
  mForm->FileNewClick();  // a document made later takes the preference as well
  EXPECT_EQ(mForm->ActiveChild()->Data().StehfestTerms(), d.StehfestTerms());

  typeElevation("1E");
  test::TDialogWatch watch;  // closes a dialog that opened, so that the test goes on to fail
  ChooseMenuItem(*mForm, "Calculate", "Preferences");
  watch.Timer.stop();
  EXPECT_FALSE(watch.Opened);
  EXPECT_EQ(mUi.OnlyMessage(), "Invalid value!");
  EXPECT_TRUE(QTest::qWaitFor([elevation] { return elevation->hasFocus(); }, 1000));
}

}  // namespace
}  // namespace aqv
