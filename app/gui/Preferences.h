#pragma once

#include <QDialog>
#include <functional>

#include "app/gui/AppSettings.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace aqv {

class TMySpinEdit;

// The preferences dialog: Stehfest terms, computations per log cycle, unit conversion switches
// and the default length unit. Created by the frame window for each use; it shows the values
// it is given and, on Apply, Values() tells what the person chose. "Save settings" stores the
// choice for the next start without changing the values in use.
class TPreferencesForm : public QDialog {
  Q_OBJECT

 public:
  explicit TPreferencesForm(QWidget* parent = nullptr);

  // Shows values in the controls (a Stehfest count that is not offered leaves the combo as
  // it is).
  void FormShow(const TPreferenceValues& values);
  // What the controls hold: a computation count that is not a number gives the minimum 2.
  [[nodiscard]] TPreferenceValues Values() const;
  // Writes Values() to the settings; shows the settings error when that fails.
  void SaveSettingsButtonClick();

  // Runs the help request of the dialog; set by the frame window.
  std::function<void()> OnHelp;

  QComboBox* StehfestComboBox() const { return mStehfestComboBox; }
  TMySpinEdit* NCSpinEdit() const { return mNCSpinEdit; }
  QRadioButton* FeetButton() const { return mFeetButton; }
  QRadioButton* MetersButton() const { return mMetersButton; }
  QPushButton* SaveSettingsButton() const { return mSaveSettingsButton; }

 private:
  QComboBox* mStehfestComboBox;
  TMySpinEdit* mNCSpinEdit;
  QCheckBox* mConvertTimeUnitsCheckBox;
  QCheckBox* mConvertLengthUnitsCheckBox;
  QRadioButton* mFeetButton;
  QRadioButton* mMetersButton;
  QPushButton* mSaveSettingsButton;
};

}  // namespace aqv
