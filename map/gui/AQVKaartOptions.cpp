#include "map/gui/AQVKaartOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/MySpin.h"
#include "map/gui/AQVKaart.h"

namespace aqv {

namespace {
int gRememberedPage = 0;
}

int TAQVKaartOptionsForm::RememberedPage() {
  return gRememberedPage;
}

TAQVKaartOptionsForm::TAQVKaartOptionsForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Chart options"));
  auto* layout = new QVBoxLayout(this);
  mPages = new QTabWidget(this);
  mPages->setObjectName(QStringLiteral("OptionPages"));

  auto* axes = new QWidget;
  auto* axesLayout = new QVBoxLayout(axes);
  mBoundary = new QCheckBox(QStringLiteral("Show boundary"));
  mGrid = new QCheckBox(QStringLiteral("Show grid"));
  axesLayout->addWidget(mBoundary);
  axesLayout->addWidget(mGrid);
  axesLayout->addStretch();
  mPages->addTab(axes, QStringLiteral("Boundary and grid"));

  auto* legend = new QWidget;
  auto* legendLayout = new QVBoxLayout(legend);
  mShowLegend = new QCheckBox(QStringLiteral("Show legend"));
  mPlacementGroup = new QGroupBox(QStringLiteral("Placement "));
  auto* placementLayout = new QGridLayout(mPlacementGroup);
  mTRight = new QRadioButton(QStringLiteral("Right"));
  mTLeft = new QRadioButton(QStringLiteral("Left"));
  mBRight = new QRadioButton(QStringLiteral("Bottom right"));
  mBLeft = new QRadioButton(QStringLiteral("Bottom left"));
  placementLayout->addWidget(mTLeft, 0, 0);
  placementLayout->addWidget(mTRight, 0, 1);
  placementLayout->addWidget(mBLeft, 1, 0);
  placementLayout->addWidget(mBRight, 1, 1);
  legendLayout->addWidget(mShowLegend);
  legendLayout->addWidget(mPlacementGroup);
  legendLayout->addStretch();
  connect(mShowLegend, &QCheckBox::clicked, this, [this] { LegendClicked(); });
  mPages->addTab(legend, QStringLiteral("Legend"));

  auto* background = new QWidget;
  auto* backgroundLayout = new QGridLayout(background);
  mBackgroundImages = new QCheckBox(QStringLiteral("Show background images"));
  mTransparent = new TMySpinEdit;
  mTransparent->setObjectName(QStringLiteral("TransparentSE"));
  mTransparent->SetMinValue(0);
  mTransparent->SetMaxValue(100);
  mTransparent->SetIncrement(5);
  backgroundLayout->addWidget(mBackgroundImages, 0, 0, 1, 2);
  backgroundLayout->addWidget(mTransparent, 1, 0);
  backgroundLayout->addWidget(new QLabel(QStringLiteral("% background transparency")), 1, 1);
  backgroundLayout->setRowStretch(2, 1);
  connect(mTransparent, &QLineEdit::textChanged, this, [this] {
    if (mMap) mMap->SetPreviewTransparency(mTransparent->CheckValue(mTransparent->Value()));
  });
  mPages->addTab(background, QStringLiteral("Background"));

  layout->addWidget(mPages);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QRadioButton* TAQVKaartOptionsForm::PlacementButton(TPlacement placement) const {
  switch (placement) {
    case TPlacement::plRight:
      return mTRight;
    case TPlacement::plBottom:
      return mBRight;
    case TPlacement::plLeft:
      return mBLeft;
    case TPlacement::plTop:
      return mTLeft;
    default:
      return nullptr;
  }
}

void TAQVKaartOptionsForm::LegendClicked() {
  const bool on = mShowLegend->isChecked();
  mPlacementGroup->setEnabled(on);
  for (QRadioButton* b : {mTRight, mTLeft, mBRight, mBLeft}) b->setEnabled(on);
}

void TAQVKaartOptionsForm::SetLegend(TPlacement placement) {
  mShowLegend->setChecked(placement != TPlacement::plNone);
  LegendClicked();
  if (QRadioButton* button = PlacementButton(placement)) button->setChecked(true);
}

TPlacement TAQVKaartOptionsForm::GetLegend() const {
  if (!mShowLegend->isChecked()) return TPlacement::plNone;
  if (mBRight->isChecked()) return TPlacement::plBottom;
  if (mBLeft->isChecked()) return TPlacement::plLeft;
  if (mTLeft->isChecked()) return TPlacement::plTop;
  return TPlacement::plRight;
}

void TAQVKaartOptionsForm::SetDrawingOptions(TBoundaryGridDrawing options) {
  mBoundary->setChecked(options.Contains(TBoundaryGridDrawingOptions::dbgBoundary));
  mGrid->setChecked(options.Contains(TBoundaryGridDrawingOptions::dbgGrid));
}

TBoundaryGridDrawing TAQVKaartOptionsForm::GetDrawingOptions() const {
  TBoundaryGridDrawing options;
  options.Set(TBoundaryGridDrawingOptions::dbgBoundary, mBoundary->isChecked());
  options.Set(TBoundaryGridDrawingOptions::dbgGrid, mGrid->isChecked());
  return options;
}

bool TAQVKaartOptionsForm::Execute(TPlacement& placement, TBoundaryGridDrawing& options,
                                   TAQVKaart* map, int& transparency, bool& showImages) {
  mMap = nullptr;  // no preview while the fields are filled
  SetLegend(placement);
  SetDrawingOptions(options);
  mBackgroundImages->setChecked(showImages);
  mTransparent->SetValue(std::clamp(transparency, 0, 100));
  mMap = map;
  const int page = gRememberedPage;
  mPages->setCurrentIndex(page >= 0 && page < mPages->count() && mPages->isTabVisible(page) ? page
                                                                                            : 0);
  const bool accepted = exec() == QDialog::Accepted;
  gRememberedPage = mPages->currentIndex();
  mMap = nullptr;
  if (!accepted) return false;
  placement = GetLegend();
  options = GetDrawingOptions();
  showImages = mBackgroundImages->isChecked();
  transparency = mTransparent->CheckValue(mTransparent->Value());
  return true;
}

}  // namespace aqv
