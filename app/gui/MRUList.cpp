#include "app/gui/MRUList.h"

#include <QAction>
#include <QMenu>
#include <filesystem>
#include <system_error>

#include "model/UserInterface.h"
#include "platform/SettingsStore.h"

namespace aqv {

TMRUList::TMRUList(QObject* parent) : QObject(parent) {
  mRegistryKey = std::string(kSettingsRoot) + "MRU";
}

std::string TMRUList::NormalizedPath(const std::string& fileName) {
  if (fileName.empty()) return {};
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(fileName, error);
  if (error) path = fileName;
  return path.lexically_normal().string();
}

int TMRUList::Find(const std::string& path) const {
  for (int k = 0; k < kCount; ++k) {
    if (!path.empty() && mNames[static_cast<std::size_t>(k)] == path) return k;
  }
  return -1;
}

void TMRUList::AddFile(const std::string& fileName) {
  const std::string path = NormalizedPath(fileName);
  if (path.empty()) return;
  int from = Find(path);
  if (from < 0) from = kCount - 1;
  for (int k = from; k > 0; --k) {
    mNames[static_cast<std::size_t>(k)] = std::move(mNames[static_cast<std::size_t>(k - 1)]);
  }
  mNames[0] = path;
  UpdateMenu();
}

void TMRUList::RemoveFile(const std::string& fileName) {
  const int at = Find(NormalizedPath(fileName));
  if (at < 0) return;
  for (int k = at; k < kCount - 1; ++k) {
    mNames[static_cast<std::size_t>(k)] = std::move(mNames[static_cast<std::size_t>(k + 1)]);
  }
  mNames[kCount - 1].clear();
  UpdateMenu();
}

void TMRUList::SetParentMenu(QMenu* menu) {
  mParentMenu = menu;
  UpdateMenu();
}

void TMRUList::UpdateMenu() {
  mCount = 0;
  for (const std::string& name : mNames) mCount += name.empty() ? 0 : 1;
  if (!mParentMenu) return;
  for (int k = 0; k < kCount; ++k) {
    QPointer<QAction>& item = mItems[static_cast<std::size_t>(k)];
    if (!item) {
      item = mParentMenu->addAction(QString());
      item->setObjectName(QStringLiteral("FileName%1").arg(k));
      connect(item, &QAction::triggered, this, [this, k] { ItemClick(k); });
    }
    const std::string& name = mNames[static_cast<std::size_t>(k)];
    // "&" in a path would otherwise mark a shortcut letter.
    QString path = QString::fromStdString(name);
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    item->setText(QString::number(k + 1) + QStringLiteral(". ") + path);
    item->setVisible(!name.empty());
  }
}

void TMRUList::ItemClick(int k) {
  mFileName = mNames[static_cast<std::size_t>(k)];
  emit FileClick();
}

bool TMRUList::SaveToRegistry(TSettingsStore& store, TUserInterface& ui) {
  bool ok = store.OpenKey(mRegistryKey, true);
  for (int k = 0; k < kCount && ok; ++k) {
    ok = store.WriteString(std::to_string(k), mNames[static_cast<std::size_t>(k)]);
  }
  if (!ok) {
    ui.MessageBox(std::string(ToText(store.LastStatus())), TMsgDlgType::mtError,
                  TMsgDlgButtons::mbOK);
  }
  store.CloseKey();
  return ok;
}

void TMRUList::LoadFromRegistry(TSettingsStore& store, TUserInterface& ui) {
  if (!store.OpenKey(mRegistryKey, false)) {
    if (store.LastStatus() != TSettingsStatus::ssKeyMissing) {
      ui.MessageBox(std::string(ToText(store.LastStatus())), TMsgDlgType::mtError,
                    TMsgDlgButtons::mbOK);
    }
    UpdateMenu();
    return;
  }
  for (int k = 0; k < kCount; ++k) {
    std::string name;
    if (store.ReadString(std::to_string(k), name) && !name.empty()) {
      mNames[static_cast<std::size_t>(k)] = name;
    } else if (store.LastStatus() == TSettingsStatus::ssAccessError) {
      ui.MessageBox(std::string(ToText(store.LastStatus())), TMsgDlgType::mtError,
                    TMsgDlgButtons::mbOK);
      break;
    }
  }
  store.CloseKey();
  UpdateMenu();
}

}  // namespace aqv
