#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/UserInterface.h"

namespace aqv::test {

class TFakeUserInterface;

// How the fake console answers when a run waits for the person and the script has not acted.
enum class TConsoleAnswer {
  caAccept,  // "Accept result", and "Done" at the end
  caReject,  // "Reject result", and "Done" at the end
  caNone     // only the script presses buttons
};

// The console window of a run as a test sees it: every line, every change of the buttons, and
// each wait, on which the fake interface runs its ProcessMessages script before it answers.
class TFakeOptimizeConsole final : public TOptimizeConsole {
 public:
  explicit TFakeOptimizeConsole(TFakeUserInterface& ui) : mUi(ui) {}
  ~TFakeOptimizeConsole() override;

  void AddLine(const std::string& line) override;
  void FocusLeftButton() override;
  void Show() override;
  void WaitForMessages() override;
  void Close() override;

 protected:
  void ButtonsChanged() override;

 private:
  TFakeUserInterface& mUi;
};

// What showing a message does to the screen while the script answers it: nothing in the core
// tests; the widget tests' entry makes it a small modal window that takes the keyboard while it
// is up and gives it back when it closes, as a desktop's message box does.
void SetMessageWindow(std::function<void(const std::string& text)> show);

// A scripted user interface: it records every message, beep and progress step, and answers
// questions and file dialogs from queues that a test fills beforehand (default: OK / cancel).
class TFakeUserInterface : public TUserInterface {
 public:
  struct TMessage {
    std::string Text;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
  };

  TModalResult MessageBox(const std::string& text, TMsgDlgType type,
                          TMsgDlgButtons buttons) override;
  void Beep() override { ++Beeps; }
  bool SaveDialog(std::string& fileName, const std::string& initialDir, const std::string& filter,
                  const std::string& defaultExt) override;
  bool OpenDialog(std::string& fileName, const std::string& initialDir,
                  const std::string& filter) override;
  void ProcessMessages() override;
  void Progress(const std::string& caption, int position, int maximum) override;
  std::unique_ptr<TOptimizeConsole> OpenOptimizeConsole(int widthPixels) override;

  std::vector<TMessage> Messages;
  // The texts of the messages shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const TMessage& m : Messages) texts.push_back(m.Text);
    return texts;
  }
  // The text of the one message shown; any other number of messages is described instead, so
  // that it never equals a message's text.
  std::string OnlyMessage() const {
    if (Messages.size() == 1) return Messages[0].Text;
    std::string all = "<" + std::to_string(Messages.size()) + " messages";
    for (const TMessage& m : Messages) all += " | " + m.Text;
    return all + ">";
  }
  int Beeps = 0;
  int ProcessMessagesCalls = 0;
  std::vector<int> ProgressPositions;

  // Answers for the next message boxes; an empty queue answers OK (or No for Yes/No boxes).
  std::deque<TModalResult> Answers;
  // Paths the next file dialogs return; an empty queue means the user cancels.
  std::deque<std::string> DialogPaths;
  // Called on each ProcessMessages, so a test can act "while the GUI runs" (press Escape).
  std::function<void()> OnProcessMessages;

  // --- The optimisation console ---------------------------------------------------------
  // The open console, nullptr when none is open; a script presses its buttons.
  TFakeOptimizeConsole* Console = nullptr;
  TConsoleAnswer ConsoleAnswer = TConsoleAnswer::caAccept;
  // Waits after which a script that never answers is ended with "Cancel" or "Done", so that a
  // faulty test fails instead of hanging.
  int ConsoleWaitLimit = 100000;
  int ConsolesOpened = 0;
  int ConsolesClosed = 0;
  int ConsoleWaits = 0;
  int ConsoleWidth = 0;
  std::vector<std::string> ConsoleLines;
  // "Left Stop 1 | Right Cancel 0" after every change of the buttons, "focus" on each focus.
  std::vector<std::string> ConsoleButtonLog;
};

}  // namespace aqv::test
