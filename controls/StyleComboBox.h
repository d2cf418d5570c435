#pragma once

#include <QComboBox>
#include <span>

namespace aqv {

// Shared part of the owner-drawn style pickers: the list holds no items until its first
// drop-down, which fills it with ItemCount() empty items; each item is drawn by DrawItem.
// Choosing an item emits Changed after the derived class has stored its style.
class TStyleComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TStyleComboBox(QWidget* parent = nullptr);

  // Draws item index into rect; selected tells whether it is highlighted.
  virtual void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const = 0;
  virtual int ItemCount() const = 0;

  void showPopup() override;
  // Shows an item as chosen without reporting a choice, filling the list first when it is
  // still empty; -1 shows none.
  void ShowItem(int index);

 signals:
  void Changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Stores the style of the chosen item (index > -1).
  virtual void ItemChosen(int index) = 0;

 private:
  void Choose(int index);
};

}  // namespace aqv
