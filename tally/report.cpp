#include "tally/report.h"

#include <array>

#include "tally/count_text.h"
#include "tally/percent_text.h"
#include "tally/shown_text.h"
#include "tally/world_table.h"

namespace dorvex {

namespace {

constexpr QStringView kLoginLabel = u"【ログイン日時】";
constexpr QStringView kMethodLine = u"【計測方法】ワールドセレクト表示値";
constexpr QStringView kProgramTag = u" (Dorvex)";
constexpr QStringView kNotMeasuredText = u"(未計測)";
constexpr QStringView kCompatiblePvpLabel = u"【.　　　urdr　　　.】";
constexpr QStringView kGrandTotalLabel = u"【　 全鯖合計 　.】";
constexpr std::array<QStringView, 4> kGroupTotalLabels{u"【グループ1合計】", u"【グループ2合計】",
                                                       u"【グループ3合計】", u"【グループ4合計】"};
constexpr std::array<QStringView, 5> kGenerationTotalLabels{u"【一期鯖 合計】", u"【二期鯖 合計】",
                                                            u"【三期鯖 合計】", u"【四期鯖 合計】",
                                                            u"【五期鯖 合計】"};

// A label followed directly by its value.
QString LabelledLine(QStringView label, QStringView value) {
  QString line;
  line.reserve(label.size() + value.size());
  line += label;
  line += value;
  return line;
}

// yyyy年MM月dd日 (ddd) hh:mm:ss, fractions of a second dropped. A login time that was never
// stamped shows no date at all rather than an invented one.
QString LoginLine(const QDateTime& loginTime, const QLocale& locale) {
  QString line = kLoginLabel.toString();
  if (!loginTime.isValid()) return line;
  const QDate date = loginTime.date();
  const QTime time = loginTime.time();
  const auto twoDigits = [](int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
  };
  line += QStringLiteral("%1").arg(date.year(), 4, 10, QChar(u'0')) + u'年' +
          twoDigits(date.month()) + u'月' + twoDigits(date.day()) + u'日' + QStringLiteral(" (") +
          locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(") ") +
          twoDigits(time.hour()) + u':' + twoDigits(time.minute()) + u':' +
          twoDigits(time.second());
  return line;
}

// A total line's value: the total, and with Expand its percentage of the grand total.
QString TotalValue(std::int64_t total, std::int64_t grandTotal, bool withPercent,
                   const QLocale& locale) {
  QString value = QString::number(total);
  if (withPercent) {
    value += QStringLiteral(" (") + FormatPercent(total, grandTotal, locale) + QStringLiteral("%)");
  }
  return value;
}

QString WorldLine(std::size_t world, const FieldCounts& counts) {
  return FormatQtyLine(WorldStringTable()[world].reportLabel, counts.worlds[world]);
}

void AppendGroupBlock(int group, const FieldCounts& counts, QStringList& lines) {
  const auto worlds = WorldTable();
  for (std::size_t i = 0; i < worlds.size(); ++i) {
    if (worlds[i].group == group) lines.append(WorldLine(i, counts));
  }
  if (group == kTempServerGroup && !counts.freeName.isEmpty()) {
    lines.append(FormatQtyLine(u'【' + ShownText(counts.freeName) + u'】', counts.freeCount));
  }
  lines.append(QString());
}

}  // namespace

QStringList BuildResultString(const FieldCounts& counts, const QDateTime& loginTime,
                              ReportOptions options, const QLocale& locale) {
  const Totals& totals = counts.totals;
  QStringList lines;
  lines.reserve(48);
  lines.append(LoginLine(loginTime, locale));
  lines.append(LabelledLine(kMethodLine, options.compatible ? QStringView() : kProgramTag));
  lines.append(QString());

  for (int group = 1; group <= 4; ++group) AppendGroupBlock(group, counts, lines);
  if (!options.compatible) {
    lines.append(WorldLine(PvpWorldIndex(), counts));
    lines.append(QString());
  }

  for (std::size_t i = 0; i < kGroupTotalLabels.size(); ++i) {
    lines.append(LabelledLine(kGroupTotalLabels[i],
                              TotalValue(totals.group[i], totals.grand, options.expand, locale)));
  }
  if (options.compatible) {
    lines.append(FormatQtyLine(kCompatiblePvpLabel, counts.worlds[PvpWorldIndex()]));
  }
  lines.append(LabelledLine(kGrandTotalLabel, QString::number(totals.grand)));

  if (options.expand) {
    lines.append(QString());
    for (std::size_t i = 0; i < kGenerationTotalLabels.size(); ++i) {
      lines.append(LabelledLine(kGenerationTotalLabels[i],
                                TotalValue(totals.generation[i], totals.grand, true, locale)));
    }
  }
  return lines;
}

QString FormatQtyLine(QStringView label, std::int32_t count) {
  return label.toString() + u' ' +
         (count == kNotMeasured ? kNotMeasuredText.toString() : QString::number(count));
}

QString JoinReportLines(const QStringList& lines) {
  QString text;
  qsizetype size = 0;
  for (const QString& line : lines) size += line.size() + 2;
  text.reserve(size);
  for (const QString& line : lines) {
    text += line;
    text += QStringLiteral("\r\n");
  }
  return text;
}

}  // namespace dorvex
