#pragma once

#include <string>

namespace aqv {

// Title of the application as the desktop shows it.
inline constexpr const char* kApplicationTitle = "AQV for Windows";

// Gives the running QApplication its names, title and version; the process-wide values must
// have been set (ResetGlobals) before, since the version comes from them.
void InitApplication();

// The application's title while a document is active: its file name without ".aqv", then
// " - AQV for Windows " and the first four characters of the version.
[[nodiscard]] std::string DocumentApplicationTitle(const std::string& fileName);
// The application's title (kept as a property of the application; the frame's caption is
// its own). Never changes the application's name, which names the settings file.
void SetApplicationTitle(const std::string& title);
[[nodiscard]] std::string ApplicationTitle();

// The program: splash window, frame window, message loop. Returns the exit code.
int RunApplication(int argc, char* argv[]);

}  // namespace aqv
