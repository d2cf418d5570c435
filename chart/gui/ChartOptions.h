#pragma once

#include <QDialog>

#include "chart/Elements.h"
#include "chart/Legend.h"
#include "chart/Title.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace aqv {

// Page indexes of the chart options dialog.
enum class TChartOptionsPage : int {
  cpAxes = 0,
  cpLegend = 1,
  cpTitles = 2,
};

// The modal dialog behind "Chart options...": which axes are drawn, where the legend stands
// (or whether it shows), and the texts and automatic flags of the chart title and the X and Y
// axis titles. The secondary Y axis is not offered: its controls exist but stay hidden, and OK
// always leaves it out of the axes. Created per use; Execute fills, runs modally, writes back
// only on OK and returns the page that was showing in pageIndex either way.
class TChartOptionsForm : public QDialog {
  Q_OBJECT

 public:
  explicit TChartOptionsForm(QWidget* parent = nullptr);

  bool Execute(TAxisTypes& axes, TLegend& legend, TTitle& chartTitle, TTitle& xTitle,
               TTitle& yTitle, TTitle& secondaryYTitle, int& pageIndex);

  // The steps of Execute without the modal loop, for tests and for Execute itself.
  void Open(TAxisTypes axes, const TLegend& legend, const TTitle& chartTitle, const TTitle& xTitle,
            const TTitle& yTitle, int pageIndex);
  void Apply(TAxisTypes& axes, TLegend& legend, TTitle& chartTitle, TTitle& xTitle,
             TTitle& yTitle) const;
  int PageIndex() const;

  // The form's controls, named as on the form.
  QTabWidget* OptionPages;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QWidget* AxesPage;
  QWidget* LegendPage;
  QWidget* TitlesPage;
  QGroupBox* axGroupBox1;
  QCheckBox* axX_Axis;
  QCheckBox* axY_Axis;
  QCheckBox* axSecY_Axis;
  QCheckBox* leShowLegend;
  QGroupBox* leRadioGroup1;
  QRadioButton* leLeft;
  QRadioButton* leRight;
  QRadioButton* leTop;
  QRadioButton* leBottom;
  QLineEdit* tiChartTitle;
  QLineEdit* tiX_axisTitle;
  QLineEdit* tiY_AxisTitle;
  QLineEdit* tiSecY_AxisTitle;
  QLabel* tiSecY_AxisLabel;
  QCheckBox* tiChartTitleAuto;
  QCheckBox* tiXAxisTitleAuto;
  QCheckBox* tiYAxisTitleAuto;
  QCheckBox* tiSecondaryYAxisAuto;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EnablePlacement(bool on);
};

}  // namespace aqv
