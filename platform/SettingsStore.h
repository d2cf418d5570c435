#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSettings;

namespace aqv {

// The key under which every setting of the program lives, with "\" between its parts.
inline constexpr std::string_view kSettingsRoot = "Software\\AQV for Windows Lite\\";

// Outcome of the last operation of a settings store.
enum class TSettingsStatus {
  ssOK = 0,
  ssNoKeyOpen = 1,     // a value operation without an open key
  ssKeyMissing = 2,    // the key does not exist and was not to be created
  ssValueMissing = 3,  // no value of that name in the open key
  ssWrongType = 4,     // the value exists but is not of the type asked for
  ssInvalidName = 5,   // an empty name or one holding "/" or "\"
  ssAccessError = 6,   // the settings file could not be read or written
};
[[nodiscard]] std::string_view ToText(TSettingsStatus status);
[[nodiscard]] bool IsSuccess(TSettingsStatus status);

// The user's own settings as a tree of keys holding named integers, Booleans and strings,
// kept by Qt in a per-user INI file. Key paths are written as in the registry, with "\"
// between the parts ("Software\AQV for Windows Lite\Desktop"); empty parts are skipped, so
// "a\\b" names the same key as "a\b". Keys and value names compare without regard to case,
// as the registry does: a value written as "Nst" is read back as "NSt", and writing a value
// again keeps the spelling it already has.
//
// Every operation works on the key that OpenKey opened; each call of OpenKey starts at the
// root. A failure is returned as false, and LastStatus() tells what went wrong. Writes reach
// the file at once, so a later store (or a later run) sees them.
class TSettingsStore {
 public:
  // Opens the settings file of the current user in Qt's per-user INI location, which
  // QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder) moves elsewhere.
  TSettingsStore();
  // Opens the given INI file instead.
  explicit TSettingsStore(const std::string& fileName);
  ~TSettingsStore();
  TSettingsStore(const TSettingsStore&) = delete;
  TSettingsStore& operator=(const TSettingsStore&) = delete;

  // Path of the file that holds the settings.
  [[nodiscard]] std::string FileName() const;

  // Makes key the open key. With canCreate a missing key is created (it persists once it
  // holds a value); without it a missing key fails and leaves no key open.
  [[nodiscard]] bool OpenKey(std::string_view key, bool canCreate);
  void CloseKey();
  [[nodiscard]] bool KeyExists(std::string_view key);
  // Path of the open key in its stored spelling with "\" separators; empty when none is open.
  [[nodiscard]] std::string CurrentPath() const;

  [[nodiscard]] bool ValueExists(std::string_view name);
  // Each Read leaves value unchanged on failure.
  [[nodiscard]] bool ReadInteger(std::string_view name, int& value);
  // A Boolean is stored as the integer 0 or 1; any integer other than 0 reads as true.
  [[nodiscard]] bool ReadBool(std::string_view name, bool& value);
  [[nodiscard]] bool ReadString(std::string_view name, std::string& value);
  [[nodiscard]] bool WriteInteger(std::string_view name, int value);
  [[nodiscard]] bool WriteBool(std::string_view name, bool value);
  [[nodiscard]] bool WriteString(std::string_view name, std::string_view value);
  // Returns false when there was no such value.
  bool DeleteValue(std::string_view name);
  // Names of the values in the open key, as stored.
  [[nodiscard]] std::vector<std::string> ValueNames();

  [[nodiscard]] TSettingsStatus LastStatus() const { return mLastStatus; }

 private:
  bool Fail(TSettingsStatus status);
  bool Succeed();
  [[nodiscard]] bool CheckValueAccess(std::string_view name);
  // The stored spelling of the value that name matches, or an empty string.
  [[nodiscard]] std::string StoredValueName(std::string_view name);
  [[nodiscard]] bool ReadText(std::string_view name, std::string& text);
  [[nodiscard]] bool WriteText(std::string_view name, const std::string& text);

  std::unique_ptr<QSettings> mSettings;
  bool mKeyOpen = false;
  std::string mCurrentGroup;                // QSettings group of the open key, "/" separated
  std::vector<std::string> mCreatedGroups;  // keys created empty during this session
  TSettingsStatus mLastStatus = TSettingsStatus::ssOK;
};

}  // namespace aqv
