#include "app/gui/AQVActns.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/MyParentGrid.h"
#include "model/AQVData.h"
#include "platform/GuardedCall.h"

namespace aqv {

namespace {

// The grid a widget is or whose cell editor it is; nullptr for any other widget.
TMyParentGrid* GridOf(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (auto* grid = dynamic_cast<TMyParentGrid*>(w)) return grid;
    if (w->isWindow()) break;
  }
  return nullptr;
}

// ---- Text fields: a single-line edit, a plain-text edit or a rich-text edit -------------------

bool HasSelection(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->hasSelectedText();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->textCursor().hasSelection();
  if (auto* e = qobject_cast<const QTextEdit*>(w)) return e->textCursor().hasSelection();
  return false;
}

bool IsReadOnly(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->isReadOnly();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->isReadOnly();
  if (auto* e = qobject_cast<const QTextEdit*>(w)) return e->isReadOnly();
  return true;
}

bool HasText(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return !e->text().isEmpty();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return !e->document()->isEmpty();
  if (auto* e = qobject_cast<const QTextEdit*>(w)) return !e->document()->isEmpty();
  return false;
}

// Calls the member of whichever kind of text field w is.
template <typename Line, typename Plain, typename Rich>
void OnTextField(QWidget* w, Line line, Plain plain, Rich rich) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    line(*e);
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
    plain(*p);
  } else if (auto* r = qobject_cast<QTextEdit*>(w)) {
    rich(*r);
  }
}

bool ClipboardHasText() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText();
}

TUserInterface& InterfaceOf(TAQVData& data) {
  return data.UserInterface();
}

// The menu bar or one of its menus, which hold the keys only while a command is chosen.
bool IsMenu(const QWidget* widget) {
  return qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget);
}

// The menu bar takes the keys (Alt, or a menu of the bar closed with Escape) only until a
// command is chosen or the bar is left: the control it took them from is away as for a popup
// menu, so a text field keeps its selection and a grid cell its editor for the Edit menu to act
// on. When the keys then go on to another control, the one they came from is told that it has
// lost them, so that it commits or refuses what it holds as on any other exit.
class TMenuBarKeys final : public QObject {
 public:
  explicit TMenuBarKeys(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { KeysMoved(now); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FocusOut || !watched->isWidgetType() ||
        static_cast<QFocusEvent*>(event)->reason() != Qt::MenuBarFocusReason)
      return false;
    mAway = static_cast<QWidget*>(watched);
    QFocusEvent forAMoment(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(watched, &forAMoment);
    return true;
  }

 private:
  void KeysMoved(QWidget* now) {
    if (!mAway || now == nullptr || IsMenu(now)) return;
    const QPointer<QWidget> away = mAway;
    mAway = nullptr;
    if (now == away) return;
    QFocusEvent lost(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(away, &lost);
  }

  QPointer<QWidget> mAway;
};

}  // namespace

bool IsTextField(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
         qobject_cast<const QTextEdit*>(widget);
}

bool CommitPendingEdit(QWidget* focus) {
  if (!focus) return true;
  if (auto* edit = qobject_cast<TAQVFloatEdit*>(focus)) return edit->CommitPending();
  if (auto* spin = qobject_cast<TAQVSpinEdit*>(focus)) return spin->CommitPending();
  if (TMyParentGrid* grid = GridOf(focus)) return !grid->IsEditing() || grid->CallDoExit();
  return true;
}

// ---- Edit actions ----------------------------------------------------------------------------

TAQVEditAction::TAQVEditAction(QObject* parent) : QAction(parent) {
  setEnabled(false);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget* old, QWidget* now) { FocusChanged(old, now); });
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TAQVEditAction::Refresh);
  connect(this, &QAction::triggered, this, &TAQVEditAction::Triggered);
}

void TAQVEditAction::SetControl(QWidget* control) {
  mControl = control;
  Refresh();
}

QWidget* TAQVEditAction::KeyHolder() const {
  QWidget* focus = QApplication::focusWidget();
  return IsMenu(focus) ? mKeysBeforeMenuBar.data() : focus;
}

QWidget* TAQVEditAction::Target() const {
  QWidget* holder = KeyHolder();
  return holder && HandlesTarget(holder) ? holder : nullptr;
}

bool TAQVEditAction::HandlesTarget(QWidget* target) const {
  if (!target || target != KeyHolder()) return false;
  if (mControl) return target == mControl;
  return IsTextField(target) || dynamic_cast<TMyParentGrid*>(target);
}

void TAQVEditAction::Refresh() {
  QWidget* target = Target();
  if (target) {
    UpdateTarget(target);
  } else {
    setEnabled(false);
  }
}

// Follows the selection and text of the focused text field, which change Cut, Copy, Clear and
// Select All without a change of focus. While the menu bar has the keys it still follows the
// control they came from.
void TAQVEditAction::FocusChanged(QWidget* old, QWidget* now) {
  if (IsMenu(now)) {
    if (!IsMenu(old)) mKeysBeforeMenuBar = old;
    Refresh();
    return;
  }
  mKeysBeforeMenuBar = nullptr;
  disconnect(mSelectionConnection);
  disconnect(mTextConnection);
  if (auto* e = qobject_cast<QLineEdit*>(now)) {
    mSelectionConnection = connect(e, &QLineEdit::selectionChanged, this, &TAQVEditAction::Refresh);
    mTextConnection = connect(e, &QLineEdit::textChanged, this, &TAQVEditAction::Refresh);
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(now)) {
    mSelectionConnection =
        connect(p, &QPlainTextEdit::selectionChanged, this, &TAQVEditAction::Refresh);
    mTextConnection = connect(p, &QPlainTextEdit::textChanged, this, &TAQVEditAction::Refresh);
  } else if (auto* r = qobject_cast<QTextEdit*>(now)) {
    mSelectionConnection = connect(r, &QTextEdit::selectionChanged, this, &TAQVEditAction::Refresh);
    mTextConnection = connect(r, &QTextEdit::textChanged, this, &TAQVEditAction::Refresh);
  }
  Refresh();
}

void TAQVEditAction::Triggered() {
  QWidget* target = Target();
  if (!target) return;
  TMyParentGrid* grid = dynamic_cast<TMyParentGrid*>(target);
  if (grid) {
    GuardedCall(grid->UserInterface(), [&] { ExecuteTarget(target); });
  } else {
    ExecuteTarget(target);
  }
  Refresh();
}

void TAQVEditCut::UpdateTarget(QWidget* target) {
  setEnabled(IsTextField(target) && HasSelection(target) && !IsReadOnly(target));
}

void TAQVEditCut::ExecuteTarget(QWidget* target) {
  OnTextField(
      target, [](QLineEdit& e) { e.cut(); }, [](QPlainTextEdit& e) { e.cut(); },
      [](QTextEdit& e) { e.cut(); });
}

void TAQVEditCopy::UpdateTarget(QWidget* target) {
  setEnabled(IsTextField(target) ? HasSelection(target) : true);
}

void TAQVEditCopy::ExecuteTarget(QWidget* target) {
  if (auto* grid = dynamic_cast<TMyParentGrid*>(target)) {
    grid->CopyToClipboard();
    return;
  }
  OnTextField(
      target, [](QLineEdit& e) { e.copy(); }, [](QPlainTextEdit& e) { e.copy(); },
      [](QTextEdit& e) { e.copy(); });
}

void TAQVEditPaste::UpdateTarget(QWidget* target) {
  auto* grid = dynamic_cast<TMyParentGrid*>(target);
  setEnabled(ClipboardHasText() && (grid ? grid->AllowPaste() : !IsReadOnly(target)));
}

void TAQVEditPaste::ExecuteTarget(QWidget* target) {
  if (auto* grid = dynamic_cast<TMyParentGrid*>(target)) {
    grid->PasteFromClipboard();
    return;
  }
  OnTextField(
      target, [](QLineEdit& e) { e.paste(); }, [](QPlainTextEdit& e) { e.paste(); },
      [](QTextEdit& e) { e.paste(); });
}

void TAQVEditSelectAll::UpdateTarget(QWidget* target) {
  setEnabled(IsTextField(target) ? HasText(target) : true);
}

void TAQVEditSelectAll::ExecuteTarget(QWidget* target) {
  auto* grid = dynamic_cast<TMyParentGrid*>(target);
  if (!grid) {
    OnTextField(
        target, [](QLineEdit& e) { e.selectAll(); }, [](QPlainTextEdit& e) { e.selectAll(); },
        [](QTextEdit& e) { e.selectAll(); });
    return;
  }
  // The grid knows its data rows: a well grid's entry row is not one, and at capacity there
  // is none.
  const int lastCol = grid->ColCount() - 1, lastRow = std::max(grid->DataRowCount(), 1);
  switch (grid->Kind()) {
    case TAQVGridKind::gkPumpingWells:
    case TAQVGridKind::gkPumpingPeriods:
      grid->SetSelectionRect({1, 1, lastCol, lastRow});
      break;
    case TAQVGridKind::gkObservationWells:
    case TAQVGridKind::gkObservations:
      grid->SetSelectionRect({2, 1, lastCol, lastRow});
      break;
    default:
      grid->SelectAll();
      break;
  }
}

void TAQVEditClear::UpdateTarget(QWidget* target) {
  setEnabled(IsTextField(target) && HasSelection(target) && !IsReadOnly(target));
}

void TAQVEditClear::ExecuteTarget(QWidget* target) {
  OnTextField(
      target, [](QLineEdit& e) { e.del(); },
      [](QPlainTextEdit& e) { e.textCursor().removeSelectedText(); },
      [](QTextEdit& e) { e.textCursor().removeSelectedText(); });
}

void TAQVEditInsertRows::UpdateTarget(QWidget* target) {
  setEnabled(!IsTextField(target));
}

void TAQVEditInsertRows::ExecuteTarget(QWidget* target) {
  if (auto* grid = dynamic_cast<TMyParentGrid*>(target)) grid->InsertRows();
}

void TAQVEditDeleteRows::UpdateTarget(QWidget* target) {
  setEnabled(!IsTextField(target));
}

void TAQVEditDeleteRows::ExecuteTarget(QWidget* target) {
  if (auto* grid = dynamic_cast<TMyParentGrid*>(target)) grid->DeleteRows();
}

// ---- Data actions ------------------------------------------------------------------------------

TAQVDataAction::TAQVDataAction(QObject* parent) : QAction(parent) {
  setEnabled(false);
  connect(this, &QAction::triggered, this, &TAQVDataAction::Triggered);
}

void TAQVDataAction::SetData(TAQVData* data) {
  mData = data;
  setEnabled(data != nullptr);
}

void TAQVDataAction::Triggered() {
  if (!mData || !CommitPendingEdit(QApplication::focusWidget())) return;
  TAQVData& data = *mData;
  GuardedCall(InterfaceOf(data), [&] { Run(data); });
}

void TAQVDataOptimize::Run(TAQVData& data) {
  data.Optimize();
}

void TAQVDataFileSave::Run(TAQVData& data) {
  data.SaveToFile(false);
}

void TAQVDataFileSaveAs::Run(TAQVData& data) {
  data.SaveToFile(true);
}

// ---- The frame window's action list
// ---------------------------------------------------------------

namespace {

template <typename T>
T* MakeAction(QObject* owner, const char* name, const char* caption, const QKeySequence& shortcut,
              const char* hint, const char* category) {
  auto* action = new T(owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setText(QString::fromLatin1(caption));
  action->setShortcut(shortcut);
  const QString text = QString::fromLatin1(hint);
  if (!text.isEmpty()) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? text : text.left(bar));
    action->setStatusTip(bar < 0 ? text : text.mid(bar + 1));
  }
  action->setProperty("category", QString::fromLatin1(category));
  return action;
}

}  // namespace

QList<QAction*> TAQVActions::All() const {
  return {Cut, Copy, Paste, SelectAll, Clear, DeleteRows, InsertRows, Optimize, Save, SaveAs};
}

void TAQVActions::SetData(TAQVData* data) const {
  Optimize->SetData(data);
  Save->SetData(data);
  SaveAs->SetData(data);
}

TAQVActions CreateAQVActions(QObject* owner) {
  constexpr const char* kEdit = "AQVEdit";
  constexpr const char* kData = "AQVData";
  new TMenuBarKeys(owner);
  TAQVActions a;
  a.Cut =
      MakeAction<TAQVEditCut>(owner, "AQVEditCutAction", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X),
                              "Cut|Cuts the selection and puts it on the Clipboard", kEdit);
  a.Copy = MakeAction<TAQVEditCopy>(
      owner, "AQVEditCopyAction", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C),
      "Copy|Copies the selection and puts it on the Clipboard", kEdit);
  a.Paste = MakeAction<TAQVEditPaste>(owner, "AQVEditPasteAction", "&Paste",
                                      QKeySequence(Qt::CTRL | Qt::Key_V),
                                      "Paste|Inserts Clipboard contents", kEdit);
  a.SelectAll = MakeAction<TAQVEditSelectAll>(
      owner, "AQVEditSelectAllAction", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A),
      "Select All|Selects all text or cells in a grid", kEdit);
  a.Clear = MakeAction<TAQVEditClear>(owner, "AQVEditClearAction", "Clear", {},
                                      "Clear|Deletes selected text", kEdit);
  a.DeleteRows = MakeAction<TAQVEditDeleteRows>(
      owner, "AQVEditDeleteRows", "Delete row(s)", {},
      "Delete row(s) from grid|Deletes a row or multiple rows from the grid", kEdit);
  a.InsertRows = MakeAction<TAQVEditInsertRows>(
      owner, "AQVEditInsertRows", "Insert row(s)", {},
      "Insert row(s) into grid|Inserts a row or multiple rows into the grid", kEdit);
  a.Optimize = MakeAction<TAQVDataOptimize>(owner, "AQVDataOptimizeAction", "Optimize", {},
                                            "Optimize", kData);
  a.Save = MakeAction<TAQVDataFileSave>(owner, "AQVDataFileSaveAction", "Save",
                                        QKeySequence(Qt::CTRL | Qt::Key_S), "", kData);
  a.SaveAs =
      MakeAction<TAQVDataFileSaveAs>(owner, "AQVDataFileSaveAsAction", "Save as...", {}, "", kData);
  return a;
}

}  // namespace aqv
