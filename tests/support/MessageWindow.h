#pragma once

#include <string>

namespace aqv::test {

// Shows text in a small modal window for as long as a person takes to read it: the window
// takes the keyboard, pending events run, and on closing it gives the keyboard back to the
// window that had it, as a desktop's message box and window manager do. The scripted user
// interface of the widget tests shows every message so.
void ShowMessageWindow(const std::string& text);

}  // namespace aqv::test
