#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace aqv::test {

// What the window tests share: a window given the keyboard, and a watch for dialogs.

// Shows a window and gives it the keyboard, as a person's click on it does; false when it did
// not become the active window.
inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// Watches for a modal dialog a command opens and cancels it, so that the test goes on; the
// message window of the scripted user interface is no dialog.
struct TDialogWatch {
  TDialogWatch() {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        Opened = true, dialog->reject();
    });
    Timer.start(10);
  }
  QTimer Timer;
  bool Opened = false;
};

}  // namespace aqv::test
