#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>

#include "model/AQVElements.h"
#include "platform/VectorState.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/MessageWindow.h"
#include "tests/support/TempFolder.h"

// Entry of the widget tests: one QApplication for the whole run, on the offscreen platform
// unless another is asked for, with every per-user settings file moved into a temporary folder
// so that no test can touch the settings of the person running it. The scripted user interface
// shows each message in a window that takes the keyboard, as on a desktop.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  aqv::ClearUpperVectorState();
  const aqv::test::TTempFolder settingsFolder;
  const QString settings = QString::fromStdString(settingsFolder.Root().string());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
  QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settings);
  aqv::ResetGlobals();
  aqv::test::SetMessageWindow(aqv::test::ShowMessageWindow);
  return RUN_ALL_TESTS();
}
