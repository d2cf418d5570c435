#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/UserInterface.h"

namespace aqv {

// Turns a filter of the form "Description|*.ext|All files (*.*)|*.*" into Qt's name filters,
// one "Description (patterns)" entry per pair. Patterns separated by ";" are joined by blanks,
// "*.*" becomes "*" (so that names without an extension show too), and a pattern list in
// parentheses at the end of a description is replaced by the converted one. A description
// without a pattern keeps the patterns of its own parentheses, or "*" when it has none.
[[nodiscard]] QStringList ConvertFileFilter(std::string_view filter);

// Message box caption for a message kind: "Error", "Warning" or "Confirm".
[[nodiscard]] QString MessageCaption(TMsgDlgType type);

// The user interface of the running program: Qt message boxes and file dialogs over the
// window given as parent (the active window when none is set), the system beep, and progress
// handed on to whoever shows it. Created and owned by the window that hands it to the core;
// the parent widget is not owned.
class TQtUserInterface final : public TUserInterface {
 public:
  using TProgressEvent = std::function<void(const std::string& caption, int position, int maximum)>;

  explicit TQtUserInterface(QWidget* parent = nullptr);

  void SetParentWidget(QWidget* parent) { mParent = parent; }
  // Receives every Progress call; without it progress is not shown.
  void SetOnProgress(TProgressEvent onProgress) { mOnProgress = std::move(onProgress); }

  TModalResult MessageBox(const std::string& text, TMsgDlgType type,
                          TMsgDlgButtons buttons) override;
  void Beep() override;
  bool SaveDialog(std::string& fileName, const std::string& initialDir, const std::string& filter,
                  const std::string& defaultExt) override;
  bool OpenDialog(std::string& fileName, const std::string& initialDir,
                  const std::string& filter) override;
  void ProcessMessages() override;
  void Progress(const std::string& caption, int position, int maximum) override;
  // A TAQVOutputForm kept above the parent window.
  std::unique_ptr<TOptimizeConsole> OpenOptimizeConsole(int widthPixels) override;

 private:
  [[nodiscard]] QWidget* DialogParent() const;

  QPointer<QWidget> mParent;
  TProgressEvent mOnProgress;
};

}  // namespace aqv
