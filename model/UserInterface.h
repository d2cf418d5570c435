#pragma once

#include <memory>
#include <string>

#include "model/fit/AQVOptimizeConsole.h"

namespace aqv {

// Icon of a message box.
enum class TMsgDlgType { mtError, mtWarning, mtConfirmation };

// Button sets that the program's message boxes use.
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel };

// The button the user pressed; mrCancel also when the box was closed without a choice.
enum class TModalResult { mrOK, mrCancel, mrYes, mrNo };

// Everything the Qt-free core needs from the person at the screen: message boxes, the beep,
// file dialogs, progress and a chance for the GUI to handle pending events during long work.
// The Qt layer implements it; tests use a scripted fake that records every call. The core never
// owns the object it is given.
class TUserInterface {
 public:
  virtual ~TUserInterface() = default;

  // Shows a modal message box and returns the button pressed.
  virtual TModalResult MessageBox(const std::string& text, TMsgDlgType type,
                                  TMsgDlgButtons buttons) = 0;
  virtual void Beep() = 0;

  // Shows a save dialog; returns false when the user cancels. fileName is the proposed name
  // on entry and the chosen path on return. filter uses the "Description|*.ext|..." form.
  virtual bool SaveDialog(std::string& fileName, const std::string& initialDir,
                          const std::string& filter, const std::string& defaultExt) = 0;
  // The same for opening a file.
  virtual bool OpenDialog(std::string& fileName, const std::string& initialDir,
                          const std::string& filter) = 0;

  // Lets the GUI handle pending events (repaint, Escape, close requests) during long work.
  virtual void ProcessMessages() = 0;

  // Progress of long work: a caption, a position and a maximum (position 0 ends the display).
  virtual void Progress(const std::string& caption, int position, int maximum) = 0;

  // Opens the console window of an optimisation run, widthPixels wide, not yet shown. The run
  // owns it until it closes it.
  virtual std::unique_ptr<TOptimizeConsole> OpenOptimizeConsole(int widthPixels) = 0;
};

// A user interface that answers every question with its default and shows nothing; used where
// a document has no window (command-line tools, benchmarks). Its optimisation console rejects
// every result, so that a run nobody sees leaves the document as it was.
class TSilentUserInterface final : public TUserInterface {
 public:
  TModalResult MessageBox(const std::string&, TMsgDlgType, TMsgDlgButtons buttons) override {
    return buttons == TMsgDlgButtons::mbYesNo || buttons == TMsgDlgButtons::mbYesNoCancel
               ? TModalResult::mrNo
               : TModalResult::mrOK;
  }
  void Beep() override {}
  bool SaveDialog(std::string&, const std::string&, const std::string&,
                  const std::string&) override {
    return false;
  }
  bool OpenDialog(std::string&, const std::string&, const std::string&) override { return false; }
  void ProcessMessages() override {}
  void Progress(const std::string&, int, int) override {}
  std::unique_ptr<TOptimizeConsole> OpenOptimizeConsole(int widthPixels) override {
    auto console = std::make_unique<TSilentOptimizeConsole>();
    console->SetFormWidth(widthPixels);
    return console;
  }
};

}  // namespace aqv
