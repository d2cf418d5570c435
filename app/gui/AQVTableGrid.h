#pragma once

#include <QColor>

#include "app/gui/MyParentGrid.h"
#include "chart/Color.h"
#include "controls/QtDrawing.h"

namespace aqv {

class TAQVData;

// A number as the grids show it (FloatToStrTrim with the program's decimal separator).
std::string GridNumber(int precision, double limit, double value);
// The text of a parameter mark: the mark itself, or nothing for a character below "1".
std::string MarkText(char code);

// The colours of one side of the document: pumping wells and periods, or observation wells and
// observations.
struct TTableColours {
  TColor SelectedFont;  // text of a selected cell, drawn bold
  TColor Background;    // a data row
  TColor Strong;        // a selected cell, and the current well's row while the grid is idle
};
inline constexpr TTableColours kPumpingColours{0xFF3737, 0xFFFFBF, 0xEBEB96};
inline constexpr TTableColours kObservationColours{0x007F00, 0xBFFFBF, 0x96EB96};
inline constexpr TColor kRowsPastTableColour = 0xF5F5F5;
inline constexpr TColor kInvalidCellColour = 0x0000FF;

// Common base of the four table grids (pumping wells, periods, observation wells, observations):
// column 1 holds an "Include" check box that a click or Space flips; the rows of the table are
// drawn in the side's colours and invalid cells white on red; rows are inserted and deleted in
// the document; a paste may add rows to the table after asking. Bound to a TAQVData.
class TAQVTableGrid : public TMyParentGrid {
 public:
  explicit TAQVTableGrid(const TTableColours& colours, QWidget* parent = nullptr);

  TAQVData* Document() const;
  // Empties the data cells and refills them from the document, keeping the current cell and
  // the selection where the table still reaches.
  void LoadFromData() final;
  int DataRowCount() const override;
  void DeleteRows() override;
  void InsertRows() override;
  // The base paste with rows unbounded: lines past the table ask "Pasting requires expansion of
  // the table" and add the rows on OK; every value is checked at its own row; the values are
  // written without an announcement each and announced once.
  void PasteFromClipboard() override;

 protected:
  // Fills the emptied cells, titles and row count from the document d (never null).
  virtual void FillFromData(TAQVData* d) = 0;
  // For the well tables: a cell past the last well is the entry row, and only a committed name
  // there adds a well (a refusal shows the document's message). Returns whether the cell may
  // be stored.
  bool AddWellFromEntryRow(int col, int row, const std::string& text);
  // A value entered past the table's last row first raises the count to that row (a refusal
  // shows the document's message and stores nothing).
  void StoreCell(int col, int row, const std::string& text) override;
  // Rows the table holds now (well, period or observation count).
  virtual int TableCount() const = 0;
  virtual bool IsIncluded(int row) const = 0;
  virtual void Toggle(int row) = 0;
  [[nodiscard]] virtual bool InsertTableRows(int first, int count) = 0;
  [[nodiscard]] virtual bool DeleteTableRows(int first, int count) = 0;
  // The row of the current well, 0 for the tables without one.
  virtual int CurrentRow() const { return 0; }
  // First column drawn light grey in rows past the table.
  virtual int FirstGreyColumn() const { return 2; }
  // A background of the grid's own for a data cell; Background or Strong otherwise.
  virtual TColor CellColour(int col, int row, TColor colour) const;
  // Whether the current-row mark is drawn now (not while a popup of the grid is shown).
  // The grid counts as focused while its editor has the focus.
  virtual bool ShowCurrentRowMark() const { return !hasFocus() && !IsEditing(); }
  // After a press that made a cell current: the check box of column 1.
  virtual void CellPressed(int col, int row, const QPoint& pos, const QRect& cellRect);

  void DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                TGridDrawState state) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // The check box centred in a cell.
  QRect CheckBoxRect(const QRect& cellRect) const;
  // Sets the title cells and widths of the columns.
  void SetColumns(std::initializer_list<std::pair<const char*, int>> columns);

 private:
  // Adds the missing rows (after asking) and writes the planned cells; count is the table's
  // row count before the paste.
  void WritePlan(const TPastePlan& plan, int count);
  void DrawCheckBox(QPainter& painter, const QRect& cellRect, bool checked) const;

  TTableColours mColours;
};

}  // namespace aqv
