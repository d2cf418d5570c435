#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/gui/AQVActns.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/MyParentGrid.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

class TActionsTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    auto* layout = new QVBoxLayout(&mWindow);
    mGrid = new TMyParentGrid(&mWindow);
    mGrid->SetColCount(3);
    mGrid->SetRowCount(4);
    mGrid->SetCells(1, 1, "a");
    mEdit = new QLineEdit("some text", &mWindow);
    mReadOnly = new QLineEdit("fixed", &mWindow);
    mReadOnly->setReadOnly(true);
    mButton = new QPushButton("button", &mWindow);
    for (QWidget* w : std::initializer_list<QWidget*>{mGrid, mEdit, mReadOnly, mButton})
      layout->addWidget(w);
    mActions = CreateAQVActions(&mWindow);
    mWindow.addActions(mActions.All());
    QApplication::clipboard()->setText("1\t2");
    ASSERT_TRUE(test::ShowActive(mWindow));
  }
  void TearDown() override { QApplication::clipboard()->clear(); }

  // The edit actions by name, each in capitals where it is enabled.
  std::string Enabled() const {
    const QAction* actions[] = {mActions.Cut,       mActions.Copy,  mActions.Paste,
                                mActions.SelectAll, mActions.Clear, mActions.InsertRows,
                                mActions.DeleteRows};
    QStringList state = {"cut", "copy", "paste", "all", "clear", "insert", "delete"};
    for (int i = 0; i < state.size(); ++i)
      if (actions[i]->isEnabled()) state[i] = state[i].toUpper();
    return state.join(' ').toStdString();
  }
  static void Focus(QWidget* w) {
    w->setFocus();
    QCoreApplication::processEvents();
  }

  QWidget mWindow;
  TMyParentGrid* mGrid = nullptr;
  QLineEdit* mEdit = nullptr;
  QLineEdit* mReadOnly = nullptr;
  QPushButton* mButton = nullptr;
  TAQVActions mActions;
};

TEST_F(TActionsTest, EnabledStateFollowsTheFocusedControl) {
  Focus(mGrid);
  EXPECT_EQ(Enabled(), "cut COPY PASTE ALL clear INSERT DELETE") << "grid";

  Focus(mEdit);
  mEdit->deselect();
  EXPECT_EQ(Enabled(), "cut copy PASTE ALL clear insert delete") << "edit";
  mEdit->selectAll();
  EXPECT_EQ(Enabled(), "CUT COPY PASTE ALL CLEAR insert delete") << "selection";

  Focus(mReadOnly);
  mReadOnly->selectAll();
  EXPECT_EQ(Enabled(), "cut COPY paste ALL clear insert delete") << "read-only";

  Focus(mButton);
  EXPECT_EQ(Enabled(), "cut copy paste all clear insert delete") << "button";
}

TEST_F(TActionsTest, CellEditorCountsAsATextField) {
  Focus(mGrid);
  mGrid->SetCurrentCell(1, 1);
  QTest::keyClick(mGrid, Qt::Key_F2);
  ASSERT_TRUE(mGrid->IsEditing());
  mGrid->CellEditor()->selectAll();
  QCoreApplication::processEvents();
  EXPECT_EQ(Enabled(), "CUT COPY PASTE ALL CLEAR insert delete");
  mActions.Copy->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "a");
}

TEST_F(TActionsTest, PasteFollowsTheClipboardAndTheGridsPermission) {
  Focus(mGrid);
  QApplication::clipboard()->clear();
  QCoreApplication::processEvents();
  EXPECT_FALSE(mActions.Paste->isEnabled());
  QApplication::clipboard()->setText("x");
  QCoreApplication::processEvents();
  EXPECT_TRUE(mActions.Paste->isEnabled());
  mGrid->SetAllowPaste(false);
  mActions.Paste->SetControl(nullptr);  // refreshes
  EXPECT_FALSE(mActions.Paste->isEnabled());
}

TEST_F(TActionsTest, ControlLimitsTheActionToOneControl) {
  mActions.Copy->SetControl(mReadOnly);
  Focus(mGrid);
  EXPECT_FALSE(mActions.Copy->isEnabled());
  Focus(mReadOnly);
  mReadOnly->selectAll();
  EXPECT_TRUE(mActions.Copy->isEnabled());
  delete mReadOnly;
  mReadOnly = nullptr;
  EXPECT_EQ(mActions.Copy->Control(), nullptr) << "a destroyed control is forgotten";
}

TEST_F(TActionsTest, CutAndClearActOnTheSelectedText) {
  Focus(mEdit);
  mEdit->setSelection(0, 5);
  mActions.Cut->trigger();
  EXPECT_EQ(mEdit->text(), "text");
  EXPECT_EQ(QApplication::clipboard()->text(), "some ");
  mEdit->setSelection(0, 2);
  mActions.Clear->trigger();
  EXPECT_EQ(mEdit->text(), "xt");
  mEdit->selectAll();
  mActions.Cut->trigger();
  EXPECT_FALSE(mActions.SelectAll->isEnabled());  // nothing to select until something is typed
  QTest::keyClicks(mEdit, "y");
  EXPECT_TRUE(mActions.SelectAll->isEnabled());
  auto* rich = new QTextEdit(&mWindow);  // as a map's text box
  mWindow.layout()->addWidget(rich);
  Focus(rich);
  QTest::keyClicks(rich, "y");
  EXPECT_TRUE(mActions.SelectAll->isEnabled());
  EXPECT_FALSE(mActions.Copy->isEnabled());
  QTest::keyClick(rich, Qt::Key_Left, Qt::ShiftModifier);  // a selection made by keys alone
  EXPECT_TRUE(mActions.Copy->isEnabled());
  mActions.Cut->trigger();
  EXPECT_TRUE(rich->toPlainText().isEmpty());
}

TEST_F(TActionsTest, DataActionsNeedADocument) {
  for (QAction* a :
       std::initializer_list<QAction*>{mActions.Optimize, mActions.Save, mActions.SaveAs})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  mActions.SetData(mData.get());
  EXPECT_TRUE(mActions.Save->isEnabled());
  EXPECT_TRUE(mActions.Optimize->isEnabled());
  mActions.SetData(nullptr);
  EXPECT_FALSE(mActions.SaveAs->isEnabled());
}

TEST_F(TActionsTest, EveryCommandHasItsOwnShortcut) {
  QSet<QKeySequence> seen;
  for (QAction* a : mActions.All()) {
    if (a->shortcut().isEmpty()) continue;
    EXPECT_FALSE(seen.contains(a->shortcut())) << a->objectName().toStdString();
    seen.insert(a->shortcut());
  }
  EXPECT_EQ(seen.size(), 5);
  EXPECT_EQ(mActions.Save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(mActions.Cut->toolTip(), "Cut");
  EXPECT_EQ(mActions.Cut->statusTip(), "Cuts the selection and puts it on the Clipboard");
  EXPECT_EQ(mActions.Optimize->property("category").toString(), "AQVData");
}

TEST_F(TActionsTest, SelectAllInAWellGridTakesEveryWellAndNoEntryRow) {
  auto* wells = new TAQVPumpingWellsGrid(&mWindow);
  mWindow.layout()->addWidget(wells);
  wells->SetData(mData.get());
  for (int count : {1, 2}) {  // below capacity an entry row follows; at capacity there is none
    mData->SetPumpingWellCount(count);
    wells->LoadFromData();
    Focus(wells);
    mActions.SelectAll->trigger();
    const TGridRect expected{1, 1, wells->ColCount() - 1, count};
    EXPECT_EQ(wells->Selection(), expected) << count << " wells";
  }
  Focus(mGrid);  // any other grid: every cell that is not a heading
  mActions.SelectAll->trigger();
  EXPECT_EQ(mGrid->Selection(), (TGridRect{0, 1, 2, 3}));
}

}  // namespace
}  // namespace aqv
