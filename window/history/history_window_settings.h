#pragma once
// What the history window keeps between runs, in its own section "HistoryWindow" of the settings
// file: the range choice ("Range": last day, last week, last month, all or dates), the dates of a
// chosen range ("From", "To": 2026-11-17), the ticked worlds ("Worlds": names), the series hidden
// through the chart's legend ("HiddenSeries": names) and the splitters' sizes ("ChartSplitter",
// "TableSplitter", "PaneSplitter": pixels). Lists are comma separated.

#include <QDate>
#include <QList>
#include <QStringList>

#include "history/history_range_choice.h"
#include "settings/ini_file.h"

namespace dorvex {

struct HistoryWindowState {
  RangeChoice range = RangeChoice::kLastWeek;
  QDate from;  // of RangeChoice::kDates; invalid when not stored
  QDate to;
  QStringList worlds;
  QStringList hiddenSeries;
  QList<int> chartSplit;  // chart | world list; empty: as laid out
  QList<int> tableSplit;  // table | report
  QList<int> paneSplit;   // upper | lower
};

// A missing or unreadable key keeps its default.
HistoryWindowState ReadHistoryWindowState(const TIniFile& ini);
// A refused write throws EIniFileException; the keys after it are not written.
void WriteHistoryWindowState(TIniFile& ini, const HistoryWindowState& state);

}  // namespace dorvex
