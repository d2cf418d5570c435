#include "app/gui/AQVSelectionGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/gui/AQVTableGrid.h"
#include "controls/MyColorgrd.h"
#include "model/AQVData.h"

namespace aqv {

// The cells of the selection grid have no data of their own: everything is drawn from the
// grid's records.
class TSelectionCells final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void SetSize(int rows, int cols) {
    beginResetModel();
    mRows = rows;
    mCols = cols;
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : mRows;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : mCols;
  }
  QVariant data(const QModelIndex&, int) const override { return {}; }

 private:
  int mRows = 0;
  int mCols = 0;
};

namespace {

constexpr int kCellSize = 24;  // default row height; columns are as wide
constexpr int kMinHeaderHeight = 50;
constexpr int kMaxHeaderHeight = 200;

QFont GridFont() {
  QFont font("Arial");
  font.setPixelSize(12);
  return font;
}

class TSelectionHeader final : public QHeaderView {
 public:
  TSelectionHeader(Qt::Orientation orientation, TAQVSelectionGrid& grid)
      : QHeaderView(orientation, &grid), mGrid(grid) {}

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().mid().color());
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->setPen(palette().buttonText().color());
    painter->setFont(GridFont());
    if (orientation() == Qt::Horizontal)
      mGrid.DrawTitle(*painter, rect, logicalIndex + 1);
    else
      mGrid.DrawLayer(*painter, rect, logicalIndex + 1);
    painter->restore();
  }

 private:
  TAQVSelectionGrid& mGrid;
};

class TSelectionDelegate final : public QStyledItemDelegate {
 public:
  explicit TSelectionDelegate(TAQVSelectionGrid& grid) : QStyledItemDelegate(&grid), mGrid(grid) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    mGrid.DrawData(*painter, option.rect, index.column() + 1, index.row() + 1);
    painter->restore();
  }

 private:
  TAQVSelectionGrid& mGrid;
};

}  // namespace

TAQVSelectionGrid::TAQVSelectionGrid(QWidget* parent)
    : QTableView(parent), mCells(new TSelectionCells(this)) {
  setModel(mCells);
  setHorizontalHeader(new TSelectionHeader(Qt::Horizontal, *this));
  setVerticalHeader(new TSelectionHeader(Qt::Vertical, *this));
  setItemDelegate(new TSelectionDelegate(*this));
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(8);
    header->setDefaultSectionSize(kCellSize);
    header->setSectionsClickable(false);
  }
  setFont(GridFont());
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
  setCornerButtonEnabled(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The corner above the layer titles is white.
  setStyleSheet("QTableCornerButton::section { background: white; border: none; }");
}

TCellRecord& TAQVSelectionGrid::Record(int c, int r) {
  return mRecords[static_cast<std::size_t>((r - 1) * CurveCount() + (c - 1))];
}

const TCellRecord& TAQVSelectionGrid::Cell(int c, int r) const {
  return mRecords[static_cast<std::size_t>((r - 1) * CurveCount() + (c - 1))];
}

QString TAQVSelectionGrid::CurveName(int c) const {
  const auto k = static_cast<std::size_t>(c - 1);
  if (mData && k < mData->CurveNames.size() && !mData->CurveNames[k].empty())
    return QString::fromStdString(mData->CurveNames[k]);
  // Before the first computation the table is empty; the curve's well gives the name.
  if (!mData) return {};
  const int w = CurveOfColumn(c);
  if (mData->WellFluxMode())
    return w <= kMaxPumpingWells ? QString::fromStdString(mData->PumpingWells[w].Name) : "";
  return w <= kMaxObservationWells ? QString::fromStdString(mData->ObservationWells[w].Name) : "";
}

void TAQVSelectionGrid::LoadFromData() {
  if (!mData) return;
  mSelectedCount = 0;
  mCurves.clear();
  // The set has room for 255 curves; the tables hold far fewer wells.
  const int wells = mData->WellFluxMode() ? kMaxPumpingWells : kMaxObservationWells;
  for (int w = 1; w <= wells; ++w)
    if (mData->SelectedCurves.test(static_cast<std::size_t>(w))) mCurves.push_back(w);
  mLayerCount = mData->AquiferCount();
  mRecords.assign(static_cast<std::size_t>(CurveCount() * mLayerCount), TCellRecord());
  for (int c = 1; c <= CurveCount(); ++c) {
    const int w = CurveOfColumn(c);
    const TByteSet layers = mData->CurveLayerSet(w);
    for (int r = 1; r <= mLayerCount; ++r) {
      TCellRecord& cell = Record(c, r);
      cell.Selected = r <= 7 && layers.Contains(r);
      if (cell.Selected) ++mSelectedCount;
      cell.Color = mData->GetCurveColor(w, r);
    }
  }
  const QFontMetrics metrics(GridFont());
  mHeaderHeight = kMinHeaderHeight;
  for (int c = 1; c <= CurveCount(); ++c)
    mHeaderHeight = std::max(mHeaderHeight, metrics.horizontalAdvance(CurveName(c)) + 10);
  mHeaderHeight = std::min(mHeaderHeight, kMaxHeaderHeight);
  mCells->SetSize(mLayerCount, CurveCount());
  horizontalHeader()->setFixedHeight(mHeaderHeight);
  verticalHeader()->setFixedWidth(metrics.horizontalAdvance("Layer 999"));
  FitSize();
}

void TAQVSelectionGrid::FitSize() {
  const int rows = std::min(mLayerCount, kMaxVisible);
  const int cols = std::min(CurveCount(), kMaxVisible);
  int height = mHeaderHeight + (kCellSize + 1) * rows + 4;
  int width = verticalHeader()->width() + (kCellSize + 1) * cols + 4;
  const bool rowsHidden = mLayerCount > kMaxVisible;
  const bool colsHidden = CurveCount() > kMaxVisible;
  setVerticalScrollBarPolicy(rowsHidden ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(colsHidden ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if (rowsHidden) width += verticalScrollBar()->sizeHint().width();
  if (colsHidden) height += horizontalScrollBar()->sizeHint().height();
  setFixedSize(width, height);
}

void TAQVSelectionGrid::SaveToData() {
  if (!mData) return;
  for (int c = 1; c <= CurveCount(); ++c) {
    const int w = CurveOfColumn(c);
    for (int r = 1; r <= mLayerCount; ++r) {
      const TCellRecord& cell = Cell(c, r);
      auto apply = [&](TCurveStyles& styles, TByteSet& layers) {
        styles.CurveColor[r] = cell.Color;
        if (r > 7) return;
        if (cell.Selected)
          layers.Include(r);
        else
          layers.Exclude(r);
      };
      if (mData->WellFluxMode()) {
        if (w <= kMaxPumpingWells) apply(mData->PumpingWells[w], mData->PumpingWells[w].LayerSet);
        continue;
      }
      if (w > kMaxObservationWells) continue;
      TObservationWell& well = mData->ObservationWells[w];
      apply(well, well.LayerSet);
      // Wells at the same place share the curve.
      for (int i = 1; i <= std::min(7, kMaxObservationWells); ++i)
        if (i != w && well.CoincidentSet.Contains(i))
          apply(mData->ObservationWells[i], mData->ObservationWells[i].LayerSet);
    }
  }
}

void TAQVSelectionGrid::Reset() {
  if (!mData) return;
  if (mData->UserInterface().MessageBox("Reset curve selection?", TMsgDlgType::mtWarning,
                                        TMsgDlgButtons::mbOKCancel) != TModalResult::mrOK)
    return;
  mData->AssignCurveStyles();
  LoadFromData();
}

void TAQVSelectionGrid::mousePressEvent(QMouseEvent* e) {
  const QModelIndex index = indexAt(e->position().toPoint());
  e->accept();
  if (!mData) return;
  if (!mColorGrid) {
    mData->UserInterface().MessageBox("No color grid specified!", TMsgDlgType::mtError,
                                      TMsgDlgButtons::mbOK);
    return;
  }
  if (!index.isValid()) return;
  TCellRecord& cell = Record(index.column() + 1, index.row() + 1);
  if (e->button() == Qt::LeftButton) {
    if (!cell.Selected && mSelectedCount >= kMaxSelectedCells) {
      mData->UserInterface().MessageBox(
          "The maximum number of curves is " + std::to_string(kMaxSelectedCells) + ".",
          TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    } else if (!cell.Selected) {
      cell.Selected = true;
      ++mSelectedCount;
    }
    cell.Color = mColorGrid->ForegroundColor();
    mData->SetModified(true);
  } else if (e->button() == Qt::RightButton && cell.Selected) {
    cell.Selected = false;
    --mSelectedCount;
    mData->SetModified(true);
  }
  viewport()->update();
}

// --- Drawing -----------------------------------------------------------------------------------

void TAQVSelectionGrid::DrawTitle(QPainter& painter, const QRect& rect, int c) const {
  if (!mData || c > CurveCount()) return;
  // Written upwards, centred on the column, from 10 pixels above the bottom.
  const QString name = CurveName(c);
  const QFontMetrics metrics(painter.font());
  painter.translate(rect.center().x() + (metrics.ascent() - metrics.descent()) / 2,
                    rect.bottom() - 10);
  painter.rotate(-90);
  painter.drawText(0, 0, name);
}

void TAQVSelectionGrid::DrawLayer(QPainter& painter, const QRect& rect, int r) const {
  if (!mData) return;
  const QFontMetrics metrics(painter.font());
  painter.drawText(rect.left() + 10, rect.bottom() - 6 - metrics.height() + metrics.ascent(),
                   QStringLiteral("Layer %1").arg(r));
}

void TAQVSelectionGrid::DrawData(QPainter& painter, const QRect& rect, int c, int r) const {
  painter.fillRect(rect, Qt::white);
  if (!mData || c > CurveCount() || r > mLayerCount) return;
  const TCellRecord& cell = Cell(c, r);
  if (cell.Selected) {
    painter.fillRect(rect, ToQColor(cell.Color));
    return;
  }
  painter.setPen(Qt::black);
  painter.drawLine(rect.topLeft(), rect.bottomRight());
  painter.drawLine(rect.bottomLeft(), rect.topRight());
}

}  // namespace aqv
