#include "app/gui/AQVTimeUnitsPopupMenu.h"

#include "model/AQVData.h"
#include "platform/GuardedCall.h"

namespace aqv {

TAQVTimeUnitsPopupMenu::TAQVTimeUnitsPopupMenu(QWidget* parent) : QMenu(parent) {
  setObjectName(QStringLiteral("TimeUnitsPopupMenu"));
  const struct {
    const char* Name;
    const char* Caption;
  } items[] = {{"poSeconds", "Seconds"},
               {"poMinutes", "Minutes"},
               {"poHours", "Hours"},
               {"poDays", "Days"},
               {"poYears", "Years"}};
  int index = 0;
  for (const auto& item : items) {
    QAction* action = addAction(QString::fromLatin1(item.Caption));
    action->setObjectName(QString::fromLatin1(item.Name));
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, index] { ItemClick(index); });
    ++index;
  }
}

void TAQVTimeUnitsPopupMenu::UpdateChecks() {
  for (QAction* action : actions()) action->setChecked(false);
  if (mData) {
    if (QAction* item = Item(static_cast<int>(mData->TimeUnit()))) item->setChecked(true);
  }
}

void TAQVTimeUnitsPopupMenu::Popup(const QPoint& globalPos) {
  UpdateChecks();
  popup(globalPos);
}

void TAQVTimeUnitsPopupMenu::ItemClick(int index) {
  if (!mData) return;
  TAQVData& data = *mData;
  GuardedCall(data.UserInterface(), [&] { data.SetTimeUnit(static_cast<TAQVTimeUnit>(index)); });
  UpdateChecks();
}

}  // namespace aqv
