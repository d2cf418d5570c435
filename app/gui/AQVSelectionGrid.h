#pragma once

#include <QTableView>
#include <vector>

#include "chart/Color.h"

namespace aqv {

class TAQVData;
class TMyColorGrid;

// Whether the curve of a column is drawn in the layer of a row, and in which colour.
struct TCellRecord {
  bool Selected = false;
  TColor Color = clBlack;
};

// The curve-selection grid: one column per drawn curve (its name written upwards in the title
// row), one row per aquifer ("Layer " + k). A left click selects a cell in the colour grid's
// foreground colour, a right click deselects it; no cell ever becomes current. The choices live
// in the grid until SaveToData writes them into the document. Neither the document nor the
// colour grid is owned.
class TAQVSelectionGrid final : public QTableView {
 public:
  static constexpr int kMaxSelectedCells = 128;
  static constexpr int kMaxVisible = 12;  // rows or columns shown without scrolling

  explicit TAQVSelectionGrid(QWidget* parent = nullptr);

  TMyColorGrid* ColorGrid() const { return mColorGrid; }
  void SetColorGrid(TMyColorGrid* grid) { mColorGrid = grid; }
  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }

  // Rebuilds the cells from the document's drawn curves and sizes the grid to show at most 12
  // rows and columns.
  void LoadFromData();
  // Writes every cell's colour and selection into the document.
  void SaveToData();
  // Asks "Reset curve selection?" and on OK gives every curve its default style and reloads.
  void Reset();

  int SelectedCount() const { return mSelectedCount; }
  int CurveCount() const { return static_cast<int>(mCurves.size()); }
  int LayerCount() const { return mLayerCount; }
  // The record of curve column c (from 1) and layer row r (from 1).
  const TCellRecord& Cell(int c, int r) const;
  // The curve number of column c (from 1).
  int CurveOfColumn(int c) const { return mCurves[static_cast<std::size_t>(c - 1)]; }
  int HeaderHeight() const { return mHeaderHeight; }

  // Drawing of the title row, the layer column and the data cells.
  void DrawTitle(QPainter& painter, const QRect& rect, int c) const;
  void DrawLayer(QPainter& painter, const QRect& rect, int r) const;
  void DrawData(QPainter& painter, const QRect& rect, int c, int r) const;

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  TCellRecord& Record(int c, int r);
  QString CurveName(int c) const;
  void FitSize();

  TMyColorGrid* mColorGrid = nullptr;
  int mSelectedCount = 0;
  TAQVData* mData = nullptr;
  std::vector<int> mCurves;  // curve number of each column
  int mLayerCount = 0;
  std::vector<TCellRecord> mRecords;  // row-major, one per curve and layer
  int mHeaderHeight = 50;
  class TSelectionCells* mCells;
};

}  // namespace aqv
