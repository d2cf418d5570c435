#include "tests/e2e/Person.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDebug>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "platform/AQVOutputForm.h"
#include "tests/support/Clicks.h"

namespace aqv::e2e {

namespace {

// How often the person looks at the screen, milliseconds.
constexpr int kLookInterval = 25;
// How long an answered window may stay on top before the person gives up on it, milliseconds:
// an answer closes its window at once, so only a stuck window (a key a field swallowed, a
// click that missed) stays, and the journey then fails instead of hanging.
constexpr int kAnswerTimeout = 10000;

using test::ClickCentre;

TAQVOutputForm* VisibleConsole() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* console = qobject_cast<TAQVOutputForm*>(w); console && console->isVisible())
      return console;
  return nullptr;
}

QString Describe(QWidget* modal) {
  if (auto* box = qobject_cast<QMessageBox*>(modal))
    return QStringLiteral("message box \"%1\"").arg(box->text());
  return QStringLiteral("%1 \"%2\"")
      .arg(QString::fromUtf8(modal->metaObject()->className()), modal->windowTitle());
}

QAction* ItemOf(const QList<QAction*>& actions, const QString& text) {
  for (QAction* a : actions)
    if (!a->isSeparator() && a->isVisible() && a->text().remove(QLatin1Char('&')) == text) return a;
  return nullptr;
}

void CloseMenus() {
  while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

}  // namespace

TPerson::TPerson() {
  mTimer.setInterval(kLookInterval);
  connect(&mTimer, &QTimer::timeout, this, [this] { Look(); });
  mTimer.start();
}

void TPerson::Look() {
  GiveFocusBack();
  // A window that went is forgotten, so that a dialog shown again counts as new.
  std::erase_if(mHandled,
                [](const THandled& h) { return h.Window.isNull() || !h.Window->isVisible(); });
  QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && modal->isVisible()) {
    THandled* handled = Handled(modal);
    if (handled == nullptr) {
      // Acted on outside the timer's own call: a timer is not called again while its call
      // runs, and acting may open a window that must be handled from inside.
      mHandled.push_back({modal, {}});
      QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(modal)] {
        if (window != nullptr && window->isVisible()) HandleModal(window);
      });
    } else if (handled->SinceAnswer.isValid() && handled->SinceAnswer.hasExpired(kAnswerTimeout)) {
      handled->SinceAnswer.invalidate();
      QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(modal)] {
        if (window != nullptr && window->isVisible())
          CloseUnexpected(window,
                          QStringLiteral("still open after its answer: ") + Describe(window));
      });
    }
    return;
  }
  if (mAcceptConsole) HandleConsole();
}

TPerson::THandled* TPerson::Handled(QWidget* modal) {
  for (THandled& h : mHandled)
    if (h.Window == modal) return &h;
  return nullptr;
}

void TPerson::HandleModal(QWidget* modal) {
  if (qEnvironmentVariableIsSet("AQV_E2E_TRACE")) qInfo() << "person sees" << Describe(modal);
  const QPointer<QWidget> window = modal;
  // A person reads a window once the screen shows it and turns to it. The answer does not
  // need the keyboard (clicks and keys go to the widgets themselves), so a window that is
  // slow to get it is still answered.
  (void)GiveKeyboard(modal);
  Answer(modal);
  if (THandled* handled = window.isNull() ? nullptr : Handled(window)) handled->SinceAnswer.start();
}

void TPerson::Answer(QWidget* modal) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  if (box != nullptr) mMessages.append(box->text());
  if (mAnswers.empty()) {
    CloseUnexpected(modal, QStringLiteral("no answer for ") + Describe(modal));
    return;
  }
  const TAnswer answer = mAnswers.front();
  mAnswers.pop_front();
  switch (answer.Kind) {
    case TAnswer::TKind::akMessage: {
      if (box == nullptr) {
        CloseUnexpected(modal, QStringLiteral("expected a message box, saw ") + Describe(modal));
        return;
      }
      if (!answer.Text.isEmpty() && box->text() != answer.Text)
        mUnexpected.append(
            QStringLiteral("expected \"%1\", saw \"%2\"").arg(answer.Text, box->text()));
      QAbstractButton* button = box->button(answer.Button);
      if (button == nullptr) {
        CloseUnexpected(modal, QStringLiteral("no such button on ") + Describe(modal));
        return;
      }
      ClickCentre(button);
      return;
    }
    case TAnswer::TKind::akFileName: {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      if (dialog == nullptr) {
        CloseUnexpected(modal, QStringLiteral("expected a file dialog, saw ") + Describe(modal));
        return;
      }
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (name == nullptr || !name->isVisible()) {
        // A desktop's own dialog has no fields to type into.
        mFileDialogsWereWidgets = false;
        dialog->selectFile(answer.Text);
        static_cast<QDialog*>(dialog)->accept();
        return;
      }
      // The dialog follows what is typed only in the field that has the focus; elsewhere it
      // would keep every directory passed on the way selected. So first the window must be
      // active and the person click into the field.
      ClickCentre(name);
      if (!WaitUntil([name] { return name->hasFocus(); }))
        mUnexpected.append(QStringLiteral("the file name field has no focus"));
      name->selectAll();
      QTest::keyClicks(name, answer.Text);
      // The field offers the folder's names that start as typed; while that list is open, Return
      // only closes the list. The person first dismisses it.
      if (QCompleter* completer = name->completer();
          completer != nullptr && completer->popup()->isVisible()) {
        if (qEnvironmentVariableIsSet("AQV_E2E_TRACE")) qInfo() << "person closes the names list";
        QTest::keyClick(completer->popup(), Qt::Key_Escape);
      }
      QTest::keyClick(name, Qt::Key_Return);
      return;
    }
    case TAnswer::TKind::akDialog:
      answer.Handle(modal);
      return;
  }
}

// The virtual screen runs without a window manager, which would give the keyboard back to the
// frame once a dialog above it has gone; Qt alone may leave no window active then, at once or
// a little later. The person does what the window manager would.
void TPerson::GiveFocusBack() {
  if (mFrame == nullptr || !mFrame->isVisible() || QApplication::activeModalWidget() != nullptr ||
      QApplication::activePopupWidget() != nullptr || QApplication::activeWindow() != nullptr)
    return;
  mFrame->activateWindow();
}

void TPerson::HandleConsole() {
  TAQVOutputForm* console = VisibleConsole();
  if (console == nullptr) {
    // The console came and went: the run is over.
    if (mConsoleSeen) mAcceptConsole = mConsoleSeen = false;
    return;
  }
  mConsoleSeen = true;
  QPushButton* left = console->LeftPushButton();
  if (!left->isEnabled()) return;
  const QString caption = left->text();
  if (caption == QStringLiteral("Accept result") || caption == QStringLiteral("Done"))
    ClickCentre(left);
}

void TPerson::CloseUnexpected(QWidget* modal, const QString& what) {
  mUnexpected.append(what);
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
      if (QAbstractButton* button = box->button(b)) {
        ClickCentre(button);
        return;
      }
  }
  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    dialog->reject();
    return;
  }
  modal->close();
}

bool ChooseMenu(QMainWindow& frame, const QStringList& path) {
  QMenuBar* bar = frame.menuBar();
  QAction* title = ItemOf(bar->actions(), path.value(0));
  if (title == nullptr || title->menu() == nullptr || !title->isEnabled() || !bar->isEnabled())
    return false;
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
  QMenu* menu = title->menu();
  if (!WaitUntil([menu] { return menu->isVisible(); }, 3000)) return false;
  for (qsizetype i = 1; i < path.size(); ++i) {
    QAction* item = ItemOf(menu->actions(), path[i]);
    if (item == nullptr || !item->isEnabled()) {
      CloseMenus();
      return false;
    }
    const QPoint centre = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, centre);
    QTest::mouseClick(menu, Qt::LeftButton, {}, centre);
    if (item->menu() == nullptr) return true;  // triggered, and what it opened is over
    menu = item->menu();
    if (!WaitUntil([menu] { return menu->isVisible(); }, 3000)) {
      CloseMenus();
      return false;
    }
  }
  CloseMenus();
  return false;  // the path ended on a sub-menu
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  return QTest::qWaitFor(done, timeoutMs);
}

bool IsOnScreen(const QWidget* widget) {
  const QWindow* window = widget->window()->windowHandle();
  return widget->isVisible() && window != nullptr && window->isExposed();
}

bool GiveKeyboard(QWidget* window, int timeoutMs) {
  // A request made while the window was still being mapped can be lost; it is repeated.
  constexpr int kAskAgain = 500;
  window = window->window();
  QElapsedTimer clock;
  clock.start();
  while (!window->isActiveWindow() && !clock.hasExpired(timeoutMs)) {
    if (IsOnScreen(window)) window->activateWindow();
    WaitUntil([window] { return window->isActiveWindow(); }, kAskAgain);
  }
  return window->isActiveWindow();
}

}  // namespace aqv::e2e
