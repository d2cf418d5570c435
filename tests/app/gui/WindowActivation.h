#pragma once

#include <QTest>
#include <QWidget>

namespace aqv::test {

// Shows a window and gives it the keyboard, as a person's click on it does; false when it did
// not become the active window.
inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

}  // namespace aqv::test
