#include "chart/gui/SelectSeriesForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace aqv {

TSelectSeriesForm::TSelectSeriesForm(QWidget* parent)
    : QDialog(parent), mSeriesComboBox(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Select series"));
  mSeriesComboBox->setObjectName(QStringLiteral("SeriesComboBox"));
  mSeriesComboBox->setMinimumWidth(200);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* select = buttons->addButton(QStringLiteral("Select"), QDialogButtonBox::AcceptRole);
  select->setObjectName(QStringLiteral("SelectButton"));
  select->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("CancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(mSeriesComboBox);
  layout->addWidget(buttons);
}

void TSelectSeriesForm::SetSeriesNames(const QStringList& names, int index) {
  mSeriesComboBox->clear();
  mSeriesComboBox->addItems(names);
  if (!names.isEmpty())
    mSeriesComboBox->setCurrentIndex(std::clamp(index, 0, static_cast<int>(names.size()) - 1));
}

int TSelectSeriesForm::SelectedIndex() const {
  return mSeriesComboBox->currentIndex();
}

}  // namespace aqv
