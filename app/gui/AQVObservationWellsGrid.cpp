#include "app/gui/AQVObservationWellsGrid.h"

#include "model/AQVData.h"

namespace aqv {

namespace {
constexpr TColor kAtPumpingWellColour = 0xBEEBBE;
constexpr const char* kNotApplicable = "n.a.";
bool IsRadiusOrSkinColumn(int col) {
  return col >= 6 && col <= 8;
}
}  // namespace

TAQVObservationWellsGrid::TAQVObservationWellsGrid(QWidget* parent)
    : TAQVTableGrid(kObservationColours, parent) {
  SetKind(TAQVGridKind::gkObservationWells);
  SetColCount(10);
  SetRowCount(1 + 5);
  SetColumns({{"No.", 24},
              {"Include", 48},
              {"Name", 216},
              {"X [m]", 96},
              {"Y [m]", 96},
              {"Screened layer", 96},
              {"Casing radius [m]", 108},
              {"Screen radius [m]", 108},
              {"Skin factor [-]", 108},
              {"No. observations", 108}});
  for (int r = 1; r <= 5; ++r) SetCells(0, r, std::to_string(r));
  SetCurrentCell(2, 1);
}

int TAQVObservationWellsGrid::TableCount() const {
  return Document() ? Document()->ObservationWellCount() : 0;
}

int TAQVObservationWellsGrid::CurrentRow() const {
  return Document() && Document()->ObservationWellCount() > 0 ? Document()->CurrentObservationWell()
                                                              : 0;
}

bool TAQVObservationWellsGrid::IsIncluded(int row) const {
  return Document() && row >= 1 && row <= kMaxObservationWells &&
         Document()->ObservationWells[row].Included[0];
}

void TAQVObservationWellsGrid::Toggle(int) {
  if (Document()) Document()->ToggleObservation(0);
}

bool TAQVObservationWellsGrid::InsertTableRows(int first, int count) {
  return Document()->InsertObservationWells(first, count);
}

bool TAQVObservationWellsGrid::DeleteTableRows(int first, int count) {
  return Document()->DeleteObservationWells(first, count);
}

bool TAQVObservationWellsGrid::AtPumpingWell(int row) const {
  const TAQVData* d = Document();
  if (!d || row < 1 || row > d->ObservationWellCount()) return false;
  const TObservationWell& w = d->ObservationWells[row];
  return d->PumpingWellAtPoint(w.Layer, w.X, w.Y) >= 1;
}

void TAQVObservationWellsGrid::FillFromData(TAQVData* d) {
  const std::string& l = d->LengthUnitLabel();
  SetCells(3, 0, "X [" + l + "]");
  SetCells(4, 0, "Y [" + l + "]");
  SetCells(6, 0, "Casing radius [" + l + "]");
  SetCells(7, 0, "Screen radius [" + l + "]");
  const int n = d->ObservationWellCount();
  SetRowCount(1 + n + (n < kMaxObservationWells ? 1 : 0));
  const double lf = d->LengthFactor();
  for (int j = 1; j <= n; ++j) {
    const TObservationWell& w = d->ObservationWells[j];
    SetCells(0, j, std::to_string(j));
    SetCells(2, j, w.Name);
    SetCells(3, j, GridNumber(8, 1e8, w.X * lf));
    SetCells(4, j, GridNumber(8, 1e8, w.Y * lf));
    SetCells(5, j, std::to_string(w.Layer));
    const bool na = AtPumpingWell(j);
    SetCells(6, j, na ? kNotApplicable : GridNumber(7, 1e5, w.Rc * lf));
    SetCells(7, j, na ? kNotApplicable : GridNumber(7, 1e5, w.Rw * lf));
    SetCells(8, j, na ? kNotApplicable : GridNumber(7, 1e5, w.Skin));
    SetCells(9, j, std::to_string(w.ObservationCount()));
  }
}

bool TAQVObservationWellsGrid::CanEditShow(int col, int row) {
  if (!Document()) return true;
  if (IsRadiusOrSkinColumn(col) && AtPumpingWell(row)) return false;
  return col >= 2 && row <= Document()->ObservationWellCount() + 1;
}

bool TAQVObservationWellsGrid::SelectCell(int col, int row) {
  if (!Document()) return true;
  const int n = Document()->ObservationWellCount();
  if (row < 1 || col < 1) return false;
  if (row <= n) return true;
  return row == n + 1 && n < kMaxObservationWells && col == 2;
}

void TAQVObservationWellsGrid::CurrentCellChanged(int, int row) {
  if (Document() && row <= Document()->ObservationWellCount())
    Document()->SetCurrentObservationWell(row);
}

void TAQVObservationWellsGrid::StoreCell(int col, int row, const std::string& text) {
  if (AddWellFromEntryRow(col, row, text)) TAQVTableGrid::StoreCell(col, row, text);
}

bool TAQVObservationWellsGrid::IsValidCell(int col, int row, bool flag, const std::string& text) {
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
      ok = TryStrToIntValue(text, k) && (!d || d->CheckObservationLayer(k));
      break;
    case 6:
    case 7:
    case 8:
      if (AtPumpingWell(row)) break;
      ok = TryStrToFloatValue(text, v);
      if (ok && d)
        ok = col == 6   ? d->CheckCasingRadius(v)
             : col == 7 ? d->CheckScreenRadius(v)
                        : d->CheckSkinFactor(v);
      break;
    case 9:
      ok = TryStrToIntValue(text, k) && (!d || d->CheckObservationCount(k));
      break;
    default:
      break;
  }
  return FinishCheck(ok, flag);
}

bool TAQVObservationWellsGrid::AllCellsValid() {
  mAllValid = true;
  const int n = TableCount();
  for (int c = 3; c <= 8 && mAllValid; ++c)
    for (int r = 1; r <= n && mAllValid; ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  return mAllValid;
}

TColor TAQVObservationWellsGrid::CellColour(int col, int row, TColor colour) const {
  return IsRadiusOrSkinColumn(col) && AtPumpingWell(row) ? kAtPumpingWellColour : colour;
}

void TAQVObservationWellsGrid::focusInEvent(QFocusEvent* e) {
  if (!IsEditing()) LoadFromData();
  TAQVTableGrid::focusInEvent(e);
}

}  // namespace aqv
