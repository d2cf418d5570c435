#include "app/GridPaste.h"

#include <algorithm>

namespace aqv {

TPasteBlock ParsePasteText(std::string_view text) {
  TPasteBlock block;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    std::vector<std::string>& cells = block.Lines.emplace_back();
    if (!line.empty()) {
      std::size_t cellStart = 0;
      for (;;) {
        const std::size_t tab = line.find('\t', cellStart);
        cells.emplace_back(line.substr(
            cellStart, tab == std::string_view::npos ? std::string_view::npos : tab - cellStart));
        if (tab == std::string_view::npos) break;
        cellStart = tab + 1;
      }
    }
    if (last) break;
    // CR LF is one break; a lone CR or LF is one as well.
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return block;
}

std::string JoinCopyText(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const std::vector<std::string>& row : rows) {
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (j > 0) text += '\t';
      text += row[j];
    }
    text += "\r\n";
  }
  return text;
}

void AddInvalid(TPastePlan& plan, const TPasteCell& cell) {
  if (plan.InvalidCount++ == 0) plan.FirstInvalid = cell;
  plan.Status = TPasteStatus::psInvalid;
}

TPastePlan PlanPaste(const TPasteBlock& block, const TPasteTarget& target,
                     const TPasteCheck& check) {
  TPastePlan plan;
  bool outside = false;
  int lastRow = -1;
  for (std::size_t i = 0; i < block.Lines.size(); ++i) {
    const int row = target.Top + static_cast<int>(i);
    const std::vector<std::string>& cells = block.Lines[i];
    for (std::size_t j = 0; j < cells.size(); ++j) {
      const int col = target.Left + static_cast<int>(j);
      if (col < 0 || col >= target.ColCount || row < 1 ||
          (target.BoundRows && row >= target.RowCount)) {
        outside = true;
        continue;
      }
      lastRow = std::max(lastRow, row);
      if (check && !check(col, row, cells[j])) {
        AddInvalid(plan, {col, row, cells[j]});
        continue;
      }
      plan.Cells.push_back({col, row, cells[j]});
    }
  }
  // The rows to add run up to the last row that receives a cell, so that a line after an empty
  // line past the table still finds its row.
  if (!target.BoundRows && lastRow >= target.FirstMissingRow)
    plan.MissingRows = lastRow - target.FirstMissingRow + 1;
  if (outside) plan.Status = TPasteStatus::psOutside;
  if (plan.Status != TPasteStatus::psPaste) {
    plan.Cells.clear();
    plan.MissingRows = 0;
  }
  return plan;
}

namespace {

// "First invalid value: row 2, column "Time [d]", text "0,5"". A text too long for a message
// line is shortened.
std::string FirstInvalidText(const TPasteCell& cell, std::string_view columnTitle) {
  constexpr std::size_t kShownChars = 60;
  std::string text = cell.Text.substr(0, kShownChars);
  if (cell.Text.size() > kShownChars) text += "...";
  const std::string column =
      columnTitle.empty() ? std::to_string(cell.Col + 1) : "\"" + std::string(columnTitle) + "\"";
  return "First invalid value: row " + std::to_string(cell.Row) + ", column " + column +
         ", text \"" + text + "\"";
}

}  // namespace

std::string ToText(const TPastePlan& plan, std::string_view columnTitle) {
  switch (plan.Status) {
    case TPasteStatus::psOutside:
      return "Can not paste outside grid borders!";
    case TPasteStatus::psInvalid:
      return "The selection contains " + std::to_string(plan.InvalidCount) +
             " invalid value(s). Can not paste!\n" +
             FirstInvalidText(plan.FirstInvalid, columnTitle);
    case TPasteStatus::psPaste:
      break;
  }
  return {};
}

}  // namespace aqv
