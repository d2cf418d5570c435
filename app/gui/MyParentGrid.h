#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

#include "app/GridPaste.h"
#include "model/MyParentData.h"
#include "model/UserInterface.h"
#include "platform/GuardedCall.h"

namespace aqv {

class TAQVData;
class TMyParentGrid;

// Converts text typed or pasted into a grid or edit with the program's decimal separator.
// Returns false and leaves value untouched when the text is not a number; never throws.
[[nodiscard]] bool TryStrToFloatValue(const std::string& s, double& value);
// The same for a whole number.
[[nodiscard]] bool TryStrToIntValue(const std::string& s, int& value);

// The message a grid shows when its current cell may not be left, with that cell (-1 before
// the first refusal).
struct ECellValueError {
  int Col = -1;
  int Row = -1;
  std::string Message;
};

// A rectangle of grid cells, inclusive, in grid coordinates (row 0 is the title row).
struct TGridRect {
  int Left = 0;
  int Top = 1;
  int Right = 0;
  int Bottom = 1;
  int Height() const { return Bottom - Top + 1; }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// How a cell is drawn: inside the selection, the current cell, and whether the grid has the
// focus.
struct TGridDrawState {
  bool Selected = false;
  bool Current = false;
  bool Focused = false;
};

// The texts of a string grid: row 0 holds the column titles (the view's header), rows from 1
// the data rows (the view's rows 0, 1, ...). Owned by its grid.
class TGridCells final : public QAbstractTableModel {
 public:
  explicit TGridCells(QObject* parent) : QAbstractTableModel(parent) {}

  int ColCount() const { return mColCount; }
  int RowCount() const { return mRowCount; }  // title row included
  void SetColCount(int count);
  void SetRowCount(int count);  // at least 2: the title row and one data row
  const QString& Cell(int col, int row) const;
  void SetCell(int col, int row, const QString& text);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int mColCount = 1;
  int mRowCount = 2;
  std::vector<QString> mTexts{2};  // row-major, mColCount per row
};

// The in-place editor of a grid cell. It hands Enter, Escape, Tab, the vertical arrows and the
// horizontal arrows at the text's edges to its grid, which decides whether the cell may be left.
class TGridEditor final : public QLineEdit {
 public:
  TGridEditor(TMyParentGrid& grid, QWidget* parent);
  bool Loaded = false;  // the cell's text has been put in once
  // Cuts the link to the grid while the grid is being destroyed.
  void Detach() { mGrid = nullptr; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  TMyParentGrid* mGrid;
};

// Base of the input grids: a table of text cells bound to a data model. The current cell's text
// is checked at every keystroke; a cell whose text is invalid cannot be left (the check's
// message is shown once the event that tried has finished); a cell whose text was changed is
// handed to the data model with the grid's table kind when it is left. Copies and pastes blocks
// of tab-separated text. Created and owned by the document window; the data model is not owned
// and must outlive the binding (SetData(nullptr) unbinds).
//
// The public operations below are what the document window and the edit actions call: cut,
// copy (CopyToClipboard), paste (PasteFromClipboard, while AllowPaste), delete and insert rows
// (DeleteRows, InsertRows), select all (SelectAll), validation (AllCellsValid), committing the
// current edit (CallDoExit) and refreshing (LoadFromData).
class TMyParentGrid : public QTableView {
 public:
  explicit TMyParentGrid(QWidget* parent = nullptr);
  ~TMyParentGrid() override;

  TMyParentData* Data() const { return mData; }
  void SetData(TMyParentData* data) { mData = data; }
  // Where messages go; without one, the bound document's interface, else a Qt interface.
  void SetUserInterface(TUserInterface* ui) { mUserInterface = ui; }
  TUserInterface& UserInterface();
  // The menu a right click opens over the cells (not owned; nullptr: none).
  QMenu* PopupMenu() const { return mPopupMenu; }
  void SetPopupMenu(QMenu* menu) { mPopupMenu = menu; }
  bool AllowPaste() const { return mAllowPaste; }
  void SetAllowPaste(bool value) { mAllowPaste = value; }
  TAQVGridKind Kind() const { return mKind; }

  // Validates every checked cell of the grid; true when all pass. Draws nothing, shows nothing.
  virtual bool AllCellsValid();
  // Hands the current cell to the data model when its text was changed, and closes the editor.
  // When the changed text is invalid, queues the check's message and returns false; the editor
  // stays.
  virtual bool CommitCell();
  // Delete or insert the selected rows in the data model; a refusal shows the model's message.
  virtual void DeleteRows() {}
  virtual void InsertRows() {}
  // Checks text for a cell; flag is true while editing or pasting, false when validating or
  // drawing. The base accepts any text that is not empty.
  virtual bool IsValidCell(int col, int row, bool flag, const std::string& text);
  // Pastes the clipboard's tab-separated text at the selection's top-left cell, as a whole or
  // not at all.
  virtual void PasteFromClipboard();
  // Clears and refills the cells from the data model.
  virtual void LoadFromData() {}

  // Copies the selection as tab-separated text, every line ended by CR LF.
  void CopyToClipboard();
  // Forgets the edit state and makes cell (0, 1) current; before a document is loaded.
  void Reset();
  // Selects all columns of the data rows.
  void SelectAll();
  // Rows 1..DataRowCount() hold the table's data; a well grid's entry row (present only while
  // the table has room) is not among them.
  virtual int DataRowCount() const { return RowCount() - 1; }
  void SetSelectionRect(const TGridRect& rect);
  TGridRect Selection() const;
  // Commits the current edit as if the focus left the grid; false when the cell is invalid (its
  // message is then queued and the editor stays).
  bool CallDoExit();
  // Commits an open editor before an operation on many cells; false while the cell is invalid.
  bool FinishEditing() { return !IsEditing() || CommitCell(); }

  // --- The string grid ---------------------------------------------------------------------
  int ColCount() const { return mCells->ColCount(); }
  int RowCount() const { return mCells->RowCount(); }
  void SetColCount(int count) { mCells->SetColCount(count); }
  // Title row included; at least 2.
  void SetRowCount(int count) { mCells->SetRowCount(count); }
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  int Col() const;
  int Row() const;
  // Makes a cell current without asking the grid's rules (loading, tests).
  void SetCurrentCell(int col, int row);
  int DefaultRowHeight() const;
  void SetColWidth(int col, int width);
  void SetRowHeight(int row, int height);

  // --- Edit state ----------------------------------------------------------------------------
  bool IsEditing() const { return mEditor != nullptr; }
  // Whether a refused cell's message is on its way or showing: the person is to stay here.
  bool RefusalPending() const { return mErrorQueued || mShowingError; }
  TGridEditor* CellEditor() const { return mEditor; }
  bool Modified() const { return mModified; }
  bool Valid() const { return mValid; }
  const ECellValueError& ErrorRecord() const { return mError; }

  // Called by the editor and its delegate.
  void EditorOpened(TGridEditor& editor);
  void EditorTextChanged(const QString& text);
  void EditorFocusLost(QFocusEvent& e);
  void CancelEdit();
  // Leaves the cell from the editor towards a neighbour (arrow keys, page keys).
  void MoveFromEditor(CursorAction action);
  // Tab in the editor: commits the cell and moves the focus to the next or previous control.
  void LeaveByTab(bool forward);
  // Called by the selection model before the current cell changes; false keeps it.
  bool AcceptCurrentChange(const QModelIndex& index);
  void PaintCell(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index);

 protected:
  // Whether the editor may open on a cell.
  virtual bool CanEditShow(int col, int row) { return col >= 0 && row >= 1; }
  // The grid's own rule for making a cell current, asked after the edit was committed.
  virtual bool SelectCell(int col, int row) { return col >= 0 && row >= 1; }
  // Called after a cell became current through the person (not through SetCurrentCell).
  virtual void CurrentCellChanged(int col, int row) { (void)col, (void)row; }
  // Hands one committed cell to the data model.
  virtual void StoreCell(int col, int row, const std::string& text);
  // Ends every reload while an editor is open: the editor keeps what was typed, against the
  // value that the reload put in its cell.
  void KeepEditAcrossReload();
  // Draws one data cell; the base draws the text on the window colour.
  virtual void DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                        TGridDrawState state);
  // Draws text as the grids do: 2 pixels from the left edge, at the top.
  void DrawCellText(QPainter& painter, const QRect& rect, const QString& text) const;
  // Runs document work from an event handler: an exception is reported, never passed to Qt.
  template <typename Work>
  void Guarded(Work&& work) {
    (void)GuardedCall(UserInterface(), std::forward<Work>(work));
  }
  // Shows a message box through the grid's user interface.
  TModalResult ShowMessage(const std::string& text, TMsgDlgType type,
                           TMsgDlgButtons buttons = TMsgDlgButtons::mbOK);
  // Ends a check: while editing or pasting (flag true) the check's message in DataErrorText
  // becomes the error record's; checks for drawing and validation leave the record alone.
  bool FinishCheck(bool ok, bool flag);
  void SetKind(TAQVGridKind kind) { mKind = kind; }
  // The clipboard text split into lines and cells; empty when it holds no text.
  TPasteBlock ClipboardBlock() const;
  // The per-value check of a paste plan: none while a document is bound, whose pasted values
  // are judged together in the result instead (PasteResultHolds).
  TPasteCheck PasteCheck();
  // Whether every cell of a plan passes its check in the document that results from the whole
  // plan: the plan is written into a copy of the bound document, after addRows (when given)
  // added the missing rows there, and each cell is checked on that copy. Otherwise shows the
  // invalid-count message and returns false. True without a document.
  bool PasteResultHolds(const TPastePlan& plan, const std::function<bool()>& addRows = {});
  // Shows why a paste is refused, naming the column of its first invalid value by its title.
  void ShowPasteRefusal(const TPastePlan& plan);

  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mousePressEvent(QMouseEvent* e) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class TGridEditor;  // names the cursor actions it hands over
  bool AcceptMove(int col, int row);
  void CloseCellEditor();
  void QueueCellError();
  void ShowQueuedError();
  void FocusEditor();
  // A right click: commits the edit and opens the popup menu, keeping the selection.
  void RightClick(QMouseEvent& e);
  // plan refused (psInvalid) for the cells that fail their check once the plan is written into
  // a copy of document; psPaste when all pass.
  TPastePlan JudgeInTrial(const TAQVData& document, const TPastePlan& plan,
                          const std::function<bool()>& addRows);
  bool InsideGrid(const QWidget* widget) const;

  bool mAllowPaste = true;
  bool mAllValid = true;
  TMyParentData* mData = nullptr;
  ECellValueError mError;
  bool mModified = false;
  bool mValid = true;
  TAQVGridKind mKind = TAQVGridKind::gkConductivities;

  TGridCells* mCells;
  QPointer<TGridEditor> mEditor;
  QPointer<QMenu> mPopupMenu;
  QString mOriginalText;         // the cell's text when its editor opened
  bool mSettingCurrent = false;  // a move that the grid's rules do not judge
  bool mErrorQueued = false;
  bool mShowingError = false;
  bool mClosingEditor = false;
  TUserInterface* mUserInterface = nullptr;
  std::unique_ptr<TUserInterface> mOwnInterface;
};

}  // namespace aqv
