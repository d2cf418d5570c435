#pragma once

#include "app/gui/AQVTableGrid.h"

namespace aqv {

// The observation wells of a document: number, Include box, name, position, observed layer,
// radii and skin ("n.a." and not editable for a well that stands at a pumping well, whose
// radii count) and the number of observations. Below the wells an entry row takes the name of
// a new well while the table has room for one; the selected row becomes the document's current
// observation well.
class TAQVObservationWellsGrid final : public TAQVTableGrid {
 public:
  explicit TAQVObservationWellsGrid(QWidget* parent = nullptr);

  bool AllCellsValid() override;
  bool IsValidCell(int col, int row, bool flag, const std::string& text) override;
  void FillFromData(TAQVData* d) override;

 protected:
  bool CanEditShow(int col, int row) override;
  bool SelectCell(int col, int row) override;
  void CurrentCellChanged(int col, int row) override;
  void StoreCell(int col, int row, const std::string& text) override;
  int TableCount() const override;
  bool IsIncluded(int row) const override;
  void Toggle(int row) override;
  bool InsertTableRows(int first, int count) override;
  bool DeleteTableRows(int first, int count) override;
  int CurrentRow() const override;
  int FirstGreyColumn() const override { return 3; }
  TColor CellColour(int col, int row, TColor colour) const override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  // True for a well of the table that stands at a pumping well screened in its layer.
  bool AtPumpingWell(int row) const;

  bool mAllValid = true;
};

}  // namespace aqv
