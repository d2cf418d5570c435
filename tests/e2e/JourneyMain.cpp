#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

#include "model/AQVElements.h"
#include "tests/support/TempFolder.h"

// Entry of the journeys: one QApplication on the X11 platform (a virtual screen under
// xvfb-run), as the program runs, with every per-user settings file moved into a temporary
// folder so that no journey touches the settings of the person running them.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fputs("aqv_journey_tests: no X display; run under xvfb-run\n", stderr);
    return 1;
  }
  // The journeys drive Qt's own dialogs, which a desktop's theme would replace by its own.
  for (const char* name : {"QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"})
    qunsetenv(name);
  QStandardPaths::setTestModeEnabled(true);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  const aqv::test::TTempFolder settingsFolder;
  const QString settings = QString::fromStdString(settingsFolder.Root().string());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
  QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settings);
  aqv::ResetGlobals();
  return RUN_ALL_TESTS();
}
