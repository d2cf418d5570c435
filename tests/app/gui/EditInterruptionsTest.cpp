#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOptionComplex>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <string>

#include "app/gui/AQVActns.h"
#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/MAIN.h"
#include "app/gui/RemarksMemo.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/AQVTextEdit.h"
#include "model/AQVElements.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/Menus.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// One kind of edit: where it is, how a person types into it, what the document holds of it
// and what the field shows of that.
struct TEditKind {
  const char* Name;
  TDocumentPage Page;
  const char* Valid;  // two valid values, so that one always differs from the document's
  const char* OtherValid;
  const char* Refused;  // nullptr: the field refuses nothing
  const char* Message;  // the field's message for Refused
  bool Enters;          // whether Return enters the value (a memo takes it as a new line)
  bool Length;          // whether a switch of length unit converts the value
  // What the field shows of the document's value.
  std::function<std::string(TMDIChild&)> Document;
  // What the field shows now.
  std::function<std::string(TMDIChild&)> Shown = {};
  // Clicks into the field and types text over what it holds.
  std::function<void(TMDIChild&, const char* text)> Type = {};
  std::function<QWidget*(TMDIChild&)> Keyboard = {};  // the widget that has the keyboard meanwhile
};

enum class TCase { cTyped, cRefused, cEntered };

TAQVConductivitiesGrid& Grid(TMDIChild& w) {
  return *w.ConductivitiesGrid();
}
// The first aquifer's storativity cell, as the document's row numbers count it.
int AquiferRow(const TAQVData& d) {
  for (int r = 1; r <= d.RowCount(); ++r) {
    int layer = 0;
    if (d.RowToLayer(r, layer) && layer == 1) return r;
  }
  return -1;
}
constexpr int kStorativityCol = 8;

// A length shown in unit from, as unit to shows it.
std::string InUnit(const std::string& shown, TAQVLengthUnit from, TAQVLengthUnit to) {
  const double value = QString::fromStdString(shown).toDouble();
  const double metres = from == TAQVLengthUnit::luFeet ? value * 0.3048 : value;
  return FloatToStrTrim(7, 1e5, to == TAQVLengthUnit::luFeet ? metres / 0.3048 : metres, '.');
}

// What the grid shows of the document's storativity.
std::string DocumentStorativity(TMDIChild& w) {
  TAQVConductivitiesGrid fresh;
  fresh.SetData(&w.Data());
  fresh.LoadFromData();
  return fresh.Cells(kStorativityCol, AquiferRow(w.Data()));
}

// A single-line field of the document window, named name, as the rest of kind describes it: its
// text, typing over it after a click, and the field itself.
TEditKind LineField(TEditKind kind, const char* name) {
  const auto field = [name](TMDIChild& w) { return w.findChild<QLineEdit*>(QLatin1String(name)); };
  kind.Shown = [field](TMDIChild& w) { return field(w)->text().toStdString(); };
  kind.Type = [field](TMDIChild& w, const char* text) {
    test::ClickCentre(field(w));
    field(w)->selectAll();
    QTest::keyClicks(field(w), QString::fromLatin1(text));
  };
  kind.Keyboard = [field](TMDIChild& w) -> QWidget* { return field(w); };
  return kind;
}

const TEditKind kEdits[] = {
    {"a grid cell", TDocumentPage::dpAquiferSystem, "0.0003", "0.0004", "-1",
     "Value must be larger than 0!", true, false, DocumentStorativity,
     [](TMDIChild& w) {
       return Grid(w).IsEditing() ? Grid(w).CellEditor()->text().toStdString()
                                  : Grid(w).Cells(kStorativityCol, AquiferRow(w.Data()));
     },
     [](TMDIChild& w, const char* text) {
       // A person clicks elsewhere in the grid first: a click on the current cell would wait
       // to open its editor.
       const QModelIndex name = Grid(w).model()->index(AquiferRow(w.Data()) - 1, 10);
       QTest::mouseClick(Grid(w).viewport(), Qt::LeftButton, {}, Grid(w).visualRect(name).center());
       test::TypeInCell(Grid(w), kStorativityCol, AquiferRow(w.Data()), text);
     },
     [](TMDIChild& w) -> QWidget* {
       return Grid(w).IsEditing() ? static_cast<QWidget*>(Grid(w).CellEditor()) : &Grid(w);
     }},
    LineField({"a number field", TDocumentPage::dpAquiferSystem, "12.5", "7.25", "1E",
               "Invalid value!", true, true,
               [](TMDIChild& w) {
                 return FloatToStrTrim(7, 1e5, w.Data().SurfaceLevel(), Globals().DecimalSeparator);
               }},
              "laElevationEdit"),
    LineField(
        {"a spin field", TDocumentPage::dpInfo, "2", "1", "3", "Value must be between 1 and 2!",
         true, false, [](TMDIChild& w) { return std::to_string(w.Data().AquiferCount()); }},
        "nuNAQSpinEdit"),
    // A memo stores every key at once and refuses keys without a word; Return is a new line.
    {"the remarks", TDocumentPage::dpInfo, "Dune", "Sand", nullptr, nullptr, false, false,
     [](TMDIChild& w) { return w.Data().InfoTexts[5]; },
     [](TMDIChild& w) { return w.ProjectRemarksMemo()->toPlainText().toStdString(); },
     [](TMDIChild& w, const char* text) {
       test::ClickCentre(w.ProjectRemarksMemo());
       w.ProjectRemarksMemo()->selectAll();
       QTest::keyClicks(w.ProjectRemarksMemo(), QString::fromLatin1(text));
     },
     [](TMDIChild& w) -> QWidget* { return w.ProjectRemarksMemo(); }},
    {"a map text box", TDocumentPage::dpContourPlot, "Dune", "Sand", nullptr, nullptr, false, false,
     [](TMDIChild& w) { return w.Map()->TextEdits().front()->Record()->Text; },
     [](TMDIChild& w) { return w.Map()->TextEdits().front()->toPlainText().toStdString(); },
     [](TMDIChild& w, const char* text) {
       TAQVKaart& map = *w.Map();
       if (map.TextEdits().empty()) map.InsertText(QString(), 60, 60, 26, 100);
       TAQVTextEdit& box = *map.TextEdits().front();
       QTest::mouseClick(&map, Qt::LeftButton, {}, box.BoxRect().center());
       box.selectAll();
       QTest::keyClicks(&box, QString::fromLatin1(text));
     },
     [](TMDIChild& w) -> QWidget* { return w.Map()->TextEdits().front().get(); }},
};

class EditInterruptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    std::filesystem::copy_file(std::filesystem::path(AQV_TEST_DATA_DIR) / "v2012.aqv",
                               mFolder.Path("a.aqv"));
    mForm = std::make_unique<TMainForm>(&mUi);
    mForm->resize(1000, 700);
    ASSERT_TRUE(test::ShowActive(*mForm));
    mForm->FileNewClick();  // the other document
    ASSERT_TRUE(mForm->OpenFile(mFolder.Path("a.aqv"), false));
  }
  void TearDown() override {
    for (TMDIChild* child : mForm->Children()) child->Data().Saved = true;
    mForm.reset();
    ResetGlobals();
  }
  QLabel* Panel(const char* startsWith) const {
    for (QLabel* label : mForm->statusBar()->findChildren<QLabel*>())
      if (label->text().startsWith(QLatin1String(startsWith))) return label;
    ADD_FAILURE() << "no panel " << startsWith;
    return nullptr;
  }
  // Right-clicks a unit panel and clicks the menu's item other than the document's unit.
  void SwitchUnit(const char* panel, const char* menuName) {
    QLabel* label = Panel(panel);
    QTest::mousePress(label, Qt::RightButton, {}, QPoint(10, 5));
    QTest::mouseRelease(label, Qt::RightButton, {}, QPoint(10, 5));
    auto* menu = mForm->findChild<QMenu*>(QString::fromLatin1(menuName));
    if (!menu->isVisible()) return;
    QApplication::processEvents();  // the open menu's own events, as in test::OpenBarMenu
    for (QAction* item : menu->actions())
      if (!item->isChecked())
        return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  }
  // The close box of the maximised document, at the right of the menu bar.
  void ClickCloseBox() {
    QWidget* controls = mForm->menuBar()->cornerWidget(Qt::TopRightCorner);
    ASSERT_NE(controls, nullptr);
    QStyleOptionComplex option;
    option.initFrom(controls);
    option.subControls = QStyle::SC_All;
    const QRect box = controls->style()->subControlRect(QStyle::CC_MdiControls, &option,
                                                        QStyle::SC_MdiCloseButton, controls);
    QTest::mouseClick(controls, Qt::LeftButton, {}, box.center());
  }
  // The frame of document w, or of another document.
  QMdiSubWindow* Frame(const TMDIChild& w, bool itself) const {
    for (QMdiSubWindow* frame : mForm->MdiArea()->subWindowList())
      if ((frame->widget() == &w) == itself) return frame;
    return nullptr;
  }
  QToolButton* ToolButton(QAction* action) const {
    return qobject_cast<QToolButton*>(mForm->findChild<QToolBar*>()->widgetForAction(action));
  }
  bool Asked(TMDIChild& w) const {
    return std::ranges::count(mUi.Texts(), "Save changes to " + w.Data().FileName + "?") > 0;
  }

  test::TFakeUserInterface mUi;
  test::TTempFolder mFolder;
  std::unique_ptr<TMainForm> mForm;
};

// Every kind of edit through every interruption a person has. A value typed and not entered is
// the document's, in the unit it was typed in, before the command runs; a value the field
// refuses shows the field's message, the command does not run, and the field keeps the text and
// the keyboard; a value entered in a field that keeps the keyboard shows the document's value
// after the command.
TEST_F(EditInterruptionsTest, EveryEditThroughEveryInterruption) {
  TMDIChild& w = *mForm->ActiveChild();
  const auto menu = [this](const char* title, const char* item) {
    return [=, this] { test::ChooseMenuItem(*mForm, title, item); };
  };
  // A menu opened with its Alt letter; the arrows to the item, Return.
  const auto keys = [this](const char* title, const char* item) {
    return [=, this] {
      QTest::mouseMove(mForm->statusBar());  // the pointer away from where the menu opens
      QMenu* open = test::OpenBarMenu(*mForm, title, true);
      ASSERT_NE(open, nullptr);
      const auto on = [&] { return open->activeAction() && open->activeAction()->text() == item; };
      for (int i = 0; i < open->actions().size() && !on(); ++i) QTest::keyClick(open, Qt::Key_Down);
      QTest::keyClick(open, Qt::Key_Return);
    };
  };
  test::TDialogWatch* watch = nullptr;  // the dialog seen by the current interruption
  const auto dialogOpened = [&watch] { return watch->Opened; };
  TAQVLengthUnit lengthUnit{};
  TAQVTimeUnit timeUnit{};
  const auto asked = [&] { return Asked(w); };
  const struct TInterruption {
    const char* Name;
    std::function<void()> Act;
    std::function<bool()> Ran;
    TModalResult Answer = TModalResult::mrCancel;  // to the save or overwrite question
  } interruptions[] = {
      {"a menu by mouse", menu("Export", "Save model as FEM"), dialogOpened},
      {"a menu by keys", keys("Export", "Save model as FEM"), dialogOpened},
      {"a tool bar button", [&] { test::ClickCentre(ToolButton(mForm->Actions().Save)); },
       [&] { return w.Data().Saved; }, TModalResult::mrYes},
      {"the length units", [&] { SwitchUnit("Length units:", "LengthUnitsPopupMenu"); },
       [&] { return w.Data().LengthUnit() != lengthUnit; }},
      {"the time units", [&] { SwitchUnit("Time units:", "TimeUnitsPopupMenu"); },
       [&] { return w.Data().TimeUnit() != timeUnit; }},
      {"Preferences", menu("Calculate", "Preferences"), dialogOpened},
      {"Import image files", menu("Import", "Import image files"), dialogOpened},
      {"Save", [&] { QTest::keySequence(mForm.get(), QKeySequence::Save); },
       [&] { return w.Data().Saved; }, TModalResult::mrYes},
      {"Save as",
       [&] {
         mUi.DialogPaths = {mFolder.Path("b.aqv")};
         test::ChooseMenuItem(*mForm, "File", "Save as...");
       },
       [&] { return w.Data().Saved && mUi.DialogPaths.empty(); }, TModalResult::mrYes},
      {"Optimize", menu("Calculate", "Optimize"), [&] { return mUi.ConsolesOpened > 0; }},
      {"Close (box)", [&] { ClickCloseBox(); }, asked},
      {"Close (Ctrl+F4)",
       [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier); },
       asked},
      {"a page tab",
       [&] {
         QTabBar* tabs = w.PageControl()->tabBar();
         const int output = static_cast<int>(TDocumentPage::dpOutput);
         QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(output).center());
       },
       [&] { return w.ActivePage() == TDocumentPage::dpOutput; }},
      {"another document",
       [&] {
         const int n = static_cast<int>(mForm->MdiArea()->subWindowList().indexOf(Frame(w, false)));
         test::ChooseMenuItem(*mForm, "Window",
                              QString("%1 %2").arg(n + 1).arg(Frame(w, false)->windowTitle()));
       },
       [&] { return mForm->ActiveChild() != &w; }},
      {"Exit", menu("File", "Exit"), asked},
  };
  for (const TEditKind& edit : kEdits) {
    for (const TCase c : {TCase::cTyped, TCase::cRefused, TCase::cEntered}) {
      // A memo has no value to refuse and no Enter: it holds each key as it comes.
      if (c == TCase::cRefused && edit.Refused == nullptr) continue;
      if (c == TCase::cEntered && !edit.Enters) continue;
      for (const TInterruption& interruption : interruptions) {
        SCOPED_TRACE(testing::Message() << edit.Name << " "
                                        << "abc"[static_cast<int>(c)] << " " << interruption.Name);
        // Back to the document, its page and the field, behind the other document.
        if (mForm->Children().size() < 2) mForm->FileNewClick();
        for (TMDIChild* child : mForm->Children()) child->Data().Saved = child != &w;
        mForm->MdiArea()->setActiveSubWindow(Frame(w, true));
        ASSERT_TRUE(test::ShowActive(*mForm));
        test::ClickTab(w.PageControl(), static_cast<int>(edit.Page));
        const char* value = edit.Document(w) == edit.Valid ? edit.OtherValid : edit.Valid;
        const char* typed = c == TCase::cRefused ? edit.Refused : value;
        edit.Type(w, typed);
        if (c == TCase::cEntered) QTest::keyClick(edit.Keyboard(w), Qt::Key_Return);
        w.Data().Saved = false;
        lengthUnit = w.Data().LengthUnit();
        timeUnit = w.Data().TimeUnit();
        mUi.Messages.clear();
        mUi.Answers = {interruption.Answer};
        mUi.ConsolesOpened = 0;
        mUi.ConsoleWaitLimit = 0;  // a fit that starts is cancelled at once
        test::TDialogWatch dialogs;
        watch = &dialogs;
        interruption.Act();
        QApplication::processEvents();
        switch (c) {
          case TCase::cTyped:
            EXPECT_TRUE(interruption.Ran()) << mUi.OnlyMessage();
            // In the unit it was typed in.
            EXPECT_EQ(edit.Length ? InUnit(edit.Document(w), w.Data().LengthUnit(), lengthUnit)
                                  : edit.Document(w),
                      typed);
            break;
          case TCase::cRefused:
            EXPECT_TRUE(QTest::qWaitFor([&] { return !mUi.Messages.empty(); }, 1000));
            EXPECT_EQ(mUi.OnlyMessage(), edit.Message);
            EXPECT_FALSE(interruption.Ran());
            EXPECT_EQ(edit.Shown(w), typed);
            EXPECT_TRUE(QTest::qWaitFor([&] { return edit.Keyboard(w)->hasFocus(); }, 1000));
            // Emptied, the field lets the next interruption through.
            QTest::keyClick(edit.Keyboard(w), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit.Keyboard(w), Qt::Key_Backspace);
            QTest::keyClick(edit.Keyboard(w), Qt::Key_Escape);
            break;
          case TCase::cEntered:
            EXPECT_TRUE(interruption.Ran()) << mUi.OnlyMessage();
            EXPECT_EQ(edit.Shown(w), edit.Document(w));
            break;
        }
        mUi.DialogPaths.clear();
        watch = nullptr;
      }
    }
  }
}

}  // namespace
}  // namespace aqv
