#include "app/gui/AQVTableGrid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "model/AQVData.h"

namespace aqv {

std::string GridNumber(int precision, double limit, double value) {
  return FloatToStrTrim(precision, limit, value, Globals().DecimalSeparator);
}

std::string MarkText(char code) {
  return code >= '1' ? std::string(1, code) : std::string();
}

TAQVTableGrid::TAQVTableGrid(const TTableColours& colours, QWidget* parent)
    : TMyParentGrid(parent), mColours(colours) {}

void TAQVTableGrid::LoadFromData() {
  const TGridRect selection = Selection();
  const int col = Col();
  const int row = Row();
  for (int r = 1; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, "");
  TAQVData* d = Document();
  if (d == nullptr) return;
  FillFromData(d);
  SetCurrentCell(col, std::min(row, RowCount() - 1));
  SetSelectionRect(selection);
  KeepEditAcrossReload();
}

bool TAQVTableGrid::AddWellFromEntryRow(int col, int row, const std::string& text) {
  if (Document() == nullptr || row <= TableCount()) return true;
  if (col != 2 || text.empty()) return false;
  if (!InsertTableRows(TableCount() + 1, 1)) {
    ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
    return false;
  }
  return true;
}

void TAQVTableGrid::StoreCell(int col, int row, const std::string& text) {
  const int count = TableCount();
  if (Document() && row > count && !InsertTableRows(count + 1, row - count)) {
    ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
    return;
  }
  TMyParentGrid::StoreCell(col, row, text);
}

TAQVData* TAQVTableGrid::Document() const {
  return dynamic_cast<TAQVData*>(Data());
}

int TAQVTableGrid::DataRowCount() const {
  return Document() ? std::min(TableCount(), RowCount() - 1) : RowCount() - 1;
}

void TAQVTableGrid::SetColumns(std::initializer_list<std::pair<const char*, int>> columns) {
  int col = 0;
  for (const auto& [title, width] : columns) {
    SetCells(col, 0, title);
    SetColWidth(col, width);
    ++col;
  }
}

// --- Rows --------------------------------------------------------------------------------------

void TAQVTableGrid::DeleteRows() {
  if (!Document() || !FinishEditing()) return;
  const TGridRect rect = Selection();
  Guarded([&] {
    if (!DeleteTableRows(rect.Top, rect.Height()))
      ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
  });
}

void TAQVTableGrid::InsertRows() {
  if (!Document() || !FinishEditing()) return;
  const TGridRect rect = Selection();
  Guarded([&] {
    if (!InsertTableRows(rect.Top, rect.Height()))
      ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
  });
}

void TAQVTableGrid::PasteFromClipboard() {
  if (!FinishEditing()) return;
  const TPasteBlock block = ClipboardBlock();
  if (block.Lines.empty()) return;
  const TGridRect selection = Selection();
  const int count = Document() ? TableCount() : RowCount() - 1;
  const TPasteTarget target{selection.Left, selection.Top, ColCount(),
                            RowCount(),     false,         count + 1};
  const TPastePlan plan = PlanPaste(block, target, PasteCheck());
  if (!IsSuccess(plan.Status)) {
    ShowPasteRefusal(plan);
    return;
  }
  if (!Document()) return;
  Guarded([&] {
    // The result is judged with the missing rows added; the question comes only for a paste
    // that would be written.
    const auto addRows = [&] {
      return plan.MissingRows == 0 || InsertTableRows(count + 1, plan.MissingRows);
    };
    if (PasteResultHolds(plan, addRows)) WritePlan(plan, count);
  });
}

void TAQVTableGrid::WritePlan(const TPastePlan& plan, int count) {
  TAQVData* document = Document();
  if (plan.MissingRows > 0) {
    if (ShowMessage(kPasteExpansionQuestion, TMsgDlgType::mtWarning, TMsgDlgButtons::mbOKCancel) !=
        TModalResult::mrOK)
      return;
    if (!InsertTableRows(count + 1, plan.MissingRows)) {
      ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
      return;
    }
  }
  // A refused or empty paste changes nothing, so it does not mark the document modified.
  if (plan.Cells.empty()) return;
  for (const TPasteCell& cell : plan.Cells) {
    SetCells(cell.Col, cell.Row, cell.Text);
    document->SetCell(cell.Col, cell.Row, cell.Text, Kind(), false);
  }
  document->Changed();
}

// --- Check boxes -------------------------------------------------------------------------------

QRect TAQVTableGrid::CheckBoxRect(const QRect& cellRect) const {
  const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
  const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
  return QRect(cellRect.center().x() - w / 2, cellRect.center().y() - h / 2, w, h);
}

void TAQVTableGrid::DrawCheckBox(QPainter& painter, const QRect& cellRect, bool checked) const {
  QStyleOptionButton option;
  option.initFrom(this);
  option.rect = CheckBoxRect(cellRect);
  option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
}

void TAQVTableGrid::CellPressed(int col, int row, const QPoint& pos, const QRect& cellRect) {
  if (col == 1 && row <= TableCount() && CheckBoxRect(cellRect).contains(pos)) {
    Guarded([&] { Toggle(row); });
    viewport()->update();
  }
}

void TAQVTableGrid::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const QModelIndex index = indexAt(pos);
  TMyParentGrid::mousePressEvent(e);
  // The press acts on its cell only when the grid accepted that cell as the current one.
  if (!Document() || !index.isValid() || index != currentIndex() || e->button() != Qt::LeftButton)
    return;
  CellPressed(index.column(), index.row() + 1, pos, visualRect(index));
}

void TAQVTableGrid::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && !IsEditing() && Document() && Col() == 1 &&
      Row() <= TableCount()) {
    Guarded([this] { Toggle(Row()); });
    viewport()->update();
    e->accept();
    return;
  }
  TMyParentGrid::keyPressEvent(e);
}

// --- Drawing -----------------------------------------------------------------------------------

TColor TAQVTableGrid::CellColour(int, int, TColor colour) const {
  return colour;
}

void TAQVTableGrid::DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                             TGridDrawState state) {
  const QString text = QString::fromStdString(Cells(col, row));
  if (!Document() || row > TableCount()) {
    const bool grey = Document() && col >= FirstGreyColumn();
    painter.fillRect(rect, grey ? ToQColor(kRowsPastTableColour) : palette().base().color());
    painter.setPen(palette().text().color());
    DrawCellText(painter, rect, text);
    return;
  }
  const bool currentRow = row == CurrentRow();
  const bool strong = state.Selected || (currentRow && ShowCurrentRowMark());
  QColor background =
      ToQColor(CellColour(col, row, strong ? mColours.Strong : mColours.Background));
  QColor foreground = state.Selected ? ToQColor(mColours.SelectedFont) : palette().text().color();
  QFont font = painter.font();
  font.setBold(state.Selected || (col == 0 && currentRow));
  // A check for drawing keeps the message of the edited cell intact.
  const std::string message = Globals().DataErrorText;
  if (!IsValidCell(col, row, false, text.toStdString())) {
    background = ToQColor(kInvalidCellColour);
    foreground = Qt::white;
  }
  Globals().DataErrorText = message;
  painter.fillRect(rect, background);
  painter.setFont(font);
  painter.setPen(foreground);
  DrawCellText(painter, rect, text);
  if (col == 1) DrawCheckBox(painter, rect, IsIncluded(row));
}

}  // namespace aqv
