#include <algorithm>

#include "model/AQVData.h"

namespace aqv {

namespace {

bool Refuse(std::string message) {
  Globals().DataErrorText = std::move(message);
  return false;
}

std::string InsertRefusal(const char* what, const char* plural, int capacity) {
  return std::string("Can not insert ") + what + "! Maximum number of " + plural + " is " +
         std::to_string(capacity) + ".";
}

const char* const kDeleteAquifersRefusal =
    "Can not delete aquifer! Minimum number of aquifers is 1.";
const char* const kDeleteObservationWellsRefusal =
    "Can not delete observation well(s)! Minimum number of observation wells is 1.";
const char* const kDeleteObservationsRefusal =
    "Can not delete observation(s)! Minimum number of observations is 1.";
const char* const kDeletePeriodsRefusal =
    "Can not delete pumping period(s)! Minimum number of pumping periods is 1.";
const char* const kDeletePumpingWellsRefusal =
    "Can not delete pumping well(s)! Minimum number of pumping wells is 1.";

// A deletion of rows first..first+count-1 from a table of m rows is refused when it starts
// outside the table or would leave it empty; a range that runs past the end is cut to the
// rows that exist. Returns the number of rows to delete, 0 for a refusal.
int RowsToDelete(int first, int count, int m) {
  if (first < 1 || first > m || count < 1) return 0;
  count = std::min(count, m - first + 1);
  return m - count < 1 ? 0 : count;
}

// Whether count rows may be inserted into a table of m rows with the given capacity; written
// so that no sum can overflow.
bool MayInsert(int first, int count, int m, int capacity) {
  return first >= 1 && count >= 1 && count <= capacity - m;
}

void MoveObservation(TObservationWell& well, int to, int from) {
  well.Time[to] = well.Time[from];
  well.Observed[to] = well.Observed[from];
  well.Computed[to] = well.Computed[from];
  well.Included[to] = well.Included[from];
}

void MovePeriod(TPumpingWell& well, int to, int from) {
  well.StartTime[to] = well.StartTime[from];
  well.Discharge[to] = well.Discharge[from];
  well.Included[to] = well.Included[from];
}

}  // namespace

bool TAQVData::RowsChanged() {
  AllChanged = true;
  SetModified(true);
  Saved = false;
  Notify();
  return true;
}

// --- Aquifer system ------------------------------------------------------------------------

bool TAQVData::DeleteAquifers(int row, int count) {
  if (row < 1 || row > RowCount() || count < 1 || count > mAquiferCount - 1)
    return Refuse(kDeleteAquifersRefusal);
  mSelectedRow = row;
  SetAquiferCount(mAquiferCount - count);
  return RowsChanged();
}

bool TAQVData::InsertAquifers(int row, int count) {
  const std::string refusal = InsertRefusal("aquifer(s)", "aquifers", kMaxAquifers);
  if (row < 1) return Refuse(refusal);
  // The grid's selected row is kept even when the insertion is refused.
  mSelectedRow = row;
  if (!MayInsert(row, count, mAquiferCount, kMaxAquifers)) return Refuse(refusal);
  SetAquiferCount(mAquiferCount + count);
  return RowsChanged();
}

// --- Observations of the current observation well -------------------------------------------

bool TAQVData::DeleteObservations(int first, int count) {
  TObservationWell& well = ObservationWells[mCurrentObservationWell];
  const int m = well.ObservationCount();
  count = RowsToDelete(first, count, m);
  if (count == 0) return Refuse(kDeleteObservationsRefusal);
  for (int i = first; i <= m - count; ++i) MoveObservation(well, i, i + count);
  SetObservationCount(mCurrentObservationWell, m - count);
  return RowsChanged();
}

bool TAQVData::InsertObservations(int first, int count) {
  TObservationWell& well = ObservationWells[mCurrentObservationWell];
  const int m = well.ObservationCount();
  if (!MayInsert(first, count, m, kMaxObservations))
    return Refuse(InsertRefusal("observation(s)", "observations", kMaxObservations));
  first = std::min(first, m + 1);
  for (int i = m; i >= first; --i) MoveObservation(well, i + count, i);
  for (int i = first; i < first + count; ++i) {
    well.Time[i] = 0;
    well.Observed[i] = 0;
    well.Computed[i] = 0;
    well.Included[i] = true;
  }
  SetObservationCount(mCurrentObservationWell, m + count);
  return RowsChanged();
}

// --- Pumping periods of the current pumping well -------------------------------------------

bool TAQVData::DeletePumpingPeriods(int first, int count) {
  TPumpingWell& well = PumpingWells[mCurrentPumpingWell];
  const int m = well.PeriodCount();
  count = RowsToDelete(first, count, m);
  if (count == 0) return Refuse(kDeletePeriodsRefusal);
  const int current = mCurrentPumpingWell;
  if (LosesAllPumping(
          [&](int w, int k) { return w != current || k < first || k >= first + count; }))
    return Refuse(kNoPumpingIncludedText);
  for (int i = first; i <= m - count; ++i) MovePeriod(well, i, i + count);
  well.SetPeriodCount(m - count);
  return RowsChanged();
}

bool TAQVData::InsertPumpingPeriods(int first, int count) {
  TPumpingWell& well = PumpingWells[mCurrentPumpingWell];
  const int m = well.PeriodCount();
  if (!MayInsert(first, count, m, kMaxPeriods))
    return Refuse(InsertRefusal("pumping period(s)", "pumping periods", kMaxPeriods));
  first = std::min(first, m + 1);
  for (int i = m; i >= first; --i) MovePeriod(well, i + count, i);
  // The new periods keep the values the move left in their places.
  for (int i = first; i < first + count; ++i) well.Included[i] = true;
  well.SetPeriodCount(m + count);
  return RowsChanged();
}

// --- Pumping wells -------------------------------------------------------------------------

void TAQVData::CopyPumpingWell(int target, int source) {
  if (target < 1 || target > kMaxPumpingWells || source < 1 || source > kMaxPumpingWells ||
      target == source)
    return;
  TPumpingWell& to = PumpingWells[target];
  const TPumpingWell& from = PumpingWells[source];
  to.Name = from.Name;
  to.X = from.X;
  to.Y = from.Y;
  to.Screened = from.Screened;
  to.Rc = from.Rc;
  to.Rw = from.Rw;
  to.Skin = from.Skin;
  to.RcCode = from.RcCode;
  to.RwCode = from.RwCode;
  to.SkinCode = from.SkinCode;
  to.SetPeriodCount(from.PeriodCount());
  to.StartTime = from.StartTime;
  to.Discharge = from.Discharge;
  to.Included = from.Included;
  to.LayerSet = from.LayerSet;
}

bool TAQVData::DeletePumpingWells(int first, int count) {
  const int m = mPumpingWellCount;
  count = RowsToDelete(first, count, m);
  if (count == 0) return Refuse(kDeletePumpingWellsRefusal);
  if (LosesAllPumping([&](int w, int) { return w < first || w >= first + count; }))
    return Refuse(kNoPumpingIncludedText);
  for (int i = first; i <= m - count; ++i) CopyPumpingWell(i, i + count);
  SetPumpingWellCount(m - count);
  ComputeWellCentre();
  ComputeMapDefaults();
  SelectCurves();
  AssignCurveStyles();
  return RowsChanged();
}

bool TAQVData::InsertPumpingWells(int first, int count) {
  const int m = mPumpingWellCount;
  if (!MayInsert(first, count, m, kMaxPumpingWells))
    return Refuse(InsertRefusal("pumping well(s)", "pumping wells", kMaxPumpingWells));
  first = std::min(first, m + 1);
  for (int i = m; i >= first; --i) CopyPumpingWell(i + count, i);
  SetPumpingWellCount(m + count);
  ComputeWellCentre();
  ComputeMapDefaults();
  SelectCurves();
  AssignCurveStyles();
  return RowsChanged();
}

// --- Observation wells ---------------------------------------------------------------------

void TAQVData::CopyObservationWell(int target, int source) {
  if (target < 1 || target > kMaxObservationWells || source < 1 || source > kMaxObservationWells ||
      target == source)
    return;
  TObservationWell& to = ObservationWells[target];
  const TObservationWell& from = ObservationWells[source];
  to.Name = from.Name;
  to.X = from.X;
  to.Y = from.Y;
  to.Layer = from.Layer;
  to.Rc = from.Rc;
  to.Rw = from.Rw;
  to.Skin = from.Skin;
  to.Time = from.Time;
  to.Observed = from.Observed;
  to.Computed = from.Computed;
  to.Included = from.Included;
  to.LayerSet = from.LayerSet;
  SetObservationCount(target, from.ObservationCount());
}

bool TAQVData::DeleteObservationWells(int first, int count) {
  const int m = mObservationWellCount;
  count = RowsToDelete(first, count, m);
  if (count == 0) return Refuse(kDeleteObservationWellsRefusal);
  for (int i = first; i <= m - count; ++i) CopyObservationWell(i, i + count);
  SetObservationWellCount(m - count);
  GroupCoincidentWells();
  SelectCurves();
  CollectIncludedObservations();
  AssignCurveStyles();
  return RowsChanged();
}

bool TAQVData::InsertObservationWells(int first, int count) {
  const int m = mObservationWellCount;
  if (!MayInsert(first, count, m, kMaxObservationWells))
    return Refuse(InsertRefusal("observation well(s)", "observation wells", kMaxObservationWells));
  first = std::min(first, m + 1);
  for (int i = m; i >= first; --i) CopyObservationWell(i + count, i);
  SetObservationWellCount(m + count);
  GroupCoincidentWells();
  SelectCurves();
  CollectIncludedObservations();
  AssignCurveStyles();
  return RowsChanged();
}

}  // namespace aqv
