#pragma once
// The world list reader: recognises a world list reply in one TCP payload and stores its counts.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "tally/count_store.h"
#include "tally/inline_text.h"
#include "tally/login_time.h"
#include "tally/name_decoder.h"
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
    InlineText decodedName;
  };

  // The name field a record position carried last, and what it was read as. A reply mostly
  // repeats the names of the one before in the same order; names that moved are mostly found
  // in recentNames_, and others are decoded (a table look-up per character) and looked up in the
  // store.
  struct RecordSlot {
    NameField nameField{};
    bool known = false;  // nameField and name hold a name read before
    KnownName name;
    std::uint16_t count = 0;  // of the last reply
  };

  // Name fields read lately, in sets of four cells chosen by a hash of the field's bytes: a new
  // name takes the next cell of its set in turn, so that the memory stays this size, and up to
  // four names that share a set all stay (the 24 worlds' names share a set three at most).
  // The fields side by side, so that a search of a set reads little memory.
  struct RecentSet {
    std::array<NameField, 4> fields{};
    std::array<KnownName, 4> names;
    std::uint8_t known = 0;  // a bit for each cell that holds a name
    std::uint8_t next = 0;   // the cell that takes the next new name
  };
  static constexpr std::size_t kRecentSets = 32;
  static std::size_t FieldHash(const std::uint8_t* field);

  void StoreRecord(const std::uint8_t* record, RecordSlot& slot);

  CountStore& store_;
  LoginTime& loginTime_;
  std::function<void()> updateAll_;
  NameDecoder nameDecoder_;
  std::array<RecordSlot, kWorkingCopySize / kWorldRecordSize> slots_;
  std::array<RecentSet, kRecentSets> recentNames_;
  std::size_t lastReplyRecords_ = 0;  // records of the last reply in slots_
};

}  // namespace dorvex
