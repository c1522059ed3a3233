#include "window/history/history_window_settings.h"

#include <array>
#include <utility>

namespace dorvex {

namespace {

const QString kSection = QStringLiteral("HistoryWindow");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

const std::array<std::pair<RangeChoice, QString>, 5> kRangeNames{{
    {RangeChoice::kLastDay, QStringLiteral("last day")},
    {RangeChoice::kLastWeek, QStringLiteral("last week")},
    {RangeChoice::kLastMonth, QStringLiteral("last month")},
    {RangeChoice::kAll, QStringLiteral("all")},
    {RangeChoice::kDates, QStringLiteral("dates")},
}};

QStringList ReadList(const TIniFile& ini, const QString& key) {
  return ini.ReadString(kSection, key, {}).split(u',', Qt::SkipEmptyParts);
}

QList<int> ReadSizes(const TIniFile& ini, const QString& key) {
  QList<int> sizes;
  for (const QString& text : ReadList(ini, key)) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (!ok || size < 0) return {};
    sizes.append(size);
  }
  return sizes;
}

QString SizesText(const QList<int>& sizes) {
  QStringList texts;
  for (int size : sizes) texts.append(QString::number(size));
  return texts.join(u',');
}

}  // namespace

HistoryWindowState ReadHistoryWindowState(const TIniFile& ini) {
  HistoryWindowState state;
  const QString range = ini.ReadString(kSection, QStringLiteral("Range"), {}).trimmed();
  for (const auto& [choice, name] : kRangeNames) {
    if (range.compare(name, Qt::CaseInsensitive) == 0) state.range = choice;
  }
  state.from = QDate::fromString(ini.ReadString(kSection, QStringLiteral("From"), {}), kDateFormat);
  state.to = QDate::fromString(ini.ReadString(kSection, QStringLiteral("To"), {}), kDateFormat);
  state.worlds = ReadList(ini, QStringLiteral("Worlds"));
  state.hiddenSeries = ReadList(ini, QStringLiteral("HiddenSeries"));
  state.chartSplit = ReadSizes(ini, QStringLiteral("ChartSplitter"));
  state.tableSplit = ReadSizes(ini, QStringLiteral("TableSplitter"));
  state.paneSplit = ReadSizes(ini, QStringLiteral("PaneSplitter"));
  return state;
}

void WriteHistoryWindowState(TIniFile& ini, const HistoryWindowState& state) {
  for (const auto& [choice, name] : kRangeNames) {
    if (choice == state.range) ini.WriteString(kSection, QStringLiteral("Range"), name);
  }
  ini.WriteString(kSection, QStringLiteral("From"), state.from.toString(kDateFormat));
  ini.WriteString(kSection, QStringLiteral("To"), state.to.toString(kDateFormat));
  ini.WriteString(kSection, QStringLiteral("Worlds"), state.worlds.join(u','));
  ini.WriteString(kSection, QStringLiteral("HiddenSeries"), state.hiddenSeries.join(u','));
  ini.WriteString(kSection, QStringLiteral("ChartSplitter"), SizesText(state.chartSplit));
  ini.WriteString(kSection, QStringLiteral("TableSplitter"), SizesText(state.tableSplit));
  ini.WriteString(kSection, QStringLiteral("PaneSplitter"), SizesText(state.paneSplit));
}

}  // namespace dorvex
