#include "app/gui/MAIN.h"

#include <QMdiArea>

#include "model/AQVElements.h"

namespace aqv {

namespace {
// Size of the frame before any window placement is restored, in pixels.
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 720;
}  // namespace

std::string MainFormCaption(std::string_view versionString) {
  return "AQV for Windows - Zelvor edition (" + std::string(versionString.substr(0, 4)) + ")";
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), mMdiArea(new QMdiArea(this)) {
  setObjectName(QStringLiteral("MainForm"));
  mMdiArea->setObjectName(QStringLiteral("MdiArea"));
  setCentralWidget(mMdiArea);
  setWindowTitle(QString::fromStdString(MainFormCaption(Globals().VersionString)));
  resize(kDefaultWidth, kDefaultHeight);
}

}  // namespace aqv
