#include "settings/app_settings.h"

namespace dorvex {

namespace {
const QString kSnoop = QStringLiteral("Snoop");
const QString kConfig = QStringLiteral("Config");
const QString kFunction = QStringLiteral("Function");
const QString kAdapterIndex = QStringLiteral("AdapterIndex");
const QString kExpand = QStringLiteral("Expand");
const QString kCompatible = QStringLiteral("Compatible");
const QString kOpenCount = QStringLiteral("OpenCount");
const QString kSaveFormSize = QStringLiteral("SaveFormSize");
const QString kHistory = QStringLiteral("History");
const QString kHistoryFile = QStringLiteral("File");
const QString kHistoryEnabled = QStringLiteral("Enabled");
}  // namespace

AppSettings ReadAppSettings(const TIniFile& ini) {
  const AppSettings defaults;
  AppSettings settings;
  settings.adapterIndex = ini.ReadInteger(kSnoop, kAdapterIndex, defaults.adapterIndex);
  settings.expand = ini.ReadBool(kConfig, kExpand, defaults.expand);
  settings.compatible = ini.ReadBool(kConfig, kCompatible, defaults.compatible);
  settings.openCount = ini.ReadInteger(kFunction, kOpenCount, defaults.openCount);
  settings.saveFormSize = ini.ReadBool(kFunction, kSaveFormSize, defaults.saveFormSize);
  settings.historyFile = ini.ReadString(kHistory, kHistoryFile, defaults.historyFile);
  settings.historyEnabled = ini.ReadBool(kHistory, kHistoryEnabled, defaults.historyEnabled);
  return settings;
}

void WriteAppSettings(TIniFile& ini, const AppSettings& settings) {
  ini.WriteInteger(kFunction, kOpenCount, NextOpenCount(settings.openCount));
  ini.WriteBool(kConfig, kExpand, settings.expand);
  ini.WriteBool(kConfig, kCompatible, settings.compatible);
  ini.WriteInteger(kSnoop, kAdapterIndex, settings.adapterIndex);
  ini.WriteString(kHistory, kHistoryFile, settings.historyFile);
  ini.WriteBool(kHistory, kHistoryEnabled, settings.historyEnabled);
}

std::int32_t NextOpenCount(std::int32_t openCount) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(openCount) + 1u);
}

}  // namespace dorvex
