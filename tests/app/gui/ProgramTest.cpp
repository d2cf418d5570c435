#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>
#include <tuple>

#include "app/gui/CHILDWIN.h"
#include "app/gui/MAIN.h"
#include "app/gui/Splash.h"
#include "app/gui/Startup.h"
#include "tests/support/TempFolder.h"

// The program as it starts from its own main: the application object is made by the program,
// so the test looks on from a routine that Qt runs as that object is made.
namespace aqv {
namespace {

struct TStartSeen {
  bool SplashAlone = false;      // the splash was up while the frame was not yet
  bool SplashTimed = false;      // and went only once its time was up
  bool SplashWithFrame = false;  // the splash was still up once the frame showed
  bool FrameShown = false;
  bool FrameClosed = false;
  std::string Document;  // the file of the frame's document
};
TStartSeen gSeen;
const test::TTempFolder* gSettingsFolder = nullptr;

void LookOn() {
  // No test may touch the settings of the person running it.
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromStdString(gSettingsFolder->Root().string()));
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks = 0]() mutable {
    TMainForm* frame = nullptr;
    bool splash = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (!w->isVisible()) continue;
      if (auto* s = qobject_cast<TSplashForm*>(w)) {
        splash = true;
        QObject::connect(s->Timer(), &QTimer::timeout, [] { gSeen.SplashTimed = true; });
      }
      if (auto* f = qobject_cast<TMainForm*>(w)) frame = f;
    }
    if (frame == nullptr) {
      gSeen.SplashAlone |= splash;
      if (++ticks > 1000) QApplication::quit();  // no frame within ten seconds
      return;
    }
    gSeen.FrameShown = true;
    gSeen.SplashWithFrame |= splash;
    // The file named on the command line opens as the frame first shows; the frame closes once
    // the document's first computation has returned.
    if (frame->ActiveChild() != nullptr) gSeen.Document = frame->ActiveChild()->Data().FileName;
    gSeen.FrameClosed = frame->close();
    if (gSeen.FrameClosed || ++ticks > 500) {
      timer->stop();
      QApplication::quit();
    }
  });
  timer->start(10);
}

TEST(Program, ShowsTheSplashThenTheFrameWithTheFileNamedOnTheCommandLine) {
  const test::TTempFolder settingsFolder;
  gSettingsFolder = &settingsFolder;
  qAddPreRoutine(LookOn);
  const std::string file = std::filesystem::canonical(AQV_TEST_DATA_DIR "/v2009.aqv").string();
  std::string name = "aqv";
  char* argv[] = {name.data(), const_cast<char*>(file.c_str()), nullptr};
  int argc = 2;
  EXPECT_EQ(RunApplication(argc, argv), 0);  // closing the frame ends the program
  EXPECT_EQ(std::tuple(gSeen.SplashAlone, gSeen.SplashTimed, gSeen.FrameShown,
                       gSeen.SplashWithFrame, gSeen.FrameClosed),
            std::tuple(true, true, true, false, true));
  EXPECT_EQ(gSeen.Document, file);
}

}  // namespace
}  // namespace aqv

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
