#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <tuple>

#include "app/gui/About.h"
#include "app/gui/AppSettings.h"
#include "app/gui/Help.h"
#include "app/gui/Preferences.h"
#include "app/gui/Splash.h"
#include "controls/MySpin.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

TEST(CheckedPreferences, StoredValuesOutsideTheirRangesFallBackToDefaults) {
  for (const TPreferenceValues& kept :
       {TPreferenceValues{6, 2, true, false, 0}, TPreferenceValues{16, 40, false, true, 1}})
    EXPECT_EQ(CheckedPreferences(kept), kept) << kept.NSt;
  for (const TPreferenceValues& out : {TPreferenceValues{7, 10, false, true, 1},
                                       {18, 1, false, true, 1},
                                       {4, 41, false, true, 5},
                                       {-2, -7, false, true, -1}})
    EXPECT_EQ(CheckedPreferences(out), (TPreferenceValues{10, 10, false, true, 1})) << out.NSt;
}

class SettingsTest : public ::testing::Test {
 protected:
  std::string File() const { return mFolder.Path("aqv.ini"); }
  test::TTempFolder mFolder;
};

TEST_F(SettingsTest, FirstStartReadsDefaultsWithoutFailing) {
  TSettingsStore store(File());
  TDesktopSettings desktop;
  TPreferenceValues preferences;
  EXPECT_EQ(ReadDesktopSettings(store, desktop), TSettingsReadResult::srFirstStart);
  EXPECT_EQ(ReadPreferenceSettings(store, preferences), TSettingsReadResult::srFirstStart);
  EXPECT_FALSE(desktop.HasPlacement);
  EXPECT_EQ(desktop.WindowState, 0);  // the frame opens neither minimised nor maximised
  EXPECT_EQ(preferences, (TPreferenceValues{10, 10, false, true, 1}));  // what a first start uses
  using enum TSettingsReadResult;  // either key unreadable is reported, a first start is not
  EXPECT_FALSE(SettingsReadFailed(srFirstStart, srRead));
  EXPECT_TRUE(SettingsReadFailed(srRead, srFailed));
  EXPECT_TRUE(SettingsReadFailed(srFailed, srFirstStart));
}

TEST_F(SettingsTest, StehfestTermsWrittenAsNstAreReadAsNSt) {
  {
    TSettingsStore store(File());
    ASSERT_TRUE(WritePreferenceSettings(store, {14, 25, true, false, 0}));
  }
  TSettingsStore store(File());
  TPreferenceValues read;
  EXPECT_EQ(ReadPreferenceSettings(store, read), TSettingsReadResult::srRead);
  EXPECT_EQ(read, (TPreferenceValues{14, 25, true, false, 0}));
  ASSERT_TRUE(WritePreferenceSettings(store, {7, 41, true, false, 3}));  // as if hand-edited
  ASSERT_EQ(ReadPreferenceSettings(store, read), TSettingsReadResult::srRead);
  EXPECT_EQ(read, (TPreferenceValues{10, 10, true, false, 1}));  // out of range: the defaults
}

TEST_F(SettingsTest, AMaximisedFrameKeepsTheLastNormalPlacement) {
  TSettingsStore store(File());
  TDesktopSettings normal;
  normal.Left = 10, normal.Top = 20, normal.Width = 800, normal.Height = 600;
  ASSERT_TRUE(WriteDesktopSettings(store, normal, false));
  TDesktopSettings maximised = normal;
  maximised.Left = 0, maximised.Width = 1920, maximised.WindowState = 2;
  maximised.OpenDirectory = "/data/tests";
  ASSERT_TRUE(WriteDesktopSettings(store, maximised, true));

  TDesktopSettings read;
  ASSERT_EQ(ReadDesktopSettings(store, read), TSettingsReadResult::srRead);
  EXPECT_TRUE(read.HasPlacement);
  EXPECT_EQ(std::tuple(read.Left, read.Top, read.Width, read.Height), std::tuple(10, 20, 800, 600));
  EXPECT_EQ(read.WindowState, 2);
  EXPECT_EQ(read.OpenDirectory, "/data/tests");
}

TEST(Help, KeywordComesFromTheNearestParentAndFallsBackToTheIntroduction) {
  QWidget page;
  QWidget group(&page);
  QWidget edit(&group);
  EXPECT_EQ(HelpKeywordOf(&edit), "Introduction");
  EXPECT_EQ(HelpKeywordOf(nullptr), "Introduction");
  SetHelpKeyword(&page, QStringLiteral("aquifer_system"));
  EXPECT_EQ(HelpKeywordOf(&edit), "aquifer_system");
  SetHelpKeyword(&group, QStringLiteral("time_graphs"));
  EXPECT_EQ(HelpKeywordOf(&edit), "time_graphs");
}

TEST(Help, EveryKeywordOfTheProgramHasItsPage) {
  const QString folder = QStringLiteral(AQV_HELP_SOURCE_DIR);
  for (const char* keyword :
       {"Introduction", "general_info", "aquifer_system", "pumping_wells", "observation_wells",
        "parameter_optimization", "time_graphs", "contour_plot", "fem_model"})
    EXPECT_EQ(HelpPagePath(folder, QString::fromUtf8(keyword)),
              folder + "/" + QString::fromUtf8(keyword) + ".html");
  EXPECT_EQ(HelpPagePath(folder, QStringLiteral("no_such_page")), folder + "/Introduction.html");
  // A name that climbs out of the folder is refused, even where its page is there.
  const QString around = "../" + QFileInfo(folder).fileName() + "/time_graphs";
  EXPECT_EQ(HelpPagePath(folder, around), folder + "/Introduction.html");
}

TEST(PreferencesForm, ShowsStoredValuesAndReadsTheChoiceBack) {
  TPreferencesForm form;
  // The hidden unit switches are passed on as stored.
  form.FormShow({7, 25, true, true, 0});
  EXPECT_EQ(form.StehfestComboBox()->currentText(), "10");  // 7 is not offered
  form.FormShow({14, 25, true, false, 0});                  // each the other way from its default
  EXPECT_EQ(form.StehfestComboBox()->currentText(), "14");
  EXPECT_TRUE(form.FeetButton()->isChecked());
  form.StehfestComboBox()->setCurrentIndex(5);
  for (const auto& [typed, read] : {std::pair{"41", 40}, {"40", 40}, {"1", 2}}) {
    form.NCSpinEdit()->setText(QString::fromLatin1(typed));  // held within 2 to 40
    EXPECT_EQ(form.Values().nlogcycle, read) << typed;
  }
  form.NCSpinEdit()->setText(QStringLiteral("abc"));
  // Not a number of times per log cycle: the minimum.
  EXPECT_EQ(form.Values(), (TPreferenceValues{16, 2, true, false, 0}));
  form.FormShow({14, 25, false, true, 0});  // and back: both switches follow what is stored
  EXPECT_EQ(std::pair(form.Values().ConvertLengthUnits, form.Values().ConvertTimeUnits),
            std::pair(false, true));
  // and not offered: no box of them shows.
  form.show();
  for (const QCheckBox* box : form.findChildren<QCheckBox*>())
    EXPECT_FALSE(box->isVisible()) << box->text().toStdString();
}

TEST(PreferencesForm, SaveSettingsStoresTheChoiceButLeavesTheValuesInUse) {
  ResetGlobals();
  TPreferencesForm form;
  form.FormShow(CurrentPreferences());
  form.StehfestComboBox()->setCurrentIndex(0);
  form.SaveSettingsButtonClick();
  form.show();
  test::PressButton(form, "Cancel");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Globals().NSt, 10);
  TSettingsStore store;
  TPreferenceValues stored;
  ASSERT_EQ(ReadPreferenceSettings(store, stored), TSettingsReadResult::srRead);
  EXPECT_EQ(stored.NSt, 6);
  // Settings that cannot be written say so.
  const QString file = QString::fromStdString(store.FileName());
  QFile::remove(file);
  ASSERT_TRUE(QDir().mkpath(file));
  QString shown;
  test::AnswerDialog<QMessageBox>([&shown](QMessageBox& box) {
    shown = box.text();
    box.accept();
  });
  form.SaveSettingsButtonClick();
  QDir(file).removeRecursively();
  EXPECT_EQ(shown.toStdString(), kRegistryErrorText);
}

TEST(SplashForm, MayCloseOnlyAfterItsTimerFired) {
  TSplashForm splash;
  EXPECT_EQ(splash.size(), QSize(300, 205));
  EXPECT_FALSE(splash.CloseQuery());
  splash.Timer()->start(1);
  QTRY_VERIFY(splash.CloseQuery());
}

TEST(AboutBox, ShowsTheEditionLabelAndTheCopyright) {
  ResetGlobals();
  TAboutBox about;
  about.show();
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.Version()->text().toStdString(), Globals().EditionLabel);
  EXPECT_TRUE(about.findChild<QLabel*>("CopyRightLabel")->text().startsWith("Copyright \u00A9"));
}

// With AQV_RENDER_DIR set, the shell's windows are saved there as PNG to be looked at.
TEST(AppShellPictures, RenderWhenAsked) {
  const QByteArray folder = qgetenv("AQV_RENDER_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "AQV_RENDER_DIR not set";
  ResetGlobals();
  TSplashForm splash;
  TAboutBox about;
  TPreferencesForm preferences;
  preferences.FormShow(CurrentPreferences());
  for (const auto& [window, name] : {std::pair<QWidget*, const char*>{&splash, "splash"},
                                     {&about, "about"},
                                     {&preferences, "preferences"}}) {
    window->show();
    window->grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
  }
}

}  // namespace
}  // namespace aqv
