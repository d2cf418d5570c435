#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/SelectionGrid.h"
#include "chart/gui/ChartPopupMenu.h"
#include "chart/gui/MyChart.h"
#include "platform/QtUserInterface.h"

namespace aqv {

void TMDIChild::ChartPageShow() {
  TAQVData& d = *mData;
  mCtDrawdownRadioButton->setChecked(!d.WellFluxMode());
  mCtWellFluxesRadioButton->setChecked(d.WellFluxMode());
  const QString unit = QString::fromStdString(d.TimeUnitLabel()).trimmed();
  mTmStartingTimeLabel->setText(QStringLiteral("Starting time [") + unit + QStringLiteral("]"));
  mTmStoppingTimeLabel->setText(QStringLiteral("Stopping time [") + unit + QStringLiteral("]"));
  mTmStartingTimeFloatEdit->Reload(d.StartingTime());
  mTmStoppingTimeFloatEdit->Reload(d.StoppingTime());
  mTaButtons[d.TimeAxis() == 0 ? 0 : 1]->setChecked(true);
  if (!d.WellFluxMode() && d.ValueAxis() >= 0 && d.ValueAxis() <= 2)
    mVaButtons[d.ValueAxis()]->setChecked(true);
  mVaRadioGroup->setEnabled(!d.WellFluxMode());
  mAutoUpdateCheckBox->setChecked(d.AutoUpdate);
  mUpdateGraphButton->setEnabled(!d.AutoUpdate);
  mChart->PopupMenu()->OnSelectCurves = [this](TChartPopupMenu*) { SelectCurvesClicked(); };
  if (!mLoading && d.AutoUpdate && !mUpdatingChart) {
    repaint();
    if (ValidateGridsEx(false)) UpdateChart();
  }
}

void TMDIChild::UpdateChart() {
  // The computation processes events; a second update from them must not start inside it.
  if (mUpdatingChart) return;
  mUpdatingChart = true;
  TAQVData& d = *mData;
  if (d.Modified()) {
    const bool recompute = !d.CurvesValid;
    if (recompute) {
      const TPlacement placement = mChart->Legend().Placement();
      mChart->ClearSeries();
      mChartReferences.clear();
      mChart->Legend().SetPlacement(placement);
      d.Cancel = false;
      BeginBusy();
      d.BuildCurveTimes();
    }
    // The fill styles each new series from the document. Only later changes of a series, the
    // person's, go back into the document: fed back during the fill, a new series' default
    // style would overwrite the document's before the series took it, and a file just read
    // would count as changed.
    const TTimeGraphFill fill =
        FillTimeGraphSeries(d, mChart->Model(), mChartReferences, recompute);
    SetTimeGraphAxisTitles(d, mChart->Model());
    // A switch of mode, axis or unit asks for the title and the axes anew.
    if (d.CurvesStale) ResetTimeGraphAxes(d, mChart->Model(), fill);
    ApplyTimeGraphYMinimum(d, mChart->Model(), fill);
    ApplySavedSeriesFormats(d, mChart->Model());
    for (int i = 0; i < mChart->GetSeriesCount(); ++i)
      mChart->GetSeries(i)->OnChange = [this](TObject* sender) { SeriesOptionsChanged(sender); };
    if (!d.Cancel) d.SetModified(false);
    d.CurvesStale = false;
    // A close asked for meanwhile is carried out from here, once the series are complete.
    if (recompute) EndBusy();
  }
  mChart->Changed();
  mChart->update();
  mUpdatingChart = false;
  // The frame's progress bar and status follow the end of the computation.
  if (OnDataChange) OnDataChange();
}

void TMDIChild::SeriesOptionsChanged(TObject* sender) {
  if (const auto* series = dynamic_cast<TSeries*>(sender)) StoreSeriesStyle(*mData, *series);
  mChart->Changed();
}

void TMDIChild::ScaleChartAxes(double factor) {
  mChart->SetAutoUpdate(false);
  ScaleTimeGraphXAxis(mChart->Model(), factor);
  mChart->SetAutoUpdate(mData->AutoUpdate);
}

void TMDIChild::CurveTypeClick() {
  mData->SetWellFluxMode(mCtWellFluxesRadioButton->isChecked());
  mVaRadioGroup->setEnabled(!mData->WellFluxMode());
}

void TMDIChild::TimeAxisClick(int item) {
  if (item == 0) {
    mData->SetTimeAxis(0);
    TScale& x = mChart->X_Axis().Scale();
    if (!x.MinAutomatic() && x.Min() < 0) x.SetMin(LogTimeAxisMinimum(mData->TimeUnit()));
  } else {
    mData->SetTimeAxis(1);
  }
}

void TMDIChild::ValueAxisClick(int item) {
  mData->SetValueAxis(item);
}

void TMDIChild::UpdateGraphButtonClick() {
  if (!CommitPendingEdit()) return;
  if (!ValidateGrids()) return;
  mChart->SaveImage();
  UpdateChart();
}

void TMDIChild::AutoUpdateCheckBoxClick() {
  const bool on = mAutoUpdateCheckBox->isChecked();
  mData->AutoUpdate = on;
  mData->Saved = false;  // the data file keeps the switch
  mChart->SetAutoUpdate(on);
  if (on && ValidateGridsEx(false)) UpdateChart();
  mUpdateGraphButton->setEnabled(!on);
}

void TMDIChild::DrawingOptionsButtonClick() {
  const QPoint below = mDrawingOptionsButton->mapToGlobal(
      QPoint(mDrawingOptionsButton->width(), mDrawingOptionsButton->height()));
  mChart->PopupMenu()->popup(below);
}

void TMDIChild::ResetOptionsButtonClick() {
  mChart->SaveImage();
  mChart->ResetOptions();
  mData->Saved = false;  // the data file keeps the chart's formats
  mChartReferences.clear();
  mData->CurvesStale = true;
  mData->SetModified(true);
  mData->AssignCurveStyles();
  if (ValidateGrids()) UpdateChart();
}

void TMDIChild::SelectCurvesClicked() {
  TAQVData& d = *mData;
  d.CollectCurveNames();
  TSelectionGridForm form(this);
  form.SetData(&d);
  const QPoint mouse = QCursor::pos();
  form.adjustSize();
  form.move(mouse.x() - form.width() / 2, std::max(0, mouse.y() - form.height()));
  setEnabled(false);
  // The dialog is a window of its own; disabling the document window beneath it would
  // disable the dialog too and leave the person no way to answer it.
  form.setEnabled(true);
  const int result = form.exec();
  if (SetCurveSelectionPosition) SetCurveSelectionPosition(form.pos());
  setEnabled(true);
  activateWindow();
  if (result != QDialog::Accepted) return;
  d.Saved = false;
  if (d.AutoUpdate) {
    mChart->SaveImage();
    if (ValidateGridsEx(false)) UpdateChart();
  }
}

}  // namespace aqv
