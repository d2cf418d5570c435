#include "app/gui/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/MySpin.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {
constexpr int kStehfestChoices[] = {6, 8, 10, 12, 14, 16};
}  // namespace

TPreferencesForm::TPreferencesForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PreferencesForm"));
  setWindowTitle(QStringLiteral("Preferences"));
  resize(420, 430);

  auto* opGroupBox = new QGroupBox(QStringLiteral("Computation accuracy"), this);
  mStehfestComboBox = new QComboBox(opGroupBox);
  mStehfestComboBox->setObjectName(QStringLiteral("opStehfestComboBox"));
  for (int n : kStehfestChoices) mStehfestComboBox->addItem(QString::number(n));
  mStehfestComboBox->setCurrentIndex(2);
  auto* opLayout = new QHBoxLayout(opGroupBox);
  auto* opStehfestLabel = new QLabel(QStringLiteral("Stehfest parameter"), opGroupBox);
  opStehfestLabel->setBuddy(mStehfestComboBox);
  opLayout->addWidget(opStehfestLabel, 1);
  opLayout->addWidget(mStehfestComboBox);

  auto* chGroupBox = new QGroupBox(QStringLiteral("Plotting accuracy"), this);
  mNCSpinEdit = new TMySpinEdit(chGroupBox);
  mNCSpinEdit->setObjectName(QStringLiteral("chNCMySpinEdit"));
  mNCSpinEdit->SetMinValue(2);
  mNCSpinEdit->SetMaxValue(40);
  mNCSpinEdit->SetValue(10);
  mNCSpinEdit->setFixedWidth(70);
  auto* chLayout = new QHBoxLayout(chGroupBox);
  auto* chNCLabel = new QLabel(QStringLiteral("Number of computations per log cycle"), chGroupBox);
  chNCLabel->setBuddy(mNCSpinEdit);
  chLayout->addWidget(chNCLabel, 1);
  chLayout->addWidget(mNCSpinEdit);

  auto* unGroupBox = new QGroupBox(QStringLiteral("Units"), this);
  mConvertTimeUnitsCheckBox = new QCheckBox(
      QStringLiteral("Automatically convert values when changing time units"), unGroupBox);
  mConvertLengthUnitsCheckBox = new QCheckBox(
      QStringLiteral("Automatically convert values when changing length units"), unGroupBox);
  // Both switches keep the stored values and pass them on, but are not offered.
  mConvertTimeUnitsCheckBox->hide();
  mConvertLengthUnitsCheckBox->hide();
  auto* dlRadioGroup = new QGroupBox(QStringLiteral("Default length unit "), unGroupBox);
  mFeetButton = new QRadioButton(QStringLiteral("Feet"), dlRadioGroup);
  mMetersButton = new QRadioButton(QStringLiteral("Meters"), dlRadioGroup);
  mMetersButton->setChecked(true);
  auto* dlLayout = new QVBoxLayout(dlRadioGroup);
  dlLayout->addWidget(mFeetButton);
  dlLayout->addWidget(mMetersButton);
  auto* unLayout = new QVBoxLayout(unGroupBox);
  unLayout->addWidget(mConvertTimeUnitsCheckBox);
  unLayout->addWidget(mConvertLengthUnitsCheckBox);
  unLayout->addWidget(dlRadioGroup);

  auto* okButton = new QPushButton(QStringLiteral("Apply"), this);
  okButton->setObjectName(QStringLiteral("OKButton"));
  okButton->setDefault(true);
  auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton->setObjectName(QStringLiteral("CancelButton"));
  auto* helpButton = new QPushButton(QStringLiteral("&Help"), this);
  helpButton->setObjectName(QStringLiteral("HelpButton"));
  mSaveSettingsButton = new QPushButton(QStringLiteral("Save settings"), this);
  mSaveSettingsButton->setObjectName(QStringLiteral("SaveSettingsButton"));
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(helpButton, &QPushButton::clicked, this, [this] {
    if (OnHelp) OnHelp();
  });
  connect(mSaveSettingsButton, &QPushButton::clicked, this,
          &TPreferencesForm::SaveSettingsButtonClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  buttons->addStretch(1);
  buttons->addWidget(mSaveSettingsButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(opGroupBox);
  layout->addWidget(chGroupBox);
  layout->addWidget(unGroupBox);
  layout->addStretch(1);
  layout->addLayout(buttons);
}

void TPreferencesForm::FormShow(const TPreferenceValues& values) {
  for (int i = 0; i < static_cast<int>(std::size(kStehfestChoices)); ++i)
    if (kStehfestChoices[i] == values.NSt) mStehfestComboBox->setCurrentIndex(i);
  mNCSpinEdit->SetValue(values.nlogcycle);
  mConvertLengthUnitsCheckBox->setChecked(values.ConvertLengthUnits);
  mConvertTimeUnitsCheckBox->setChecked(values.ConvertTimeUnits);
  (values.DefaultLengthUnits == 0 ? mFeetButton : mMetersButton)->setChecked(true);
}

TPreferenceValues TPreferencesForm::Values() const {
  TPreferenceValues values;
  values.NSt = mStehfestComboBox->currentText().toInt();
  bool isNumber = false;
  const int n = mNCSpinEdit->text().trimmed().toInt(&isNumber);
  values.nlogcycle = isNumber ? mNCSpinEdit->CheckValue(n) : mNCSpinEdit->MinValue();
  values.ConvertLengthUnits = mConvertLengthUnitsCheckBox->isChecked();
  values.ConvertTimeUnits = mConvertTimeUnitsCheckBox->isChecked();
  values.DefaultLengthUnits = mFeetButton->isChecked() ? 0 : 1;
  return values;
}

void TPreferencesForm::SaveSettingsButtonClick() {
  TSettingsStore store;
  if (!WritePreferenceSettings(store, Values())) {
    TQtUserInterface ui(this);
    ui.MessageBox(kRegistryErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
}

}  // namespace aqv
