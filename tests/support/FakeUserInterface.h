#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "model/UserInterface.h"

namespace aqv::test {

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
  bool SaveDialog(std::string& fileName, const std::string& initialDir,
                  const std::string& filter, const std::string& defaultExt) override;
  bool OpenDialog(std::string& fileName, const std::string& initialDir,
                  const std::string& filter) override;
  void ProcessMessages() override;
  void Progress(const std::string& caption, int position, int maximum) override;

  std::vector<TMessage> Messages;
  int Beeps = 0;
  int ProcessMessagesCalls = 0;
  std::vector<int> ProgressPositions;

  // Answers for the next message boxes; an empty queue answers OK (or No for Yes/No boxes).
  std::deque<TModalResult> Answers;
  // Paths the next file dialogs return; an empty queue means the user cancels.
  std::deque<std::string> DialogPaths;
  // Called on each ProcessMessages, so a test can act "while the GUI runs" (press Escape).
  std::function<void()> OnProcessMessages;
};

}  // namespace aqv::test
