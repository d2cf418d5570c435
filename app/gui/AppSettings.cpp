#include "app/gui/AppSettings.h"

namespace aqv {

namespace {

// A missing key is the normal state before the first exit; only a store that cannot be read,
// or a key that exists and still cannot be opened, is a failure.
TSettingsReadResult OpenForReading(TSettingsStore& store, const char* key) {
  if (store.OpenKey(key, false)) return TSettingsReadResult::srRead;
  return store.LastStatus() == TSettingsStatus::ssKeyMissing ? TSettingsReadResult::srFirstStart
                                                             : TSettingsReadResult::srFailed;
}

// Reads are best effort: a value that is missing or of another type keeps its default.
void ReadOptional(TSettingsStore& store, const char* name, int& value) {
  (void)store.ReadInteger(name, value);
}
void ReadOptional(TSettingsStore& store, const char* name, bool& value) {
  (void)store.ReadBool(name, value);
}
void ReadOptional(TSettingsStore& store, const char* name, std::string& value) {
  (void)store.ReadString(name, value);
}

}  // namespace

TPreferenceValues CheckedPreferences(TPreferenceValues values) {
  if (values.NSt < 6 || values.NSt > 16 || values.NSt % 2 != 0) values.NSt = 10;
  if (values.nlogcycle < 2 || values.nlogcycle > 40) values.nlogcycle = 10;
  if (values.DefaultLengthUnits != 0 && values.DefaultLengthUnits != 1)
    values.DefaultLengthUnits = 1;
  return values;
}

TSettingsReadResult ReadDesktopSettings(TSettingsStore& store, TDesktopSettings& desktop) {
  const TSettingsReadResult opened = OpenForReading(store, kDesktopKey);
  if (opened != TSettingsReadResult::srRead) return opened;
  int left = desktop.Left, top = desktop.Top, height = desktop.Height, width = desktop.Width;
  desktop.HasPlacement = store.ReadInteger("Left", left) && store.ReadInteger("Top", top) &&
                         store.ReadInteger("Height", height) && store.ReadInteger("Width", width) &&
                         height > 0 && width > 0;
  if (desktop.HasPlacement) {
    desktop.Left = left;
    desktop.Top = top;
    desktop.Height = height;
    desktop.Width = width;
  }
  ReadOptional(store, "WindowState", desktop.WindowState);
  if (desktop.WindowState < 0 || desktop.WindowState > 2) desktop.WindowState = 0;
  ReadOptional(store, "sgLeft", desktop.sgLeft);
  ReadOptional(store, "sgTop", desktop.sgTop);
  ReadOptional(store, "View statusbar", desktop.ViewStatusbar);
  ReadOptional(store, "View toolbar", desktop.ViewToolbar);
  ReadOptional(store, "AQV Open directory", desktop.OpenDirectory);
  ReadOptional(store, "AQV Save directory", desktop.SaveDirectory);
  store.CloseKey();
  return TSettingsReadResult::srRead;
}

bool SettingsReadFailed(TSettingsReadResult desktop, TSettingsReadResult preferences) {
  return desktop == TSettingsReadResult::srFailed || preferences == TSettingsReadResult::srFailed;
}

TSettingsReadResult ReadPreferenceSettings(TSettingsStore& store, TPreferenceValues& preferences) {
  const TSettingsReadResult opened = OpenForReading(store, kPreferencesKey);
  if (opened != TSettingsReadResult::srRead) return opened;
  ReadOptional(store, "nlogcycle", preferences.nlogcycle);
  ReadOptional(store, "NSt", preferences.NSt);
  ReadOptional(store, "ConvertLengthUnits", preferences.ConvertLengthUnits);
  ReadOptional(store, "ConvertTimeUnits", preferences.ConvertTimeUnits);
  int unit = preferences.DefaultLengthUnits;
  ReadOptional(store, "DefaultLengthUnits", unit);
  preferences.DefaultLengthUnits = unit & 0xFF;
  store.CloseKey();
  preferences = CheckedPreferences(preferences);
  return TSettingsReadResult::srRead;
}

bool WriteDesktopSettings(TSettingsStore& store, const TDesktopSettings& desktop, bool maximised) {
  if (!store.OpenKey(kDesktopKey, true)) return false;
  bool ok = true;
  if (!maximised) {
    ok = store.WriteInteger("Left", desktop.Left) && store.WriteInteger("Top", desktop.Top) &&
         store.WriteInteger("Height", desktop.Height) && store.WriteInteger("Width", desktop.Width);
  }
  ok = ok && store.WriteInteger("WindowState", desktop.WindowState) &&
       store.WriteInteger("sgLeft", desktop.sgLeft) && store.WriteInteger("sgTop", desktop.sgTop) &&
       store.WriteBool("View statusbar", desktop.ViewStatusbar) &&
       store.WriteBool("View toolbar", desktop.ViewToolbar) &&
       store.WriteString("AQV Open directory", desktop.OpenDirectory) &&
       store.WriteString("AQV Save directory", desktop.SaveDirectory);
  store.CloseKey();
  return ok;
}

bool WritePreferenceSettings(TSettingsStore& store, const TPreferenceValues& preferences) {
  if (!store.OpenKey(kPreferencesKey, true)) return false;
  const bool ok = store.WriteInteger("Nst", preferences.NSt) &&
                  store.WriteInteger("nlogcycle", preferences.nlogcycle) &&
                  store.WriteBool("ConvertLengthUnits", preferences.ConvertLengthUnits) &&
                  store.WriteBool("ConvertTimeUnits", preferences.ConvertTimeUnits) &&
                  store.WriteInteger("DefaultLengthUnits", preferences.DefaultLengthUnits);
  store.CloseKey();
  return ok;
}

TPreferenceValues CurrentPreferences() {
  const TAQVGlobals& g = Globals();
  return {g.NSt, g.nlogcycle, g.ConvertLengthUnits, g.ConvertTimeUnits, g.DefaultLengthUnits};
}

void UsePreferences(const TPreferenceValues& values) {
  TAQVGlobals& g = Globals();
  g.NSt = values.NSt;
  g.nlogcycle = values.nlogcycle;
  g.ConvertLengthUnits = values.ConvertLengthUnits;
  g.ConvertTimeUnits = values.ConvertTimeUnits;
  g.DefaultLengthUnits = values.DefaultLengthUnits;
}

}  // namespace aqv
