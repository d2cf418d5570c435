#pragma once

#include <string>

#include "model/AQVElements.h"
#include "platform/SettingsStore.h"

namespace aqv {

// Keys of the program's settings below kSettingsRoot.
inline constexpr const char* kDesktopKey = "Software\\AQV for Windows Lite\\Desktop";
inline constexpr const char* kPreferencesKey = "Software\\AQV for Windows Lite\\Preferences";
inline constexpr const char* kFilesKey = "Software\\AQV for Windows Lite\\Files";
inline constexpr const char* kRegistryErrorText =
    "Unable to access registry values. Run setup again.";

// Placement of the frame window and what the frame remembers between runs. Positions and sizes
// in pixels; WindowState 0 normal, 1 minimised, 2 maximised.
struct TDesktopSettings {
  bool HasPlacement = false;  // Left, Top, Height and Width were stored
  int Left = 0, Top = 0, Height = 720, Width = 1024;
  int WindowState = 0;
  int sgLeft = 0, sgTop = 0;  // the curve-selection dialog's last position
  bool ViewStatusbar = true, ViewToolbar = true;
  std::string OpenDirectory, SaveDirectory;
};

// The preferences as stored, before they are taken into use.
struct TPreferenceValues {
  int NSt = 10;
  int nlogcycle = 10;
  bool ConvertLengthUnits = false;
  bool ConvertTimeUnits = true;
  int DefaultLengthUnits = 1;
  friend bool operator==(const TPreferenceValues&, const TPreferenceValues&) = default;
};

// A stored value brought into its range: Stehfest terms an even number 6..16, else 10; times
// per log cycle 2..40, else 10; the length unit 0 or 1, else 1 (metres). Settings files can be
// edited by hand or come from another version, so nothing is taken unchecked.
[[nodiscard]] TPreferenceValues CheckedPreferences(TPreferenceValues values);

// Outcome of reading the settings: a first start, with no key written yet, is not a failure;
// a key that exists but cannot be read is.
enum class TSettingsReadResult { srRead, srFirstStart, srFailed };

// Reads the Desktop key into desktop; values missing from an existing key keep their defaults.
TSettingsReadResult ReadDesktopSettings(TSettingsStore& store, TDesktopSettings& desktop);
// Reads the Preferences key, checked, into preferences.
TSettingsReadResult ReadPreferenceSettings(TSettingsStore& store, TPreferenceValues& preferences);
// Whether the frame reports that the settings could not be read: when either key failed.
bool SettingsReadFailed(TSettingsReadResult desktop, TSettingsReadResult preferences);
// Writes the Desktop key, creating it; the placement only when the frame is not maximised.
[[nodiscard]] bool WriteDesktopSettings(TSettingsStore& store, const TDesktopSettings& desktop,
                                        bool maximised);
// Writes the Preferences key, creating it; the Stehfest terms under "Nst".
[[nodiscard]] bool WritePreferenceSettings(TSettingsStore& store,
                                           const TPreferenceValues& preferences);

// The process-wide preferences as values, and the values taken into use.
[[nodiscard]] TPreferenceValues CurrentPreferences();
void UsePreferences(const TPreferenceValues& values);

}  // namespace aqv
