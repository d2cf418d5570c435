#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QPixmap>
#include <string>

#include "app/gui/MAIN.h"
#include "app/gui/Startup.h"
#include "model/AQVElements.h"

namespace aqv {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetGlobals(); }
};

TEST(MainFormCaption, ShowsTheFirstFourCharactersOfTheVersion) {
  struct TCase {
    const char* Version;
    const char* Caption;
  };
  const TCase cases[] = {{"1.00.00", "AQV for Windows - Zelvor edition (1.00)"},
                         {"2.17.03", "AQV for Windows - Zelvor edition (2.17)"},
                         {"10.02.00", "AQV for Windows - Zelvor edition (10.0)"},
                         {"1.0", "AQV for Windows - Zelvor edition (1.0)"},
                         {"", "AQV for Windows - Zelvor edition ()"}};
  for (const TCase& c : cases) EXPECT_EQ(MainFormCaption(c.Version), c.Caption) << c.Version;
}

// The version string itself is formed and checked in the model tests.
TEST_F(MainFormTest, WindowTitleFollowsTheVersionString) {
  Globals().VersionString = "3.04.05";
  TMainForm form;
  EXPECT_EQ(form.windowTitle(), "AQV for Windows - Zelvor edition (3.04)");
}

TEST_F(MainFormTest, DocumentWindowsLiveInTheCentralMdiArea) {
  TMainForm form;
  ASSERT_NE(form.MdiArea(), nullptr);
  EXPECT_EQ(form.centralWidget(), form.MdiArea());
  EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
}

TEST(Startup, ApplicationTitleAndVersion) {
  ResetGlobals();
  InitApplication();
  EXPECT_EQ(QApplication::applicationName(), "AQV for Windows");
  EXPECT_EQ(QApplication::applicationDisplayName(), "AQV for Windows");
  EXPECT_EQ(QApplication::applicationVersion().toStdString(), Globals().VersionString);
}

TEST_F(MainFormTest, RendersOffscreen) {
  TMainForm form;
  form.show();
  const QImage image = form.grab().toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), form.size());
  // Kept for a person to look at.
  const QString path = QDir(QDir::tempPath()).filePath("aqv_MainForm.png");
  EXPECT_TRUE(image.save(path));
}

}  // namespace
}  // namespace aqv
