#pragma once

namespace aqv {

// Title of the application as the desktop shows it.
inline constexpr const char* kApplicationTitle = "AQV for Windows";

// Gives the running QApplication its names, title and version; the process-wide values must
// have been set (ResetGlobals) before, since the version comes from them.
void InitApplication();

}  // namespace aqv
