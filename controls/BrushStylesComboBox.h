#pragma once

#include <array>

#include "chart/Elements.h"
#include "controls/StyleComboBox.h"

namespace aqv {

// The brush picker's items in list order; the style ordinals of the file are another order.
inline constexpr std::array<TBrushStyle, 8> kBrushComboItems = {
    TBrushStyle::bsClear,      TBrushStyle::bsSolid,     TBrushStyle::bsCross,
    TBrushStyle::bsDiagCross,  TBrushStyle::bsBDiagonal, TBrushStyle::bsFDiagonal,
    TBrushStyle::bsHorizontal, TBrushStyle::bsVertical};

// Owner-drawn list of the eight brush styles, each item filled with a black hatch on white.
// Style() is the style of the item last chosen (bsSolid before any choice).
class TBrushStylesComboBox : public TStyleComboBox {
  Q_OBJECT

 public:
  explicit TBrushStylesComboBox(QWidget* parent = nullptr) : TStyleComboBox(parent) {}

  TBrushStyle Style() const { return mStyle; }
  // The list position of a style.
  static int ItemOf(TBrushStyle style);

  void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const override;
  int ItemCount() const override { return static_cast<int>(kBrushComboItems.size()); }

 protected:
  void ItemChosen(int index) override;

 private:
  TBrushStyle mStyle = TBrushStyle::bsSolid;
};

}  // namespace aqv
