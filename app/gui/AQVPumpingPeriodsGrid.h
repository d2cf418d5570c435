#pragma once

#include "app/gui/AQVTableGrid.h"

namespace aqv {

// The pumping periods of the document's current pumping well: number, Include box, starting time
// and discharge, in display units. It has no entry row: rows are added by the row actions, the
// count column of the well grid or a paste.
class TAQVPumpingPeriodsGrid final : public TAQVTableGrid {
 public:
  explicit TAQVPumpingPeriodsGrid(QWidget* parent = nullptr);

  bool AllCellsValid() override;
  bool IsValidCell(int col, int row, bool flag, const std::string& text) override;
  void FillFromData(TAQVData* d) override;

 protected:
  bool CanEditShow(int col, int row) override;
  bool SelectCell(int col, int row) override;
  int TableCount() const override;
  bool IsIncluded(int row) const override;
  void Toggle(int row) override;
  bool InsertTableRows(int first, int count) override;
  bool DeleteTableRows(int first, int count) override;

 private:
  bool mAllValid = true;
};

}  // namespace aqv
