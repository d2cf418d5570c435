#pragma once

#include <QWidget>

namespace aqv {

class TAQVCheckListBox;

// The drop-down of the pumping-wells grid: a borderless popup holding a list of layers with
// check boxes. It closes as soon as it loses the focus (a click elsewhere, Escape). Owned by
// its grid.
class TAQVSelectLayerForm final : public QWidget {
 public:
  explicit TAQVSelectLayerForm(QWidget* parent = nullptr);

  TAQVCheckListBox* AQVCheckListBox() const { return mList; }

 private:
  TAQVCheckListBox* mList;
};

}  // namespace aqv
