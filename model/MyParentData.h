#pragma once

#include <cstdint>
#include <string>

#include "chart/NotifyEvent.h"

namespace aqv {

// The five input tables; each input grid passes its kind with every cell it hands over.
enum class TAQVGridKind : std::uint8_t {
  gkConductivities = 0,  // aquifer system (layers)
  gkPumpingWells = 1,
  gkPumpingPeriods = 2,
  gkObservationWells = 3,
  gkObservations = 4,
};

// The data model as the input grids know it: a change event, the refresh-everything flag and
// the cell operations. Every operation is empty here; the document overrides them.
class TMyParentData : public TObject {
 public:
  TMyParentData() = default;
  TMyParentData(const TMyParentData&) = delete;
  TMyParentData& operator=(const TMyParentData&) = delete;
  ~TMyParentData() override = default;

  virtual void ResetToDefaults() {}
  // Stores one cell given as display text and announces the change.
  virtual void SetCellText(int aCol, int aRow, const std::string& value, TAQVGridKind kind) {
    (void)aCol, (void)aRow, (void)value, (void)kind;
  }
  // The same; with notify false the change is announced later by one Changed().
  virtual void SetCell(int aCol, int aRow, const std::string& value, TAQVGridKind kind,
                       bool notify) {
    (void)aCol, (void)aRow, (void)value, (void)kind, (void)notify;
  }
  // Announces a completed change, such as a paste of many cells.
  virtual void Changed() {}

  TNotifyEvent OnChange;
  // Set when every input page and grid of the document window must be refreshed; nothing
  // clears it once a document has been reset.
  bool AllChanged = false;
};

}  // namespace aqv
