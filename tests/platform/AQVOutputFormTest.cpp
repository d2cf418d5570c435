// The console window of an optimisation run on the offscreen platform: captions, button places
// and states, the keys and the refused close; and a run through it on the Qt user interface.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <cmath>
#include <vector>

#include "model/AQVData.h"
#include "platform/AQVOutputForm.h"
#include "platform/QtUserInterface.h"
#include "tests/support/FitScenarios.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

class OutputFormTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }
  // The form shown as a run starts it: Stop enabled, Cancel not.
  void ShowRunning() {
    form.SetLeftButton(kStopCaption, true);
    form.SetRightButton(kCancelCaption, false);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
  TAQVOutputForm form;
};

TEST_F(OutputFormTest, StartsWithItsCaptionSizesAndFontAndWidthPlacesTheButtons) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("AQV progress and output results"));
  EXPECT_EQ(form.size(), QSize(715, 385));
  EXPECT_EQ(form.ButtonsPanel()->height(), 41);
  EXPECT_EQ(form.LeftPushButton()->geometry(), QRect(452, 6, 75, 25));
  EXPECT_EQ(form.RightPushButton()->geometry(), QRect(544, 6, 75, 25));
  EXPECT_EQ(form.OutputMemo()->font().family(), QStringLiteral("Courier"));
  EXPECT_EQ(form.OutputMemo()->font().pixelSize(), 11);
  EXPECT_EQ(form.OutputMemo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_FALSE(form.isModal());
  // A width places the buttons four fifths along.
  form.SetFormWidth(760);
  EXPECT_EQ(form.width(), 760);
  EXPECT_EQ(form.LeftPushButton()->geometry(), QRect(548, 6, 75, 25));
  EXPECT_EQ(form.RightPushButton()->geometry(), QRect(627, 6, 75, 25));
  // Three parameters ask for 872 pixels; the screen of 800 is all there is.
  form.SetFormWidth(872);
  EXPECT_EQ(form.width(), 800);
  form.show();  // and narrowed by the person: the buttons stay on the window
  form.resize(500, form.height());
  EXPECT_LT(form.RightPushButton()->geometry().right(), 500);
}

// Disabled buttons ignore clicks, and closing is refused until the run allows it.
TEST_F(OutputFormTest, EscapePausesButNeverClosesOrCancelsAndCloseIsRefusedUntilAllowed) {
  ShowRunning();
  EXPECT_FALSE(form.RightPushButton()->isEnabled());
  QTest::mouseClick(form.RightPushButton(), Qt::LeftButton);
  EXPECT_FALSE(Globals().OptimizeCancelled);
  EXPECT_FALSE(form.CloseQuery());
  EXPECT_FALSE(form.close());  // refused until the run allows it
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible()) << "Escape must not close the window";
  EXPECT_EQ(form.LeftPushButton()->text(), QStringLiteral("Run"));
  EXPECT_TRUE(form.RightPushButton()->isEnabled());
  EXPECT_TRUE(Globals().OptimizePaused);
  QTest::keyClick(form.OutputMemo(), Qt::Key_Escape);  // also from the memo
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(Globals().OptimizeCancelled);
  QTest::mouseClick(form.LeftPushButton(), Qt::LeftButton);  // "Run"
  EXPECT_EQ(form.LeftPushButton()->text(), QStringLiteral("Stop"));
  EXPECT_FALSE(Globals().OptimizePaused);
  EXPECT_FALSE(form.RightPushButton()->isEnabled());
  form.SetLeftButton(kAcceptCaption, true);
  form.SetRightButton(kRejectCaption, true);
  Globals().OptimizePaused = true;
  EXPECT_FALSE(form.close());
  QTest::mouseClick(form.RightPushButton(), Qt::LeftButton);  // "Reject result"
  EXPECT_TRUE(Globals().OptimizeRejected);
  EXPECT_TRUE(Globals().OptimizeCancelled);
  EXPECT_FALSE(Globals().OptimizePaused);
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_TRUE(form.close());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(OutputFormTest, RendersLinesInTheMemo) {
  form.SetFormWidth(872);
  form.SetLeftButton(kAcceptCaption, true);
  form.SetRightButton(kRejectCaption, true);
  const std::string rule(104, '=');
  for (const std::string& line : std::vector<std::string>{
           rule, "                        Number   and   Results   of   Successive   Iterations",
           rule, "", " No.         T 1         S 1             SSE",
           "          [m²/d]         [-]            [m²]", "",
           "  0       2400.0   5.000E-05      1.4534E+00",
           "  1        491.4   2.342E-04      9.7863E-01", "",
           "                        parameters found"})
    form.AddLine(line);
  form.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.OutputMemo()->document()->blockCount(), 11);
  EXPECT_EQ(form.OutputMemo()->document()->findBlockByNumber(5).text(),
            QStringLiteral("          [m²/d]         [-]            [m²]"));
  const QImage image = form.grab().toImage();
  EXPECT_EQ(image.width(), form.width() * image.devicePixelRatio());
  EXPECT_TRUE(image.save(QString::fromStdString(test::ReviewPath("aqv-output-form.png"))));
}

// A whole run on the Qt interface: the console opens, a timer presses "Accept result" once the
// run asks, and the window is gone when the run returns.
TEST_F(OutputFormTest, RunThroughTheQtInterfaceAcceptsAfterAClick) {
  TQtUserInterface ui;
  TAQVData d(&ui);
  d.SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  d.SetObservationWellCount(1);
  d.SetObservationCount(1, 5);
  for (int k = 1; k <= 5; ++k) d.ObservationWells[1].Time[k] = 0.01 * std::pow(3.0, k);
  d.CollectIncludedObservations();
  test::ObserveModel(d);
  d.T[1] = 1500;
  d.TCode[1] = '1';
  d.GridsValid = true;

  int polls = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++polls;
    auto* form = dynamic_cast<TAQVOutputForm*>(d.OutputForm());
    if (form == nullptr) return;
    if (form->LeftPushButton()->text() == QStringLiteral("Accept result")) {
      EXPECT_TRUE(form->isVisible());
      EXPECT_GT(form->OutputMemo()->document()->blockCount(), 8);
      form->grab().save(QString::fromStdString(test::ReviewPath("aqv-output-form-run.png")));
      QTest::mouseClick(form->LeftPushButton(), Qt::LeftButton);
    }
  });
  timer.start(10);
  d.Optimize();
  timer.stop();
  EXPECT_GT(polls, 0);
  EXPECT_EQ(d.FitStatus, TRunStatus::rsParametersFound);
  EXPECT_NEAR(d.T[1], 1000, 1);
  EXPECT_FALSE(d.Rejected);
  EXPECT_EQ(d.OutputForm(), nullptr);
}

}  // namespace
}  // namespace aqv
