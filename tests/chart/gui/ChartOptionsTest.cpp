#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "chart/gui/ChartOptions.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"

namespace aqv {
namespace {

struct ChartOptions : ::testing::Test {
  TChartOptionsForm Form;
  TAxisTypes Axes{TAxisType::saX, TAxisType::saY};
  TLegend Legend;
  TTitle ChartTitle, XTitle, YTitle, SecondaryYTitle;

  void Open(int page = 0) { Form.Open(Axes, Legend, ChartTitle, XTitle, YTitle, page); }
  void Apply() { Form.Apply(Axes, Legend, ChartTitle, XTitle, YTitle); }
  // Types text at the end of edit as the user would.
  static void Append(QLineEdit* edit, const char* text) {
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, text);
  }
};

TEST_F(ChartOptions, SecondaryAxisIsDroppedOnOKAndAutomaticTitleOpensCheckedAndTypingUnchecksIt) {
  Axes = {TAxisType::saX, TAxisType::saY, TAxisType::saSecondaryY};
  ChartTitle.SetText("Drawdown");
  ChartTitle.SetAutomatic(true);
  XTitle.SetText("Time");
  XTitle.SetAutomatic(false);
  Open();
  EXPECT_FALSE(Form.axSecY_Axis->isVisibleTo(&Form));
  Form.show();
  test::ClickTab(Form.OptionPages, 2);  // titles: none of the secondary axis shows
  EXPECT_EQ(std::tuple(Form.tiSecY_AxisTitle->isVisibleTo(&Form),
                       Form.tiSecY_AxisLabel->isVisibleTo(&Form),
                       Form.tiSecondaryYAxisAuto->isVisibleTo(&Form),
                       Form.tiYAxisTitleAuto->isVisibleTo(&Form)),
            std::tuple(false, false, false, true));
  // The column of the check boxes is headed by a caption.
  const QRect box = Form.tiChartTitleAuto->geometry();
  bool headed = false;
  for (const QLabel* label : Form.TitlesPage->findChildren<QLabel*>()) {
    const QRect l = label->geometry();
    headed = headed || (l.bottom() < box.top() && l.left() <= box.center().x() &&
                        l.right() >= box.center().x());
  }
  EXPECT_EQ(std::tuple(headed, Form.tiChartTitleAuto->isChecked(),
                       Form.tiXAxisTitleAuto->isChecked(), Form.tiYAxisTitleAuto->isChecked()),
            std::tuple(true, true, false, true));
  Append(Form.tiChartTitle, " W1");
  EXPECT_FALSE(Form.tiChartTitleAuto->isChecked());
  Append(Form.tiX_axisTitle, " (min)");
  Apply();
  EXPECT_EQ(std::tuple(ChartTitle.Text(), XTitle.Text(), ChartTitle.Automatic(), YTitle.Automatic(),
                       Axes),
            std::tuple("Drawdown W1", "Time (min)", false, true,
                       TAxisTypes{TAxisType::saX, TAxisType::saY}));
  Form.axY_Axis->setChecked(false);
  QTest::keyClicks(Form.tiY_AxisTitle, "s");  // the third title as well
  Apply();
  EXPECT_EQ(std::tuple(Axes, YTitle.Automatic()), std::tuple(TAxisTypes{TAxisType::saX}, false));
}

TEST_F(ChartOptions, LegendNoneOpensUncheckedCheckingPlacesItAtTheBottomAndPlacementsRoundTrip) {
  Legend.SetPlacement(TPlacement::plNone);
  Open();
  EXPECT_EQ(std::tuple(Form.leShowLegend->isChecked(), Form.leRadioGroup1->isEnabled(),
                       Form.leLeft->isEnabled()),
            std::tuple(false, false, false));
  int changes = 0;
  Legend.OnChange = [&](TObject*) { ++changes; };
  Form.leShowLegend->setChecked(true);
  EXPECT_TRUE(Form.leLeft->isEnabled());
  Apply();
  EXPECT_EQ(std::tuple(Legend.Placement(), changes), std::tuple(TPlacement::plBottom, 1));
  // Every placement round-trips.
  for (TPlacement placement :
       {TPlacement::plLeft, TPlacement::plRight, TPlacement::plTop, TPlacement::plBottom}) {
    Legend.SetPlacement(placement);
    TChartOptionsForm form;
    form.Open(Axes, Legend, ChartTitle, XTitle, YTitle, 0);
    Legend.SetPlacement(TPlacement::plNone);
    form.Apply(Axes, Legend, ChartTitle, XTitle, YTitle);
    EXPECT_EQ(Legend.Placement(), placement);
  }
}

TEST_F(ChartOptions, OpensOnTheGivenPageAndEnterInAnEditConfirmsAndEscapeCancels) {
  Open(2);
  EXPECT_EQ(Form.PageIndex(), 2);
  QTest::keyClick(Form.tiChartTitle, Qt::Key_Return);  // the main keyboard's Enter
  EXPECT_EQ(Form.result(), QDialog::Accepted);
  TChartOptionsForm other;
  other.Open(Axes, Legend, ChartTitle, XTitle, YTitle, 9);
  EXPECT_EQ(other.PageIndex(), 0);
  int page = 2;
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    auto* edit = dialog.findChild<QLineEdit*>("tiY_AxisTitle");
    edit->setText("Head (m)");
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
  });
  EXPECT_TRUE(Form.Execute(Axes, Legend, ChartTitle, XTitle, YTitle, SecondaryYTitle, page));
  EXPECT_EQ(std::tuple(YTitle.Text(), page), std::tuple("Head (m)", 2));
  TChartOptionsForm second;
  page = 1;
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    dialog.findChild<QCheckBox*>("leShowLegend")->setChecked(false);
    dialog.findChild<QTabWidget*>("OptionPages")->setCurrentIndex(0);
    QTest::keyClick(dialog.findChild<QCheckBox*>("leShowLegend"), Qt::Key_Escape);
  });
  EXPECT_FALSE(second.Execute(Axes, Legend, ChartTitle, XTitle, YTitle, SecondaryYTitle, page));
  // The page index is returned on Cancel too.
  EXPECT_EQ(std::tuple(Legend.Placement(), page), std::tuple(TPlacement::plRight, 0));
}

}  // namespace
}  // namespace aqv
