#pragma once

#include <QString>

class QWidget;

namespace aqv {

class TUserInterface;

// The keyword of the help page shown when no control on the way up names one.
inline constexpr const char* kDefaultHelpKeyword = "Introduction";
// Name of the dynamic property in which a widget carries its help keyword.
inline constexpr const char* kHelpKeywordProperty = "HelpKeyword";

// The web pages of the Help menu.
inline constexpr const char* kProductHomePage = "https://aqv.example.org";
inline constexpr const char* kKelvarosHomePage = "https://aqv.example.org/kelvaros";
inline constexpr const char* kBrowserErrorText = "Unable to launch the default browser.";

// Gives a widget its help keyword.
void SetHelpKeyword(QWidget* widget, const QString& keyword);
// The help keyword of start or of its nearest parent that has one; kDefaultHelpKeyword when
// none has (also for a null start).
[[nodiscard]] QString HelpKeywordOf(const QWidget* start);

// Folder of the help pages: "help" beside the program, else "share/aqv/help" of the
// installation.
[[nodiscard]] QString HelpFolder();
// Path of the page for keyword in folder; the introduction's page when keyword has none.
[[nodiscard]] QString HelpPagePath(const QString& folder, const QString& keyword);
// The message shown when the page at path could not be opened, naming the file so that the
// person can open it by hand.
[[nodiscard]] QString HelpFailureText(const QString& path);
// Opens the page of keyword in the desktop's browser; false when nothing could be opened.
bool ShowHelpPage(const QString& keyword);
// Opens the page of keyword; when it cannot, tells the person through ui where the page is.
void ShowHelpPageOrSayWhere(const QString& keyword, TUserInterface& ui);

}  // namespace aqv
