#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"
#include "app/gui/Help.h"
#include "app/gui/MAIN.h"
#include "app/gui/MRUList.h"
#include "app/gui/Startup.h"
#include "chart/gui/MyChart.h"
#include "controls/QtDrawing.h"
#include "map/gui/AQVKaart.h"
#include "model/AQVElements.h"
#include "tests/e2e/Person.h"
#include "tests/support/Clicks.h"
#include "tests/support/TempFolder.h"

namespace aqv::e2e {

// The journeys' shared start: the sample file, and the fixture that starts and ends the program.
inline constexpr const char* kSample = AQV_TEST_DATA_DIR "/v2012.aqv";

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A data file's text with an empty list of background images: the samples' images are on a
// drive no test machine has.
inline std::string WithoutImages(std::string text) {
  const std::size_t from = text.find("No. of files : ");
  const std::size_t to = text.find("=== Contour plot options");
  return text.replace(from, to - from, "No. of files : 0\r\n");
}

// Takes the help pages the program opens instead of a browser.
class THelpCatcher : public QObject {
  Q_OBJECT
 public:
  THelpCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
  ~THelpCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
  Q_INVOKABLE void Open(const QUrl& url) { Urls.append(url); }
  // One page was opened since the last look, the existing help page of keyword.
  void ExpectOnePage(const char* keyword) {
    ASSERT_EQ(Urls.size(), 1);
    const QString page = Urls.takeFirst().toLocalFile();
    EXPECT_TRUE(page.endsWith(QStringLiteral("/help/%1.html").arg(keyword))) << page.toStdString();
    EXPECT_TRUE(QFile::exists(page));
  }
  QList<QUrl> Urls;
};

// A journey starts the program as its entry does (process-wide values, application names, the
// frame window with its real Qt user interface) and ends it, leaving nothing open.
class Journey : public ::testing::Test {
 protected:
  void SetUp() override { StartProgram(); }
  void TearDown() override {
    EXPECT_TRUE(mPerson.Unexpected().isEmpty()) << mPerson.Unexpected().join("\n").toStdString();
    EXPECT_TRUE(mPerson.Done()) << "an answer was not used";
    if (mForm) {
      // What a journey left open goes without questions.
      for (TMDIChild* child : mForm->Children()) child->Data().Saved = true;
      mForm->close();
    }
    mForm.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void StartProgram() {
    ResetGlobals();
    InitApplication();
    mForm = std::make_unique<TMainForm>();
    mPerson.SetFrame(mForm.get());
    mForm->show();
    ASSERT_TRUE(GiveKeyboard(mForm.get()));
  }
  // File > Exit; false when the program stayed open.
  bool ExitProgram() {
    if (!ChooseMenu(*mForm, {"File", "Exit"}) || mForm->isVisible()) return false;
    mForm.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
  }

  // File > New or File > Open, then the page shown when one is given. A journey cannot go on
  // without the document's window: when none came, the exception ends it as a failure.
  TMDIChild* NewDocument(std::optional<TDocumentPage> page = {}) {
    const std::size_t before = mForm->Children().size();
    EXPECT_TRUE(ChooseMenu(*mForm, {"File", "New"}));
    EXPECT_EQ(mForm->Children().size(), before + 1);
    return Shown(mForm->ActiveChild(), page);
  }
  TMDIChild* OpenDocument(const std::string& path, std::optional<TDocumentPage> page = {}) {
    mPerson.TypeFileName(QString::fromStdString(path));
    EXPECT_TRUE(ChooseMenu(*mForm, {"File", "Open"}));
    TMDIChild* child = Shown(mForm->ActiveChild(), {});
    EXPECT_EQ(child->Data().FileName, path);
    return Shown(child, page);
  }
  static TMDIChild* Shown(TMDIChild* child, std::optional<TDocumentPage> page) {
    if (child == nullptr) throw std::runtime_error("no document window");
    if (page) ShowPage(*child, *page);
    return child;
  }
  // A copy of the sample in the journey's folder, so that saving never touches the original,
  // without the sample's images, which no test machine has.
  std::string SampleCopy(const std::string& name) {
    const std::string path = mFolder.Path(name);
    std::ofstream(path, std::ios::binary) << WithoutImages(ReadAll(kSample));
    return path;
  }

  static void ShowPage(TMDIChild& child, TDocumentPage page) {
    QTabBar* tabs = child.PageControl()->tabBar();
    const int index = static_cast<int>(page);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    ASSERT_TRUE(WaitUntil([&] { return child.PageControl()->currentIndex() == index; }, 3000));
    QApplication::processEvents();
  }
  // A person works in the window that has the keyboard; after a dialog it may take a moment
  // to get it back, and without a window manager nobody but the person gives it back.
  static void WaitForKeyboard(QWidget* widget) {
    EXPECT_TRUE(GiveKeyboard(widget))
        << "no keyboard for " << widget->window()->metaObject()->className();
  }
  // A person clicks what the screen shows, and the click gives its window the keyboard; the
  // click itself does not wait for the keyboard.
  static void Click(QWidget* widget) {
    EXPECT_TRUE(WaitUntil([widget] { return IsOnScreen(widget); }))
        << "not on the screen: " << widget->objectName().toStdString();
    if (!widget->window()->isActiveWindow()) widget->window()->activateWindow();
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  }
  // Clicks into a text field, replaces its text by typing, and leaves the field with key (stays
  // in it with Qt::Key_unknown).
  static void TypeInto(QLineEdit* edit, const QString& text, Qt::Key key = Qt::Key_Tab) {
    Click(edit);
    EXPECT_TRUE(WaitUntil([edit] { return edit->hasFocus(); }))
        << "no keyboard for " << edit->objectName().toStdString()
        << "; active window: " << ClassOf(QApplication::activeWindow());
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (key != Qt::Key_unknown) QTest::keyClick(edit, key);
  }
  // Clicks a grid cell (row 1 is the first data row), opens its editor and types text.
  static void TypeInGrid(TMyParentGrid& grid, int col, int row, const QString& text) {
    WaitForKeyboard(&grid);
    test::TypeInCell(grid, col, row, text);
  }
  // The grid row of aquifer k.
  static int AquiferRow(const TAQVData& d, int k) {
    for (int r = 1; r <= d.RowCount(); ++r) {
      int layer = 0;
      if (d.RowToLayer(r, layer) && layer == k) return r;
    }
    return -1;
  }
  // The class of a widget for a failure's message.
  static const char* ClassOf(const QWidget* widget) {
    return widget != nullptr ? widget->metaObject()->className() : "none";
  }
  void ExpectNoMessages() const {
    EXPECT_TRUE(mPerson.Messages().isEmpty()) << mPerson.Messages().join("\n").toStdString();
  }

  test::TTempFolder mFolder;
  TPerson mPerson;
  std::unique_ptr<TMainForm> mForm;
};

}  // namespace aqv::e2e
