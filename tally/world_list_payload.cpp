#include "tally/world_list_payload.h"

#include <algorithm>

namespace dorvex {

namespace {

void PutU16LE(QByteArray& bytes, qsizetype offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

}  // namespace

QByteArray MakeWorldListReply(std::span<const WorldRecord> records, std::uint16_t leadingValue) {
  QByteArray payload(static_cast<qsizetype>(records.size()) * kWorldRecordSize, '\0');
  qsizetype offset = 0;
  for (const WorldRecord& record : records) {
    const qsizetype nameLength = std::min<qsizetype>(record.name.size(), kWorldNameSize);
    std::copy_n(record.name.constData(), nameLength, payload.data() + offset + kWorldNameOffset);
    PutU16LE(payload, offset + kWorldCountOffset, record.count);
    offset += kWorldRecordSize;
  }
  if (payload.size() >= 2) PutU16LE(payload, 0, leadingValue);
  return payload;
}

}  // namespace dorvex
