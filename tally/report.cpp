#include "report.h"

#include <array>

#include "count_text.h"
#include "percent_text.h"
#include "world_table.h"

namespace dorvex {

namespace {

constexpr std::string_view kLoginLabel = "【ログイン日時】";
constexpr std::string_view kMethodLine = "【計測方法】ワールドセレクト表示値";
constexpr std::string_view kProgramTag = " (Dorvex)";
constexpr std::string_view kNotMeasuredText = "(未計測)";
constexpr std::string_view kCompatiblePvpLabel = "【.　　　urdr　　　.】";
constexpr std::string_view kGrandTotalLabel = "【　 全鯖合計 　.】";
constexpr std::array<std::string_view, 4> kGroupTotalLabels{
    "【グループ1合計】", "【グループ2合計】", "【グループ3合計】", "【グループ4合計】"};
constexpr std::array<std::string_view, 5> kGenerationTotalLabels{
    "【一期鯖 合計】", "【二期鯖 合計】", "【三期鯖 合計】", "【四期鯖 合計】", "【五期鯖 合計】"};

// yyyy年MM月dd日 (ddd) hh:mm:ss, fractions of a second dropped. A login time that was never
// stamped shows no date at all rather than an invented one.
QString LoginLine(const QDateTime& loginTime, const QLocale& locale) {
  QString line = ToQString(kLoginLabel);
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

QString WorldLine(const World& world, const FieldAccess& fields) {
  return FormatQtyLine(ToQString(world.reportLabel), fields.TextOf(ToQString(world.fieldName)));
}

void AppendGroupBlock(int group, const FieldAccess& fields, QStringList& lines) {
  for (const World& world : WorldTable()) {
    if (world.group == group) lines.append(WorldLine(world, fields));
  }
  if (group == kTempServerGroup) {
    const QString tempName = fields.TextOf(ToQString(kTempServerNameField));
    if (!tempName.isEmpty()) {
      lines.append(
          FormatQtyLine(u'【' + tempName + u'】', fields.TextOf(ToQString(kTempServerQtyField))));
    }
  }
  lines.append(QString());
}

const World& PvpWorld() {
  for (const World& world : WorldTable()) {
    if (world.group == kPvpGroup) return world;
  }
  return WorldTable().back();
}

}  // namespace

QStringList BuildResultString(const FieldAccess& fields, const Totals& totals,
                              const QDateTime& loginTime, ReportOptions options,
                              const QLocale& locale) {
  QStringList lines;
  lines.reserve(48);
  lines.append(LoginLine(loginTime, locale));
  lines.append(ToQString(kMethodLine) + (options.compatible ? QString() : ToQString(kProgramTag)));
  lines.append(QString());

  for (int group = 1; group <= 4; ++group) AppendGroupBlock(group, fields, lines);
  if (!options.compatible) {
    lines.append(WorldLine(PvpWorld(), fields));
    lines.append(QString());
  }

  for (std::size_t i = 0; i < kGroupTotalLabels.size(); ++i) {
    lines.append(ToQString(kGroupTotalLabels[i]) +
                 TotalValue(totals.group[i], totals.grand, options.expand, locale));
  }
  if (options.compatible) {
    lines.append(FormatQtyLine(ToQString(kCompatiblePvpLabel),
                               fields.TextOf(ToQString(PvpWorld().fieldName))));
  }
  lines.append(ToQString(kGrandTotalLabel) + QString::number(totals.grand));

  if (options.expand) {
    lines.append(QString());
    for (std::size_t i = 0; i < kGenerationTotalLabels.size(); ++i) {
      lines.append(ToQString(kGenerationTotalLabels[i]) +
                   TotalValue(totals.generation[i], totals.grand, true, locale));
    }
  }
  return lines;
}

QString FormatQtyLine(const QString& label, QStringView countText) {
  const std::int32_t count = CountOf(countText);
  return label + u' ' +
         (count == kNotMeasured ? ToQString(kNotMeasuredText) : QString::number(count));
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
