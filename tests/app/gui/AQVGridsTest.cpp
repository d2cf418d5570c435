#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>

#include "app/gui/AQVCheckListBox.h"
#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVObservationWellsGrid.h"
#include "app/gui/AQVObservationsGrid.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/AQVSelectLayer.h"
#include "tests/app/gui/GridTestSupport.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv::test {
namespace {

using TInputGridsTest = TGridTest;

QColor ColourAt(TMyParentGrid& g, int col, int row) {
  const QRect cell = g.visualRect(g.model()->index(row - 1, col));
  return QColor(g.viewport()->grab().toImage().pixel(cell.topLeft() + QPoint(3, 3)));
}

// --- Pumping wells ---------------------------------------------------------------------------

TEST_F(TInputGridsTest, EntryRowAcceptsOnlyTheNameColumnAndAddsNoWellUncommitted) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  ASSERT_EQ(mData->PumpingWellCount(), 1);
  ASSERT_EQ(grid.RowCount(), 3);  // titles, the well, the entry row
  EXPECT_EQ(grid.DataRowCount(), 1);
  Click(grid, 3, 2);
  EXPECT_EQ(grid.Row(), 1);
  Click(grid, 2, 2);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 2);
  // An entry cell that was only opened can be left; Escape there adds no well either.
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid.IsEditing());
  Click(grid, 3, 1);
  Settle();
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(grid.Row(), 1);
  Type(grid, 2, 2, "P2");
  Key(grid, Qt::Key_Escape);
  Click(grid, 2, 1);
  EXPECT_EQ(mData->PumpingWellCount(), 1);
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TInputGridsTest, CommittedNameInTheEntryRowAddsAWell) {
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Type(grid, 2, 2, "P2");
  // Typing alone (and checking each keystroke) adds nothing.
  EXPECT_EQ(mData->PumpingWellCount(), 1);
  Key(grid, Qt::Key_Return);
  EXPECT_EQ(mData->PumpingWellCount(), 2);
  EXPECT_EQ(mData->PumpingWells[2].Name, "P2");
  Type(grid, 3, 2, "40");
  Key(grid, Qt::Key_Return);
  EXPECT_EQ(mData->PumpingWells[2].X, 40.0);
}

TEST_F(TInputGridsTest, AtCapacityThereIsNoEntryRow) {
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  EXPECT_EQ(grid.RowCount(), 1 + kMaxPumpingWells);
  EXPECT_EQ(grid.DataRowCount(), kMaxPumpingWells);
  TAQVObservationWellsGrid wells;
  Show(wells);
  EXPECT_EQ(wells.RowCount(), 3);  // below it, no blank rows beyond the entry row
  wells.clearFocus();              // its one well is marked as the current one
  EXPECT_EQ(ColourAt(wells, 5, 1), QColor(0x96, 0xEB, 0x96));
  ASSERT_TRUE(mData->InsertObservationWells(2, kMaxObservationWells - 1));
  wells.LoadFromData();
  EXPECT_EQ(wells.RowCount(), 1 + kMaxObservationWells);
}

TEST_F(TInputGridsTest, SelectingARowMakesItTheCurrentWell) {
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  ASSERT_TRUE(mData->InsertObservationWells(2, 1));
  Click(Shown<TAQVPumpingWellsGrid>(), 3, 2);
  Click(Shown<TAQVObservationWellsGrid>(), 3, 2);
  EXPECT_EQ(mData->CurrentPumpingWell(), 2);
  EXPECT_EQ(mData->CurrentObservationWell(), 2);
}

// Whether the Include box of a row shows its check mark: dark pixels inside the box, whatever
// the colour of the cell around it.
bool BoxShowsCheck(TMyParentGrid& grid, int row) {
  const QPoint centre = grid.visualRect(grid.model()->index(row - 1, 1)).center();
  const auto dark = [](QColor c) { return c.lightness() < 100; };
  return CountPixels(grid.viewport()->grab().toImage(), dark, {centre - QPoint(3, 3), QSize(7, 7)});
}

// The pixels of a cell in another colour than its bottom right corner: what is written there.
int Ink(TMyParentGrid& grid, int col, int row) {
  const QImage cells = grid.viewport()->grab().toImage();
  const QRect cell = grid.visualRect(grid.model()->index(row - 1, col)).adjusted(2, 2, -2, -2);
  const QRgb ground = cells.pixel(cell.bottomRight());
  return CountPixels(
      cells, [ground](QColor c) { return c.rgb() != ground; }, cell);
}

TEST_F(TInputGridsTest, IncludeBoxFlipsOnClickAndOnSpace) {
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Click(grid, 1, 2);
  EXPECT_FALSE(mData->PumpingWells[2].Included[0]);
  EXPECT_FALSE(BoxShowsCheck(grid, 2));
  Key(grid, Qt::Key_Space);
  EXPECT_TRUE(mData->PumpingWells[2].Included[0]);
  EXPECT_TRUE(BoxShowsCheck(grid, 2));
  // The last included well stays included, with the document's message.
  Click(grid, 1, 1);
  Click(grid, 1, 2);
  Settle();
  EXPECT_FALSE(mData->PumpingWells[1].Included[0]);
  EXPECT_TRUE(mData->PumpingWells[2].Included[0]);
  EXPECT_EQ(mUi.Messages.size(), 1u);
}

// Where a person clicks the check box of item i of a list.
QPoint CheckBoxCentre(QListWidget& list, int i) {
  QStyleOptionViewItem option;
  option.initFrom(list.viewport());
  option.rect = list.visualItemRect(list.item(i));
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  return list.style()
      ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list)
      .center();
}

TEST_F(TInputGridsTest, LayerPopupListsTheLayersAndStoresEachClickOnce) {
  mData->SetAquiferCount(2);
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  Click(grid, 5, 1);
  const QRect cell = grid.visualRect(grid.model()->index(0, 5));
  const QPoint arrow(cell.right() - 8, cell.center().y());  // the cell's drop-down arrow
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, arrow);
  TAQVSelectLayerForm* popup = grid.LayerPopup();
  ASSERT_TRUE(popup->isVisible());
  EXPECT_NEAR(popup->y(), grid.viewport()->mapToGlobal(cell.bottomLeft()).y(), 5);  // below it
  QListWidget* list = popup->AQVCheckListBox();
  EXPECT_EQ(list->geometry(), popup->rect());
  EXPECT_TRUE(list->hasFocus());  // the keys work the list at once
  ASSERT_EQ(list->count(), 2);
  ASSERT_TRUE(mData->PumpingWells[1].Screened[1]);
  ASSERT_FALSE(mData->PumpingWells[1].Screened[2]);
  for (int i : {0, 1}) {
    EXPECT_EQ(list->item(i)->text(), QStringLiteral("Layer %1").arg(i + 1));
    EXPECT_EQ(list->item(i)->checkState(), i == 0 ? Qt::Checked : Qt::Unchecked);
  }
  mData->SetModified(false);
  mChanges = 0;
  // A click on the box checks it once: one change notice, the cell and the screen follow.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(*list, 1));
  EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(mChanges, 1);
  EXPECT_EQ(grid.Cells(5, 1), "1,2");
  EXPECT_TRUE(mData->PumpingWells[1].Screened[2]);
  EXPECT_TRUE(mData->Modified());
  // A click on the item's text flips it as well.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(grid.Cells(5, 1), "2");
  EXPECT_FALSE(mData->PumpingWells[1].Screened[1]);
  // The last screened layer cannot be unchecked: cell, box and document stay as they were.
  mChanges = 0;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(*list, 1));
  EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(grid.Cells(5, 1), "2");
  EXPECT_TRUE(mData->PumpingWells[1].Screened[2]);
  EXPECT_EQ(mChanges, 0);
  EXPECT_TRUE(grid.AllCellsValid());
  EXPECT_TRUE(popup->grab().save(QString::fromStdString(ReviewPath("layer-popup.png"))));
  // The keys do as much: an arrow to the first layer, and Space.
  QTest::keyClick(list, Qt::Key_Up);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(grid.Cells(5, 1), "1,2");
  popup->close();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, arrow);
  EXPECT_EQ(list->count(), 2);  // opened again: the same two layers
  popup->close();
}

TEST_F(TInputGridsTest, PastingWellsPastTheCapacityWritesNothing) {
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  auto& grid = Shown<TAQVPumpingWellsGrid>();
  mUi.Answers = {TModalResult::mrOK};
  mChanges = 0;
  PasteAt(grid, 2, 1, "A\r\nB\r\nC\r\n");
  ASSERT_EQ(mUi.Messages.size(), 2u);
  EXPECT_EQ(mUi.Messages[0].Text, "Pasting requires expansion of the table");
  EXPECT_EQ(mUi.Messages[0].Buttons, TMsgDlgButtons::mbOKCancel);
  EXPECT_EQ(mUi.Messages[1].Text, Globals().DataErrorText);
  EXPECT_NE(mData->PumpingWells[1].Name, "A");
  EXPECT_EQ(mChanges, 0);
}

// --- Pumping periods -------------------------------------------------------------------------

class TPeriodsPasteTest : public TGridTest {
 protected:
  void SetUp() override {
    TGridTest::SetUp();
    TPumpingWell& w = mData->PumpingWells[1];
    w.SetPeriodCount(3);
    for (int k = 1; k <= 3; ++k) w.StartTime[k] = k - 1;
    mData->SetModified(false);
    Show(mGrid);
  }
  // Five periods pasted into the second period's start time.
  void PasteFive() { PasteAt(mGrid, 2, 2, "1\t10\r\n2\t20\r\n3\t30\r\n4\t40\r\n5\t50\r\n"); }
  TAQVPumpingPeriodsGrid mGrid;
};

TEST_F(TPeriodsPasteTest, OkAddsTheRowsAndWritesEveryLine) {
  mUi.Answers = {TModalResult::mrOK};
  mData->PumpingWells[1].Included[3] = false;  // stays with its row: the new rows come last
  PasteFive();
  EXPECT_EQ(mUi.OnlyMessage(), "Pasting requires expansion of the table");
  const TPumpingWell& w = mData->PumpingWells[1];
  ASSERT_EQ(w.PeriodCount(), 6);
  EXPECT_EQ(std::ranges::count(w.Included, false), 1);
  EXPECT_FALSE(w.Included[3]);
  for (int k = 2; k <= 6; ++k) {
    EXPECT_EQ(w.StartTime[k], k - 1.0) << k;
    EXPECT_EQ(w.Discharge[k], 10.0 * (k - 1)) << k;
  }
  EXPECT_EQ(mGrid.Cells(0, 6) + ":" + mGrid.Cells(3, 6), "6:50");  // numbered, with its value
}

TEST_F(TPeriodsPasteTest, CancelWritesNothing) {
  mUi.Answers = {TModalResult::mrCancel};
  PasteFive();
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 3);
  EXPECT_EQ(mData->PumpingWells[1].StartTime[2], 1.0);
  EXPECT_EQ(mData->PumpingWells[1].Discharge[2], 800.0);
  EXPECT_FALSE(mData->Modified());
}

TEST_F(TPeriodsPasteTest, PastedRowsAreCheckedAtTheirOwnRow) {
  // Each start time must follow the start of the period before it: at the top row alone the
  // later lines would be judged against the wrong period.
  // 0.5 follows the first period but not the second, the one before its own row.
  PasteAt(mGrid, 2, 2, "1.5\r\n0.5\r\n");
  // Start times that are each later than the period before them now, but not than each other.
  PasteAt(mGrid, 2, 2, "30\r\n25\r\n", true);  // from the grid's menu
  // A block copied with its title row and decimal commas: the first value that is none is named.
  PasteAt(mGrid, 2, 2, "Time\tDischarge\r\n0,5\t10,5\r\n");
  const std::string refusal = "The selection contains 1 invalid value(s). Can not paste!\n";
  const std::string first = "First invalid value: row 3, column \"Starting time [d]\", text ";
  EXPECT_EQ(mUi.Texts(),
            (std::vector<std::string>{
                refusal + first + "\"0.5\"", refusal + first + "\"25\"",
                "The selection contains 4 invalid value(s). Can not paste!\nFirst invalid value: "
                "row 2, column \"Starting time [d]\", text \"Time\""}));
  EXPECT_EQ(mData->PumpingWells[1].StartTime[2], 1.0);
  EXPECT_EQ(mData->PumpingWells[1].StartTime[3], 2.0);
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TPeriodsPasteTest, RefusedPasteLeavesTheDocumentUnmodified) {
  PasteAt(mGrid, 3, 1, "1\t10\r\n");  // two columns from the last column
  // What is being typed is judged first: a value that is none keeps its editor, and no paste.
  Type(mGrid, 3, 1, "x");
  PasteAt(mGrid, 3, 1, "7\r\n");
  Settle();
  EXPECT_EQ(mUi.Texts(), (std::vector<std::string>{"Can not paste outside grid borders!",
                                                   Globals().DataErrorText}));
  EXPECT_TRUE(mGrid.IsEditing());
  EXPECT_FALSE(mData->Modified());
  EXPECT_EQ(mChanges, 0);
}

TEST_F(TInputGridsTest, PeriodRowsAreInsertedAndTheLastOneIsNotDeleted) {
  auto& grid = Shown<TAQVPumpingPeriodsGrid>();
  grid.SetSelectionRect({2, 1, 2, 1});
  grid.DeleteRows();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtWarning);
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 1);
  grid.InsertRows();
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 2);
  EXPECT_EQ(grid.RowCount(), 3);
  grid.SetSelectionRect({2, 2, 2, 2});
  grid.DeleteRows();
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 1);
  EXPECT_EQ(grid.verticalHeader()->count(), 1);  // the table on screen has one row again
}

// --- Observation wells and observations -------------------------------------------------------

TEST_F(TInputGridsTest, WellAtAPumpingWellShowsNotApplicableAndCannotBeEdited) {
  TObservationWell& o = mData->ObservationWells[1];
  const TPumpingWell& p = mData->PumpingWells[1];
  o.X = p.X;
  o.Y = p.Y;
  o.Layer = 1;
  ASSERT_GE(mData->PumpingWellAtPoint(1, o.X, o.Y), 1);
  auto& grid = Shown<TAQVObservationWellsGrid>();
  for (int c : {3, 6, 7, 8, 9}) {
    if (c >= 6 && c <= 8) {
      EXPECT_EQ(grid.Cells(c, 1), "n.a.") << c;
    }
    Click(grid, c, 1);
    Key(grid, Qt::Key_F2);
    // A coordinate stays editable, to move the well off the pumping well; so does the count.
    EXPECT_EQ(grid.IsEditing(), c == 3 || c == 9) << c;
    Key(grid, Qt::Key_Escape);
  }
  EXPECT_TRUE(grid.AllCellsValid());
}

TEST_F(TInputGridsTest, ObservationWellAndObservationBoxesShowAndFlipTheirOwnFlags) {
  ASSERT_TRUE(mData->InsertObservationWells(2, 1));
  // Each well's flag differs from that of its first observation.
  mData->SetCurrentObservationWell(2);
  mData->ToggleObservation(1);
  mData->SetCurrentObservationWell(1);
  mData->ToggleObservation(0);
  ASSERT_FALSE(mData->ObservationWells[1].Included[0]);
  ASSERT_TRUE(mData->ObservationWells[1].Included[1]);
  ASSERT_TRUE(mData->ObservationWells[2].Included[0]);
  ASSERT_FALSE(mData->ObservationWells[2].Included[1]);
  auto& grid = Shown<TAQVObservationWellsGrid>();
  EXPECT_FALSE(BoxShowsCheck(grid, 1));
  EXPECT_TRUE(BoxShowsCheck(grid, 2));
  Click(grid, 1, 1);
  EXPECT_TRUE(mData->ObservationWells[1].Included[0]);
  EXPECT_TRUE(BoxShowsCheck(grid, 1));
  auto& observations = Shown<TAQVObservationsGrid>();  // the well's observations, each its own
  ASSERT_GE(mData->ObservationWells[1].ObservationCount(), 2);
  const bool before = mData->ObservationWells[1].Included[2];
  Click(observations, 1, 2);
  EXPECT_NE(mData->ObservationWells[1].Included[2], before);
  Key(observations, Qt::Key_Space);
  EXPECT_EQ(mData->ObservationWells[1].Included[2], before);
}

TEST_F(TInputGridsTest, AValueTypedInTheEmptyRowOfAWellWithoutObservationsIsKept) {
  mData->SetObservationCount(1, 0);
  auto& grid = Shown<TAQVObservationsGrid>();
  ASSERT_EQ(grid.RowCount(), 2);
  Type(grid, 2, 1, "0.5");
  Key(grid, Qt::Key_Return);
  const TObservationWell& w = mData->ObservationWells[1];
  ASSERT_EQ(w.ObservationCount(), 1);
  EXPECT_EQ(w.Time[1], 0.5);
  EXPECT_TRUE(w.Included[1]);
  EXPECT_EQ(grid.Cells(2, 1), "0.5");
  Type(grid, 3, 1, "0.25");
  Key(grid, Qt::Key_Return);
  EXPECT_EQ(w.Observed[1], 0.25);
  EXPECT_TRUE(grid.AllCellsValid());
  EXPECT_TRUE(mUi.Messages.empty());
}

TEST_F(TInputGridsTest, ObservationWellNameInTheEntryRowAddsAWell) {
  auto& grid = Shown<TAQVObservationWellsGrid>();
  const int n = mData->ObservationWellCount();
  Type(grid, 2, n + 1, "Piezometer");
  Key(grid, Qt::Key_Tab);
  EXPECT_EQ(mData->ObservationWellCount(), n + 1);
  EXPECT_EQ(mData->ObservationWells[n + 1].Name, "Piezometer");
}

// --- Aquifer system ----------------------------------------------------------------------------

TEST_F(TInputGridsTest, GridsShowTheLayerCodesAndTheFitGroups) {
  ASSERT_FALSE(mData->TopAquitardAbsent());
  TPumpingWell& well = mData->PumpingWells[1];
  well.RcCode = '1', well.RwCode = '2', well.SkinCode = '3';
  auto& wells = Shown<TAQVPumpingWellsGrid>();
  EXPECT_EQ(wells.Cells(7, 1) + wells.Cells(9, 1) + wells.Cells(11, 1), "123");
  mData->TCode[1] = '4', mData->SCode[1] = '5';
  mData->ResistanceCode[1] = '6', mData->SAquitardCode[1] = '7';
  auto& grid = Shown<TAQVConductivitiesGrid>();
  EXPECT_EQ(grid.Cells(6, 2) + grid.Cells(9, 2) + grid.Cells(6, 1) + grid.Cells(9, 1), "4567");
  EXPECT_EQ(grid.Cells(4, 1) + "|" + grid.Cells(7, 1) + "|" + grid.Cells(4, 2) + "|" +
                grid.Cells(7, 2) + "|" + grid.Cells(0, 2),
            "c1|S'1|T1|S1|1");
  Click(grid, 3, 2);
  EXPECT_EQ(grid.Cells(3, 0) + grid.Cells(8, 0) + grid.Cells(9, 0), "Kh [m/d]S [-]#");
  EXPECT_EQ(mData->SelectedRow(), 2);
  const int bold = Ink(grid, 3, 2);  // the selected row is written in bold
  Click(grid, 3, 1);
  EXPECT_GT(bold, Ink(grid, 3, 2) * 12 / 10);  // bold strokes: some 35 % more ink
  EXPECT_EQ(grid.Cells(5, 0) + grid.Cells(8, 0), "c [d]S' [-]");
  Click(grid, 0, 1);  // beside the layers: the captions of both kinds
  EXPECT_EQ(grid.Cells(3, 0) + grid.Cells(5, 0) + grid.Cells(8, 0), "K [m/d]T [m²/d], c [d]S [-]");
  // The captions shown follow the units, every one of them.
  mData->PumpingWells[1].Discharge[1] = 2400;  // m3/d
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  // The captions of a grid's columns, each followed by "|"; parts are among them.
  const auto captions = [](TMyParentGrid& g, std::initializer_list<const char*> parts = {}) {
    std::string all;
    for (int c = 1; c < g.ColCount(); ++c)
      all += g.model()->headerData(c, Qt::Horizontal).toString().toStdString() + "|";
    EXPECT_EQ(all.find("||"), std::string::npos) << all;  // no column without a caption
    for (const char* part : parts) EXPECT_NE(all.find(part), std::string::npos) << all;
    return all;
  };
  EXPECT_EQ(captions(Shown<TAQVObservationsGrid>()), "Include|Time [h ]|Drawdown [ft]|");
  EXPECT_EQ(captions(Shown<TAQVPumpingPeriodsGrid>()),
            "Include|Starting time [h ]|Discharge [ft³/h ]|");
  EXPECT_EQ(Shown<TAQVPumpingPeriodsGrid>().Cells(3, 1), "3531.467");  // 100 m3/h in ft3/h
  captions(Shown<TAQVObservationWellsGrid>(),
           {"|X [ft]|Y [ft]|", "|Casing radius [ft]|Screen radius [ft]|"});
  captions(Shown<TAQVPumpingWellsGrid>(),
           {"|X [ft]|Y [ft]|", "|Casing radius [ft]|", "|Screen radius [ft]|"});
  captions(Shown<TAQVConductivitiesGrid>(), {"Base [ft]|Thickness [ft]|Kv [ft/h ]|", "|c [h ]|"});
  Click(grid, 3, 2);  // back on an aquifer
  EXPECT_EQ(grid.Cells(3, 0) + grid.Cells(5, 0) + grid.Cells(8, 0), "Kh [ft/h ]T [ft²/h ]S [-]");
  QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    {grid.columnViewportPosition(5) + 5, 5});
  EXPECT_EQ(grid.Selection(), (TGridRect{3, 2, 3, 2}));  // a caption clicked chooses no column
}

TEST_F(TInputGridsTest, ValidationChecksTheValueColumnsOfTheAquiferAndWellGrids) {
  auto& grid = Shown<TAQVConductivitiesGrid>();
  EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 1));  // typing starts at the top level
  EXPECT_TRUE(grid.AllCellsValid());
  // A negative conductivity, storativity or resistance, a level that is none; the top aquitard
  // counts too.
  for (const auto& [col, row, text] :
       {std::tuple{3, 2, "-5"}, {8, 2, "-1"}, {1, 2, "x"}, {5, 1, "-1"}}) {
    grid.LoadFromData();
    grid.SetCells(col, row, text);
    EXPECT_FALSE(grid.AllCellsValid()) << col;
  }
  // Zero: a casing radius or a skin factor may be, a screen radius may not; a huge casing
  // radius is none, and a count of observations that is no number is refused as typed.
  auto& wells = Shown<TAQVObservationWellsGrid>();
  for (const auto& [col, text, valid] :
       {std::tuple{6, "0", true}, {6, "2e6", false}, {7, "0", false}, {8, "0", true}}) {
    wells.LoadFromData();
    wells.SetCells(col, 1, text);
    EXPECT_EQ(wells.AllCellsValid(), valid) << col << text;
  }
  Type(wells, 9, 1, "x");
  Click(wells, 3, 1);
  Settle();
  EXPECT_EQ(mUi.OnlyMessage(), Globals().DataErrorText);
  Key(wells, Qt::Key_Escape);
  auto& pumping = Shown<TAQVPumpingWellsGrid>();
  pumping.SetCells(5, 1, "9");  // screened in a layer the system does not have
  EXPECT_FALSE(pumping.AllCellsValid());
  // Every grid judges afresh: with the value put right it is valid again.
  TMyParentGrid* all[] = {&grid, &wells, &pumping, &Shown<TAQVPumpingPeriodsGrid>(),
                          &Shown<TAQVObservationsGrid>()};
  for (TMyParentGrid* g : all) {
    g->SetCells(3, 1, "x");
    EXPECT_FALSE(g->AllCellsValid());
    g->LoadFromData();
    EXPECT_TRUE(g->AllCellsValid());
  }
}

TEST_F(TInputGridsTest, AquiferRowsAreInsertedAndTheLastAquiferIsNotDeleted) {
  auto& grid = Shown<TAQVConductivitiesGrid>();
  Click(grid, 3, 2);
  grid.DeleteRows();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text, "Can not delete aquifer! Minimum number of aquifers is 1.");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtWarning);
  grid.InsertRows();
  EXPECT_EQ(mData->AquiferCount(), 2);
  EXPECT_EQ(grid.RowCount(), 1 + mData->RowCount());
  EXPECT_EQ(mUi.Messages.size(), 1u);  // an insertion that succeeds says nothing
  // Rows chosen with Shift stay chosen when the grid shows the document afresh.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCentre(grid, 5, 3));
  const TGridRect chosen = grid.Selection();
  EXPECT_EQ(chosen.Height(), 2);
  grid.LoadFromData();
  EXPECT_EQ(grid.Selection(), chosen);
  // A value being typed that is none keeps the rows; a full system takes no more, and says so.
  Type(grid, 3, 4, "x");
  grid.DeleteRows();
  EXPECT_EQ(mData->AquiferCount(), 2);
  Key(grid, Qt::Key_Escape);
  mData->SetAquiferCount(kMaxAquifers);
  grid.LoadFromData();
  mUi.Messages.clear();
  Click(grid, 3, 2);
  grid.InsertRows();
  EXPECT_EQ(mData->AquiferCount(), kMaxAquifers);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtWarning);
}

// --- Pictures ----------------------------------------------------------------------------------

TEST_F(TInputGridsTest, RendersEachGridWithItsColours) {
  mData->SetAquiferCount(2);
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  ASSERT_TRUE(mData->InsertObservationWells(2, 1));
  mData->ObservationWells[2].X = mData->PumpingWells[1].X;
  mData->ObservationWells[2].Y = mData->PumpingWells[1].Y;
  TAQVConductivitiesGrid aquifers;
  TAQVPumpingWellsGrid pumping;
  TAQVPumpingPeriodsGrid periods;
  TAQVObservationWellsGrid wells;
  TAQVObservationsGrid observations;
  const std::pair<TMyParentGrid*, const char*> grids[] = {{&aquifers, "aquifers"},
                                                          {&pumping, "pumping-wells"},
                                                          {&periods, "periods"},
                                                          {&wells, "observation-wells"},
                                                          {&observations, "observations"}};
  for (const auto& [grid, name] : grids) {
    Show(*grid);
    EXPECT_EQ(grid->Cells(0, 1), grid == &aquifers ? "" : "1") << name;  // numbered rows
    Click(*grid, 0, 1);    // only the aquifer system lets its first column be current
    grid->LoadFromData();  // and keeps it current when showing the document afresh
    EXPECT_EQ(grid->Col() == 0, grid == &aquifers) << name;
    Click(*grid, 2, 2);
    grid->SetCells(3, 1, "-1x");  // drawn white on red
    const QPixmap picture = grid->grab();
    const QImage cells = grid->viewport()->grab().toImage();
    const QRect invalid = grid->visualRect(grid->model()->index(0, 3));
    EXPECT_EQ(QColor(cells.pixel(invalid.bottomRight() - QPoint(3, 3))), QColor(Qt::red)) << name;
    EXPECT_NE(QColor(cells.pixel(invalid.bottomLeft() + QPoint(3, 1))), QColor(Qt::white)) << name;
    const auto white = [](QColor c) { return c.lightness() > 230; };
    EXPECT_GT(test::CountPixels(cells, white, invalid.adjusted(2, 2, -2, -2)), 10) << name;
    // The current cell is marked, even before any click has chosen one.
    EXPECT_NE(ColourAt(*grid, 1, grid->Row()), ColourAt(*grid, 2, grid->Row())) << name;
    EXPECT_TRUE(picture.save(QString::fromStdString(ReviewPath(std::string(name) + ".png"))))
        << name;
  }
  for (const auto& [grid, name] : grids)  // no Include box is drawn as an invalid value
    EXPECT_NE(ColourAt(*grid, 1, 1), QColor(Qt::red)) << name;
  // The last row has its layer's colour like every other (an aquitard's here).
  for (int c : {0, 1})  // its empty number cell too
    EXPECT_EQ(ColourAt(aquifers, c, mData->RowCount()), QColor(0xF0, 0xA8, 0x22)) << c;
  // Below it the base of the system, which no water passes, is a black line; above the top
  // layer, a leaky aquitard's blue one, and black again once there is no top aquitard.
  const QImage layers = aquifers.viewport()->grab().toImage();
  const QRect lowest = aquifers.visualRect(aquifers.model()->index(mData->RowCount() - 1, 1));
  EXPECT_EQ(QColor(layers.pixel(lowest.bottomLeft() + QPoint(3, -4))), QColor(Qt::black));
  const QPoint top = aquifers.visualRect(aquifers.model()->index(0, 1)).topLeft() + QPoint(3, 3);
  EXPECT_EQ(QColor(layers.pixel(top)), QColor(Qt::blue));
  // Black dividers close the number, the levels, each value with its fit group, and the name.
  std::vector<int> dividers;
  for (int c = 0; c < aquifers.ColCount(); ++c) {
    const QRect cell = aquifers.visualRect(aquifers.model()->index(1, c));
    if (QColor(layers.pixel(cell.right(), cell.center().y())) == QColor(Qt::black))
      dividers.push_back(c);
  }
  EXPECT_EQ(dividers, (std::vector<int>{0, 2, 6, 9, 10}));
  mData->SetTopAquitardAbsent(true);
  aquifers.LoadFromData();
  EXPECT_EQ(QColor(aquifers.viewport()->grab().toImage().pixel(top)), QColor(Qt::black));
  // Radii and skin of the well at a pumping well have a colour of their own, and only they.
  EXPECT_EQ(ColourAt(wells, 6, 2), QColor(0xBE, 0xEB, 0xBE));
  EXPECT_EQ(ColourAt(wells, 5, 2), QColor(0x96, 0xEB, 0x96));  // the current well's row
  EXPECT_NE(ColourAt(wells, 6, 1), ColourAt(wells, 6, 2));
  // A table without a current well marks no row, also once it has lost the focus.
  EXPECT_EQ(ColourAt(periods, 1, 1), QColor(0xBF, 0xFF, 0xFF));
  pumping.LoadFromData();
  // The drop-down arrow marks the screened layers only, not the name beside it.
  const QImage wellCells = pumping.viewport()->grab().toImage();
  const auto ink = [&](int col) {
    const QRect cell = pumping.visualRect(pumping.model()->index(0, col));
    return test::CountPixels(
        wellCells, [](QColor c) { return c.lightness() < 100; },
        QRect(cell.right() - 14, cell.top() + 2, 12, cell.height() - 4));
  };
  EXPECT_GT(ink(5), 0);
  EXPECT_EQ(ink(2), 0);
  // The selected name is written in bold: more ink than the name in the row above.
  EXPECT_GT(Ink(pumping, 2, 2), Ink(pumping, 2, 1) * 12 / 10);
  // Below the wells the row that adds one: a white name cell, grey where a well is needed.
  const int entry = mData->ObservationWellCount() + 1;
  EXPECT_EQ(ColourAt(wells, 2, entry), QColor(Qt::white));
  EXPECT_EQ(ColourAt(wells, 3, entry), QColor(0xF5, 0xF5, 0xF5));
  Type(pumping, 6, 1, "-1");
  EXPECT_TRUE(pumping.grab().save(QString::fromStdString(ReviewPath("pumping-wells-editing.png"))));
  Key(pumping, Qt::Key_Escape);
  // Tabbed into from a field, the grid unmarks the current well's row on the screen too, not
  // only in a fresh picture.
  QWidget window;
  auto* field = new QLineEdit(&window);
  auto* tabbed = new TAQVObservationWellsGrid(&window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(field), layout->addWidget(tabbed);
  tabbed->SetData(mData.get());
  tabbed->LoadFromData();
  window.resize(1400, 360);
  ASSERT_TRUE(ShowActive(window));
  field->setFocus();
  Settle();
  QTest::keyClick(field, Qt::Key_Tab);
  ASSERT_TRUE(tabbed->hasFocus());
  Settle();
  const QRect include =
      tabbed->visualRect(tabbed->model()->index(mData->CurrentObservationWell() - 1, 1));
  const QPoint at = tabbed->viewport()->mapTo(&window, include.topLeft() + QPoint(3, 3));
  EXPECT_EQ(window.screen()->grabWindow(window.winId()).toImage().pixelColor(at),
            QColor(0xBF, 0xFF, 0xBF));
}

}  // namespace
}  // namespace aqv::test
