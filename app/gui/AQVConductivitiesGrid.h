#pragma once

#include "app/gui/MyParentGrid.h"

namespace aqv {

class TAQVData;

// The aquifer system of a document, one row per layer from the top: aquitards (orange) and
// aquifers (yellow) with base level, thickness, conductivity, transmissivity or resistance,
// storativity, their parameter marks and a name. The selected row is the document's selected
// layer row, at which layers are inserted and deleted, and the value titles follow its kind.
class TAQVConductivitiesGrid final : public TMyParentGrid {
 public:
  explicit TAQVConductivitiesGrid(QWidget* parent = nullptr);

  TAQVData* Document() const;
  bool AllCellsValid() override;
  bool IsValidCell(int col, int row, bool flag, const std::string& text) override;
  void LoadFromData() override;
  void DeleteRows() override;
  void InsertRows() override;

 protected:
  bool CanEditShow(int col, int row) override;
  bool SelectCell(int col, int row) override;
  void CurrentCellChanged(int col, int row) override;
  void DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                TGridDrawState state) override;

 private:
  // Fills one row of the table: its codes, levels, values, marks and name.
  void FillRow(const TAQVData& d, int r);
  // The titles of the value columns for the kind of the given cell's row.
  void SetValueTitles(int col, int row);
  void DrawBoundary(QPainter& painter, const QRect& rect, int row) const;

  bool mAllValid = true;
};

}  // namespace aqv
