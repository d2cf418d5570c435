#pragma once

#include <QMenu>

namespace aqv {

class TAQVData;

// The status bar's popup menu of the document's display time unit (seconds to years): one checkable
// item per unit, the item's index being the unit's number. Choosing an item sets the unit of Data
// (not owned; nullptr: the items do nothing).
class TAQVTimeUnitsPopupMenu : public QMenu {
  Q_OBJECT

 public:
  explicit TAQVTimeUnitsPopupMenu(QWidget* parent = nullptr);

  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }
  // Checks the item of the document's current unit and pops up at globalPos.
  void Popup(const QPoint& globalPos);
  // Unchecks every item and checks the document's unit.
  void UpdateChecks();
  QAction* Item(int index) const { return actions().value(index); }

 private:
  void ItemClick(int index);
  TAQVData* mData = nullptr;
};

}  // namespace aqv
