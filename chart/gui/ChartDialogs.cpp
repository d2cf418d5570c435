#include "chart/gui/ChartDialogs.h"

#include "chart/gui/ChartOptions.h"
#include "chart/gui/FormatOptions.h"

namespace aqv {

namespace {

// The dialogs of the running program: each call creates its dialog (keyboard preview is part
// of every dialog), runs it modally over parent and frees it on return.
class TModalChartDialogs final : public TChartDialogs {
 public:
  bool ExecuteChartArea(QWidget* parent, TChartArea& chartArea, int& pageIndex,
                        const QString& name) override {
    TFormatOptionsForm form(parent);
    return form.ExecuteChartArea(chartArea, pageIndex, name);
  }
  bool ExecuteTitle(QWidget* parent, TTitle& title, int& pageIndex, const QString& name) override {
    TFormatOptionsForm form(parent);
    return form.ExecuteTitle(title, pageIndex, name);
  }
  bool ExecuteLegend(QWidget* parent, TLegend& legend, int& pageIndex,
                     const QString& name) override {
    TFormatOptionsForm form(parent);
    return form.ExecuteLegend(legend, pageIndex, name);
  }
  bool ExecuteAxis(QWidget* parent, TAxis& axis, int& pageIndex, const QString& name) override {
    TFormatOptionsForm form(parent);
    return form.ExecuteAxis(axis, pageIndex, name);
  }
  bool ExecuteSeries(QWidget* parent, TSeries& series, int& pageIndex,
                     const QString& name) override {
    TFormatOptionsForm form(parent);
    return form.ExecuteSeries(series, pageIndex, name);
  }
  bool ExecuteChartOptions(QWidget* parent, TAxisTypes& axes, TLegend& legend, int& pageIndex,
                           TTitle& chartTitle, TTitle& xTitle, TTitle& yTitle,
                           TTitle& secondaryYTitle) override {
    TChartOptionsForm form(parent);
    return form.Execute(axes, legend, chartTitle, xTitle, yTitle, secondaryYTitle, pageIndex);
  }
};

}  // namespace

TChartDialogs& DefaultChartDialogs() {
  static TModalChartDialogs dialogs;
  return dialogs;
}

}  // namespace aqv
