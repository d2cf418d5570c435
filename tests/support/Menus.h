#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace aqv::test {

// The menus of a main window, worked as a person does.

// Opens the menu of the bar titled menuTitle as a person does: a click on its title, or Alt
// with its underlined letter. Returns the open menu; nullptr when it did not open.
inline QMenu* OpenBarMenu(QMainWindow& form, const QString& menuTitle, bool byKeyboard) {
  QMenuBar* bar = form.menuBar();
  for (QAction* title : bar->actions()) {
    if (title->text().remove('&') != menuTitle) continue;
    if (byKeyboard)  // from the control that has the keys
      QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : &form,
                         QKeySequence::mnemonic(title->text()));
    else
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QMenu* menu = title->menu();
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 3000)) return nullptr;
    // The window system's events for the open menu come while it is open, as a person's
    // pause gives them time to; late, they would be taken for another window's activation.
    QApplication::processEvents();
    return menu;
  }
  return nullptr;
}

// Opens a menu of the bar and clicks its item, as a person does.
inline void ChooseMenuItem(QMainWindow& form, const QString& menuTitle, const QString& itemText) {
  QMenu* menu = OpenBarMenu(form, menuTitle, false);
  ASSERT_NE(menu, nullptr) << menuTitle.toStdString();
  for (QAction* a : menu->actions())
    if (a->text().remove('&') == itemText) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
      return;
    }
  FAIL() << "no item " << itemText.toStdString();
}

// Opens a menu of the bar with the keyboard, from the control focus has: Alt, the arrows to
// the menu and to the item ("Submenu/Item": Right into the submenu, on to its item), Enter.
inline void ChooseMenuItemByKeys(QMainWindow& form, QWidget* focus, const QString& menuTitle,
                                 const QString& itemPath) {
  QMenuBar* bar = form.menuBar();
  QTest::sendKeyEvent(QTest::Press, focus, Qt::Key_Alt, QString(), Qt::AltModifier);
  QTest::sendKeyEvent(QTest::Release, focus, Qt::Key_Alt, QString(), Qt::NoModifier);
  ASSERT_TRUE(bar->hasFocus() && bar->activeAction() != nullptr)
      << "Alt did not reach the menu bar";
  for (int i = 0; i < bar->actions().size() && bar->activeAction()->text().remove('&') != menuTitle;
       ++i)
    QTest::keyClick(bar, Qt::Key_Right);
  QTest::keyClick(bar, Qt::Key_Down);
  QApplication::processEvents();
  ASSERT_NE(bar->activeAction(), nullptr) << menuTitle.toStdString();
  QMenu* menu = bar->activeAction()->menu();
  const auto on = [&menu](const QString& text) {
    return menu->activeAction() != nullptr && menu->activeAction()->text() == text;
  };
  for (const QString& itemText : itemPath.split('/')) {
    ASSERT_TRUE(menu->isVisible()) << itemText.toStdString();
    for (int i = 0; i < menu->actions().size() && !on(itemText); ++i)
      QTest::keyClick(menu, Qt::Key_Down);
    ASSERT_TRUE(on(itemText)) << itemText.toStdString();
    if (QMenu* submenu = menu->activeAction()->menu())
      QTest::keyClick(menu, Qt::Key_Right), QApplication::processEvents(), menu = submenu;
  }
  QTest::keyClick(menu, Qt::Key_Return);
}

}  // namespace aqv::test
