#pragma once
// The capture time of a frame (its pcap time stamp) to the millisecond.

#include <sys/time.h>

#include <QDateTime>

namespace dorvex {

inline qint64 CaptureMSecsSinceEpoch(const timeval& time) {
  return qint64{time.tv_sec} * 1000 + qint64{time.tv_usec} / 1000;
}

inline QDateTime CaptureTimeUtc(const timeval& time) {
  return QDateTime::fromMSecsSinceEpoch(CaptureMSecsSinceEpoch(time), Qt::UTC);
}

}  // namespace dorvex
