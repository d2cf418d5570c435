#include "app/gui/AQVCheckListBox.h"

#include <QSignalBlocker>

#include "model/AQVData.h"

namespace aqv {

TAQVCheckListBox::TAQVCheckListBox(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem*) { ClickCheck(); });
  // A click anywhere on an item flips its box, as in a drop-down.
  connect(this, &QListWidget::itemClicked, this, [](QListWidgetItem* item) {
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  });
}

void TAQVCheckListBox::SetLayers(int count, const std::vector<bool>& checked) {
  const QSignalBlocker blocker(this);
  clear();
  for (int k = 1; k <= count; ++k) {
    auto* item = new QListWidgetItem(QStringLiteral("Layer %1").arg(k), this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    const bool on = k - 1 < static_cast<int>(checked.size()) && checked[k - 1];
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  mLayerText.clear();
}

void TAQVCheckListBox::ClickCheck() {
  TArray1<bool, kMaxAquifers> flags;
  for (int k = 1; k <= kMaxAquifers; ++k)
    flags[k] = k <= count() && item(k - 1)->checkState() == Qt::Checked;
  mLayerText.clear();
  if (mData) {
    mLayerText = mData->LayerSetToText(flags);
  } else {
    for (int k = 1; k <= kMaxAquifers; ++k)
      if (flags[k]) mLayerText += (mLayerText.empty() ? "" : ",") + std::to_string(k);
  }
  if (OnClickCheck) OnClickCheck();
}

}  // namespace aqv
