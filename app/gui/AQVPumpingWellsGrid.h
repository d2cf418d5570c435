#pragma once

#include "app/gui/AQVTableGrid.h"

namespace aqv {

class TAQVSelectLayerForm;

// The pumping wells of a document: number, Include box, name, position, screened layers (typed
// or picked in a drop-down of layers), radii, skin, their parameter marks and the number of
// pumping periods. Below the wells an entry row takes the name of a new well while the table
// has room for one; the row that is selected becomes the document's current pumping well.
class TAQVPumpingWellsGrid final : public TAQVTableGrid {
 public:
  explicit TAQVPumpingWellsGrid(QWidget* parent = nullptr);

  bool AllCellsValid() override;
  bool IsValidCell(int col, int row, bool flag, const std::string& text) override;
  void FillFromData(TAQVData* d) override;
  // The layer drop-down; nullptr until the grid has been created.
  TAQVSelectLayerForm* LayerPopup() const { return mLayerPopup; }
  // Fills the drop-down with the layers of the current well and shows it below its cell.
  void ShowLayerPopup();

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
  bool ShowCurrentRowMark() const override;
  void CellPressed(int col, int row, const QPoint& pos, const QRect& cellRect) override;
  void DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                TGridDrawState state) override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  QRect ArrowRect(const QRect& cellRect) const;
  void LayersChecked();

  bool mAllValid = true;
  TAQVSelectLayerForm* mLayerPopup;
  int mPopupRow = 0;
};

}  // namespace aqv
