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

// Heads the one warning that names the background images that could not be loaded, one a line.
constexpr const char* kUnloadedImagesText =
    "These background images could not be loaded. They are not shown, and a save keeps them in "
    "the file:";

// The entry of list for fileName (exact comparison; the last one counts), or nullptr.
const TBackgroundFile* FindEntry(const TBackgroundFiles& list, const std::string& fileName) {
  const TBackgroundFile* found = nullptr;
  for (const TBackgroundFile& entry : list)
    if (entry.FileName == fileName) found = &entry;
  return found;
}

// Deletes from images, which hold one image per loaded entry of before, the images of the
// entries that files leaves out or marks unloaded.
void DropLeavingImages(TMapImage& images, const TBackgroundFiles& before,
                       const TBackgroundFiles& files) {
  int image = images.Count();
  for (auto entry = before.rbegin(); entry != before.rend(); ++entry) {
    if (entry->Unloaded) continue;
    const TBackgroundFile* chosen = FindEntry(files, entry->FileName);
    if (--image >= 0 && (chosen == nullptr || chosen->Unloaded)) images.DeleteImage(image);
  }
}

// Returns the list files as it loads into images, which hold the images of before's loaded
// entries that stay, in order. An entry whose image is there keeps it; a new one, or a kept
// one added again, is loaded. The map draws its images in the list's order, so the images
// after one loaded in between are loaded again after it. A new file that does not load is
// left out with its message; an entry of before stays in its place, named in one warning.
TBackgroundFiles LoadImageList(TMapImage& images, const TBackgroundFiles& before,
                               const TBackgroundFiles& files, TUserInterface& ui) {
  TBackgroundFiles list;
  std::string stillUnloaded;
  int next = 0;  // the image of the next entry that loads
  for (const TBackgroundFile& file : files) {
    const TBackgroundFile* old = FindEntry(before, file.FileName);
    TBackgroundFile entry{file.Checked, file.FileName,
                          old != nullptr && old->Unloaded && file.Unloaded};
    if (entry.Unloaded || (old != nullptr && next < images.Count() &&
                           images.Image(next).FileName() == file.FileName)) {
      if (!entry.Unloaded) images.SetImageVisible(next++, file.Checked);
      list.push_back(entry);
      continue;
    }
    while (images.Count() > next) images.DeleteImage(images.Count() - 1);
    const TImageLoadStatus status = images.AddImage(file.FileName);
    if (status.IsSuccess()) {
      if (!status.Message.empty())
        ui.MessageBox(status.Message, TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
      images.SetImageVisible(next++, file.Checked);
      list.push_back(entry);
    } else if (old != nullptr) {
      entry.Unloaded = true;
      list.push_back(entry);
      stillUnloaded += "\n" + status.Message;
    } else {
      ui.MessageBox(status.Message, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    }
  }
  while (images.Count() > next) images.DeleteImage(images.Count() - 1);
  if (!stillUnloaded.empty())
    ui.MessageBox(kUnloadedImagesText + stillUnloaded, TMsgDlgType::mtWarning,
                  TMsgDlgButtons::mbOK);
  return list;
}

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
  for (TBackgroundFile& entry : d.BackgroundFiles) entry.Unloaded = false;  // each is tried
  BeginBusy();
  const TMapImageLoadReport report = mMap->LoadBackgroundImages();
  EndBusy();
  // Files that could not be loaded, and those not tried after a cancel, stay in their places
  // for the file; the map holds the others, in the same order.
  const std::size_t tried =
      static_cast<std::size_t>(mMap->Images().Count()) + report.Failures.size();
  for (std::size_t i = tried; i < d.BackgroundFiles.size(); ++i)
    d.BackgroundFiles[i].Unloaded = true;
  std::string named;
  for (const TMapImageLoadReport::TFailure& failure : report.Failures) {
    d.BackgroundFiles.at(static_cast<std::size_t>(failure.Index)).Unloaded = true;
    if (failure.Status.Code != TImageLoadResult::lrCancelled)
      named += "\n" + failure.Status.Message;
  }
  if (!named.empty())
    mUi->MessageBox(kUnloadedImagesText + named, TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
  mMap->update();
}

void TMDIChild::ImportImageFiles(const TBackgroundFiles& files) {
  TAQVData& d = *mData;
  TMapImage& images = mMap->Images();
  DropLeavingImages(images, d.BackgroundFiles, files);
  d.BackgroundFiles = LoadImageList(images, d.BackgroundFiles, files, *mUi);
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
