#include "app/gui/AQVLengthUnitsPopupMenu.h"

#include "model/AQVData.h"
#include "platform/GuardedCall.h"

namespace aqv {

TAQVLengthUnitsPopupMenu::TAQVLengthUnitsPopupMenu(QWidget* parent) : QMenu(parent) {
  setObjectName(QStringLiteral("LengthUnitsPopupMenu"));
  const struct {
    const char* Name;
    const char* Caption;
  } items[] = {{"poFeet", "Feet"}, {"poMeters", "Meters"}};
  int index = 0;
  for (const auto& item : items) {
    QAction* action = addAction(QString::fromLatin1(item.Caption));
    action->setObjectName(QString::fromLatin1(item.Name));
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, index] { ItemClick(index); });
    ++index;
  }
}

void TAQVLengthUnitsPopupMenu::UpdateChecks() {
  for (QAction* action : actions()) action->setChecked(false);
  if (mData) {
    if (QAction* item = Item(static_cast<int>(mData->LengthUnit()))) item->setChecked(true);
  }
}

void TAQVLengthUnitsPopupMenu::Popup(const QPoint& globalPos) {
  UpdateChecks();
  popup(globalPos);
}

void TAQVLengthUnitsPopupMenu::ItemClick(int index) {
  if (!mData) return;
  TAQVData& data = *mData;
  GuardedCall(data.UserInterface(),
              [&] { data.SetLengthUnit(static_cast<TAQVLengthUnit>(index)); });
  UpdateChecks();
}

}  // namespace aqv
