#include "app/gui/Startup.h"

#include <QApplication>
#include <QVariant>

#include "app/gui/About.h"
#include "model/AQVElements.h"

namespace aqv {

namespace {
constexpr const char* kTitleProperty = "ApplicationTitle";
}  // namespace

void InitApplication() {
  QApplication::setOrganizationName(QStringLiteral("AQV"));
  // The title is the application's name and, with no display name of its own, also what
  // applicationDisplayName() answers. A display name set explicitly would be appended by the
  // X11 window system layer to every window title that does not end with it.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  QApplication::setApplicationVersion(QString::fromStdString(Globals().VersionString));
  QApplication::setWindowIcon(QIcon(ProgramPicture(64)));
  SetApplicationTitle(kApplicationTitle);
}

std::string DocumentApplicationTitle(const std::string& fileName) {
  return StripDataFileExtension(fileName) + " - AQV for Windows " +
         Globals().VersionString.substr(0, 4);
}

void SetApplicationTitle(const std::string& title) {
  if (qApp != nullptr) qApp->setProperty(kTitleProperty, QString::fromStdString(title));
}

std::string ApplicationTitle() {
  return qApp != nullptr ? qApp->property(kTitleProperty).toString().toStdString() : std::string();
}

}  // namespace aqv
