#include "model/fit/AQVOptimizeConsole.h"

#include "model/AQVElements.h"

namespace aqv {

TOptimizeConsole::TOptimizeConsole() {
  mLeft.Left = kLeftButtonLeft;
  mRight.Left = kRightButtonLeft;
}

void TOptimizeConsole::SetFormWidth(int widthPixels) {
  mFormWidth = widthPixels;
  mLeft.Left = (widthPixels - kButtonWidth) * 4 / 5;
  mRight.Left = mLeft.Left + kButtonWidth + kButtonGap;
  ButtonsChanged();
}

void TOptimizeConsole::SetLeftButton(std::string_view caption, bool enabled) {
  mLeft.Caption = caption;
  mLeft.Enabled = enabled;
  ButtonsChanged();
}

void TOptimizeConsole::SetRightButton(std::string_view caption, bool enabled) {
  mRight.Caption = caption;
  mRight.Enabled = enabled;
  ButtonsChanged();
}

void TOptimizeConsole::Pause() {
  mLeft.Caption = kRunCaption;
  Globals().OptimizePaused = true;
  mRight.Enabled = true;
}

void TOptimizeConsole::Resume() {
  mLeft.Caption = kStopCaption;
  Globals().OptimizePaused = false;
  mRight.Enabled = false;
}

// "Stop" and "Run" toggle the pause; afterwards the caption the button now shows decides the
// rest, so that the answer buttons of the decision and the final "Done" share the one button.
void TOptimizeConsole::LeftButtonClick() {
  if (!mLeft.Enabled) return;
  if (mLeft.Caption == kStopCaption)
    Pause();
  else if (mLeft.Caption == kRunCaption)
    Resume();
  if (mLeft.Caption == kAcceptCaption) {
    Globals().OptimizePaused = false;
    mAllowClose = true;
  } else if (mLeft.Caption == kDoneCaption) {
    mAllowClose = true;
  }
  ButtonsChanged();
}

void TOptimizeConsole::RightButtonClick() {
  if (!mRight.Enabled) return;
  TAQVGlobals& g = Globals();
  if (mRight.Caption == kCancelCaption || mRight.Caption == kRejectCaption) {
    g.OptimizePaused = false;
    g.OptimizeCancelled = true;
    mAllowClose = true;
    if (mRight.Caption == kRejectCaption) g.OptimizeRejected = true;
  }
  ButtonsChanged();
}

void TOptimizeConsole::EscapePressed() {
  if (mLeft.Caption != kStopCaption) return;
  Pause();
  ButtonsChanged();
}

void TSilentOptimizeConsole::WaitForMessages() {
  if (RightButton().Enabled && RightButton().Caption == kRejectCaption)
    RightButtonClick();
  else if (LeftButton().Enabled &&
           (LeftButton().Caption == kDoneCaption || LeftButton().Caption == kRunCaption))
    LeftButtonClick();
}

}  // namespace aqv
