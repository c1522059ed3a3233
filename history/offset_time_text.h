#pragma once
// A reply's local time as the history file keeps it and its CSV shows it: ISO 8601 with the UTC
// offset ("2024-05-01T21:00:00+09:00").

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>

namespace dorvex {

QString OffsetTimeText(const QDateTime& localTime);

// OffsetTimeText of the time `stored` (UTF-8, as the file keeps it) reads as, in UTF-8. A text
// that already has the form OffsetTimeText writes (seconds, a non-zero offset) is its own; any
// other goes through QDateTime.
QByteArray OffsetTimeTextOf(QByteArrayView stored);

// Whether `text` has exactly that form and reads as a valid time.
bool IsOffsetTimeText(QByteArrayView text);

// The time `stored` reads as (QDateTime::fromString with Qt::ISODate), without a parse through
// QString when it has that form.
QDateTime ReadOffsetTime(QByteArrayView stored);

// The same time as its own clock reads it (its date and time, its offset aside), in milliseconds
// since 1970-01-01 00:00 on that clock; none when `stored` does not read as a time.
std::optional<qint64> ReadClockMs(QByteArrayView stored);

}  // namespace dorvex
