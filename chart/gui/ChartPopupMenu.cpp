#include "chart/gui/ChartPopupMenu.h"

#include "chart/gui/MyChart.h"
#include "platform/GuardedCall.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {

constexpr int kItemCount = 12;
constexpr int kSeriesItem = 9;

// Captions of items 2..9, set before every popup.
constexpr const char* kFormatCaptions[8] = {"Chart area...",   "Chart title...",  "Legend...",
                                            "X-Axis...",       "X-Axis title...", "Y-Axis...",
                                            "Y-Axis title...", "Series..."};

}  // namespace

TChartPopupMenu::TChartPopupMenu(TMyChart* chart) : QMenu(chart), mChart(chart) {
  setObjectName(QStringLiteral("PopupMenu"));
  for (int i = 0; i < kItemCount; ++i) {
    QAction* action = addAction(QString());
    if (i == 1 || i == 10) {
      action->setSeparator(true);
      action->setObjectName(i == 1 ? QStringLiteral("poFormatItem_1")
                                   : QStringLiteral("poSeparator"));
      continue;
    }
    if (i == 11) {
      action->setText(QStringLiteral("Chart options..."));
      action->setObjectName(QStringLiteral("poChartOptions"));
      connect(action, &QAction::triggered, this, [this] {
        TQtUserInterface ui(mChart);
        GuardedCall(ui, [this] { mChart->ChartOptionsClick(); });
      });
      continue;
    }
    action->setObjectName(QStringLiteral("poFormatItem_%1").arg(i));
    if (i == 0) action->setText(QStringLiteral("Select curves..."));
    connect(action, &QAction::triggered, this, [this, i] {
      TQtUserInterface ui(mChart);
      GuardedCall(ui, [this, i] { mChart->FormatItemClick(i); });
    });
  }
  Prepare();
}

QAction* TChartPopupMenu::Item(int position) const {
  const QList<QAction*> items = actions();
  return position >= 0 && position < items.size() ? items[position] : nullptr;
}

void TChartPopupMenu::Prepare() {
  for (int i = 2; i <= kSeriesItem; ++i)
    Item(i)->setText(QString::fromLatin1(kFormatCaptions[i - 2]));
  Item(kSeriesItem)->setEnabled(mChart->GetSeriesCount() > 0);
}

}  // namespace aqv
