#include "controls/StyleComboBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace aqv {

namespace {

// Hands every list item to the box's own drawing.
class TStyleItemDelegate : public QStyledItemDelegate {
 public:
  explicit TStyleItemDelegate(TStyleComboBox* box) : QStyledItemDelegate(box), mBox(box) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(option.rect,
                      option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    // An inset keeps neighbouring hatches apart and lets the highlight show around the item.
    mBox->DrawItem(*painter, option.rect.adjusted(2, 2, -2, -2), index.row(), selected);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), 16));
    return size;
  }

 private:
  TStyleComboBox* mBox;
};

}  // namespace

TStyleComboBox::TStyleComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new TStyleItemDelegate(this));
  connect(this, &QComboBox::activated, this, &TStyleComboBox::Choose);
}

void TStyleComboBox::showPopup() {
  if (count() == 0) {
    for (int i = 0; i < ItemCount(); ++i) addItem(QString());
  }
  QComboBox::showPopup();
}

void TStyleComboBox::ShowItem(int index) {
  if (count() == 0) {
    for (int i = 0; i < ItemCount(); ++i) addItem(QString());
  }
  setCurrentIndex(index >= 0 && index < ItemCount() ? index : -1);
}

void TStyleComboBox::Choose(int index) {
  if (index < 0 || index >= ItemCount()) return;
  ItemChosen(index);
  emit Changed();
}

void TStyleComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  if (currentIndex() < 0) return;
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  painter.save();
  painter.fillRect(field, palette().brush(QPalette::Base));
  DrawItem(painter, field.adjusted(1, 1, -1, -1), currentIndex(), false);
  painter.restore();
}

}  // namespace aqv
