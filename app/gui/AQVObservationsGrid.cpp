#include "app/gui/AQVObservationsGrid.h"

#include "model/AQVData.h"

namespace aqv {

TAQVObservationsGrid::TAQVObservationsGrid(QWidget* parent)
    : TAQVTableGrid(kObservationColours, parent) {
  SetKind(TAQVGridKind::gkObservations);
  SetColCount(4);
  SetRowCount(1 + 1000);
  SetColumns({{"No.", 24}, {"Include", 48}, {"Time", 120}, {"Drawdown [m]", 120}});
  SetCurrentCell(2, 1);
}

int TAQVObservationsGrid::TableCount() const {
  const TAQVData* d = Document();
  return d ? d->ObservationWells[d->CurrentObservationWell()].ObservationCount() : 0;
}

bool TAQVObservationsGrid::IsIncluded(int row) const {
  const TAQVData* d = Document();
  return d && row >= 1 && row <= kMaxObservations &&
         d->ObservationWells[d->CurrentObservationWell()].Included[row];
}

void TAQVObservationsGrid::Toggle(int row) {
  if (Document()) Document()->ToggleObservation(row);
}

bool TAQVObservationsGrid::InsertTableRows(int first, int count) {
  return Document()->InsertObservations(first, count);
}

bool TAQVObservationsGrid::DeleteTableRows(int first, int count) {
  return Document()->DeleteObservations(first, count);
}

void TAQVObservationsGrid::FillFromData(TAQVData* d) {
  const std::string& t = d->TimeUnitLabel();
  SetCells(2, 0, "Time [" + t + "]");
  SetCells(3, 0, "Drawdown [" + d->LengthUnitLabel() + "]");
  const TObservationWell& w = d->ObservationWells[d->CurrentObservationWell()];
  const int n = w.ObservationCount();
  SetRowCount(1 + std::max(1, n));
  for (int k = 1; k <= n; ++k) {
    SetCells(0, k, std::to_string(k));
    SetCells(2, k, GridNumber(7, 1e5, w.Time[k] * d->TimeFactor()));
    SetCells(3, k, GridNumber(7, 1e5, w.Observed[k] * d->LengthFactor()));
  }
}

bool TAQVObservationsGrid::CanEditShow(int col, int row) {
  return !Document() || (col >= 2 && row <= TableCount() + 1);
}

bool TAQVObservationsGrid::SelectCell(int col, int row) {
  return row >= 1 && col >= 1;
}

bool TAQVObservationsGrid::IsValidCell(int col, int row, bool flag, const std::string& text) {
  bool ok = TMyParentGrid::IsValidCell(col, row, flag, text);
  Globals().DataErrorText = "Invalid value!";
  const TAQVData* d = Document();
  double v = 0;
  switch (col) {
    case 1:
      ok = true;
      break;
    case 2:
      ok = TryStrToFloatValue(text, v) && (!d || d->CheckObservationTime(v));
      break;
    case 3:
      ok = TryStrToFloatValue(text, v);
      break;
    default:
      break;
  }
  return FinishCheck(ok, flag);
}

bool TAQVObservationsGrid::AllCellsValid() {
  mAllValid = true;
  for (int c = 2; c <= 3; ++c)
    for (int r = 1; r < RowCount(); ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  return mAllValid;
}

}  // namespace aqv
