#pragma once
// The world list reader: recognises a world list reply in one TCP payload and stores its counts.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "tally/count_store.h"
#include "tally/cp932_text.h"
#include "tally/login_time.h"
#include "tally/world_list_layout.h"

namespace dorvex {

// True for the two leading values (little-endian, first two bytes) that mark a world list reply.
bool IsWorldListReply(std::uint16_t leadingValue);

// One record of a reply: its name as decoded and its count.
struct DecodedRecord {
  QString name;
  std::uint16_t count = 0;
  bool operator==(const DecodedRecord&) const = default;
};

class WorldListReader {
 public:
  // `updateAll` runs the update cycle once per reply; `loginTime` is stamped after every payload.
  WorldListReader(CountStore& store, LoginTime& loginTime, std::function<void()> updateAll);

  // Handles one payload of `length` bytes; true when it was a world list reply.
  // Never reads past `length` bytes of `data`. A null or empty payload only stamps the time, and
  // so does a single byte (its leading value cannot be read whole). Names are code page 932 text.
  bool Read(const std::uint8_t* data, std::int64_t length);

  // The records of the last world list reply, in reply order (empty before the first). Built on
  // demand from what Read keeps anyway, so reading costs nothing more for it.
  std::vector<DecodedRecord> LastReplyRecords() const;

 private:
  using NameField = std::array<std::uint8_t, kWorldNameSize>;

  // What a name field was read as: its decoded name and the store entry it reached. The same
  // name bytes always decode to the same name and reach the same entry (unless that entry has
  // been given up), so a name field read before skips decoding and lookup.
  struct KnownName {
    CountStore::Handle entry{};
    QString decodedName;
  };

  // The name field a record position carried last, and what it was read as. A reply mostly
  // repeats the names of the one before in the same order; names that move to other positions
  // are found in knownNames_.
  struct RecordSlot {
    NameField nameField{};
    bool known = false;  // nameField and name hold a name read before
    KnownName name;
    std::uint16_t count = 0;  // of the last reply
  };

  // Mixes the field's 20 bytes as three words: cheaper than hashing them byte by byte.
  struct NameFieldHash {
    std::size_t operator()(const NameField& field) const;
  };

  // At most this many name fields are remembered beyond the record positions; beyond that the
  // memory is cleared, so that a stream of new names cannot grow it.
  static constexpr std::size_t kMaxKnownNames = 256;

  void StoreRecord(const std::uint8_t* record, RecordSlot& slot);
  QString DecodeName(const std::uint8_t* name);

  CountStore& store_;
  LoginTime& loginTime_;
  std::function<void()> updateAll_;
  Cp932Decoder nameDecoder_;
  std::array<RecordSlot, kWorkingCopySize / kWorldRecordSize> slots_;
  std::unordered_map<NameField, KnownName, NameFieldHash> knownNames_;
  std::size_t lastReplyRecords_ = 0;  // records of the last reply in slots_
};

}  // namespace dorvex
