#include "tally/world_list_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/byte_order.h"
#include "tally/shown_text.h"

namespace dorvex {

WorldListReader::WorldListReader(CountStore& store, LoginTime& loginTime,
                                 std::function<void()> updateAll)
    : store_(store), loginTime_(loginTime), updateAll_(std::move(updateAll)) {}

bool WorldListReader::Read(const std::uint8_t* data, std::int64_t length) {
  const bool reply = data != nullptr && length >= 2 && IsWorldListReply(LittleEndian16At(data));
  if (reply) {
    // Only as much as the 1024-byte working copy holds is read.
    const std::int64_t usable = std::min<std::int64_t>(length, kWorkingCopySize);
    std::int64_t k = 0;
    for (; (k + 1) * kWorldRecordSize <= usable; ++k) {
      StoreRecord(data + k * kWorldRecordSize, slots_[static_cast<std::size_t>(k)]);
    }
    lastReplyRecords_ = static_cast<std::size_t>(k);
    if (updateAll_) updateAll_();
  }
  loginTime_.Stamp();
  return reply;
}

void WorldListReader::StoreRecord(const std::uint8_t* record, RecordSlot& slot) {
  const std::uint8_t* name = record + kWorldNameOffset;
  const std::uint16_t count = LittleEndian16At(record + kWorldCountOffset);
  slot.count = count;
  if (slot.known && std::equal(name, name + kWorldNameSize, slot.nameField.begin())) {
    // The same name bytes as last time: the same entry, unless it has been given up since.
    if (!store_.SetCountAt(slot.entry, count))
      slot.entry = store_.SetCount(slot.decodedName, count);
    return;
  }
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(name, 0, kWorldNameSize));
  const std::size_t nameLength =
      end != nullptr ? static_cast<std::size_t>(end - name) : kWorldNameSize;
  // A name is shown, never obeyed: control characters in it could add or move report lines.
  slot.decodedName = ShownText(nameDecoder_.Decode(name, nameLength));
  slot.entry = store_.SetCount(slot.decodedName, count);
  slot.known = true;
  std::copy(name, name + kWorldNameSize, slot.nameField.begin());
}

std::vector<DecodedRecord> WorldListReader::LastReplyRecords() const {
  std::vector<DecodedRecord> records;
  records.reserve(lastReplyRecords_);
  for (std::size_t k = 0; k < lastReplyRecords_; ++k) {
    records.push_back({slots_[k].decodedName, slots_[k].count});
  }
  return records;
}

bool IsWorldListReply(std::uint16_t leadingValue) {
  return leadingValue == kWorldListReplyA || leadingValue == kWorldListReplyB;
}

}  // namespace dorvex
