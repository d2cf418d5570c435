#include <QApplication>

#include "app/gui/MAIN.h"
#include "app/gui/Splash.h"
#include "app/gui/Startup.h"
#include "model/AQVElements.h"
#include "platform/VectorState.h"

namespace aqv {

int RunApplication(int argc, char* argv[]) {
  QApplication application(argc, argv);
  ClearUpperVectorState();
  ResetGlobals();
  auto* splash = new TSplashForm;
  splash->show();
  QApplication::processEvents();
  InitApplication();
  TMainForm mainForm;
  // The splash window stays until its timer has fired, however quickly the frame was made.
  while (!splash->CloseQuery()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  delete splash;
  mainForm.show();
  return QApplication::exec();
}

}  // namespace aqv
