#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTextCursor>
#include <cmath>

#include "app/gui/AQVConductivitiesGrid.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVObservationWellsGrid.h"
#include "app/gui/AQVObservationsGrid.h"
#include "app/gui/AQVPumpingPeriodsGrid.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/Help.h"
#include "app/gui/RemarksMemo.h"
#include "map/gui/AQVKaart.h"
#include "model/AQVElements.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {

// The map's "no level" value of the lowest and highest contour.
constexpr double kNoContourLevel = -9999;

QString LevelText(double level) {
  if (level == kNoContourLevel) return {};
  return QString::fromStdString(FloatToStrTrim(7, 100000, level, Globals().DecimalSeparator));
}

// Sets a control's state without firing its own handlers.
template <typename Widget, typename Set>
void Quietly(Widget* widget, Set&& set) {
  const bool blocked = widget->blockSignals(true);
  set(widget);
  widget->blockSignals(blocked);
}

void ShowText(QLineEdit* edit, const std::string& text) {
  if (edit->hasFocus()) return;  // never overwrite what the person is typing
  Quietly(edit, [&](QLineEdit* e) { e->setText(QString::fromStdString(text)); });
}

// A typed value not handed over yet stays while a menu or a dialog has the keyboard: it is
// committed in the units it was typed in, or refused, before the document is used.
void ShowValue(TAQVFloatEdit* edit, double storedValue) {
  edit->Reload(storedValue);
}

void ShowCount(TMySpinEdit* edit, int value) {
  if (!HoldsTypedText(*edit)) Quietly(edit, [&](TMySpinEdit* e) { e->SetValue(value); });
}

}  // namespace

void TMDIChild::PageControlChange(int index) {
  if (index < 0 || index > 6) return;
  // F1 on the tabs opens the help of the page they show, and the hint names the page.
  SetHelpKeyword(mPageControl, QString::fromUtf8(PageHelpKeyword(index)));
  setStatusTip(QString::fromUtf8(PageHint(index)));
  QStatusTipEvent tip(statusTip());  // the frame's status bar shows it at once
  QCoreApplication::sendEvent(this, &tip);
  // On the input pages the focus starts afresh, so no control of another page keeps it; the
  // tabs keep it, where F1 asks for the page's help.
  if (index <= static_cast<int>(TDocumentPage::dpObservationWells))
    if (QWidget* focus = focusWidget(); focus != nullptr && focus != mPageControl->tabBar() &&
                                        !mPageControl->currentWidget()->isAncestorOf(focus))
      focus->clearFocus();
  ShowActivePage();
}

void TMDIChild::ShowActivePage() {
  if (mShowingPage) return;
  mShowingPage = true;
  switch (ActivePage()) {
    case TDocumentPage::dpInfo:
      InfoPageShow();
      break;
    case TDocumentPage::dpAquiferSystem:
      AquiferSystemPageShow();
      break;
    case TDocumentPage::dpPumpingWells:
      PumpingWellsPageShow();
      break;
    case TDocumentPage::dpObservationWells:
      ObservationWellsPageShow();
      break;
    case TDocumentPage::dpOutput:
      OutputPageShow();
      break;
    case TDocumentPage::dpChart:
      ChartPageShow();
      break;
    case TDocumentPage::dpContourPlot:
      ContourPlotPageShow();
      break;
  }
  mShowingPage = false;
}

void TMDIChild::InfoPageShow() {
  const TAQVData& d = *mData;
  for (int text : {1, 2, 3, 4, 8, 9, 10}) ShowText(mInfoEdits[text], d.InfoTexts[text]);
  if (!mPrRemarksMemo->hasFocus())
    Quietly(mPrRemarksMemo, [&](TRemarksMemo* m) {
      m->SetLines({QString::fromStdString(d.InfoTexts[5]), QString::fromStdString(d.InfoTexts[6]),
                   QString::fromStdString(d.InfoTexts[7])});
    });
  if (!mFlRemarksMemo->hasFocus())
    Quietly(mFlRemarksMemo, [&](TRemarksMemo* m) {
      m->SetLines({QString::fromStdString(d.InfoTexts[11]), QString::fromStdString(d.InfoTexts[12]),
                   QString::fromStdString(d.InfoTexts[13]),
                   QString::fromStdString(d.InfoTexts[14])});
    });
  Quietly(mTuComboBox, [&](QComboBox* c) { c->setCurrentIndex(static_cast<int>(d.TimeUnit())); });
  ShowCount(mNuNAQSpinEdit, d.AquiferCount());
  ShowCount(mNuNPumpSpinEdit, d.PumpingWellCount());
  ShowCount(mNuNObsSpinEdit, d.ObservationWellCount());
  mPaLogDrawdownRadioButton->setChecked(!d.LinearResiduals());
  mPaLinearDrawdownRadioButton->setChecked(d.LinearResiduals());
  ShowValue(mPaRelativeEdit, d.RelStoppingCriterion);
  ShowValue(mPaAbsoluteEdit, d.AbsStoppingCriterion);
}

void TMDIChild::InfoEditChange(QLineEdit* edit, int infoText) {
  // Only what the person types is taken; the texts are not part of the computation.
  if (!edit->hasFocus()) return;
  mData->InfoTexts[infoText] = CutText(edit->text().toStdString(), kInfoTextWidth);
  // The texts are saved with the file, so closing must ask.
  mData->Saved = false;
  if (infoText == 9) setWindowTitle(edit->text());
}

void TMDIChild::RemarksMemoChange(TRemarksMemo* memo, int firstText, int lineCount) {
  if (!memo->hasFocus()) return;
  for (int i = 0; i < lineCount; ++i)
    // A deleted line is stored as empty text, so it does not come back from the file.
    mData->InfoTexts[firstText + i] = CutText(memo->Line(i).toStdString(), kInfoTextWidth);
  mData->Saved = false;
}

void TMDIChild::AquiferSystemPageShow() {
  const TAQVData& d = *mData;
  ShowCount(mLaNAqSpinEdit, d.AquiferCount());
  ShowValue(mLaElevationEdit, d.SurfaceLevel());
  mBoTopLayerCheckBox->setChecked(!d.TopAquitardAbsent());
  mBoTopImpervious->setChecked(d.TopAquitardImpervious());
  mBoTopLeaky->setChecked(!d.TopAquitardImpervious());
  mBoTopImpervious->setEnabled(mBoTopLayerCheckBox->isChecked());
  mBoTopLeaky->setEnabled(mBoTopLayerCheckBox->isChecked());
  mBoBottomLayerCheckBox->setChecked(!d.BottomAquitardAbsent());
  mBoBottomImpervious->setChecked(d.BottomAquitardImpervious());
  mBoBottomLeaky->setChecked(!d.BottomAquitardImpervious());
  mBoBottomImpervious->setEnabled(mBoBottomLayerCheckBox->isChecked());
  mBoBottomLeaky->setEnabled(mBoBottomLayerCheckBox->isChecked());
  mConductivitiesGrid->LoadFromData();
}

void TMDIChild::BoundaryChange() {
  TAQVData& d = *mData;
  mBoTopImpervious->setEnabled(mBoTopLayerCheckBox->isChecked());
  mBoTopLeaky->setEnabled(mBoTopLayerCheckBox->isChecked());
  mBoBottomImpervious->setEnabled(mBoBottomLayerCheckBox->isChecked());
  mBoBottomLeaky->setEnabled(mBoBottomLayerCheckBox->isChecked());
  d.SetTopAquitardAbsent(!mBoTopLayerCheckBox->isChecked());
  d.SetBottomAquitardAbsent(!mBoBottomLayerCheckBox->isChecked());
  d.SetTopAquitardImpervious(mBoTopImpervious->isChecked());
  d.SetBottomAquitardImpervious(mBoBottomImpervious->isChecked());
  mConductivitiesGrid->LoadFromData();
  mConductivitiesGrid->viewport()->update();
}

void TMDIChild::PumpingWellsPageShow() {
  const TAQVData& d = *mData;
  mPumpingWellsGrid->LoadFromData();
  mPumpingPeriodsGrid->LoadFromData();
  const int well = d.CurrentPumpingWell();
  if (well > d.PumpingWellCount()) {
    mPumpingPeriodsPanel->clear();
    mPumpingPeriodsGrid->hide();
  } else {
    mPumpingPeriodsPanel->setText(QStringLiteral(" Pumping periods for well number ") +
                                  QString::number(well) + QStringLiteral(": ") +
                                  QString::fromStdString(d.PumpingWells[well].Name));
    mPumpingPeriodsGrid->show();
  }
}

void TMDIChild::ObservationWellsPageShow() {
  const TAQVData& d = *mData;
  mObservationWellsGrid->LoadFromData();
  mObservationsGrid->LoadFromData();
  const int well = d.CurrentObservationWell();
  if (well > d.ObservationWellCount() || well < 1) {
    mObservationWellsDataPanel->clear();
    mObservationsGrid->hide();
  } else {
    mObservationWellsDataPanel->setText(
        QStringLiteral("  Measurement data for observation well number ") + QString::number(well) +
        QStringLiteral(": ") + QString::fromStdString(d.ObservationWells[well].Name));
    mObservationsGrid->show();
  }
}

void TMDIChild::OutputPageShow() {
  TAQVData& d = *mData;
  std::vector<std::string> lines;
  QPalette palette = mOutputMemo->palette();
  palette.setColor(QPalette::Text, d.ResultsExist && d.Rejected ? Qt::red : Qt::black);
  mOutputMemo->setPalette(palette);
  if (d.ResultsExist) {
    if (d.Rejected) {
      lines.emplace_back("   WARNING: These results were rejected by the user!!");
      lines.emplace_back();
    }
    d.WriteLeastSquaresReport(lines);
  }
  QString text;
  for (const std::string& line : lines) text += QString::fromStdString(line) + QLatin1Char('\n');
  mOutputMemo->setPlainText(text);
  mOutputMemo->moveCursor(QTextCursor::Start);
  mOutputMemo->ensureCursorVisible();
}

// --- Contour plot ------------------------------------------------------------------------------

void TMDIChild::ContourPlotPageShow() {
  TAQVData& d = *mData;
  if (d.WorldX1() == 0 && d.WorldX2() == 0 && d.WorldY1() == 0 && d.WorldY2() == 0) {
    // A window 1000 beyond the wells, on whole hundreds.
    d.SetWorldX1(std::ceil(d.MinWellX() / 100) * 100 - 1000);
    d.SetWorldX2(std::ceil(d.MaxWellX() / 100) * 100 + 1000);
    d.SetWorldY1(std::ceil(d.MinWellY() / 100) * 100 - 1000);
    d.SetWorldY2(std::ceil(d.MaxWellY() / 100) * 100 + 1000);
    d.SetAnimationStartTime(0);
    d.SetAnimationEndTime(std::ceil(d.LatestTime()) + 2);
  }
  ShowValue(mCoWest, d.WorldX1());
  ShowValue(mCoEast, d.WorldX2());
  ShowValue(mCoSouth, d.WorldY1());
  ShowValue(mCoNorth, d.WorldY2());
  ShowValue(mTtTTijd, d.DisplayTime());
  ShowValue(mAnStartingTime, d.AnimationStartTime());
  ShowValue(mAnFinalTime, d.AnimationEndTime());
  ShowCount(mAnTsteps, d.TimeSteps());
  if (d.DrawLayer() < 1 || d.DrawLayer() > d.AquiferCount())
    d.SetDrawLayer(std::clamp(d.DrawLayer(), 1, d.AquiferCount()));
  mDaTekenLaag->SetMinValue(1);
  mDaTekenLaag->SetMaxValue(d.AquiferCount());
  ShowCount(mDaTekenLaag, d.DrawLayer());
  ShowContourEdits();
  Quietly(mAnimationTrackBar, [&](QSlider* s) { s->setRange(0, d.TimeSteps()); });
  for (int i = 0; i < 3; ++i) ContourAutoClick(i, false);
  // Painting never computes: the map's drawdowns follow the document here.
  if (!mLoading) {
    mMap->SetTime(d.DisplayTime());
    mMap->UpdateCursor();
  }
}

void TMDIChild::ShowContourEdits() {
  const TAQVData& d = *mData;
  const bool automatic[] = {d.AutoMinContour, d.AutoContourInterval, d.AutoMaxContour};
  const double automaticValue[] = {d.AutoMinContourValue, d.AutoContourIntervalValue,
                                   d.AutoMaxContourValue};
  const double userValue[] = {d.MinContour(), d.ContourInterval(), d.MaxContour()};
  for (int i = 0; i < 3; ++i) {
    ShowValue(mCnEdits[i], automatic[i] ? automaticValue[i] : userValue[i]);
    Quietly(mCnAutoBoxes[i], [&](QCheckBox* b) { b->setChecked(automatic[i]); });
  }
  mCnMinContourVLabel->setText(LevelText(mMap->GetMinContourLevel()));
  mCnMaxContourVLabel->setText(LevelText(mMap->GetMaxContourLevel()));
}

void TMDIChild::ContourAutoClick(int which, bool fromBox) {
  TAQVData& d = *mData;
  const bool on = mCnAutoBoxes[which]->isChecked();
  bool* automatic[] = {&d.AutoMinContour, &d.AutoContourInterval, &d.AutoMaxContour};
  if (*automatic[which] != on) {
    *automatic[which] = on;
    d.Saved = false;
  }
  mCnEdits[which]->setEnabled(!on);
  if (!fromBox) return;
  const double automaticValue[] = {d.AutoMinContourValue, d.AutoContourIntervalValue,
                                   d.AutoMaxContourValue};
  const double userValue[] = {d.MinContour(), d.ContourInterval(), d.MaxContour()};
  mCnEdits[which]->SetValue(on ? automaticValue[which] : userValue[which]);
  if (!on) mCnEdits[which]->setFocus();
  mMap->ComputeContours();
  mMap->update();
}

void TMDIChild::AnimateButtonClick() {
  mAnimateButton->setEnabled(false);
  mPauseButton->setEnabled(true);
  mResetButton->setEnabled(false);
  mMap->SetPaused(false);
  mMap->Animate();
}

void TMDIChild::PauseButtonClick() {
  mAnimateButton->setEnabled(true);
  mPauseButton->setEnabled(false);
  mResetButton->setEnabled(true);
  mMap->SetPaused(true);
}

void TMDIChild::ResetButtonClick() {
  mAnimateButton->setEnabled(true);
  mPauseButton->setEnabled(false);
  mResetButton->setEnabled(false);
  mMap->ResetAnimation();
}

void TMDIChild::AQVKaartIntervalChange() {
  ShowContourEdits();
}

void TMDIChild::AQVKaartTimeChange() {
  ShowValue(mTtTTijd, mData->DisplayTime());
  Quietly(mAnimationTrackBar, [&](QSlider* s) { s->setValue(mMap->AnimationStep()); });
}

void TMDIChild::AQVKaartAnimationFinished() {
  mAnimateButton->setEnabled(false);
  mPauseButton->setEnabled(false);
  mResetButton->setEnabled(true);
  AQVKaartIntervalChange();
  AQVKaartTimeChange();
}

void TMDIChild::RepaintMap() {
  if (ActivePage() == TDocumentPage::dpContourPlot) mMap->update();
}

void TMDIChild::LoadBackgroundImages() {
  TAQVData& d = *mData;
  d.ImagesUnavailable = false;
  BeginBusy();
  const TMapImageLoadReport report = mMap->LoadBackgroundImages();
  EndBusy();
  // Files that could not be loaded (each named by the map) or were not tried after a cancel
  // leave the shown list, which stays in step with the map's images, and are kept for the file.
  const int tried = mMap->Images().Count() + static_cast<int>(report.Failures.size());
  for (int i = static_cast<int>(d.BackgroundFiles.size()) - 1; i >= tried; --i)
    d.SetBackgroundFileUnloaded(i);
  for (auto it = report.Failures.rbegin(); it != report.Failures.rend(); ++it)
    d.SetBackgroundFileUnloaded(it->Index);
  mMap->update();
}

void TMDIChild::ImportImageFiles(const TBackgroundFiles& files) {
  TAQVData& d = *mData;
  TMapImage& images = mMap->Images();
  // Entries kept take their shown flag from the dialog; the others leave the list and the map.
  for (int i = static_cast<int>(d.BackgroundFiles.size()) - 1; i >= 0; --i) {
    TBackgroundFile& entry = d.BackgroundFiles[static_cast<std::size_t>(i)];
    const TBackgroundFile* match = nullptr;
    for (const TBackgroundFile& f : files)
      if (f.FileName == entry.FileName) match = &f;
    if (match != nullptr) {
      entry.Checked = match->Checked;
      if (i < images.Count()) images.SetImageVisible(i, entry.Checked);
    } else {
      if (i < images.Count()) images.DeleteImage(i);
      d.BackgroundFiles.erase(d.BackgroundFiles.begin() + i);
    }
  }
  for (const TBackgroundFile& f : files) {
    bool listed = false;
    for (const TBackgroundFile& entry : d.BackgroundFiles) listed |= entry.FileName == f.FileName;
    if (listed) continue;
    const TImageLoadStatus status = images.AddImage(f.FileName);
    if (!status.Message.empty())
      mUi->MessageBox(status.Message,
                      status.IsSuccess() ? TMsgDlgType::mtWarning : TMsgDlgType::mtError,
                      TMsgDlgButtons::mbOK);
    if (!status.IsSuccess()) continue;
    d.BackgroundFiles.push_back(f);
    images.SetImageVisible(images.Count() - 1, f.Checked);
  }
  for (const TBackgroundFile& entry : d.BackgroundFiles)
    if (entry.Checked) d.ShowBackgroundImages = true;
  d.ImagesUnavailable = false;
  const TImageLoadStatus built = images.BuildComposite();
  if (built.Code == TImageLoadResult::lrCompositeTooLarge) {
    d.ImagesUnavailable = true;
    mUi->MessageBox(kImageTooBigText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  d.Saved = false;
  mMap->RefreshBackground();
}

}  // namespace aqv
