#include "platform/SettingsStore.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <charconv>

namespace aqv {

namespace {

// Organisation and application names that place the per-user INI file.
constexpr const char* kOrganization = "AQV";
constexpr const char* kApplication = "AQV";

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The parts of a key path; "\" and "/" both separate, and empty parts are dropped so that
// doubled separators and a leading or trailing separator name the same key.
QStringList KeyParts(std::string_view key) {
  QString text = ToQString(key);
  text.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QStringList ChildGroups(QSettings& settings, const QString& group) {
  if (group.isEmpty()) return settings.childGroups();
  settings.beginGroup(group);
  QStringList groups = settings.childGroups();
  settings.endGroup();
  return groups;
}

QString JoinGroup(const QString& prefix, const QString& part) {
  return prefix.isEmpty() ? part : prefix + QLatin1Char('/') + part;
}

// True when group names created, or one of its parents (a key's parents exist with it).
bool CoveredBy(const QString& group, const QString& created) {
  if (created.size() < group.size()) return false;
  if (created.size() > group.size() && created.at(group.size()) != QLatin1Char('/')) return false;
  return SameName(created.left(group.size()), group);
}

bool ParseInteger(const std::string& text, int& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  int parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error != std::errc() || end != last || text.empty()) return false;
  value = parsed;
  return true;
}

std::string VariantText(const QVariant& value) {
  // A hand-edited INI value with an unquoted comma comes back as a list.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QLatin1Char(',')).toStdString();
  }
  return value.toString().toStdString();
}

}  // namespace

std::string_view ToText(TSettingsStatus status) {
  switch (status) {
    case TSettingsStatus::ssOK:
      return "OK";
    case TSettingsStatus::ssNoKeyOpen:
      return "No settings key is open";
    case TSettingsStatus::ssKeyMissing:
      return "The settings key does not exist";
    case TSettingsStatus::ssValueMissing:
      return "The settings value does not exist";
    case TSettingsStatus::ssWrongType:
      return "The settings value has another type";
    case TSettingsStatus::ssInvalidName:
      return "Invalid settings name";
    case TSettingsStatus::ssAccessError:
      return "The settings file cannot be accessed";
  }
  return "Unknown settings status";
}

bool IsSuccess(TSettingsStatus status) {
  return status == TSettingsStatus::ssOK;
}

TSettingsStore::TSettingsStore()
    : mSettings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            kOrganization, kApplication)) {
  // The registry that these settings stand in for has no machine-wide fallback values.
  mSettings->setFallbacksEnabled(false);
}

TSettingsStore::TSettingsStore(const std::string& fileName)
    : mSettings(
          std::make_unique<QSettings>(QString::fromStdString(fileName), QSettings::IniFormat)) {
  mSettings->setFallbacksEnabled(false);
}

TSettingsStore::~TSettingsStore() {
  mSettings->sync();
}

std::string TSettingsStore::FileName() const {
  return mSettings->fileName().toStdString();
}

bool TSettingsStore::Fail(TSettingsStatus status) {
  mLastStatus = status;
  return false;
}

bool TSettingsStore::Succeed() {
  mLastStatus = TSettingsStatus::ssOK;
  return true;
}

bool TSettingsStore::OpenKey(std::string_view key, bool canCreate) {
  CloseKey();
  // Another store or another run may have changed the file since it was last read.
  mSettings->sync();
  if (mSettings->status() == QSettings::AccessError) return Fail(TSettingsStatus::ssAccessError);

  const QStringList parts = KeyParts(key);
  if (parts.isEmpty()) return Fail(TSettingsStatus::ssInvalidName);

  // Walk down the stored groups, taking each part in the spelling it is stored with.
  QString group;
  qsizetype found = 0;
  for (; found < parts.size(); ++found) {
    const QStringList children = ChildGroups(*mSettings, group);
    const auto match = std::find_if(children.begin(), children.end(), [&](const QString& child) {
      return SameName(child, parts[found]);
    });
    if (match == children.end()) break;
    group = JoinGroup(group, *match);
  }
  if (found < parts.size()) {
    for (qsizetype i = found; i < parts.size(); ++i) group = JoinGroup(group, parts[i]);
    // A key created during this session holds no value yet, so the file does not show it.
    const auto created = std::find_if(
        mCreatedGroups.begin(), mCreatedGroups.end(),
        [&](const std::string& c) { return CoveredBy(group, QString::fromStdString(c)); });
    if (created != mCreatedGroups.end()) {
      group = QString::fromStdString(*created).left(group.size());
    } else if (canCreate) {
      mCreatedGroups.push_back(group.toStdString());
    } else {
      return Fail(TSettingsStatus::ssKeyMissing);
    }
  }
  mCurrentGroup = group.toStdString();
  mKeyOpen = true;
  return Succeed();
}

void TSettingsStore::CloseKey() {
  if (mKeyOpen) mSettings->sync();
  mKeyOpen = false;
  mCurrentGroup.clear();
}

bool TSettingsStore::KeyExists(std::string_view key) {
  const bool wasOpen = mKeyOpen;
  const std::string previousGroup = mCurrentGroup;
  const bool exists = OpenKey(key, false);
  mKeyOpen = wasOpen;
  mCurrentGroup = previousGroup;
  return exists;
}

std::string TSettingsStore::CurrentPath() const {
  std::string path = mCurrentGroup;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool TSettingsStore::CheckValueAccess(std::string_view name) {
  if (!mKeyOpen) return Fail(TSettingsStatus::ssNoKeyOpen);
  if (name.empty() || name.find_first_of("/\\") != std::string_view::npos) {
    return Fail(TSettingsStatus::ssInvalidName);
  }
  return true;
}

std::vector<std::string> TSettingsStore::ValueNames() {
  std::vector<std::string> names;
  if (!mKeyOpen) {
    Fail(TSettingsStatus::ssNoKeyOpen);
    return names;
  }
  mSettings->beginGroup(QString::fromStdString(mCurrentGroup));
  const QStringList keys = mSettings->childKeys();
  mSettings->endGroup();
  for (const QString& key : keys) names.push_back(key.toStdString());
  Succeed();
  return names;
}

std::string TSettingsStore::StoredValueName(std::string_view name) {
  const QString wanted = ToQString(name);
  for (const std::string& stored : ValueNames()) {
    if (SameName(QString::fromStdString(stored), wanted)) return stored;
  }
  return {};
}

bool TSettingsStore::ValueExists(std::string_view name) {
  if (!CheckValueAccess(name)) return false;
  if (StoredValueName(name).empty()) return Fail(TSettingsStatus::ssValueMissing);
  return Succeed();
}

bool TSettingsStore::ReadText(std::string_view name, std::string& text) {
  if (!CheckValueAccess(name)) return false;
  const std::string stored = StoredValueName(name);
  if (stored.empty()) return Fail(TSettingsStatus::ssValueMissing);
  text = VariantText(mSettings->value(QString::fromStdString(mCurrentGroup + '/' + stored)));
  return Succeed();
}

bool TSettingsStore::ReadInteger(std::string_view name, int& value) {
  std::string text;
  if (!ReadText(name, text)) return false;
  if (!ParseInteger(text, value)) return Fail(TSettingsStatus::ssWrongType);
  return true;
}

bool TSettingsStore::ReadBool(std::string_view name, bool& value) {
  std::string text;
  if (!ReadText(name, text)) return false;
  int number = 0;
  if (ParseInteger(text, number)) {
    value = number != 0;
    return true;
  }
  // Qt itself writes Booleans as words; accept them from a file edited by other means.
  const QString word = QString::fromStdString(text);
  if (SameName(word, QStringLiteral("true")) || SameName(word, QStringLiteral("false"))) {
    value = SameName(word, QStringLiteral("true"));
    return true;
  }
  return Fail(TSettingsStatus::ssWrongType);
}

bool TSettingsStore::ReadString(std::string_view name, std::string& value) {
  return ReadText(name, value);
}

bool TSettingsStore::WriteText(std::string_view name, const std::string& text) {
  if (!CheckValueAccess(name)) return false;
  // Keep the spelling already stored, and drop any other spellings of the same name that a
  // hand-edited file may hold, so that one value answers to the name.
  std::string target;
  const QString wanted = ToQString(name);
  for (const std::string& stored : ValueNames()) {
    if (!SameName(QString::fromStdString(stored), wanted)) continue;
    if (target.empty()) {
      target = stored;
    } else {
      mSettings->remove(QString::fromStdString(mCurrentGroup + '/' + stored));
    }
  }
  if (target.empty()) target = std::string(name);
  mSettings->setValue(QString::fromStdString(mCurrentGroup + '/' + target),
                      QString::fromStdString(text));
  mSettings->sync();
  if (mSettings->status() != QSettings::NoError) {
    // QSettings keeps its first error; start afresh so that a later write can succeed.
    const QString fileName = mSettings->fileName();
    mSettings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    mSettings->setFallbacksEnabled(false);
    return Fail(TSettingsStatus::ssAccessError);
  }
  return Succeed();
}

bool TSettingsStore::WriteInteger(std::string_view name, int value) {
  char buffer[16];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return WriteText(name, std::string(buffer, static_cast<std::size_t>(end - buffer)));
}

bool TSettingsStore::WriteBool(std::string_view name, bool value) {
  return WriteInteger(name, value ? 1 : 0);
}

bool TSettingsStore::WriteString(std::string_view name, std::string_view value) {
  return WriteText(name, std::string(value));
}

bool TSettingsStore::DeleteValue(std::string_view name) {
  if (!CheckValueAccess(name)) return false;
  bool removed = false;
  const QString wanted = ToQString(name);
  for (const std::string& stored : ValueNames()) {
    if (!SameName(QString::fromStdString(stored), wanted)) continue;
    mSettings->remove(QString::fromStdString(mCurrentGroup + '/' + stored));
    removed = true;
  }
  mSettings->sync();
  if (mSettings->status() != QSettings::NoError) return Fail(TSettingsStatus::ssAccessError);
  return removed ? Succeed() : Fail(TSettingsStatus::ssValueMissing);
}

}  // namespace aqv
