#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace aqv::test {

// What a person does with the widgets of a window, as the widget tests drive them.

inline void ClickCentre(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Clicks the box of a check box or radio button (its text may be shorter than the widget).
inline void ClickBox(QWidget* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Clicks the tab of page index; the page must then show.
inline void ClickTab(QTabWidget* pages, int index) {
  QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(index).center());
  ASSERT_EQ(pages->currentIndex(), index);
}

// The radio button of window captioned caption.
inline QRadioButton* RadioButton(QWidget& window, const char* caption) {
  for (QRadioButton* button : window.findChildren<QRadioButton*>())
    if (button->text() == QLatin1String(caption)) return button;
  ADD_FAILURE() << "no radio button " << caption;
  return nullptr;
}

// Replaces the text of a field that has the keyboard by typing, and commits it with Return.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

// Clicks a cell of a grid (row 1 is the first data row) and opens its editor with F2. A click
// on the cell that is already current opens the editor by itself once the double-click interval
// has passed, and F2 does nothing meanwhile: then that editor is awaited.
template <typename TGrid>
void OpenCellEditor(TGrid& grid, int col, int row) {
  const QModelIndex cell = grid.model()->index(row - 1, col);
  grid.scrollTo(cell);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
  if (!grid.IsEditing()) QTest::keyClick(&grid, Qt::Key_F2);
  if (!grid.IsEditing()) (void)QTest::qWaitFor([&grid] { return grid.IsEditing(); }, 3000);
}

// Clicks a cell of a grid, opens its editor and replaces its text; the editor stays open.
template <typename TGrid>
void TypeInCell(TGrid& grid, int col, int row, const QString& text) {
  OpenCellEditor(grid, col, row);
  ASSERT_TRUE(grid.IsEditing()) << "no editor at " << col << "," << row;
  grid.CellEditor()->selectAll();
  QTest::keyClicks(grid.CellEditor(), text);
}

}  // namespace aqv::test
