#include <gtest/gtest.h>

#include <QApplication>
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
  EXPECT_FALSE(Form.tiSecY_AxisTitle->isVisibleTo(&Form));
  EXPECT_FALSE(Form.tiSecY_AxisLabel->isVisibleTo(&Form));
  EXPECT_FALSE(Form.tiSecondaryYAxisAuto->isVisibleTo(&Form));
  EXPECT_TRUE(Form.tiYAxisTitleAuto->isVisibleTo(&Form));
  // The column of the check boxes is headed by a caption.
  const QRect box = Form.tiChartTitleAuto->geometry();
  bool headed = false;
  for (const QLabel* label : Form.TitlesPage->findChildren<QLabel*>()) {
    const QRect l = label->geometry();
    headed = headed || (l.bottom() < box.top() && l.left() <= box.center().x() &&
                        l.right() >= box.center().x());
  }
  EXPECT_TRUE(headed);
  EXPECT_TRUE(Form.tiChartTitleAuto->isChecked());
  EXPECT_FALSE(Form.tiXAxisTitleAuto->isChecked());
  EXPECT_TRUE(Form.tiYAxisTitleAuto->isChecked());
  Form.tiChartTitle->setFocus();
  Form.tiChartTitle->end(false);
  QTest::keyClicks(Form.tiChartTitle, " W1");
  EXPECT_FALSE(Form.tiChartTitleAuto->isChecked());
  Form.tiX_axisTitle->setFocus();
  Form.tiX_axisTitle->end(false);
  QTest::keyClicks(Form.tiX_axisTitle, " (min)");
  Apply();
  EXPECT_EQ(ChartTitle.Text(), "Drawdown W1");
  EXPECT_EQ(XTitle.Text(), "Time (min)");
  EXPECT_FALSE(ChartTitle.Automatic());
  EXPECT_TRUE(YTitle.Automatic());
  EXPECT_EQ(Axes, (TAxisTypes{TAxisType::saX, TAxisType::saY}));
  Form.axY_Axis->setChecked(false);
  QTest::keyClicks(Form.tiY_AxisTitle, "s");  // the third title as well
  Apply();
  EXPECT_EQ(Axes, TAxisTypes{TAxisType::saX});
  EXPECT_FALSE(YTitle.Automatic());
}

TEST_F(ChartOptions, LegendNoneOpensUncheckedCheckingPlacesItAtTheBottomAndPlacementsRoundTrip) {
  Legend.SetPlacement(TPlacement::plNone);
  Open();
  EXPECT_FALSE(Form.leShowLegend->isChecked());
  EXPECT_FALSE(Form.leRadioGroup1->isEnabled());
  EXPECT_FALSE(Form.leLeft->isEnabled());
  int changes = 0;
  Legend.OnChange = [&](TObject*) { ++changes; };
  Form.leShowLegend->setChecked(true);
  EXPECT_TRUE(Form.leLeft->isEnabled());
  Apply();
  EXPECT_EQ(Legend.Placement(), TPlacement::plBottom);
  EXPECT_EQ(changes, 1);
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
  EXPECT_EQ(YTitle.Text(), "Head (m)");
  EXPECT_EQ(page, 2);

  TChartOptionsForm second;
  page = 1;
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    dialog.findChild<QCheckBox*>("leShowLegend")->setChecked(false);
    dialog.findChild<QTabWidget*>("OptionPages")->setCurrentIndex(0);
    QTest::keyClick(dialog.findChild<QCheckBox*>("leShowLegend"), Qt::Key_Escape);
  });
  EXPECT_FALSE(second.Execute(Axes, Legend, ChartTitle, XTitle, YTitle, SecondaryYTitle, page));
  EXPECT_EQ(Legend.Placement(), TPlacement::plRight);
  EXPECT_EQ(page, 0);  // the page index is returned on Cancel too
}

}  // namespace
}  // namespace aqv
