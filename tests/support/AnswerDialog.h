#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace aqv::test {

// Answers the next modal dialog of type T as a person would: once it has the keyboard, answer
// works its controls with clicks and keys and ends it (OK or Cancel). Called before the click
// that opens the dialog; it watches from the event loop, so it also serves a dialog opened
// inside another one. A dialog that does not come within five seconds fails the test, and
// whatever modal dialog is up then is cancelled, so that the test never hangs.
template <typename T>
void AnswerDialog(std::function<void(T&)> answer) {
  auto* timer = new QTimer;
  const QDeadlineTimer deadline(5000);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, deadline] {
    QWidget* modal = QApplication::activeModalWidget();
    T* dialog = dynamic_cast<T*>(modal);
    if (dialog == nullptr && !deadline.hasExpired()) return;
    timer->stop();
    timer->deleteLater();
    if (dialog != nullptr) {
      // A person answers once the dialog has the keyboard. Until its activation has come
      // through, the focus is still in the window below, where a key would land instead.
      // (QWindow::isActive() already holds then: a dialog counts as active with its parent.)
      // A dialog over no active window (offscreen, a form only shown) has nothing to take the
      // keyboard from.
      if (QApplication::activeWindow() != nullptr &&
          !QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }))
        ADD_FAILURE() << dialog->windowTitle().toStdString() << " did not take the keyboard";
      answer(*dialog);
      // An answer that could not end the dialog must not leave the test waiting on it.
      if (dialog->isVisible()) {
        ADD_FAILURE() << dialog->windowTitle().toStdString() << " is still open";
        dialog->reject();
      }
      return;
    }
    ADD_FAILURE() << "the dialog did not come";
    if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
  });
  timer->start(10);
}

// Clicks the button of the dialog whose caption, without its '&', is text.
inline void PressButton(QWidget& dialog, const QString& text) {
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
    if (button->text().remove('&') == text) {
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
      return;
    }
  ADD_FAILURE() << "no button " << text.toStdString();
}

// Clicks the tab of the page captioned text in the first tab widget of the dialog.
inline void ClickPage(QWidget& dialog, const QString& text) {
  QTabBar* tabs = dialog.findChild<QTabWidget*>()->tabBar();
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i).remove('&') == text)
      return QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
  ADD_FAILURE() << "no page " << text.toStdString();
}

}  // namespace aqv::test
