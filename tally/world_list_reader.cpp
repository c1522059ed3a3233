#include "world_list_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace dorvex {

namespace {

constexpr int kNameOffset = 6;
constexpr int kNameSize = 20;
constexpr int kCountOffset = 26;

std::uint16_t ReadU16LE(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

WorldListReader::WorldListReader(CountStore& store, LoginTime& loginTime,
                                 std::function<void()> updateAll)
    : store_(store), loginTime_(loginTime), updateAll_(std::move(updateAll)) {}

bool WorldListReader::Read(const std::uint8_t* data, std::int64_t length) {
  const bool reply = data != nullptr && length >= 2 && IsWorldListReply(ReadU16LE(data));
  if (reply) {
    // Only as much as the 1024-byte working copy holds is read.
    const std::int64_t usable = std::min<std::int64_t>(length, kWorkingCopySize);
    for (std::int64_t offset = 0; offset + kWorldRecordSize <= usable; offset += kWorldRecordSize) {
      StoreRecord(data + offset);
    }
    if (updateAll_) updateAll_();
  }
  loginTime_.Stamp();
  return reply;
}

void WorldListReader::StoreRecord(const std::uint8_t* record) {
  const std::uint8_t* name = record + kNameOffset;
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(name, 0, kNameSize));
  const std::size_t nameLength = end != nullptr ? static_cast<std::size_t>(end - name) : kNameSize;
  store_.Set(nameDecoder_.Decode(name, nameLength),
             QString::number(ReadU16LE(record + kCountOffset)));
}

bool IsWorldListReply(std::uint16_t leadingValue) {
  return leadingValue == kWorldListReplyA || leadingValue == kWorldListReplyB;
}

}  // namespace dorvex
