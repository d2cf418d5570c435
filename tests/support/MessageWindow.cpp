#include "tests/support/MessageWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

namespace aqv::test {

namespace {
// Window activation comes from the window system as events; a few rounds deliver it. Pending
// events run at least once, as they do while a person reads a message.
void ProcessUntil(const std::function<bool()>& done) {
  int round = 0;
  do {
    QApplication::processEvents();
  } while (++round < 10 && !done());
}

// The window a desktop gives the keyboard back to: the one that had it, or when none had it yet
// (a window shown just before the message), the window the message came up over.
QWidget* WindowBelow(QWidget* before, const QWidget& box) {
  if (before) return before->isVisible() ? before : nullptr;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &box && window->isVisible() &&
        (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog))
      return window;
  return nullptr;
}
}  // namespace

void ShowMessageWindow(const std::string& text) {
  const QPointer<QWidget> before = QApplication::activeWindow();
  QWidget box;
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowTitle(QStringLiteral("Message"));
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(new QLabel(QString::fromStdString(text), &box));
  auto* ok = new QPushButton(QStringLiteral("OK"), &box);
  layout->addWidget(ok);
  box.show();
  box.activateWindow();
  ok->setFocus(Qt::ActiveWindowFocusReason);
  ProcessUntil([&box] { return box.isActiveWindow(); });
  box.hide();
  const QPointer<QWidget> back = WindowBelow(before, box);
  if (back) back->activateWindow();
  ProcessUntil([&back] { return !back || QApplication::activeWindow() == back; });
}

}  // namespace aqv::test
