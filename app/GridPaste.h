#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace aqv {

// Clipboard text as the input grids take it: one entry per line, each the tab-separated cells
// of that line. An empty line holds no cell at all but still takes its row.
struct TPasteBlock {
  std::vector<std::vector<std::string>> Lines;
};

// Splits text at line breaks (CR LF, LF or a lone CR; a final break adds no line) and each
// line at tabs, so that two tabs in a row give an empty cell.
[[nodiscard]] TPasteBlock ParsePasteText(std::string_view text);

// Tab-separated text of a block of cells: the cells of a row joined by a tab, every row ended
// by CR LF (also the last).
[[nodiscard]] std::string JoinCopyText(const std::vector<std::vector<std::string>>& rows);

// Where a block lands in a grid. Columns and rows are grid coordinates: row 0 is the title
// row, rows from 1 hold data.
struct TPasteTarget {
  int Left = 0;  // column of the block's first cell
  int Top = 1;   // row of the block's first line
  int ColCount = 0;
  int RowCount = 0;  // rows of the grid, title row included
  // True: a cell at or past RowCount lies outside the grid. False: such rows are added to the
  // table on request, starting at FirstMissingRow.
  bool BoundRows = true;
  int FirstMissingRow = 0;  // first row that the table does not hold yet (only when unbounded)
};

// The outcome of planning a paste; nothing is written unless it is psPaste.
enum class TPasteStatus {
  psPaste,    // every cell fits and passed its check
  psOutside,  // a cell lies outside the grid
  psInvalid,  // InvalidCount cells failed their check
};
[[nodiscard]] inline bool IsSuccess(TPasteStatus status) {
  return status == TPasteStatus::psPaste;
}

// One checked cell waiting to be written.
struct TPasteCell {
  int Col = 0;
  int Row = 0;
  std::string Text;
  friend bool operator==(const TPasteCell&, const TPasteCell&) = default;
};

struct TPastePlan {
  TPasteStatus Status = TPasteStatus::psPaste;
  int InvalidCount = 0;
  // The first cell, in line order, that failed its check; meaningful while InvalidCount > 0.
  TPasteCell FirstInvalid;
  // Rows the table must gain before the cells can be written (unbounded rows only).
  int MissingRows = 0;
  std::vector<TPasteCell> Cells;  // in line order, left to right; empty unless psPaste
};

// Counts cell as one that failed its check: plan becomes psInvalid and keeps the first of them.
void AddInvalid(TPastePlan& plan, const TPasteCell& cell);

// Checks one pasted text at its own target cell (column, row, text).
using TPasteCheck = std::function<bool(int col, int row, const std::string& text)>;

// Decides a paste: an outside cell refuses the whole block first, then any cell that fails
// check. Cells that would land outside are not checked.
[[nodiscard]] TPastePlan PlanPaste(const TPasteBlock& block, const TPasteTarget& target,
                                   const TPasteCheck& check);

// The message that refuses a plan, empty for psPaste. A refusal of invalid values names the
// first of them on a second line: its row (data rows counted from 1), its column (by
// columnTitle, or counted from 1 when that is empty) and its text.
[[nodiscard]] std::string ToText(const TPastePlan& plan, std::string_view columnTitle = {});

// The question asked before rows are added for a paste.
inline constexpr const char* kPasteExpansionQuestion = "Pasting requires expansion of the table";

}  // namespace aqv
