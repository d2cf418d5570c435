#pragma once

#include <array>

#include "chart/Elements.h"
#include "controls/StyleComboBox.h"

namespace aqv {

// The pen picker's items in list order; the style ordinals of the file are another order.
inline constexpr std::array<TPenStyle, 6> kPenComboItems = {
    TPenStyle::psClear,   TPenStyle::psSolid,      TPenStyle::psDash,
    TPenStyle::psDashDot, TPenStyle::psDashDotDot, TPenStyle::psDot};

// Owner-drawn list of the six pen styles, each item a horizontal line across its middle, white
// on a highlighted item and black otherwise. Style() is the style of the item last chosen
// (psSolid before any choice).
class TPenStylesComboBox : public TStyleComboBox {
  Q_OBJECT

 public:
  explicit TPenStylesComboBox(QWidget* parent = nullptr) : TStyleComboBox(parent) {}

  TPenStyle Style() const { return mStyle; }
  // The list position of a style; -1 for a style the list does not offer.
  static int ItemOf(TPenStyle style);

  void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) const override;
  int ItemCount() const override { return static_cast<int>(kPenComboItems.size()); }

 protected:
  void ItemChosen(int index) override;

 private:
  TPenStyle mStyle = TPenStyle::psSolid;
};

}  // namespace aqv
