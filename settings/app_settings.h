#pragma once
// The window's application settings in the settings file: what is read at start and written back
// at close.

#include <QString>
#include <cstdint>

#include "settings/ini_file.h"

namespace dorvex {

struct AppSettings {
  std::int32_t adapterIndex = -1;  // "Snoop" / "AdapterIndex"
  bool expand = true;              // "Config" / "Expand"
  bool compatible = false;         // "Config" / "Compatible"
  std::int32_t openCount = 1;      // "Function" / "OpenCount": the ordinal of this run
  bool saveFormSize = true;        // "Function" / "SaveFormSize": restore and store the placement
  QString historyFile;         // "History" / "File": empty for dorvex.sqlite beside the settings
  bool historyEnabled = true;  // "History" / "Enabled": record every captured reply
};

// Reads the seven keys in their order; a missing or unreadable value gives its default.
AppSettings ReadAppSettings(const TIniFile& ini);

// Writes, in this order, "OpenCount" (the run's ordinal + 1), "Expand", "Compatible" and
// "AdapterIndex", then "File" and "Enabled" of "History". "SaveFormSize" is never written. A
// refused write throws EIniFileException and the keys after it are not written.
void WriteAppSettings(TIniFile& ini, const AppSettings& settings);

// The ordinal of the next run. Wraps like a 32-bit register instead of overflowing.
std::int32_t NextOpenCount(std::int32_t openCount);

}  // namespace dorvex
