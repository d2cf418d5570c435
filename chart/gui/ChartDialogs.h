#pragma once

#include <QString>

#include "chart/Axis.h"
#include "chart/ChartArea.h"
#include "chart/Legend.h"
#include "chart/Series.h"
#include "chart/Title.h"

class QWidget;

namespace aqv {

// The dialogs that the chart's popup menu opens: the format dialog on one part of the chart and
// the chart options dialog. The chart calls them only through this interface, so that tests can
// answer them without a modal loop. Each call edits the part it is given in place only when the
// user confirms; pageIndex is the page the dialog opens on and receives the page it was left on.
// name is the caption's name of the part ("Chart area", "X-axis", a series name). Every call
// returns true when the user pressed OK.
class TChartDialogs {
 public:
  virtual ~TChartDialogs() = default;

  virtual bool ExecuteChartArea(QWidget* parent, TChartArea& chartArea, int& pageIndex,
                                const QString& name) = 0;
  virtual bool ExecuteTitle(QWidget* parent, TTitle& title, int& pageIndex,
                            const QString& name) = 0;
  virtual bool ExecuteLegend(QWidget* parent, TLegend& legend, int& pageIndex,
                             const QString& name) = 0;
  virtual bool ExecuteAxis(QWidget* parent, TAxis& axis, int& pageIndex, const QString& name) = 0;
  virtual bool ExecuteSeries(QWidget* parent, TSeries& series, int& pageIndex,
                             const QString& name) = 0;
  // The chart options: which axes are drawn, the legend, and the texts of the chart title and
  // the three axis titles.
  virtual bool ExecuteChartOptions(QWidget* parent, TAxisTypes& axes, TLegend& legend,
                                   int& pageIndex, TTitle& chartTitle, TTitle& xTitle,
                                   TTitle& yTitle, TTitle& secondaryYTitle) = 0;
};

// The dialogs the program shows; one object for the process.
TChartDialogs& DefaultChartDialogs();

}  // namespace aqv
