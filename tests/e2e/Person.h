#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class QMainWindow;
class QWidget;

namespace aqv::e2e {

// The person in front of the screen during a journey. On a short timer it looks for a modal
// window (a message box, a file dialog, another dialog) and handles it with the next answer the
// test queued: it reads a message box and clicks the named button, or types a path into a file
// dialog's name field and presses Enter. It also watches for the optimisation console and,
// when asked, accepts the result and presses "Done". Every message box text it sees is kept, so
// a journey can check that no error box came. A modal window for which no answer is queued is
// noted as unexpected and closed (Cancel, No or OK), so a journey never hangs on it. With
// AQV_E2E_TRACE set in the environment the person reports each window it handles.
class TPerson : public QObject {
 public:
  TPerson();

  // Next message box: its text must be expectedText (any text when empty); button is clicked.
  void AnswerMessage(const QString& expectedText, QMessageBox::StandardButton button) {
    mAnswers.push_back({TAnswer::TKind::akMessage, expectedText, button, {}});
  }
  // Next file dialog: path is typed into its file name field and Enter pressed.
  void TypeFileName(const QString& path) {
    mAnswers.push_back({TAnswer::TKind::akFileName, path, QMessageBox::NoButton, {}});
  }
  // Next modal window of another kind: handle runs with it and returns once it has acted.
  void HandleDialog(std::function<void(QWidget*)> handle) {
    mAnswers.push_back({TAnswer::TKind::akDialog, {}, QMessageBox::NoButton, std::move(handle)});
  }
  // The window that has the keyboard whenever no dialog is open, as a window manager keeps it.
  void SetFrame(QWidget* frame) { mFrame = frame; }
  // The next optimisation console: its result is accepted and the console closed with "Done".
  void AcceptConsole() {
    mAcceptConsole = true;
    mConsoleSeen = false;
  }

  // Texts of every message box seen, in order.
  const QStringList& Messages() const { return mMessages; }
  // Message boxes or dialogs that came without a queued answer or with another text.
  const QStringList& Unexpected() const { return mUnexpected; }
  // Whether every queued answer was used.
  bool Done() const { return mAnswers.empty() && !mAcceptConsole; }
  // What the person saw of the file dialogs: whether each was Qt's own widget dialog.
  bool FileDialogsWereWidgets() const { return mFileDialogsWereWidgets; }

 private:
  struct TAnswer {
    enum class TKind { akMessage, akFileName, akDialog } Kind;
    QString Text;  // expected message text, or the path to type
    QMessageBox::StandardButton Button = QMessageBox::NoButton;
    std::function<void(QWidget*)> Handle;
  };
  // A modal window the person has turned to, and how long ago its answer was given.
  struct THandled {
    QPointer<QWidget> Window;
    QElapsedTimer SinceAnswer;  // invalid until the answer has been given
  };
  void Look();
  THandled* Handled(QWidget* modal);
  void HandleModal(QWidget* modal);
  void Answer(QWidget* modal);
  void HandleConsole();
  void GiveFocusBack();
  void CloseUnexpected(QWidget* modal, const QString& what);

  QTimer mTimer;
  std::deque<TAnswer> mAnswers;
  QStringList mMessages;
  QStringList mUnexpected;
  // The modal windows being handled or answered, until they go; a window below a nested
  // dialog stays here, so that it is not taken for a new one when the nested dialog closes.
  std::vector<THandled> mHandled;
  QPointer<QWidget> mFrame;
  bool mAcceptConsole = false;
  bool mConsoleSeen = false;
  bool mFileDialogsWereWidgets = true;
};

// Chooses a menu item as a person does: clicks the menu's title in the menu bar, then each
// item on the path in the menus that open. Returns false when an item is missing or disabled;
// the menus are then closed again. Modal windows that the item opens are handled by the person
// before this returns.
bool ChooseMenu(QMainWindow& frame, const QStringList& path);

// Waits (handling events) until done() is true or timeoutMs passed; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Whether widget is visible in a window that the screen shows.
bool IsOnScreen(const QWidget* widget);

// Turns to window as a person does: waits until the screen shows it and, while it does not have
// the keyboard, asks for it as a window manager does for the window a person clicks or the
// dialog left on top. Returns whether it has the keyboard within timeoutMs; a busy machine may
// take seconds for what is otherwise instant.
bool GiveKeyboard(QWidget* window, int timeoutMs = 10000);

}  // namespace aqv::e2e
