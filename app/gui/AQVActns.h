#pragma once

#include <QAction>
#include <QMetaObject>
#include <QPointer>

namespace aqv {

class TAQVData;
class TMyParentGrid;

// Commits the value being typed in the focused control before the document is used as a whole
// (Save, Save as, closing, Optimise, Update graph, exports): a number or spin field hands a
// modified text to the document, a grid its current cell. Returns false when that value is
// invalid: its message has been shown and the control keeps the focus, so the caller stops.
// True when focus is nullptr or holds nothing pending.
bool CommitPendingEdit(QWidget* focus);

// True for a single-line or multi-line text field (a grid's cell editor included).
bool IsTextField(const QWidget* widget);

// An action on the focused text field or input grid: Cut, Copy, Paste, Select All, Clear,
// Insert row(s) and Delete row(s). With Control set only that control is handled; otherwise any
// text field or TMyParentGrid; in both cases only while it has the keys (also while the menu bar
// holds them for it). Enabled follows the focus, the selection, the text and the clipboard;
// without a handled target it is disabled.
class TAQVEditAction : public QAction {
  Q_OBJECT

 public:
  explicit TAQVEditAction(QObject* parent = nullptr);

  // The control the action is limited to; nullptr (also once it is destroyed) for any.
  QWidget* Control() const { return mControl; }
  void SetControl(QWidget* control);

  // The widget that has the keys: the focused one or, while the menu bar has taken them, the
  // one the bar gives them back to (nullptr when none).
  QWidget* KeyHolder() const;
  // The widget holding the keys that the action would act on, or nullptr.
  QWidget* Target() const;
  virtual bool HandlesTarget(QWidget* target) const;
  // Sets Enabled for a handled target.
  virtual void UpdateTarget(QWidget* target) = 0;
  virtual void ExecuteTarget(QWidget* target) = 0;
  // Sets Enabled for the current focus.
  void Refresh();

 private:
  void FocusChanged(QWidget* old, QWidget* now);
  void Triggered();

  QPointer<QWidget> mControl;
  QPointer<QWidget> mKeysBeforeMenuBar;
  QMetaObject::Connection mSelectionConnection, mTextConnection;
};

class TAQVEditCut : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

class TAQVEditCopy : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

class TAQVEditPaste : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

// On a grid it selects the data block; the well grids leave out their empty entry row.
class TAQVEditSelectAll : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

class TAQVEditClear : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

class TAQVEditInsertRows : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

class TAQVEditDeleteRows : public TAQVEditAction {
  Q_OBJECT
 public:
  using TAQVEditAction::TAQVEditAction;
  void UpdateTarget(QWidget* target) override;
  void ExecuteTarget(QWidget* target) override;
};

// An action on the document of the active document window; disabled while Data is nullptr.
// Before it runs, the value being typed in the focused control is committed; when that value
// is refused the action does nothing more.
class TAQVDataAction : public QAction {
  Q_OBJECT

 public:
  explicit TAQVDataAction(QObject* parent = nullptr);

  TAQVData* Data() const { return mData; }
  // Set by the frame window to the active document (nullptr when none); not owned.
  void SetData(TAQVData* data);

 protected:
  virtual void Run(TAQVData& data) = 0;

 private:
  void Triggered();
  TAQVData* mData = nullptr;
};

class TAQVDataOptimize : public TAQVDataAction {
  Q_OBJECT
 public:
  using TAQVDataAction::TAQVDataAction;

 protected:
  void Run(TAQVData& data) override;
};

class TAQVDataFileSave : public TAQVDataAction {
  Q_OBJECT
 public:
  using TAQVDataAction::TAQVDataAction;

 protected:
  void Run(TAQVData& data) override;
};

class TAQVDataFileSaveAs : public TAQVDataAction {
  Q_OBJECT
 public:
  using TAQVDataAction::TAQVDataAction;

 protected:
  void Run(TAQVData& data) override;
};

// The frame window's actions with their names, captions, shortcuts and hints (tool tip: the
// short hint; status tip: the long one) and the property "category" ("AQVEdit", "AQVData").
// Owned by owner; icons are the frame window's. While owner lives, a control whose keys the menu
// bar takes keeps its selection and its cell editor until the keys go on to another control.
struct TAQVActions {
  TAQVEditCut* Cut = nullptr;
  TAQVEditCopy* Copy = nullptr;
  TAQVEditPaste* Paste = nullptr;
  TAQVEditSelectAll* SelectAll = nullptr;
  TAQVEditClear* Clear = nullptr;
  TAQVEditDeleteRows* DeleteRows = nullptr;
  TAQVEditInsertRows* InsertRows = nullptr;
  TAQVDataOptimize* Optimize = nullptr;
  TAQVDataFileSave* Save = nullptr;
  TAQVDataFileSaveAs* SaveAs = nullptr;

  QList<QAction*> All() const;
  // Binds the three data actions to a document (nullptr: none).
  void SetData(TAQVData* data) const;
};
TAQVActions CreateAQVActions(QObject* owner);

}  // namespace aqv
