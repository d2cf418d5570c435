#include "app/gui/MAIN.h"

#include <QApplication>

#include "app/gui/Startup.h"
#include "model/AQVElements.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  aqv::ResetGlobals();
  aqv::InitApplication();
  aqv::TMainForm mainForm;
  mainForm.show();
  return QApplication::exec();
}
