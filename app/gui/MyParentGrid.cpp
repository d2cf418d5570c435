#include "app/gui/MyParentGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "controls/MySpin.h"
#include "model/AQVData.h"
#include "model/AQVElements.h"
#include "platform/QtUserInterface.h"

namespace aqv {

bool TryStrToFloatValue(const std::string& s, double& value) {
  return TryStrToFloat(s, value, Globals().DecimalSeparator);
}

bool TryStrToIntValue(const std::string& s, int& value) {
  return TryStrToInt(s, value);
}

namespace {

constexpr const char* kInvalidValueText = "Invalid value!";

std::string ToStd(const QString& text) {
  return text.toStdString();
}
QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

// Paints through the grid and gives it the grid's own editor. Committing and closing is the
// grid's business, so none of the default key and focus handling of the editor runs here.
class TGridDelegate final : public QStyledItemDelegate {
 public:
  explicit TGridDelegate(TMyParentGrid& grid) : QStyledItemDelegate(&grid), mGrid(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    return new TGridEditor(mGrid, parent);
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    // The model changes at every keystroke; only the first call fills the editor.
    auto* e = static_cast<TGridEditor*>(editor);
    if (e->Loaded) return;
    e->Loaded = true;
    e->setText(index.data(Qt::EditRole).toString());
    e->selectAll();
    mGrid.EditorOpened(*e);
  }
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    mGrid.PaintCell(*painter, option, index);
  }

 protected:
  bool eventFilter(QObject*, QEvent*) override { return false; }

 private:
  TMyParentGrid& mGrid;
};

// Lets the grid refuse a change of the current cell, whatever asked for it.
class TGridSelectionModel final : public QItemSelectionModel {
 public:
  TGridSelectionModel(QAbstractItemModel* model, TMyParentGrid& grid)
      : QItemSelectionModel(model, &grid), mGrid(grid) {}
  void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
    // Persistent: accepting may store the edited cell and reload the grid.
    const QPersistentModelIndex target(index);
    if (!mGrid.AcceptCurrentChange(index)) return;
    if (index.isValid() && !target.isValid()) return;
    QItemSelectionModel::setCurrentIndex(target, command);
  }

 private:
  TMyParentGrid& mGrid;
};

}  // namespace

// --- TGridCells ------------------------------------------------------------------------------

void TGridCells::SetColCount(int count) {
  count = std::max(1, count);
  if (count == mColCount) return;
  std::vector<QString> texts(static_cast<std::size_t>(count * mRowCount));
  for (int r = 0; r < mRowCount; ++r)
    for (int c = 0; c < std::min(count, mColCount); ++c)
      texts[static_cast<std::size_t>(r * count + c)] = Cell(c, r);
  if (count > mColCount) {
    beginInsertColumns({}, mColCount, count - 1);
    mTexts.swap(texts);
    mColCount = count;
    endInsertColumns();
  } else {
    beginRemoveColumns({}, count, mColCount - 1);
    mTexts.swap(texts);
    mColCount = count;
    endRemoveColumns();
  }
}

void TGridCells::SetRowCount(int count) {
  count = std::max(2, count);
  if (count == mRowCount) return;
  if (count > mRowCount) {
    beginInsertRows({}, mRowCount - 1, count - 2);
    mTexts.resize(static_cast<std::size_t>(count * mColCount));
    mRowCount = count;
    endInsertRows();
  } else {
    beginRemoveRows({}, count - 1, mRowCount - 2);
    mTexts.resize(static_cast<std::size_t>(count * mColCount));
    mRowCount = count;
    endRemoveRows();
  }
}

const QString& TGridCells::Cell(int col, int row) const {
  static const QString kEmpty;
  if (col < 0 || col >= mColCount || row < 0 || row >= mRowCount) return kEmpty;
  return mTexts[static_cast<std::size_t>(row * mColCount + col)];
}

void TGridCells::SetCell(int col, int row, const QString& text) {
  if (col < 0 || col >= mColCount || row < 0 || row >= mRowCount) return;
  QString& cell = mTexts[static_cast<std::size_t>(row * mColCount + col)];
  if (cell == text) return;
  cell = text;
  if (row == 0)
    emit headerDataChanged(Qt::Horizontal, col, col);
  else
    emit dataChanged(index(row - 1, col), index(row - 1, col));
}

int TGridCells::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : mRowCount - 1;
}

int TGridCells::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : mColCount;
}

QVariant TGridCells::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return Cell(index.column(), index.row() + 1);
}

bool TGridCells::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  SetCell(index.column(), index.row() + 1, value.toString());
  return true;
}

QVariant TGridCells::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return Cell(section, 0);
}

Qt::ItemFlags TGridCells::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// --- TGridEditor -----------------------------------------------------------------------------

TGridEditor::TGridEditor(TMyParentGrid& grid, QWidget* parent) : QLineEdit(parent), mGrid(&grid) {
  setFrame(false);
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (mGrid) mGrid->EditorTextChanged(text);
  });
}

bool TGridEditor::event(QEvent* e) {
  // Tab would otherwise move the focus to the next widget before the grid could refuse it.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  return QLineEdit::event(e);
}

void TGridEditor::keyPressEvent(QKeyEvent* e) {
  using A = TMyParentGrid::CursorAction;
  if (!mGrid) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  switch (e->key()) {
    case Qt::Key_Escape:
      mGrid->CancelEdit();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // An invalid cell keeps its editor; its message follows once this key is handled.
      (void)mGrid->CommitCell();
      return;
    case Qt::Key_Tab:
      mGrid->LeaveByTab(!(e->modifiers() & Qt::ShiftModifier));
      return;
    case Qt::Key_Backtab:
      mGrid->LeaveByTab(false);
      return;
    case Qt::Key_Up:
      mGrid->MoveFromEditor(A::MoveUp);
      return;
    case Qt::Key_Down:
      mGrid->MoveFromEditor(A::MoveDown);
      return;
    case Qt::Key_PageUp:
      mGrid->MoveFromEditor(A::MovePageUp);
      return;
    case Qt::Key_PageDown:
      mGrid->MoveFromEditor(A::MovePageDown);
      return;
    default:
      break;
  }
  // An arrow leaves the cell only when the caret already stood at that edge of the text, so
  // that the arrow which brings it there (or ends a selection) keeps the edit going.
  const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
  if (plain && !hasSelectedText()) {
    if (e->key() == Qt::Key_Left && cursorPosition() == 0) {
      mGrid->MoveFromEditor(A::MoveLeft);
      return;
    }
    if (e->key() == Qt::Key_Right && cursorPosition() == text().size()) {
      mGrid->MoveFromEditor(A::MoveRight);
      return;
    }
  }
  QLineEdit::keyPressEvent(e);
}

void TGridEditor::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (mGrid) mGrid->EditorFocusLost(*e);
}

// --- TMyParentGrid ---------------------------------------------------------------------------

TMyParentGrid::TMyParentGrid(QWidget* parent) : QTableView(parent), mCells(new TGridCells(this)) {
  mError.Message = kInvalidValueText;
  setModel(mCells);
  QItemSelectionModel* old = selectionModel();
  setSelectionModel(new TGridSelectionModel(mCells, *this));
  delete old;
  setItemDelegate(new TGridDelegate(*this));
  QFont f = font();
  f.setPointSize(10);
  setFont(f);
  // The titles are set a size smaller than the cells so that they fit the columns' widths.
  QFont titleFont = f;
  titleFont.setPointSize(8);
  horizontalHeader()->setFont(titleFont);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(24);
  verticalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setDefaultSectionSize(96);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  // Tab leaves the grid for the next control, as in the other input fields of a page.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
}

TMyParentGrid::~TMyParentGrid() {
  // The editor is destroyed with the grid's children, after this grid's own part is gone.
  if (mEditor) mEditor->Detach();
}

TUserInterface& TMyParentGrid::UserInterface() {
  if (mUserInterface) return *mUserInterface;
  if (auto* document = dynamic_cast<TAQVData*>(mData)) return document->UserInterface();
  if (!mOwnInterface) mOwnInterface = std::make_unique<TQtUserInterface>(this);
  return *mOwnInterface;
}

TModalResult TMyParentGrid::ShowMessage(const std::string& text, TMsgDlgType type,
                                        TMsgDlgButtons buttons) {
  return UserInterface().MessageBox(text, type, buttons);
}

bool TMyParentGrid::FinishCheck(bool ok, bool flag) {
  if (flag) mError.Message = Globals().DataErrorText;
  return ok;
}

// --- The string grid -------------------------------------------------------------------------

std::string TMyParentGrid::Cells(int col, int row) const {
  return ToStd(mCells->Cell(col, row));
}

void TMyParentGrid::SetCells(int col, int row, const std::string& text) {
  mCells->SetCell(col, row, ToQt(text));
  if (row == 0) SetColWidth(col, columnWidth(col));
}

int TMyParentGrid::Col() const {
  return std::max(0, currentIndex().column());
}

int TMyParentGrid::Row() const {
  return currentIndex().isValid() ? currentIndex().row() + 1 : 1;
}

void TMyParentGrid::SetCurrentCell(int col, int row) {
  col = std::clamp(col, 0, ColCount() - 1);
  row = std::clamp(row, 1, RowCount() - 1);
  mSettingCurrent = true;
  setCurrentIndex(mCells->index(row - 1, col));
  mSettingCurrent = false;
}

int TMyParentGrid::DefaultRowHeight() const {
  return verticalHeader()->defaultSectionSize();
}

void TMyParentGrid::SetColWidth(int col, int width) {
  // A caption is never cut off: a unit that makes it longer widens its column.
  const int needed = mCells->Cell(col, 0).isEmpty() ? 0 : horizontalHeader()->sectionSizeHint(col);
  setColumnWidth(col, std::max(width, needed));
}

void TMyParentGrid::SetRowHeight(int row, int height) {
  if (row >= 1) setRowHeight(row - 1, height);
}

// --- Selection and clipboard -----------------------------------------------------------------

TGridRect TMyParentGrid::Selection() const {
  const QModelIndexList indexes = selectionModel()->selectedIndexes();
  TGridRect rect{Col(), Row(), Col(), Row()};
  if (indexes.isEmpty()) return rect;
  rect = {indexes.front().column(), indexes.front().row() + 1, indexes.front().column(),
          indexes.front().row() + 1};
  for (const QModelIndex& i : indexes) {
    rect.Left = std::min(rect.Left, i.column());
    rect.Right = std::max(rect.Right, i.column());
    rect.Top = std::min(rect.Top, i.row() + 1);
    rect.Bottom = std::max(rect.Bottom, i.row() + 1);
  }
  return rect;
}

void TMyParentGrid::SetSelectionRect(const TGridRect& rect) {
  const QModelIndex topLeft = mCells->index(std::max(rect.Top, 1) - 1, std::max(rect.Left, 0));
  const QModelIndex bottomRight = mCells->index(std::min(rect.Bottom, RowCount() - 1) - 1,
                                                std::min(rect.Right, ColCount() - 1));
  selectionModel()->select(QItemSelection(topLeft, bottomRight),
                           QItemSelectionModel::ClearAndSelect);
}

void TMyParentGrid::SelectAll() {
  SetSelectionRect({0, 1, ColCount() - 1, RowCount() - 1});
}

void TMyParentGrid::CopyToClipboard() {
  const TGridRect rect = Selection();
  std::vector<std::vector<std::string>> rows;
  for (int r = rect.Top; r <= rect.Bottom; ++r) {
    std::vector<std::string>& line = rows.emplace_back();
    for (int c = rect.Left; c <= rect.Right; ++c) line.push_back(Cells(c, r));
  }
  QGuiApplication::clipboard()->setText(ToQt(JoinCopyText(rows)));
}

TPasteBlock TMyParentGrid::ClipboardBlock() const {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (!mime || !mime->hasText()) return {};
  return ParsePasteText(ToStd(mime->text()));
}

TPasteCheck TMyParentGrid::PasteCheck() {
  if (dynamic_cast<TAQVData*>(mData)) return {};
  return [this](int c, int r, const std::string& t) { return IsValidCell(c, r, true, t); };
}

bool TMyParentGrid::PasteResultHolds(const TPastePlan& plan, const std::function<bool()>& addRows) {
  auto* document = dynamic_cast<TAQVData*>(mData);
  if (!document) return true;
  const TPastePlan judged = JudgeInTrial(*document, plan, addRows);
  if (IsSuccess(judged.Status)) return true;
  ShowPasteRefusal(judged);
  return false;
}

void TMyParentGrid::ShowPasteRefusal(const TPastePlan& plan) {
  const int col = plan.FirstInvalid.Col;
  const std::string title = col >= 0 && col < ColCount() ? Cells(col, 0) : std::string();
  ShowMessage(ToText(plan, title), TMsgDlgType::mtError);
}

TPastePlan TMyParentGrid::JudgeInTrial(const TAQVData& document, const TPastePlan& plan,
                                       const std::function<bool()>& addRows) {
  const std::unique_ptr<TAQVData> trial = document.TableCopy();
  // Values depend on each other (a base level is the top of the row below, a start time the
  // lower bound of the next one), so each is judged in the document the whole paste makes.
  // The grid's checks read its bound document: meanwhile that is the copy.
  struct TRebind {
    TMyParentGrid& Grid;
    TMyParentData* Own;
    std::string Message = Globals().DataErrorText;
    ~TRebind() {
      Grid.mData = Own;
      Globals().DataErrorText = Message;
    }
  } rebind{*this, mData};
  mData = trial.get();
  TPastePlan judged;
  if (addRows && !addRows()) return judged;  // the real insertion will refuse with its message
  for (const TPasteCell& cell : plan.Cells)
    trial->SetCell(cell.Col, cell.Row, cell.Text, mKind, false);
  for (const TPasteCell& cell : plan.Cells)
    if (!IsValidCell(cell.Col, cell.Row, false, cell.Text)) AddInvalid(judged, cell);
  return judged;
}

void TMyParentGrid::PasteFromClipboard() {
  if (!FinishEditing()) return;
  const TPasteBlock block = ClipboardBlock();
  if (block.Lines.empty()) return;
  const TGridRect selection = Selection();
  const TPasteTarget target{selection.Left, selection.Top, ColCount(), RowCount(), true, 0};
  const TPastePlan plan = PlanPaste(block, target, PasteCheck());
  if (!IsSuccess(plan.Status)) {
    ShowPasteRefusal(plan);
    return;
  }
  if (!PasteResultHolds(plan)) return;
  for (const TPasteCell& cell : plan.Cells) {
    SetCells(cell.Col, cell.Row, cell.Text);
    if (mData) Guarded([&] { mData->SetCellText(cell.Col, cell.Row, cell.Text, mKind); });
  }
}

// --- Checks and commits ----------------------------------------------------------------------

bool TMyParentGrid::IsValidCell(int, int, bool, const std::string& text) {
  return !text.empty();
}

bool TMyParentGrid::AllCellsValid() {
  mAllValid = true;
  for (int c = 0; c <= std::min(1, ColCount() - 1); ++c)
    for (int r = 1; r < RowCount(); ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  return mAllValid;
}

void TMyParentGrid::StoreCell(int col, int row, const std::string& text) {
  if (mData) mData->SetCellText(col, row, text, mKind);
}

bool TMyParentGrid::CommitCell() {
  const int col = Col();
  const int row = Row();
  // What the editor shows is what is committed: a reload may have refilled the cell under it.
  const QString shown = mEditor ? mEditor->text() : mCells->Cell(col, row);
  const std::string text = ToStd(shown);
  // A text left as it was is neither stored nor judged, so an empty entry cell that was only
  // opened can be left again.
  if (!mValid && mModified) {
    mError.Col = col;
    mError.Row = row;
    // Checked once more: checks made for drawing since the last keystroke may have replaced
    // the message in DataErrorText.
    if (!IsValidCell(col, row, true, text)) {
      QueueCellError();
      return false;
    }
    mValid = true;
  }
  mCells->SetCell(col, row, shown);
  // Only a changed text is stored: storing an unchanged one would round a fitted value to the
  // digits shown and clear the results for nothing.
  const bool store = mModified;
  mModified = false;
  CloseCellEditor();
  if (store) Guarded([&] { StoreCell(col, row, text); });
  return true;
}

bool TMyParentGrid::CallDoExit() {
  if (CommitCell()) return true;
  FocusEditor();
  return false;
}

// --- The editing cycle -----------------------------------------------------------------------

void TMyParentGrid::EditorOpened(TGridEditor& editor) {
  mEditor = &editor;
  mOriginalText = editor.text();
  mModified = false;
  mValid = IsValidCell(Col(), Row(), true, ToStd(mOriginalText));
}

void TMyParentGrid::KeepEditAcrossReload() {
  if (!mEditor) return;
  const QString reloaded = mCells->Cell(Col(), Row());
  // An editor that was only opened shows the reloaded value (a unit change converts it); a
  // typed text stays, and Escape now puts back what the reload showed.
  if (mEditor->text() == mOriginalText) {
    mEditor->setText(reloaded);
    mEditor->selectAll();
  }
  mOriginalText = reloaded;
  mModified = mEditor->text() != mOriginalText;
  mValid = IsValidCell(Col(), Row(), true, ToStd(mEditor->text()));
}

void TMyParentGrid::EditorTextChanged(const QString& text) {
  mCells->SetCell(Col(), Row(), text);
  mModified = text != mOriginalText;
  mValid = IsValidCell(Col(), Row(), true, ToStd(text));
}

void TMyParentGrid::CancelEdit() {
  // Escape puts back the text from before the edit, which was valid when it was stored.
  mCells->SetCell(Col(), Row(), mOriginalText);
  mModified = false;
  mValid = true;
  CloseCellEditor();
  setFocus();
}

void TMyParentGrid::CloseCellEditor() {
  if (!mEditor) return;
  QPointer<TGridEditor> editor = mEditor;
  mEditor = nullptr;
  mClosingEditor = true;
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  mClosingEditor = false;
}

void TMyParentGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Only the grid itself closes its editor, once the cell has been committed or cancelled; a
  // move that the grid's rules do not judge (loading) drops the edit.
  if (editor == mEditor && !mClosingEditor) {
    if (!mSettingCurrent) return;
    mEditor = nullptr;
    mModified = false;
    mValid = true;
  }
  QTableView::closeEditor(editor, hint);
}

void TMyParentGrid::LeaveByTab(bool forward) {
  if (CommitCell()) focusNextPrevChild(forward);
}

void TMyParentGrid::MoveFromEditor(CursorAction action) {
  // The neighbour as the keys see it; the cell is committed before the grid's rules judge it,
  // as a click would be.
  // Persistent: storing the cell may reload the grid and change its rows.
  const QPersistentModelIndex target = QTableView::moveCursor(action, Qt::NoModifier);
  if (!target.isValid() || target == currentIndex()) return;
  if (!AcceptMove(target.column(), target.row() + 1) || !target.isValid()) return;
  mSettingCurrent = true;
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  mSettingCurrent = false;
  Guarded([this] { CurrentCellChanged(Col(), Row()); });
  setFocus();
}

bool TMyParentGrid::AcceptMove(int col, int row) {
  if (!CommitCell()) return false;
  if (!SelectCell(col, row)) return false;
  mModified = false;
  return true;
}

bool TMyParentGrid::AcceptCurrentChange(const QModelIndex& index) {
  if (mSettingCurrent || !index.isValid() || index == currentIndex()) return true;
  return AcceptMove(index.column(), index.row() + 1);
}

bool TMyParentGrid::InsideGrid(const QWidget* widget) const {
  for (; widget; widget = widget->parentWidget())
    if (widget == this) return true;
  return false;
}

void TMyParentGrid::EditorFocusLost(QFocusEvent& e) {
  if (mShowingError || mClosingEditor || !mEditor) return;
  // A menu or another window taking the focus is no exit; a click inside the grid is judged as
  // a move.
  if (!LeavesTheField(e)) return;
  if (InsideGrid(QApplication::focusWidget())) return;
  (void)CallDoExit();
}

void TMyParentGrid::QueueCellError() {
  if (mErrorQueued || mShowingError) return;
  mErrorQueued = true;
  // The message waits until the key, click or focus change that caused it has been handled, so
  // that the message box does not run inside that event.
  QTimer::singleShot(0, this, [this] { ShowQueuedError(); });
}

void TMyParentGrid::ShowQueuedError() {
  mErrorQueued = false;
  // Escape may have ended the edit before the message could appear.
  if (!IsEditing()) return;
  mShowingError = true;
  ShowMessage(mError.Message, TMsgDlgType::mtError);
  mShowingError = false;
  FocusEditor();
}

void TMyParentGrid::FocusEditor() {
  if (mEditor) mEditor->setFocus();
}

void TMyParentGrid::Reset() {
  mModified = false;
  mValid = true;
  CloseCellEditor();
  SetCurrentCell(0, 1);
}

bool TMyParentGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (index.isValid() && !CanEditShow(index.column(), index.row() + 1)) return false;
  return QTableView::edit(index, trigger, event);
}

QModelIndex TMyParentGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = currentIndex();
  const QModelIndex target = QTableView::moveCursor(cursorAction, modifiers);
  // A key never moves onto a cell that the grid's rules refuse.
  if (!target.isValid() || target == current || SelectCell(target.column(), target.row() + 1))
    return target;
  return current;
}

void TMyParentGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (!mSettingCurrent && current.isValid() && current != previous)
    Guarded([&] { CurrentCellChanged(current.column(), current.row() + 1); });
}

void TMyParentGrid::RightClick(QMouseEvent& e) {
  e.accept();
  // The menu acts on the selection as it is (Copy, Delete rows), so the click changes none;
  // a cell being edited is committed first, and an invalid one keeps its editor.
  if (!mPopupMenu || !CommitCell()) return;
  setFocus(Qt::MouseFocusReason);
  mPopupMenu->popup(e.globalPosition().toPoint());
}

void TMyParentGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {
    RightClick(*e);
    return;
  }
  const QModelIndex index = indexAt(e->position().toPoint());
  if (!index.isValid() && IsEditing()) {
    // A press beside the cells keeps the edit going.
    FocusEditor();
    e->accept();
    return;
  }
  if (index.isValid() && index != currentIndex() && !AcceptMove(index.column(), index.row() + 1)) {
    e->accept();
    return;
  }
  QTableView::mousePressEvent(e);
}

// --- Drawing ---------------------------------------------------------------------------------

void TMyParentGrid::PaintCell(QPainter& painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) {
  TGridDrawState state;
  state.Current = index == currentIndex();
  state.Selected = state.Current || selectionModel()->isSelected(index);
  state.Focused = hasFocus() || IsEditing();
  painter.save();
  painter.setClipRect(option.rect);
  DrawCell(painter, option.rect, index.column(), index.row() + 1, state);
  painter.restore();
}

void TMyParentGrid::DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                             TGridDrawState state) {
  painter.fillRect(rect, state.Selected ? palette().highlight() : palette().base());
  painter.setPen(state.Selected ? palette().highlightedText().color() : palette().text().color());
  DrawCellText(painter, rect, mCells->Cell(col, row));
}

void TMyParentGrid::DrawCellText(QPainter& painter, const QRect& rect, const QString& text) const {
  painter.drawText(rect.adjusted(2, 2, -1, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   text);
}

}  // namespace aqv
