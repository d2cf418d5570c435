#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVObservationWellsGrid.h"
#include "app/gui/AQVObservationsGrid.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/MyParentGrid.h"
#include "tests/app/gui/GridTestSupport.h"

namespace aqv::test {
namespace {

using TEditCycleTest = TGridTest;

TEST(TryStrToValue, ConvertsWithoutThrowing) {
  ResetGlobals();
  double v = 0;
  int k = 7;
  EXPECT_TRUE(TryStrToFloatValue("1E5", v));
  EXPECT_EQ(v, 100000.0);
  EXPECT_FALSE(TryStrToIntValue("", k));
  EXPECT_EQ(k, 7);
  EXPECT_FALSE(TryStrToFloatValue("1,5", v));
  Globals().DecimalSeparator = ',';
  EXPECT_TRUE(TryStrToFloatValue("1,5", v));
  EXPECT_EQ(v, 1.5);
  ResetGlobals();
}

TEST_F(TEditCycleTest, InvalidCellKeepsTheEditorUntilCorrected) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 6, 1, "-1");
  Click(grid, 3, 1);
  Settle();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  ASSERT_TRUE(mData->CheckCasingRadius(-1) == false);
  EXPECT_EQ(mUi.Messages[0].Text, Globals().DataErrorText);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(grid.IsEditing() && grid.CellEditor()->hasFocus());  // to be typed in again
  EXPECT_EQ(grid.Col(), 6);
  EXPECT_EQ(mData->PumpingWells[1].Rc, 0.1);

  grid.CellEditor()->selectAll();
  QTest::keyClicks(grid.CellEditor(), "0.25");
  Click(grid, 3, 1);
  Settle();
  EXPECT_EQ(mUi.Messages.size(), 1u);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(mData->PumpingWells[1].Rc, 0.25);
}

TEST_F(TEditCycleTest, InvalidCellIsNotLeftByTabArrowsOrCallDoExit) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 3, 1, "x");
  for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Up, Qt::Key_Down}) {
    Key(grid, key);
    EXPECT_TRUE(grid.IsEditing()) << key;
  }
  EXPECT_TRUE(grid.CallDoExit() == false);
  Settle();
  EXPECT_EQ(std::pair(grid.Col(), grid.Row()), std::pair(3, 1));
  // Attempts made before the message could appear show it once.
  EXPECT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages.back().Text, "Invalid value!");
  // The other tables say the same, whatever message another check left before.
  Key(grid, Qt::Key_Escape);
  TMyParentGrid* others[] = {&Shown<TAQVObservationWellsGrid>(), &Shown<TAQVObservationsGrid>(),
                             &Shown<TAQVPumpingPeriodsGrid>(), &Shown<TAQVConductivitiesGrid>()};
  for (TMyParentGrid* other : others) {
    Globals().DataErrorText = "Another grid's own message";
    mUi.Messages.clear();
    Type(*other, 3, 1, "x");
    Key(*other, Qt::Key_Return);
    Settle();
    EXPECT_EQ(mUi.OnlyMessage(), "Invalid value!");
    Key(*other, Qt::Key_Escape);
  }
}

TEST_F(TEditCycleTest, FocusLeavingAnInvalidCellComesBackToItsEditor) {
  QWidget window;
  auto* grid = new TAQVPumpingWellsGrid(&window);
  auto* elsewhere = new QLineEdit(&window);
  auto* last = new QLineEdit(&window);  // before the grid for Shift+Tab
  grid->setGeometry(0, 0, 1400, 200);
  elsewhere->setGeometry(0, 210, 200, 24);
  grid->SetData(mData.get());
  mGrids.push_back(grid);
  grid->LoadFromData();
  window.resize(1400, 240);
  ASSERT_TRUE(ShowActive(window));
  grid->setFocus();
  Type(*grid, 3, 1, "5");  // a value entered first closes its editor the usual way
  QTest::keyClick(grid->CellEditor(), Qt::Key_Return);
  Type(*grid, 3, 1, "x");
  elsewhere->setFocus(Qt::TabFocusReason);
  Settle();
  EXPECT_EQ(mUi.OnlyMessage(), "Invalid value!");
  ASSERT_TRUE(grid->IsEditing());
  EXPECT_EQ(QApplication::focusWidget(), grid->CellEditor());

  grid->CellEditor()->selectAll();
  QTest::keyClicks(grid->CellEditor(), "5");
  QTest::keyClick(grid->CellEditor(), Qt::Key_Tab);  // Tab leaves the grid
  Settle();
  EXPECT_EQ(QApplication::focusWidget(), elsewhere);
  EXPECT_EQ(mUi.Messages.size(), 1u);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(mData->PumpingWells[1].X, 5.0);
  Type(*grid, 3, 1, "6");
  QTest::keyClick(grid->CellEditor(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), last);
  mGrids.clear();
}

TEST_F(TEditCycleTest, DrawingDoesNotReplaceTheMessageOfTheEditedCell) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 6, 1, "-1");
  ASSERT_FALSE(mData->CheckCasingRadius(-1));
  const std::string expected = Globals().DataErrorText;
  // Drawing checks every cell, the skin and the period count among them.
  (void)grid.grab();
  Key(grid, Qt::Key_Return);
  Settle();
  EXPECT_EQ(mUi.OnlyMessage(), expected);
}

TEST_F(TEditCycleTest, EnterOnAnInvalidCellShowsTheMessageAndLeavesTheEditorOpen) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 12, 1, "0");
  Key(grid, Qt::Key_Return);
  Settle();
  EXPECT_TRUE(grid.IsEditing());
  ASSERT_EQ(mUi.Messages.size(), 1u);
  Key(grid, Qt::Key_Return);  // each Enter on it says so again
  Settle();
  ASSERT_EQ(mUi.Messages.size(), 2u);
  Key(grid, Qt::Key_Backspace);
  QTest::keyClicks(grid.CellEditor(), "3");
  Key(grid, Qt::Key_Return);
  Settle();
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 3);
  mChanges = 0;
  Click(grid, 3, 1);  // the stored cell is not stored again when left
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TEditCycleTest, EscapeRestoresTheCellAndItsValidState) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  const std::string before = grid.Cells(3, 1);
  Type(grid, 3, 1, "abc");
  EXPECT_FALSE(grid.Valid());
  Key(grid, Qt::Key_Escape);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_TRUE(grid.Valid());
  EXPECT_EQ(grid.Cells(3, 1), before);
  Click(grid, 4, 1);
  Settle();
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(grid.Col(), 4);
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TEditCycleTest, AReloadWhileTypingKeepsWhatTheEditorShows) {
  // Another part of the window changes the document and the grids reload under the editor.
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  const auto reloadWithX = [&](double x) {
    mData->PumpingWells[1].X = x;
    grid.LoadFromData();
  };
  Type(grid, 3, 1, "40");
  reloadWithX(5);
  ASSERT_TRUE(grid.IsEditing());
  EXPECT_EQ(grid.CellEditor()->text(), "40");
  Key(grid, Qt::Key_Return);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(mData->PumpingWells[1].X, 40.0);
  EXPECT_EQ(grid.Cells(3, 1), "40");

  // Escape after a reload puts back the value the reload showed, not the one from before it.
  Type(grid, 3, 1, "99");
  reloadWithX(6);
  Key(grid, Qt::Key_Escape);
  EXPECT_EQ(grid.Cells(3, 1), "6");
  // An editor that was only opened takes the reloaded value too: Enter stores nothing stale.
  Click(grid, 3, 1);
  Key(grid, Qt::Key_F2);
  reloadWithX(8);
  EXPECT_EQ(grid.CellEditor()->text(), "8");
  Key(grid, Qt::Key_Return);
  EXPECT_EQ(mData->PumpingWells[1].X, 8.0);
  // Selected, as when the editor opened: what is typed next replaces it.
  Click(grid, 3, 1);
  Key(grid, Qt::Key_F2);
  reloadWithX(7);
  QTest::keyClicks(grid.CellEditor(), "9");
  Key(grid, Qt::Key_Return);
  EXPECT_EQ(mData->PumpingWells[1].X, 9.0);
  auto& layers = Shown<TAQVConductivitiesGrid>();  // the aquifer system's grid alike
  Type(layers, 10, 3, "Clay");                     // in the lowest layer
  mData->AquitardName[2] = "Peat";
  layers.LoadFromData();
  Key(layers, Qt::Key_Escape);
  EXPECT_EQ(layers.Cells(10, 3), "Peat");
  EXPECT_EQ(layers.Row(), 3);
}

TEST_F(TEditCycleTest, LeavingAnUnchangedCellStoresNothing) {
  mData->PumpingWells[1].Rc = 0.123456789;  // more digits than the grid shows
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  mData->SetCurrentPumpingWell(1);
  mChanges = 0;
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Click(grid, 6, 1);
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid.IsEditing());
  Key(grid, Qt::Key_Right);  // to the end of the selected text
  Key(grid, Qt::Key_Right);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Col(), 7);
  EXPECT_EQ(mData->PumpingWells[1].Rc, 0.123456789);
  EXPECT_EQ(mChanges, 0);
  Click(grid, 3, 2);  // the next click is judged as ever, and makes its well current
  EXPECT_EQ(mData->CurrentPumpingWell(), 2);
}

TEST_F(TEditCycleTest, ArrowsLeaveTheCellOnlyFromTheEdgesOfTheText) {
  mData->PumpingWells[1].Y = 3;
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 3, 1, "12");
  QLineEdit* editor = grid.CellEditor();
  const QPoint beside(5, grid.viewport()->height() - 5);  // below the rows
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, beside);
  EXPECT_TRUE(editor->hasFocus());  // the typing goes on
  Key(grid, Qt::Key_Left);          // caret from the end to between the digits
  Key(grid, Qt::Key_Left);          // from position 1 to the start: still inside the cell
  EXPECT_TRUE(grid.IsEditing());
  EXPECT_EQ(editor->cursorPosition(), 0);
  Key(grid, Qt::Key_Left);  // caret at the start: the cell is committed and left
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_EQ(mData->PumpingWells[1].X, 12.0);

  // F2 selects the whole text: Right first goes to its end, so that the value can be extended.
  Click(grid, 4, 1);
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid.CellEditor()->hasSelectedText());
  Key(grid, Qt::Key_Right);
  ASSERT_TRUE(grid.IsEditing());
  QTest::keyClicks(grid.CellEditor(), "7");
  Key(grid, Qt::Key_Right);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Col(), 5);
  EXPECT_EQ(mData->PumpingWells[1].Y, 37.0);  // "3" extended
  // Up and Down, a line or a page, leave wherever the caret is; the current well follows.
  for (const auto& [from, key, value] : {std::tuple{2, Qt::Key_Up, "5"},
                                         {1, Qt::Key_Down, "6"},
                                         {2, Qt::Key_PageUp, "7"},
                                         {1, Qt::Key_PageDown, "8"}}) {
    Type(grid, 3, from, value);
    Key(grid, key);
    EXPECT_EQ(std::pair(grid.Row(), mData->CurrentPumpingWell()), std::pair(3 - from, 3 - from));
    EXPECT_EQ(mData->PumpingWells[from].X, std::stod(value)) << key;
  }
}

TEST_F(TEditCycleTest, CopyGivesTabsAndALineBreakAfterEveryRow) {
  TAQVPumpingWellsGrid grid;
  grid.SetRowCount(4);
  const char* texts[2][3] = {{"a", "b", "c"}, {"d", "e", "f"}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) grid.SetCells(2 + c, 1 + r, texts[r][c]);
  grid.SetSelectionRect({2, 1, 4, 2});
  grid.CopyToClipboard();
  EXPECT_EQ(QApplication::clipboard()->text(), "a\tb\tc\r\nd\te\tf\r\n");
  TMyParentGrid plain;  // pasted back one row lower and one column to the left, it shows there
  plain.SetColCount(5);
  plain.SetRowCount(4);
  plain.SetSelectionRect({1, 2, 1, 2});
  plain.PasteFromClipboard();
  EXPECT_EQ(plain.Cells(1, 2) + plain.Cells(3, 3), "af");
}

// The aquifer-system grid keeps the plain paste: rows and columns bounded, each cell stored.
TEST_F(TEditCycleTest, PasteOutsideTheBordersChangesNothing) {
  auto& grid = Shown<TAQVConductivitiesGrid>();
  const std::string name = mData->AquiferName[1];
  PasteAt(grid, 9, 2, "1\tA\tB");
  EXPECT_EQ(mUi.OnlyMessage(), "Can not paste outside grid borders!");
  EXPECT_EQ(mChanges, 0);
  EXPECT_EQ(mData->AquiferName[1], name);
}

TEST_F(TEditCycleTest, PasteWithAnInvalidValueChangesNothing) {
  auto& grid = Shown<TAQVConductivitiesGrid>();
  const double kh = mData->Kh[1];
  PasteAt(grid, 3, 2, "-5\tT1\t10\r\n");
  EXPECT_EQ(mUi.OnlyMessage(),
            "The selection contains 1 invalid value(s). Can not paste!\n"
            "First invalid value: row 2, column \"Kv [m/d]\", text \"-5\"");
  EXPECT_EQ(mData->Kh[1], kh);
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TEditCycleTest, PastedLevelsAreJudgedInTheDocumentThePasteMakes) {
  // Each base level is the top of the row below it, so two levels are judged together.
  auto& grid = Shown<TAQVConductivitiesGrid>();
  ASSERT_EQ(mData->RowTopLevel(1), 0.0);
  ASSERT_EQ(mData->RowBottomLevel(1), -1.0);
  PasteAt(grid, 1, 1, "-20\r\n-10\r\n");  // the aquifer would be -10 thick
  EXPECT_EQ(mUi.OnlyMessage(),
            "The selection contains 1 invalid value(s). Can not paste!\n"
            "First invalid value: row 2, column \"Base [m]\", text \"-10\"");
  EXPECT_EQ(mData->DAquitard[1], 1.0);
  EXPECT_EQ(mData->D[1], 1.0);
  EXPECT_EQ(mChanges, 0);
  // Levels that hold only together are pasted: -0.5 lies below the new top -0.2.
  mUi.Messages.clear();
  PasteAt(grid, 1, 1, "-0.2\r\n-0.5\r\n", true);  // from the grid's menu
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_DOUBLE_EQ(mData->DAquitard[1], 0.2);
  EXPECT_DOUBLE_EQ(mData->D[1], 0.3);
  EXPECT_TRUE(grid.AllCellsValid());
}

TEST_F(TEditCycleTest, PasteStoresEveryCellOfTheAquiferSystem) {
  auto& grid = Shown<TAQVConductivitiesGrid>();
  int k = 0;
  ASSERT_TRUE(mData->RowToLayer(2, k));
  Type(grid, 10, 1, "Peat");  // stored before the paste, which then replaces it
  PasteAt(grid, 10, 1, "Clay\r\nSand\r\n");
  EXPECT_TRUE(!grid.IsEditing() && mUi.Messages.empty());
  EXPECT_EQ(mData->AquitardName[1], "Clay");
  EXPECT_EQ(mData->AquiferName[k], "Sand");
  EXPECT_EQ(grid.Cells(10, 2), "Sand");  // and shown once the grid shows the document afresh
}

}  // namespace
}  // namespace aqv::test
