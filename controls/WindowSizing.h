#pragma once

class QWidget;

namespace aqv {

// Returns the width in pixels that a top-level window needs for its title bar to show the whole
// window title: the title in a bold font (as window managers draw it) plus room for the window
// icon and three frame buttons.
int TitleBarWidth(const QWidget& window);

}  // namespace aqv
