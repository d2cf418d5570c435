#pragma once

#include <string>
#include <string_view>

namespace aqv {

// Captions of the console's two buttons. A press acts by the caption the button shows, so the
// captions are the console's state.
inline constexpr std::string_view kStopCaption = "Stop";
inline constexpr std::string_view kRunCaption = "Run";
inline constexpr std::string_view kCancelCaption = "Cancel";
inline constexpr std::string_view kAcceptCaption = "Accept result";
inline constexpr std::string_view kRejectCaption = "Reject result";
inline constexpr std::string_view kDoneCaption = "Done";
inline constexpr std::string_view kConsoleCaption = "AQV progress and output results";

// One button of the console as the run sets it and the window shows it.
struct TConsoleButton {
  std::string Caption;
  bool Enabled = false;
  int Left = 0;  // pixels from the left edge of the button panel
  friend bool operator==(const TConsoleButton&, const TConsoleButton&) = default;
};

// The console window of an optimisation run as the core sees it: a memo that takes report lines
// and two buttons with which the person pauses, resumes, cancels, accepts or rejects the run.
// The button and key behaviour lives here, Qt-free, and works on the process-wide run flags
// (Globals().OptimizePaused, OptimizeCancelled, OptimizeRejected); a window derives from it,
// shows what ButtonsChanged announces and hands its clicks and keys to LeftButtonClick,
// RightButtonClick and EscapePressed. The run owns its console from opening to closing.
// Sizes are pixels.
class TOptimizeConsole {
 public:
  static constexpr int kClientWidth = 715;
  static constexpr int kClientHeight = 385;
  static constexpr int kPanelHeight = 41;
  static constexpr int kButtonTop = 6;
  static constexpr int kButtonWidth = 75;
  static constexpr int kButtonHeight = 25;
  static constexpr int kButtonGap = 4;
  static constexpr int kLeftButtonLeft = 452;
  static constexpr int kRightButtonLeft = 544;

  TOptimizeConsole();
  TOptimizeConsole(const TOptimizeConsole&) = delete;
  TOptimizeConsole& operator=(const TOptimizeConsole&) = delete;
  virtual ~TOptimizeConsole() = default;

  // --- What the run does ------------------------------------------------------------------
  // Sets the window's width and places the buttons: the left one four fifths of the way along
  // the free width, the right one just after it.
  void SetFormWidth(int widthPixels);
  void SetLeftButton(std::string_view caption, bool enabled);
  void SetRightButton(std::string_view caption, bool enabled);
  // Appends one line to the memo.
  virtual void AddLine(const std::string& line) = 0;
  virtual void FocusLeftButton() = 0;
  virtual void Show() = 0;
  // Handles what is pending at the screen and, when nothing is, waits a short while for it;
  // the run calls this in a loop while it waits for a button.
  virtual void WaitForMessages() = 0;
  // Closes the window; called only once CloseQuery allows it.
  virtual void Close() = 0;

  // --- What the person does -----------------------------------------------------------------
  // A press on an enabled button; a disabled button ignores presses.
  void LeftButtonClick();
  void RightButtonClick();
  // Escape pauses a running fit (the left button then offers "Run"); it never cancels.
  void EscapePressed();
  // Whether the window may close: only after "Accept result", "Done", "Cancel" or "Reject
  // result".
  bool CloseQuery() const { return mAllowClose; }

  int FormWidth() const { return mFormWidth; }
  const TConsoleButton& LeftButton() const { return mLeft; }
  const TConsoleButton& RightButton() const { return mRight; }

 protected:
  // Tells the window that a caption, a state or a position changed.
  virtual void ButtonsChanged() = 0;

 private:
  void Pause();
  void Resume();

  int mFormWidth = kClientWidth;
  TConsoleButton mLeft;
  TConsoleButton mRight;
  bool mAllowClose = false;
};

// A console without a window, for documents that nobody looks at (benchmarks, command-line
// tools): it drops the lines and answers each question as a careful person who cannot see the
// result would: it rejects every result, so a run without a screen never changes a document,
// and it presses "Done" when asked to. It never pauses a running fit.
class TSilentOptimizeConsole final : public TOptimizeConsole {
 public:
  void AddLine(const std::string&) override {}
  void FocusLeftButton() override {}
  void Show() override {}
  void WaitForMessages() override;
  void Close() override {}

 protected:
  void ButtonsChanged() override {}
};

}  // namespace aqv
