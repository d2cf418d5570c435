// Journeys: the input grids driven with the mouse and keys.

#include "tests/e2e/Journey.h"

#include <QClipboard>

#include "app/gui/AQVPumpingWellsGrid.h"

namespace aqv::e2e {
namespace {

using GridJourney = Journey;

// A right click on a grid opens its menu of edit actions; Insert row(s) adds a well and Copy
// takes the selected cells, which Paste then offers.
TEST_F(GridJourney, ARightClickOnAGridOpensItsMenuAndAnItemWorks) {
  TMDIChild* child = NewDocument(TDocumentPage::dpPumpingWells);
  TMyParentGrid& grid = *child->PumpingWellsGrid();
  QMenu* menu = child->GridPopupMenu();
  ASSERT_NE(menu, nullptr);
  const auto rightClick = [&](int col, int row) {
    WaitForKeyboard(&grid);
    const QPoint at = grid.visualRect(grid.model()->index(row - 1, col)).center();
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, at);
    return WaitUntil([menu] { return menu->isVisible(); }, 3000);
  };
  const auto choose = [&](const QString& text) {
    for (QAction* item : menu->actions()) {
      if (item->text() != text) continue;
      EXPECT_TRUE(item->isEnabled()) << text.toStdString();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
      EXPECT_TRUE(WaitUntil([menu] { return !menu->isVisible(); }, 3000));
      return;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
  };
  QApplication::clipboard()->clear();
  ASSERT_TRUE(rightClick(2, 1));
  choose("Insert row(s)");
  EXPECT_EQ(child->Data().PumpingWellCount(), 2);
  EXPECT_EQ(grid.Cells(0, 2), "2");

  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                    grid.visualRect(grid.model()->index(0, 2)).center());
  ASSERT_TRUE(rightClick(2, 1));
  choose("&Copy");
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), child->Data().PumpingWells[1].Name +
                                                                "\r\n");
  // A name typed into a cell and not yet entered is kept when a right click opens the menu.
  TypeInGrid(grid, 2, 2, "PB 9");
  ASSERT_TRUE(rightClick(2, 2));
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(child->Data().PumpingWells[2].Name, "PB 9");
  for (QAction* item : menu->actions()) {
    if (item->text() == "&Paste") {
      EXPECT_TRUE(item->isEnabled());
    }
  }
  QTest::keyClick(menu, Qt::Key_Escape);
  ExpectNoMessages();
}

}  // namespace
}  // namespace aqv::e2e
