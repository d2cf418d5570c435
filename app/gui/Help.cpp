#include "app/gui/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include "model/UserInterface.h"

namespace aqv {

void SetHelpKeyword(QWidget* widget, const QString& keyword) {
  if (widget != nullptr) widget->setProperty(kHelpKeywordProperty, keyword);
}

QString HelpKeywordOf(const QWidget* start) {
  for (const QWidget* w = start; w != nullptr; w = w->parentWidget()) {
    const QString keyword = w->property(kHelpKeywordProperty).toString();
    if (!keyword.isEmpty()) return keyword;
  }
  return QString::fromUtf8(kDefaultHelpKeyword);
}

QString HelpFolder() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/help");
}

QString HelpPagePath(const QString& folder, const QString& keyword) {
  // Keywords come from our own widgets, but a page name never climbs out of the help folder.
  const bool plainName = !keyword.isEmpty() && !keyword.contains(QLatin1Char('/')) &&
                         !keyword.contains(QLatin1String(".."));
  const QString page = folder + QLatin1Char('/') + keyword + QStringLiteral(".html");
  if (plainName && QFileInfo::exists(page)) return page;
  return folder + QLatin1Char('/') + QString::fromUtf8(kDefaultHelpKeyword) +
         QStringLiteral(".html");
}

QString HelpFailureText(const QString& path) {
  return QStringLiteral("Unable to open the help page. Open %1 in a web browser.")
      .arg(QDir::toNativeSeparators(path));
}

bool ShowHelpPage(const QString& keyword) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPagePath(HelpFolder(), keyword)));
}

void ShowHelpPageOrSayWhere(const QString& keyword, TUserInterface& ui) {
  if (!ShowHelpPage(keyword))
    ui.MessageBox(HelpFailureText(HelpPagePath(HelpFolder(), keyword)).toStdString(),
                  TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

}  // namespace aqv
