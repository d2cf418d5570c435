#include "tests/support/FakeUserInterface.h"

#include <utility>

namespace aqv::test {

namespace {
std::function<void(const std::string&)>& MessageWindow() {
  static std::function<void(const std::string&)> show;
  return show;
}
}  // namespace

void SetMessageWindow(std::function<void(const std::string& text)> show) {
  MessageWindow() = std::move(show);
}

TModalResult TFakeUserInterface::MessageBox(const std::string& text, TMsgDlgType type,
                                            TMsgDlgButtons buttons) {
  Messages.push_back({text, type, buttons});
  if (MessageWindow()) MessageWindow()(text);
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

bool TFakeUserInterface::OpenDialog(std::string& fileName, const std::string& initialDir,
                                    const std::string& filter) {
  return SaveDialog(fileName, initialDir, filter, {});
}

void TFakeUserInterface::ProcessMessages() {
  ++ProcessMessagesCalls;
  if (OnProcessMessages) OnProcessMessages();
}

void TFakeUserInterface::Progress(const std::string&, int position, int) {
  ProgressPositions.push_back(position);
}

std::unique_ptr<TOptimizeConsole> TFakeUserInterface::OpenOptimizeConsole(int widthPixels) {
  auto console = std::make_unique<TFakeOptimizeConsole>(*this);
  Console = console.get();
  ++ConsolesOpened;
  ConsoleWidth = widthPixels;
  console->SetFormWidth(widthPixels);
  return console;
}

TFakeOptimizeConsole::~TFakeOptimizeConsole() {
  if (mUi.Console == this) mUi.Console = nullptr;
}

void TFakeOptimizeConsole::AddLine(const std::string& line) {
  mUi.ConsoleLines.push_back(line);
}

void TFakeOptimizeConsole::FocusLeftButton() {
  mUi.ConsoleButtonLog.push_back("focus");
}

void TFakeOptimizeConsole::Show() {}

void TFakeOptimizeConsole::Close() {
  ++mUi.ConsolesClosed;
}

void TFakeOptimizeConsole::ButtonsChanged() {
  const std::string entry = "Left " + LeftButton().Caption + " " +
                            (LeftButton().Enabled ? "1" : "0") + " | Right " +
                            RightButton().Caption + " " + (RightButton().Enabled ? "1" : "0");
  if (mUi.ConsoleButtonLog.empty() || mUi.ConsoleButtonLog.back() != entry)
    mUi.ConsoleButtonLog.push_back(entry);
}

// The script acts first; then the standing answer takes the question the run waits for.
void TFakeOptimizeConsole::WaitForMessages() {
  ++mUi.ConsoleWaits;
  mUi.ProcessMessages();
  if (mUi.ConsoleWaits > mUi.ConsoleWaitLimit) {
    if (RightButton().Enabled) RightButtonClick();
    if (LeftButton().Caption == kDoneCaption) LeftButtonClick();
    return;
  }
  const bool asking = LeftButton().Enabled && LeftButton().Caption == kAcceptCaption;
  const bool done = LeftButton().Enabled && LeftButton().Caption == kDoneCaption;
  if (mUi.ConsoleAnswer == TConsoleAnswer::caAccept && (asking || done)) {
    LeftButtonClick();
  } else if (mUi.ConsoleAnswer == TConsoleAnswer::caReject) {
    if (asking && RightButton().Enabled)
      RightButtonClick();
    else if (done)
      LeftButtonClick();
  }
}

}  // namespace aqv::test
