#pragma once
// A reply's count fields (CountsOfReply) and the sum of its unknown worlds (UnlistedTotal) read
// straight from its records BLOB, for exporting many replies. Which record each count field and
// the free row end up showing depends only on the reply's world names in order (letter case,
// repeats and unknown names included), so it is worked out once per sequence of names by the
// report's own code, on a reply whose counts are its records' positions; every reply with that
// sequence then takes its counts from its own records.

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "history/reply_records.h"
#include "tally/field_counts.h"

namespace dorvex::history_detail {

class RecordCounts {
 public:
  // `names`: the world table of the file the BLOBs come from; it must outlive this.
  explicit RecordCounts(const WorldNames& names) : names_(names) {}

  // The counts of `blob` as CountsOfReply and UnlistedTotal give them for its decoded records;
  // false when DecodeRecords would refuse it.
  bool Read(QByteArrayView blob, FieldCounts& counts, std::optional<std::int64_t>& other);

 private:
  // Where the counts of a sequence of names come from: record positions, -1 for none.
  struct Layout {
    std::array<int, kWorldTableSize> worldFrom{};
    QString freeName;
    int freeFrom = -1;
    std::vector<int> unlisted;  // the records of worlds without a count field
  };
  const Layout* LayoutOfRecords();

  const WorldNames& names_;
  std::vector<StoredRecord> records_;
  std::string key_;  // the world ids of records_, as bytes
  std::unordered_map<std::string, Layout> layouts_;
};

}  // namespace dorvex::history_detail
