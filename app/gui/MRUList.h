#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <string>

class QAction;
class QMenu;

namespace aqv {

class TSettingsStore;
class TUserInterface;

// The recent-files list: the ten data files used last, most recent first, kept in the settings
// store under RegistryKey as string values "0" .. "9" and shown as the first ten items of the
// frame window's Reopen menu. Paths are kept absolute and compared as the file system does
// (case-sensitively). Owned by the frame window; the menu is not owned.
class TMRUList : public QObject {
  Q_OBJECT

 public:
  static constexpr int kCount = 10;

  explicit TMRUList(QObject* parent = nullptr);

  // Index of the Reopen item in the File menu; the frame window uses it to place the menu.
  int ItemIndex() const { return mItemIndex; }
  void SetItemIndex(int index) { mItemIndex = index; }
  const std::string& RegistryKey() const { return mRegistryKey; }
  void SetRegistryKey(const std::string& key) { mRegistryKey = key; }
  // The menu whose first ten items show the entries; the list adds them when they are missing.
  QMenu* ParentMenu() const { return mParentMenu; }
  void SetParentMenu(QMenu* menu);

  // Entry k (0 = most recent); empty for an empty slot.
  const std::string& Entry(int k) const { return mNames[static_cast<std::size_t>(k)]; }
  // Number of non-empty entries; the frame window enables Reopen when it is at least 1.
  int Count() const { return mCount; }
  // The entry last clicked.
  const std::string& FileName() const { return mFileName; }

  // Puts a file at the top; a file already listed moves up, a new one pushes the tenth out.
  // An empty name changes nothing.
  void AddFile(const std::string& fileName);
  // Takes a file out; the entries after it move up.
  void RemoveFile(const std::string& fileName);
  void UpdateMenu();
  // Writes the ten entries (empty ones too), creating the key. A store error is shown as an
  // error box and the result is false.
  bool SaveToRegistry(TSettingsStore& store, TUserInterface& ui);
  // Reads the entries that are non-empty strings; a missing key leaves the list as it is
  // without a message, another store error is shown and the entries read so far stay.
  void LoadFromRegistry(TSettingsStore& store, TUserInterface& ui);

  // The absolute, normalised form of a path as the list keeps it.
  static std::string NormalizedPath(const std::string& fileName);

 signals:
  // An entry was clicked; FileName() is that entry.
  void FileClick();

 private:
  void ItemClick(int k);
  int Find(const std::string& path) const;

  int mItemIndex = 2;
  std::string mRegistryKey;
  std::array<std::string, kCount> mNames;
  int mCount = 0;
  QPointer<QMenu> mParentMenu;
  std::array<QPointer<QAction>, kCount> mItems;
  std::string mFileName;
};

}  // namespace aqv
