#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

#include "app/gui/AQVSelectionGrid.h"
#include "app/gui/AQVTableGrid.h"
#include "app/gui/SelectionGrid.h"
#include "controls/MyColorgrd.h"
#include "controls/QtDrawing.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv::test {
namespace {

// Two aquifers and three observation wells at different places, and a fourth and a fifth at
// the third's place: three drawn curves.
class TSelectionGridTest : public TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->SetAquiferCount(2);
    ASSERT_TRUE(mData->InsertObservationWells(2, 4));
    for (int j = 1; j <= 5; ++j) {
      mData->ObservationWells[j].X = 10.0 * std::min(j, 3);
      mData->ObservationWells[j].Y = 0;
      mData->ObservationWells[j].Layer = 1;
      mData->ObservationWells[j].Name = "Well " + std::to_string(j);
    }
    mData->ObservationWells[3].Name = "A name much wider than the two hundred pixel title row";
    mData->GroupCoincidentWells();
    mData->SelectCurves();
    mData->AssignCurveStyles();
    mData->SetModified(false);
    mForm.SetData(mData.get());
    mForm.show();
  }
  TAQVSelectionGrid& Grid() { return *mForm.AQVSelectionGrid1(); }
  // Clicks the dialog's button captioned caption, which must show.
  void Press(const QString& caption) {
    for (QPushButton* button : mForm.findChildren<QPushButton*>())
      if (button->text() == caption && button->isVisible())
        return QTest::mouseClick(button, Qt::LeftButton);
    ADD_FAILURE() << "no button " << caption.toStdString();
  }
  void ClickCell(int c, int r, Qt::MouseButton button = Qt::LeftButton) {
    const QRect cell = Grid().visualRect(Grid().model()->index(r - 1, c - 1));
    QTest::mouseClick(Grid().viewport(), button, {}, cell.center());
  }
  TSelectionGridForm mForm;
};

TEST_F(TSelectionGridTest, HasALayerRowPerAquiferAndAColumnPerCurve) {
  EXPECT_EQ(std::pair(Grid().LayerCount(), Grid().CurveCount()), std::pair(2, 3));
  EXPECT_EQ(std::pair(Grid().model()->rowCount(), Grid().model()->columnCount()), std::pair(2, 3));
  EXPECT_TRUE(Grid().Cell(1, 1).Selected);
  EXPECT_FALSE(Grid().Cell(1, 2).Selected);
  EXPECT_EQ(Grid().SelectedCount(), 3);
}

TEST_F(TSelectionGridTest, AWideCurveNameIsCutByA200PixelTitleRow) {
  EXPECT_EQ(Grid().HeaderHeight(), 200);
  EXPECT_FALSE(Grid().horizontalScrollBar()->isVisible());
}

TEST_F(TSelectionGridTest, ClicksSelectInTheForegroundColourAndRightClicksDeselect) {
  TMyColorGrid& colours = *mForm.ColorGrid1();
  ASSERT_TRUE(colours.isVisible());  // the dialog holds its colours, with no background mark
  const auto light = [](QColor c) { return c.lightness() > 128; };
  EXPECT_EQ(
      CountPixels(colours.grab().toImage(), light, colours.CellRect(0).adjusted(3, 3, -3, -3)), 0);
  QTest::mouseClick(&colours, Qt::LeftButton, {}, colours.CellRect(13).center());
  ASSERT_EQ(colours.ForegroundIndex(), 13);
  const TColor colour = mForm.ColorGrid1()->ForegroundColor();
  ClickCell(2, 2, Qt::RightButton);  // unselected: nothing changes; nor does a click beside them
  QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().viewport()->rect().bottomRight());
  EXPECT_FALSE(Grid().Cell(2, 2).Selected);
  EXPECT_FALSE(mData->Modified());
  // The screen shows each change at once, not only a fresh picture of the grid would.
  ASSERT_TRUE(ShowActive(mForm));
  const auto onScreen = [this](int c, int r, TColor in) {
    QApplication::processEvents();
    const QRect cell = Grid().visualRect(Grid().model()->index(r - 1, c - 1));
    return CountColour(mForm.screen()->grabWindow(mForm.winId()).toImage(), ToQColor(in),
                       cell.translated(Grid().viewport()->mapTo(&mForm, QPoint())));
  };
  ASSERT_EQ(onScreen(2, 2, colour), 0);
  ClickCell(2, 2);
  EXPECT_TRUE(Grid().Cell(2, 2).Selected && mData->Modified());
  EXPECT_GT(onScreen(2, 2, colour), 100);
  mData->SetModified(false);
  EXPECT_EQ(Grid().Cell(2, 2).Color, colour);
  EXPECT_EQ(Grid().SelectedCount(), 4);
  ClickCell(2, 2);  // selected: only the colour
  EXPECT_EQ(Grid().SelectedCount(), 4);
  ASSERT_EQ(onScreen(1, 1, clWhite), 0);
  ClickCell(1, 1, Qt::RightButton);
  EXPECT_TRUE(!Grid().Cell(1, 1).Selected && mData->Modified());
  EXPECT_GT(onScreen(1, 1, clWhite), 100);  // crossed out on white
  EXPECT_EQ(Grid().SelectedCount(), 3);
}

TEST_F(TSelectionGridTest, OkWritesTheChoicesAndCancelDoesNot) {
  mForm.ColorGrid1()->SetForegroundIndex(13);
  const TColor colour = mForm.ColorGrid1()->ForegroundColor();
  ClickCell(3, 2);
  ClickCell(1, 1, Qt::RightButton);
  ClickCell(3, 1, Qt::RightButton);
  EXPECT_FALSE(mData->ObservationWells[3].LayerSet.Contains(2));
  EXPECT_TRUE(mData->ObservationWells[1].LayerSet.Contains(1));
  const int untouched = Grid().CurveOfColumn(2);
  const TColor kept = mData->GetCurveColor(untouched, 1);
  QTest::keyClick(&mForm, Qt::Key_Return);              // OK is the default button
  EXPECT_EQ(mData->GetCurveColor(untouched, 1), kept);  // a curve not clicked keeps its colour
  EXPECT_TRUE(mData->ObservationWells[3].LayerSet.Contains(2));
  EXPECT_FALSE(mData->ObservationWells[1].LayerSet.Contains(1));
  // The curve of the wells at one place goes for all of them, the last well too.
  EXPECT_FALSE(mData->CurveLayerSet(3).Contains(1));
  EXPECT_EQ(mData->ObservationWells[3].CurveColor[2], colour);
  EXPECT_TRUE(mData->ObservationWells[5].LayerSet.Contains(2));
  EXPECT_EQ(mForm.result(), QDialog::Accepted);
  mData->ObservationWells[5].X = 99;  // the last well, on a place of its own: its own curve
  mData->GroupCoincidentWells(), mData->SelectCurves();
  mForm.SetData(mData.get()), mForm.show();
  ClickCell(4, 2, Qt::RightButton);
  QTest::keyClick(&mForm, Qt::Key_Return);
  EXPECT_FALSE(mData->ObservationWells[5].LayerSet.Contains(2));
}

TEST_F(TSelectionGridTest, ResetAsksAndCancelKeepsTheChoices) {
  ClickCell(1, 1, Qt::RightButton);
  Press("OK");  // a curve taken off in the document
  mForm.show();
  ClickCell(3, 2);
  mUi.Answers = {TModalResult::mrCancel};
  Press("Reset");
  EXPECT_EQ(mUi.OnlyMessage(), "Reset curve selection?");
  EXPECT_TRUE(Grid().Cell(3, 2).Selected);
  Press("Reset");  // OK: the curves of a new document, in the document too
  EXPECT_FALSE(Grid().Cell(3, 2).Selected);
  EXPECT_TRUE(Grid().Cell(1, 1).Selected);
}

TEST_F(TSelectionGridTest, WithoutAColourGridAClickOnlyComplains) {
  Grid().SetColorGrid(nullptr);
  ClickCell(2, 2);
  EXPECT_EQ(mUi.OnlyMessage(), "No color grid specified!");
  EXPECT_FALSE(Grid().Cell(2, 2).Selected);
}

TEST_F(TSelectionGridTest, RendersTheDialog) {
  ClickCell(2, 2);
  EXPECT_TRUE(mForm.grab().save(QString::fromStdString(test::ReviewPath("select-curves.png"))));
  // The colours, a square, stand at the top level with the grid, Reset just below them.
  const auto buttons = mForm.findChildren<QPushButton*>();
  const QPushButton* reset =
      *std::find_if(buttons.begin(), buttons.end(), [](auto* b) { return b->text() == "Reset"; });
  const QRect colours = mForm.ColorGrid1()->geometry();
  EXPECT_EQ(std::pair(colours.top(), colours.height()), std::pair(Grid().y(), colours.width()));
  EXPECT_LT(reset->y() - colours.bottom(), reset->height());
  // A curve's layer not chosen is crossed out, from both corners.
  const QImage cells = Grid().viewport()->grab().toImage();
  const QRect open = Grid().visualRect(Grid().model()->index(1, 2));
  const auto dark = [](QColor c) { return c.lightness() < 100; };
  EXPECT_GT(CountPixels(cells, dark, QRect(open.topLeft() + QPoint(1, 1), QSize(5, 5))), 0);
  EXPECT_GT(CountPixels(cells, dark, QRect(open.topRight() + QPoint(-5, 1), QSize(5, 5))), 0);
  // A long curve name stands upright in its title, high above where a layer's would be.
  QHeaderView* titles = Grid().horizontalHeader();
  const QRect title(titles->sectionViewportPosition(2), 0, titles->sectionSize(2), 120);
  EXPECT_GT(CountPixels(titles->viewport()->grab().toImage(), dark, title), 50);
  // Each row is titled with its layer, written from the left, in type small enough to fit.
  QHeaderView* layers = Grid().verticalHeader();
  const QRect start(8, layers->sectionViewportPosition(0), 12, layers->sectionSize(0));
  EXPECT_GT(CountPixels(layers->viewport()->grab().toImage(), dark, start), 5);
  const QRect end(layers->width() - 6, start.top() + 2, 4, start.height() - 4);
  EXPECT_EQ(CountPixels(layers->viewport()->grab().toImage(), dark, end), 0);
  // In well-flux mode the curves are the pumping wells, each titled with its well's name.
  ASSERT_TRUE(mData->InsertPumpingWells(2, 1));
  mData->SetWellFluxMode(true);
  mData->SelectCurves();
  mForm.SetData(mData.get());
  ASSERT_EQ(Grid().CurveCount(), 2);
  const QImage fluxTitles = titles->viewport()->grab().toImage();
  for (int c : {0, 1}) {
    const QRect section(titles->sectionViewportPosition(c), 0, titles->sectionSize(c), 200);
    EXPECT_GT(CountPixels(fluxTitles, dark, section), 20) << c;
  }
}

}  // namespace
}  // namespace aqv::test
