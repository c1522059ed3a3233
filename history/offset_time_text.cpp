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

}  // namespace

QString OffsetTimeText(const QDateTime& localTime) {
  return localTime.toOffsetFromUtc(localTime.offsetFromUtc()).toString(Qt::ISODate);
}

// "yyyy-MM-ddTHH:mm:ss+HH:MM": Qt writes a four-digit year from 1000 on, and writes an offset of
// zero as "Z"; offsets beyond 14 hours are left to Qt.
bool IsOffsetTimeText(QByteArrayView text) {
  if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || (text[19] != '+' && text[19] != '-') || text[22] != ':') {
    return false;
  }
  const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2);
  const int hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2),
            second = DigitsAt(text, 17, 2);
  const int offsetHours = DigitsAt(text, 20, 2), offsetMinutes = DigitsAt(text, 23, 2);
  const int offset = offsetHours * 60 + offsetMinutes;
  return year >= 1000 && QDate::isValid(year, month, day) && hour >= 0 && hour < 24 &&
         minute >= 0 && minute < 60 && second >= 0 && second < 60 && offsetHours >= 0 &&
         offsetMinutes >= 0 && offsetMinutes < 60 && offset > 0 && offset <= 14 * 60;
}

QByteArray OffsetTimeTextOf(QByteArrayView stored) {
  if (IsOffsetTimeText(stored)) return stored.toByteArray();
  return OffsetTimeText(ReadOffsetTime(stored)).toUtf8();
}

QDateTime ReadOffsetTime(QByteArrayView stored) {
  if (!IsOffsetTimeText(stored)) {
    return QDateTime::fromString(QString::fromUtf8(stored), Qt::ISODate);
  }
  const auto at = [&](qsizetype from, qsizetype count) { return DigitsAt(stored, from, count); };
  const int offsetMinutes = at(20, 2) * 60 + at(23, 2);
  return QDateTime(QDate(at(0, 4), at(5, 2), at(8, 2)), QTime(at(11, 2), at(14, 2), at(17, 2)),
                   Qt::OffsetFromUTC, (stored[19] == '-' ? -60 : 60) * offsetMinutes);
}

}  // namespace dorvex
