#include "app/gui/AQVPumpingWellsGrid.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "app/gui/AQVCheckListBox.h"
#include "app/gui/AQVSelectLayer.h"
#include "model/AQVData.h"

namespace aqv {

namespace {
constexpr int kArrowSize = 14;  // the drop-down arrow, pixels square
}

TAQVPumpingWellsGrid::TAQVPumpingWellsGrid(QWidget* parent)
    : TAQVTableGrid(kPumpingColours, parent), mLayerPopup(new TAQVSelectLayerForm(this)) {
  SetKind(TAQVGridKind::gkPumpingWells);
  SetColCount(13);
  SetRowCount(1 + 2);
  SetColumns({{"No.", 24},
              {"Include", 48},
              {"Name", 216},
              {"X [m]", 96},
              {"Y [m]", 96},
              {"Screened layers", 96},
              {"Casing radius [m]", 108},
              {"#", 24},
              {"Screen radius [m]", 108},
              {"#", 24},
              {"Skin factor [-]", 108},
              {"#", 24},
              {"No. pumping per.", 108}});
  SetCells(0, 1, "1");
  SetCells(0, 2, "2");
  SetCurrentCell(2, 1);
  mLayerPopup->AQVCheckListBox()->OnClickCheck = [this] { LayersChecked(); };
}

int TAQVPumpingWellsGrid::TableCount() const {
  return Document() ? Document()->PumpingWellCount() : 0;
}

int TAQVPumpingWellsGrid::CurrentRow() const {
  return Document() ? Document()->CurrentPumpingWell() : 0;
}

bool TAQVPumpingWellsGrid::ShowCurrentRowMark() const {
  return TAQVTableGrid::ShowCurrentRowMark() && !mLayerPopup->isVisible();
}

bool TAQVPumpingWellsGrid::IsIncluded(int row) const {
  return Document() && row >= 1 && row <= kMaxPumpingWells &&
         Document()->PumpingWells[row].Included[0];
}

void TAQVPumpingWellsGrid::Toggle(int) {
  // The box flips the current well, which the press or key has just made current.
  if (Document()) Document()->TogglePumpingPeriod(0);
}

bool TAQVPumpingWellsGrid::InsertTableRows(int first, int count) {
  return Document()->InsertPumpingWells(first, count);
}

bool TAQVPumpingWellsGrid::DeleteTableRows(int first, int count) {
  return Document()->DeletePumpingWells(first, count);
}

void TAQVPumpingWellsGrid::FillFromData(TAQVData* d) {
  const std::string& l = d->LengthUnitLabel();
  SetCells(3, 0, "X [" + l + "]");
  SetCells(4, 0, "Y [" + l + "]");
  SetCells(6, 0, "Casing radius [" + l + "]");
  SetCells(8, 0, "Screen radius [" + l + "]");
  const int n = d->PumpingWellCount();
  // The entry row exists only while the table has room for another well.
  SetRowCount(1 + n + (n < kMaxPumpingWells ? 1 : 0));
  const double lf = d->LengthFactor();
  for (int i = 1; i <= n; ++i) {
    const TPumpingWell& w = d->PumpingWells[i];
    SetCells(0, i, std::to_string(i));
    SetCells(2, i, w.Name);
    SetCells(3, i, GridNumber(8, 1e8, w.X * lf));
    SetCells(4, i, GridNumber(8, 1e8, w.Y * lf));
    SetCells(5, i, d->LayerSetToText(w.Screened));
    SetCells(6, i, GridNumber(7, 1e5, w.Rc * lf));
    SetCells(7, i, MarkText(w.RcCode));
    SetCells(8, i, GridNumber(7, 1e5, w.Rw * lf));
    SetCells(9, i, MarkText(w.RwCode));
    SetCells(10, i, GridNumber(7, 1e5, w.Skin));
    SetCells(11, i, MarkText(w.SkinCode));
    SetCells(12, i, std::to_string(w.PeriodCount()));
  }
}

bool TAQVPumpingWellsGrid::CanEditShow(int col, int row) {
  if (!Document()) return true;
  return col >= 2 && row <= Document()->PumpingWellCount() + 1;
}

bool TAQVPumpingWellsGrid::SelectCell(int col, int row) {
  if (!Document()) return true;
  const int n = Document()->PumpingWellCount();
  if (row < 1 || col < 1) return false;
  if (row <= n) return true;
  // A new well starts with its name.
  return row == n + 1 && n < kMaxPumpingWells && col == 2;
}

void TAQVPumpingWellsGrid::CurrentCellChanged(int, int row) {
  if (Document() && row <= Document()->PumpingWellCount()) Document()->SetCurrentPumpingWell(row);
}

void TAQVPumpingWellsGrid::StoreCell(int col, int row, const std::string& text) {
  if (AddWellFromEntryRow(col, row, text)) TAQVTableGrid::StoreCell(col, row, text);
}

bool TAQVPumpingWellsGrid::IsValidCell(int col, int row, bool flag, const std::string& text) {
  bool ok = TMyParentGrid::IsValidCell(col, row, flag, text);
  Globals().DataErrorText = "Invalid value!";
  const TAQVData* d = Document();
  double v = 0;
  int k = 0;
  switch (col) {
    case 1:
      ok = true;
      break;
    case 3:
    case 4:
      ok = TryStrToFloatValue(text, v);
      break;
    case 5:
      ok = d ? d->CheckLayerList(text) : ok;
      break;
    case 6:
      ok = TryStrToFloatValue(text, v) && (!d || d->CheckCasingRadius(v));
      break;
    case 8:
      ok = TryStrToFloatValue(text, v) && (!d || d->CheckScreenRadius(v));
      break;
    case 10:
      ok = TryStrToFloatValue(text, v) && (!d || d->CheckSkinFactor(v));
      break;
    case 7:
    case 9:
    case 11:
      ok = !d || d->CheckParameterMark(text);
      break;
    case 12:
      ok = TryStrToIntValue(text, k) && (!d || d->CheckPeriodCount(k));
      break;
    default:
      break;
  }
  return FinishCheck(ok, flag);
}

bool TAQVPumpingWellsGrid::AllCellsValid() {
  mAllValid = true;
  const int n = TableCount();
  for (int c = 3; c <= 12; ++c)
    for (int r = 1; r <= n; ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  return mAllValid;
}

void TAQVPumpingWellsGrid::focusInEvent(QFocusEvent* e) {
  // The well table may have changed on another page since the grid was last shown.
  if (!IsEditing()) LoadFromData();
  TAQVTableGrid::focusInEvent(e);
}

// --- Layer drop-down ---------------------------------------------------------------------------

QRect TAQVPumpingWellsGrid::ArrowRect(const QRect& cellRect) const {
  return QRect(cellRect.right() - 2 - kArrowSize, cellRect.center().y() - kArrowSize / 2,
               kArrowSize, kArrowSize);
}

void TAQVPumpingWellsGrid::CellPressed(int col, int row, const QPoint& pos, const QRect& cellRect) {
  TAQVTableGrid::CellPressed(col, row, pos, cellRect);
  if (col == 5 && row <= TableCount() && ArrowRect(cellRect).contains(pos)) ShowLayerPopup();
}

void TAQVPumpingWellsGrid::ShowLayerPopup() {
  TAQVData* d = Document();
  if (!d || Row() > d->PumpingWellCount()) return;
  mPopupRow = Row();
  std::vector<bool> checked;
  const TPumpingWell& well = d->PumpingWells[mPopupRow];
  for (int k = 1; k <= d->AquiferCount(); ++k) checked.push_back(well.Screened[k]);
  TAQVCheckListBox& list = *mLayerPopup->AQVCheckListBox();
  list.SetData(d);
  list.SetLayers(d->AquiferCount(), checked);
  const QRect cell = visualRect(model()->index(mPopupRow - 1, 5));
  mLayerPopup->move(viewport()->mapToGlobal(cell.bottomLeft() + QPoint(0, 1)));
  mLayerPopup->show();
  list.setFocus();
  viewport()->update();
}

void TAQVPumpingWellsGrid::LayersChecked() {
  TAQVData* d = Document();
  if (!d || mPopupRow < 1 || mPopupRow > d->PumpingWellCount()) return;
  const std::string text = mLayerPopup->AQVCheckListBox()->LayerText();
  SetCells(5, mPopupRow, text);
  Guarded([&] { d->SetCellText(5, mPopupRow, text, TAQVGridKind::gkPumpingWells); });
}

// --- Drawing -----------------------------------------------------------------------------------

void TAQVPumpingWellsGrid::DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                                    TGridDrawState state) {
  TAQVTableGrid::DrawCell(painter, rect, col, row, state);
  if (col != 5 || !Document() || row > TableCount()) return;
  QStyleOptionComboBox option;
  option.initFrom(this);
  option.rect = ArrowRect(rect);
  option.state |= QStyle::State_Enabled;
  style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, this);
}

}  // namespace aqv
