#pragma once

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <memory>
#include <vector>

#include "app/gui/AQVActns.h"
#include "app/gui/MyParentGrid.h"
#include "model/AQVData.h"
#include "model/AQVElements.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/DocumentTest.h"

namespace aqv::test {

// A document on the scripted interface with grids bound to it. As the document window does,
// every change of the document reloads the bound grids.
class TGridTest : public TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->OnChange = [this](TObject*) {
      ++mChanges;
      for (TMyParentGrid* grid : mGrids) grid->LoadFromData();
    };
  }
  void TearDown() override {
    mGrids.clear();
    mShown.clear();
    QApplication::clipboard()->clear();
    ResetGlobals();
  }

  // Binds a grid, loads it and shows it in an active window, with the frame's edit actions
  // on its keys and in its menu.
  void Show(TMyParentGrid& grid) {
    grid.SetData(mData.get());
    grid.addActions(mActions.All());
    if (mGridMenu.isEmpty()) mGridMenu.addAction(mActions.Paste);
    grid.SetPopupMenu(&mGridMenu);
    mGrids.push_back(&grid);
    grid.LoadFromData();
    grid.resize(1400, 320);
    ASSERT_TRUE(ShowActive(grid));
    grid.setFocus();
  }

  // A new grid of type T, shown as Show shows it, for the rest of the test.
  template <typename T>
  T& Shown() {
    mShown.push_back(std::make_unique<T>());
    Show(*mShown.back());
    return static_cast<T&>(*mShown.back());
  }

  static QPoint CellCentre(const TMyParentGrid& grid, int col, int row) {
    return grid.visualRect(grid.model()->index(row - 1, col)).center();
  }
  static void Click(TMyParentGrid& grid, int col, int row) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, col, row));
  }
  // Makes a cell current, opens its editor and replaces its text.
  static void Type(TMyParentGrid& grid, int col, int row, const QString& text) {
    if (grid.Col() != col || grid.Row() != row) Click(grid, col, row);
    if (!grid.IsEditing()) QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_TRUE(grid.IsEditing()) << "no editor at " << col << "," << row;
    grid.CellEditor()->selectAll();
    QTest::keyClicks(grid.CellEditor(), text);
  }
  // Pastes text with the cell (col, row) current and the only one selected, as a person does:
  // Ctrl+V, or with byMenu a right click on the cell and Paste in the grid's menu.
  void PasteAt(TMyParentGrid& grid, int col, int row, const QString& text, bool byMenu = false) {
    grid.SetCurrentCell(col, row);
    grid.SetSelectionRect({col, row, col, row});
    QApplication::clipboard()->setText(text);
    grid.setFocus();
    if (!byMenu) {
      QTest::keyClick(&grid, Qt::Key_V, Qt::ControlModifier);
      return;
    }
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, CellCentre(grid, col, row));
    ASSERT_TRUE(mGridMenu.isVisible());
    QTest::mouseClick(&mGridMenu, Qt::LeftButton, {},
                      mGridMenu.actionGeometry(mActions.Paste).center());
  }
  static void Key(TMyParentGrid& grid, Qt::Key key) {
    QWidget* target = grid.IsEditing() ? static_cast<QWidget*>(grid.CellEditor()) : &grid;
    QTest::keyClick(target, key);
  }
  // Lets queued messages appear.
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  QObject mActionOwner;
  TAQVActions mActions = CreateAQVActions(&mActionOwner);
  QMenu mGridMenu;
  std::vector<TMyParentGrid*> mGrids;
  std::vector<std::unique_ptr<TMyParentGrid>> mShown;
};

}  // namespace aqv::test
