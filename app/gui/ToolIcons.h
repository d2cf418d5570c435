#pragma once

#include <QIcon>

namespace aqv {

// The tool bar's pictures, drawn at 24 pixels so they look alike on every desktop.
enum class TToolIcon { tiNew, tiOpen, tiSave, tiCut, tiCopy, tiPaste, tiOptimized, tiOptimize };
[[nodiscard]] QIcon ToolIcon(TToolIcon icon);

}  // namespace aqv
