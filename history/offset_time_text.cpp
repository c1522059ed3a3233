#include "history/offset_time_text.h"

#include <QDate>

namespace dorvex {

namespace {

// The number of the digits at `at`, or -1 when one of them is not a digit.
int DigitsAt(QByteArrayView text, qsizetype at, qsizetype count) {
  int value = 0;
  for (qsizetype i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// The fields of a text in the form OffsetTimeText writes.
struct OffsetTimeFields {
  QDate date;
  QTime time;
  int offsetSeconds = 0;
};

// "yyyy-MM-ddTHH:mm:ss+HH:MM": Qt writes a four-digit year from 1000 on, and writes an offset of
// zero as "Z"; offsets beyond 14 hours are left to Qt.
std::optional<OffsetTimeFields> ReadFields(QByteArrayView text) {
  if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || (text[19] != '+' && text[19] != '-') || text[22] != ':') {
    return std::nullopt;
  }
  const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2);
  const int hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2),
            second = DigitsAt(text, 17, 2);
  const int offsetHours = DigitsAt(text, 20, 2), offsetMinutes = DigitsAt(text, 23, 2);
  const int offset = offsetHours * 60 + offsetMinutes;
  if (year < 1000 || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second) ||
      offsetHours < 0 || offsetMinutes < 0 || offsetMinutes >= 60 || offset <= 0 ||
      offset > 14 * 60) {
    return std::nullopt;
  }
  return OffsetTimeFields{QDate(year, month, day), QTime(hour, minute, second),
                          (text[19] == '-' ? -60 : 60) * offset};
}

QDateTime QtReadTime(QByteArrayView stored) {
  return QDateTime::fromString(QString::fromUtf8(stored), Qt::ISODate);
}

}  // namespace

QString OffsetTimeText(const QDateTime& localTime) {
  return localTime.toOffsetFromUtc(localTime.offsetFromUtc()).toString(Qt::ISODate);
}

bool IsOffsetTimeText(QByteArrayView text) {
  return ReadFields(text).has_value();
}

QByteArray OffsetTimeTextOf(QByteArrayView stored) {
  if (IsOffsetTimeText(stored)) return stored.toByteArray();
  return OffsetTimeText(QtReadTime(stored)).toUtf8();
}

QDateTime ReadOffsetTime(QByteArrayView stored) {
  const std::optional<OffsetTimeFields> fields = ReadFields(stored);
  if (!fields) return QtReadTime(stored);
  return QDateTime(fields->date, fields->time, Qt::OffsetFromUTC, fields->offsetSeconds);
}

std::optional<qint64> ReadClockMs(QByteArrayView stored) {
  std::optional<OffsetTimeFields> fields = ReadFields(stored);
  if (!fields) {
    const QDateTime read = QtReadTime(stored);
    if (!read.isValid()) return std::nullopt;
    fields = OffsetTimeFields{read.date(), read.time(), 0};
  }
  constexpr qint64 kDayMs = 24 * 3600 * 1000;
  static const qint64 kEpochDay = QDate(1970, 1, 1).toJulianDay();
  return (fields->date.toJulianDay() - kEpochDay) * kDayMs + fields->time.msecsSinceStartOfDay();
}

}  // namespace dorvex
