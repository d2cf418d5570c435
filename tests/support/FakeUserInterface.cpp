#include "tests/support/FakeUserInterface.h"

namespace aqv::test {

TModalResult TFakeUserInterface::MessageBox(const std::string& text, TMsgDlgType type,
                                            TMsgDlgButtons buttons) {
  Messages.push_back({text, type, buttons});
  if (!Answers.empty()) {
    const TModalResult answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  const bool yesNo = buttons == TMsgDlgButtons::mbYesNo || buttons == TMsgDlgButtons::mbYesNoCancel;
  return yesNo ? TModalResult::mrNo : TModalResult::mrOK;
}

bool TFakeUserInterface::SaveDialog(std::string& fileName, const std::string&, const std::string&,
                                    const std::string&) {
  if (DialogPaths.empty()) return false;
  fileName = DialogPaths.front();
  DialogPaths.pop_front();
  return true;
}

bool TFakeUserInterface::OpenDialog(std::string& fileName, const std::string&,
                                    const std::string&) {
  if (DialogPaths.empty()) return false;
  fileName = DialogPaths.front();
  DialogPaths.pop_front();
  return true;
}

void TFakeUserInterface::ProcessMessages() {
  ++ProcessMessagesCalls;
  if (OnProcessMessages) OnProcessMessages();
}

void TFakeUserInterface::Progress(const std::string&, int position, int) {
  ProgressPositions.push_back(position);
}

}  // namespace aqv::test
