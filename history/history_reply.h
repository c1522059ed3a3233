#pragma once
// One recognised world list reply as the history keeps it.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

#include "tally/world_list_reader.h"

namespace dorvex {

struct HistoryReply {
  QDateTime captureTimeUtc;  // the frame's capture time, kept to the millisecond
  QDateTime localTime;       // the login time the report shows (local, with its UTC offset)
  QString adapter;           // empty for replies read from a capture file
  QString serverAddress;     // IPv4, dotted
  std::uint16_t serverPort = 0;
  std::vector<DecodedRecord> records;  // in reply order
};

// "a.b.c.d" of an IPv4 address in host byte order.
QString IPv4Text(std::uint32_t address);

}  // namespace dorvex
