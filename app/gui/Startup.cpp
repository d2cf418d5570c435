#include "app/gui/Startup.h"

#include <QApplication>

#include "model/AQVElements.h"

namespace aqv {

void InitApplication() {
  QApplication::setOrganizationName(QStringLiteral("AQV"));
  // The title is the application's name and, with no display name of its own, also what
  // applicationDisplayName() answers. A display name set explicitly would be appended by the
  // X11 window system layer to every window title that does not end with it.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  QApplication::setApplicationVersion(QString::fromStdString(Globals().VersionString));
}

}  // namespace aqv
