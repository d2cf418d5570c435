#include "app/gui/AQVPumpingPeriodsGrid.h"

#include "model/AQVData.h"

namespace aqv {

TAQVPumpingPeriodsGrid::TAQVPumpingPeriodsGrid(QWidget* parent)
    : TAQVTableGrid(kPumpingColours, parent) {
  SetKind(TAQVGridKind::gkPumpingPeriods);
  SetColCount(4);
  SetRowCount(1 + 100);
  SetColumns({{"No.", 24}, {"Include", 48}, {"Starting time [d]", 120}, {"Discharge [m³/d]", 120}});
  SetCurrentCell(2, 1);
}

int TAQVPumpingPeriodsGrid::TableCount() const {
  const TAQVData* d = Document();
  return d ? d->PumpingWells[d->CurrentPumpingWell()].PeriodCount() : 0;
}

bool TAQVPumpingPeriodsGrid::IsIncluded(int row) const {
  const TAQVData* d = Document();
  return d && row >= 1 && row <= kMaxPeriods &&
         d->PumpingWells[d->CurrentPumpingWell()].Included[row];
}

void TAQVPumpingPeriodsGrid::Toggle(int row) {
  if (Document()) Document()->TogglePumpingPeriod(row);
}

bool TAQVPumpingPeriodsGrid::InsertTableRows(int first, int count) {
  return Document()->InsertPumpingPeriods(first, count);
}

bool TAQVPumpingPeriodsGrid::DeleteTableRows(int first, int count) {
  return Document()->DeletePumpingPeriods(first, count);
}

void TAQVPumpingPeriodsGrid::FillFromData(TAQVData* d) {
  const std::string& t = d->TimeUnitLabel();
  SetCells(2, 0, "Starting time [" + t + "]");
  SetCells(3, 0, "Discharge [" + d->LengthUnitLabel() + "³/" + t + "]");
  const TPumpingWell& w = d->PumpingWells[d->CurrentPumpingWell()];
  const int n = w.PeriodCount();
  SetRowCount(1 + std::max(1, n));
  for (int k = 1; k <= n; ++k) {
    SetCells(0, k, std::to_string(k));
    SetCells(2, k, GridNumber(7, 1e5, w.StartTime[k] * d->TimeFactor()));
    SetCells(3, k, GridNumber(7, 1e5, w.Discharge[k] * d->LengthFactorCubed() / d->TimeFactor()));
  }
}

bool TAQVPumpingPeriodsGrid::CanEditShow(int col, int row) {
  return !Document() || (col >= 2 && row <= TableCount() + 1);
}

bool TAQVPumpingPeriodsGrid::SelectCell(int col, int row) {
  return row >= 1 && col >= 1;
}

bool TAQVPumpingPeriodsGrid::IsValidCell(int col, int row, bool flag, const std::string& text) {
  bool ok = TMyParentGrid::IsValidCell(col, row, flag, text);
  Globals().DataErrorText = "Invalid value!";
  const TAQVData* d = Document();
  double v = 0;
  switch (col) {
    case 1:
      ok = true;
      break;
    case 2:
      ok = TryStrToFloatValue(text, v) && (!d || d->CheckPeriodStartTime(row, v));
      break;
    case 3:
      ok = TryStrToFloatValue(text, v);
      break;
    default:
      break;
  }
  return FinishCheck(ok, flag);
}

bool TAQVPumpingPeriodsGrid::AllCellsValid() {
  mAllValid = true;
  for (int c = 2; c <= 3; ++c)
    for (int r = 1; r < RowCount(); ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  return mAllValid;
}

}  // namespace aqv
