#pragma once

#include <QDialog>

#include "model/AQVData.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace aqv {

class TMyColorGrid;
class TMySpinEdit;

// The text options dialog ("Text options") of one map text box: font, alignment, background and
// border. Works on a copy of the box's record and writes it back on OK. Created per use.
class TAQVTextEditOptionsForm : public QDialog {
  Q_OBJECT

 public:
  // Border styles in the order of the style list.
  enum TBorderStyleItem { bsClear = 0, bsSolid, bsDash, bsDashDot, bsDashDotDot, bsDot };

  explicit TAQVTextEditOptionsForm(QWidget* parent = nullptr);

  // The box edited; its record is read now and written on accept().
  void SetTarget(TAQVTextBoxRecord* target);
  const TAQVTextBoxRecord& Working() const { return mWorking; }

  // The border rules: a clear style sets the width 0, another style but solid sets 1 unless it
  // is 1, solid sets 1 when it is 0; a width is clamped to 0..5, 0 selects clear and above 1
  // solid.
  void SetBorderStyleItem(int item);
  void SetBorderWidth(int width);
  int BorderStyleItem() const;

  void accept() override;

 protected:
  // A right-button press on the background colour grid also clears Transparent.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdatePreview();
  void ShowWorking();

  TAQVTextBoxRecord* mTarget = nullptr;
  TAQVTextBoxRecord mWorking;
  bool mUpdating = false;
  QListWidget* mName;
  QListWidget* mSize;
  TMyColorGrid* mFontColor;
  QCheckBox* mBold;
  QCheckBox* mItalic;
  QCheckBox* mUnderline;
  QCheckBox* mStrikeOut;
  QRadioButton* mLeft;
  QRadioButton* mRight;
  QRadioButton* mCenter;
  QLabel* mPreview;
  TMyColorGrid* mBackgroundColor;
  QCheckBox* mTransparent;
  TMyColorGrid* mBorderColor;
  TMySpinEdit* mBorderSize;
  QComboBox* mBorderStyle;
};

}  // namespace aqv
