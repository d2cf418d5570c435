#pragma once

#include <QDialog>

#include "model/AQVData.h"

class QCheckBox;
class QGroupBox;
class QRadioButton;
class QTabWidget;

namespace aqv {

class TAQVKaart;
class TMySpinEdit;

// The map options dialog ("Chart options"): boundary and grid, legend placement, background
// images and their transparency with a live preview on the map. Created per use by the map.
class TAQVKaartOptionsForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAQVKaartOptionsForm(QWidget* parent = nullptr);

  // Shows the settings, runs modally and on OK writes them back; returns whether OK was
  // pressed. The page shown last is remembered for the next dialog of the process.
  bool Execute(TPlacement& placement, TBoundaryGridDrawing& options, TAQVKaart* map,
               int& transparency, bool& showImages);

  void SetLegend(TPlacement placement);
  TPlacement GetLegend() const;
  void SetDrawingOptions(TBoundaryGridDrawing options);
  TBoundaryGridDrawing GetDrawingOptions() const;
  static int RememberedPage();

  QTabWidget* OptionPages() const { return mPages; }
  QCheckBox* ShowLegendBox() const { return mShowLegend; }
  QRadioButton* PlacementButton(TPlacement placement) const;
  TMySpinEdit* TransparencyEdit() const { return mTransparent; }

 private:
  void LegendClicked();

  TAQVKaart* mMap = nullptr;
  QTabWidget* mPages;
  QCheckBox* mBoundary;
  QCheckBox* mGrid;
  QCheckBox* mShowLegend;
  QGroupBox* mPlacementGroup;
  QRadioButton* mTRight;
  QRadioButton* mTLeft;
  QRadioButton* mBRight;
  QRadioButton* mBLeft;
  QCheckBox* mBackgroundImages;
  TMySpinEdit* mTransparent;
};

}  // namespace aqv
