#include "app/gui/AQVCheckListBox.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include "model/AQVData.h"

namespace aqv {

TAQVCheckListBox::TAQVCheckListBox(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem*) { ClickCheck(); });
  // A click anywhere on an item, its box included, flips the box once, as in a drop-down: the
  // items are not checkable by the view itself, which would flip a box a second time.
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Flip(item); });
}

void TAQVCheckListBox::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && currentItem()) {
    Flip(currentItem());
    return;
  }
  QListWidget::keyPressEvent(e);
}

void TAQVCheckListBox::Flip(QListWidgetItem* item) {
  const bool checking = item->checkState() != Qt::Checked;
  // A well is screened in one layer at least: the last checked box stays checked.
  if (!checking && CheckedCount() <= 1) return;
  item->setCheckState(checking ? Qt::Checked : Qt::Unchecked);
}

int TAQVCheckListBox::CheckedCount() const {
  int n = 0;
  for (int k = 0; k < count(); ++k)
    if (item(k)->checkState() == Qt::Checked) ++n;
  return n;
}

void TAQVCheckListBox::SetLayers(int count, const std::vector<bool>& checked) {
  const QSignalBlocker blocker(this);
  clear();
  for (int k = 1; k <= count; ++k) {
    auto* item = new QListWidgetItem(QStringLiteral("Layer %1").arg(k), this);
    item->setFlags(Qt::ItemIsEnabled);
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
