#include "tally/world_list_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/byte_order.h"

namespace dorvex {

namespace {

// Whether two name fields hold the same bytes.
bool SameField(const std::uint8_t* a, const std::uint8_t* b) {
  static_assert(kWorldNameSize == 20);
  std::uint64_t a0, a1, b0, b1;
  std::uint32_t a2, b2;
  std::memcpy(&a0, a, 8);
  std::memcpy(&a1, a + 8, 8);
  std::memcpy(&a2, a + 16, 4);
  std::memcpy(&b0, b, 8);
  std::memcpy(&b1, b + 8, 8);
  std::memcpy(&b2, b + 16, 4);
  return ((a0 ^ b0) | (a1 ^ b1) | (a2 ^ b2)) == 0;
}

}  // namespace

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
  if (!slot.known || !std::equal(name, name + kWorldNameSize, slot.nameField.begin())) {
    std::copy(name, name + kWorldNameSize, slot.nameField.begin());
    slot.known = true;
    const std::size_t set = FieldHash(name) % kRecentSets;
    RecentSet& recent = recentNames_[set];
    std::size_t way = 0;
    while (way < recent.fields.size() && !((unsigned{recent.known} >> way & 1u) != 0 &&
                                           SameField(recent.fields[way].data(), name))) {
      ++way;
    }
    if (way < recent.fields.size()) {
      slot.name = recent.names[way];
    } else {
      DecodedName decoded = nameDecoder_.Decode(name, kWorldNameSize);
      slot.name.entry = store_.SetCount(decoded.name, std::move(decoded.key), count);
      slot.name.decodedName = std::move(decoded.name);
      // The set's cells take new names in turn.
      const std::size_t cell = recent.next;
      recent.next = static_cast<std::uint8_t>((cell + 1) % recent.fields.size());
      recent.fields[cell] = slot.nameField;
      recent.known |= static_cast<std::uint8_t>(1u << cell);
      recent.names[cell] = slot.name;
      return;
    }
  }
  // Name bytes read before: the same entry, unless it has been given up since.
  if (!store_.SetCountAt(slot.name.entry, count)) {
    slot.name.entry = store_.SetCount(slot.name.decodedName, count);
  }
}

std::size_t WorldListReader::FieldHash(const std::uint8_t* field) {
  static_assert(kWorldNameSize == 20);
  // The field's 20 bytes as three words: cheaper than hashing them byte by byte.
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  std::uint32_t c = 0;
  std::memcpy(&a, field, 8);
  std::memcpy(&b, field + 8, 8);
  std::memcpy(&c, field + 16, 4);
  std::uint64_t mixed = (a * 0x9E3779B97F4A7C15u) ^ (b * 0xC2B2AE3D27D4EB4Fu) ^ c;
  // As in MurmurHash3's fmix64: the high bits reach the low bits, which choose the cell.
  mixed ^= mixed >> 33;
  mixed *= 0xFF51AFD7ED558CCDu;
  return static_cast<std::size_t>(mixed ^ (mixed >> 33));
}

std::vector<DecodedRecord> WorldListReader::LastReplyRecords() const {
  std::vector<DecodedRecord> records;
  records.reserve(lastReplyRecords_);
  for (std::size_t k = 0; k < lastReplyRecords_; ++k) {
    records.push_back({slots_[k].name.decodedName.ToString(), slots_[k].count});
  }
  return records;
}

bool IsWorldListReply(std::uint16_t leadingValue) {
  return leadingValue == kWorldListReplyA || leadingValue == kWorldListReplyB;
}

}  // namespace dorvex
