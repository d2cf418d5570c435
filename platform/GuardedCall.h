#pragma once

#include <exception>
#include <string>
#include <utility>

#include "model/UserInterface.h"

namespace aqv {

// Text shown when something other than a std::exception was thrown.
inline constexpr const char* kUnknownErrorText = "An unexpected error occurred.";

namespace detail {
// Shows text as an error with OK; a failure to show it ends in the beep alone, because nothing
// may leave a slot.
inline void ReportGuardedError(TUserInterface& ui, const std::string& text) noexcept {
  try {
    ui.MessageBox(text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  } catch (...) {
    try {
      ui.Beep();
    } catch (...) {
    }
  }
}
}  // namespace detail

// Runs work for a slot or event handler. An exception that work throws is caught: restore is
// run to put back the state from before the call, the exception's message is shown as an
// error box through ui, and the result is false. Returns true when work finished normally.
// Qt does not allow an exception to leave a slot, so every slot that starts core work goes
// through here.
template <typename Work, typename Restore>
bool GuardedCall(TUserInterface& ui, Work&& work, Restore&& restore) noexcept {
  std::string error;
  try {
    std::forward<Work>(work)();
    return true;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = kUnknownErrorText;
  }
  try {
    std::forward<Restore>(restore)();
  } catch (...) {
  }
  detail::ReportGuardedError(ui, error.empty() ? std::string(kUnknownErrorText) : error);
  return false;
}

// The same without a state to put back.
template <typename Work>
bool GuardedCall(TUserInterface& ui, Work&& work) noexcept {
  return GuardedCall(ui, std::forward<Work>(work), [] {});
}

}  // namespace aqv
