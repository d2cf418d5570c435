#include "chart/gui/SelectSeriesForm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>
#include <algorithm>

namespace aqv {

namespace {

constexpr int kMinBoxWidth = 200;  // pixels

}  // namespace

TSelectSeriesForm::TSelectSeriesForm(QWidget* parent)
    : QDialog(parent), mSeriesComboBox(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Select series"));
  mSeriesComboBox->setObjectName(QStringLiteral("SeriesComboBox"));
  mSeriesComboBox->setMinimumWidth(kMinBoxWidth);
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
  // The box and its list as wide as the longest name, so that no name is cut off.
  int widest = 0;
  for (const QString& name : names)
    widest = std::max(widest, mSeriesComboBox->fontMetrics().horizontalAdvance(name));
  QStyleOptionComboBox option;
  option.initFrom(mSeriesComboBox);
  const QSize box = mSeriesComboBox->style()->sizeFromContents(
      QStyle::CT_ComboBox, &option, QSize(widest, mSeriesComboBox->fontMetrics().height()),
      mSeriesComboBox);
  mSeriesComboBox->setMinimumWidth(std::max(kMinBoxWidth, box.width()));
  mSeriesComboBox->view()->setMinimumWidth(
      widest + mSeriesComboBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);
  if (!names.isEmpty())
    mSeriesComboBox->setCurrentIndex(std::clamp(index, 0, static_cast<int>(names.size()) - 1));
}

int TSelectSeriesForm::SelectedIndex() const {
  return mSeriesComboBox->currentIndex();
}

}  // namespace aqv
