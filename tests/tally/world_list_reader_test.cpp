#include "world_list_reader.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "world_list_payload.h"

namespace dorvex {
namespace {

using Entries = std::vector<std::pair<QString, QString>>;
using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const QByteArray& a) {
  return Bytes(a.begin(), a.end());
}

Bytes Reply(std::vector<WorldRecord> records, std::uint16_t leading = kWorldListReplyA) {
  return BytesOf(MakeWorldListReply(records, leading));
}

class ReaderTest : public ::testing::Test {
 protected:
  // Each stamp reads one second later than the one before.
  LoginTime loginTime{
      [this] { return QDateTime(QDate(2007, 9, 1), QTime(21, 0, 0)).addSecs(ticks_++); }};
  CountStore store;
  std::vector<QDateTime> updates;  // login time seen by each update cycle
  WorldListReader reader{store, loginTime, [this] { updates.push_back(loginTime.Value()); }};

  // Feeds the bytes from a heap block of exactly their size, so that any read past the end
  // shows up under AddressSanitizer.
  bool Feed(const Bytes& bytes) {
    auto exact = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return reader.Read(exact.get(), static_cast<std::int64_t>(bytes.size()));
  }

  Entries StoreEntries() const {
    Entries entries;
    for (int i = 0; i < store.Count(); ++i) entries.emplace_back(store.Name(i), store.CountText(i));
    return entries;
  }

 private:
  int ticks_ = 0;
};

struct ReaderCase {
  const char* what;
  Bytes payload;
  bool reply;
  Entries entries;
};

class ReaderCaseTest : public ReaderTest, public ::testing::WithParamInterface<ReaderCase> {};

TEST_P(ReaderCaseTest, StoresRecordsOfReplies) {
  const ReaderCase& c = GetParam();
  EXPECT_EQ(Feed(c.payload), c.reply);
  EXPECT_EQ(StoreEntries(), c.entries);
  EXPECT_EQ(updates.size(), c.reply ? 1u : 0u);
  EXPECT_TRUE(loginTime.Value().isValid());  // stamped for every payload
}

Bytes TwoRecordExample() {
  Bytes bytes(64, 0);
  bytes[0] = 0xD3;
  bytes[1] = 0x0D;
  std::memcpy(bytes.data() + 6, "first", 5);
  bytes[26] = 0x2A;
  std::memcpy(bytes.data() + 38, "verdandi", 8);
  bytes[58] = 0xE8;
  bytes[59] = 0x03;
  return bytes;
}

Bytes Truncated(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

Bytes ManyRecords(int count) {
  std::vector<WorldRecord> records;
  for (int i = 0; i < count; ++i) {
    records.push_back({"w" + QByteArray::number(i), static_cast<std::uint16_t>(i)});
  }
  Bytes bytes = Reply(records);
  bytes.resize(bytes.size() + 40, 0x41);  // beyond the working copy: never read
  return bytes;
}

Entries FirstRecords(int count) {
  Entries entries;
  for (int i = 0; i < count; ++i)
    entries.emplace_back("w" + QString::number(i), QString::number(i));
  return entries;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderCaseTest,
    ::testing::Values(
        ReaderCase{"TwoRecords", TwoRecordExample(), true, {{"first", "42"}, {"verdandi", "1000"}}},
        ReaderCase{"BigEndianLeadIsNoReply", {0x0D, 0xD3, 0, 0}, false, {}},
        ReaderCase{
            "SecondLeadingValue", Reply({{"thor", 9}}, kWorldListReplyB), true, {{"thor", "9"}}},
        ReaderCase{"OtherLeadingValue", Reply({{"thor", 9}}, 0x0DD4), false, {}},
        ReaderCase{"TwentyByteName",
                   Reply({{"abcdefghijklmnopqrstuvwxyz", 1}}),
                   true,
                   {{"abcdefghijklmnopqrst", "1"}}},
        ReaderCase{"EmptyName", Reply({{"", 3}}), true, {{"", "3"}}},
        ReaderCase{
            "CountLimits", Reply({{"a", 0xFFFF}, {"b", 0}}), true, {{"a", "65535"}, {"b", "0"}}},
        ReaderCase{"SameNameTwice",
                   Reply({{"magni", 1}, {"chaos", 2}, {"MAGNI", 3}}),
                   true,
                   {{"magni", "3"}, {"chaos", "2"}}},
        ReaderCase{"RemainderNotRead",
                   Truncated(Reply({{"a", 1}, {"b", 2}, {"c", 3}}), 95),
                   true,
                   {{"a", "1"}, {"b", "2"}}},
        ReaderCase{"ShortReplyHasNoRecords", Truncated(Reply({{"a", 1}}), 31), true, {}},
        ReaderCase{"LeadingValueAlone", {0x3D, 0xD7}, true, {}},
        ReaderCase{"SingleByteIsNoReply", {0xD3}, false, {}},
        ReaderCase{"WorkingCopyHolds32Records", ManyRecords(34), true, FirstRecords(32)},
        ReaderCase{"Cp932Name", Reply({{"\x82\xa0\x82\xa2\xb1", 5}}), true, {{"あいｱ", "5"}}},
        ReaderCase{"BrokenCp932Sequences",
                   Reply({{"a\x82 b\xff\x82", 5}}),
                   true,
                   {{"a\uFFFD b\uFFFD\uFFFD", "5"}}},
        // A lead byte in the 20th name byte must not pair with the count byte after it.
        ReaderCase{"LeadByteAtEndOfNameField",
                   Reply({{"abcdefghijklmnopqrs\x82", 0xA0}}),
                   true,
                   {{"abcdefghijklmnopqrs\uFFFD", "160"}}}),
    [](const auto& info) { return std::string(info.param.what); });

struct SequenceCase {
  const char* what;
  std::vector<Bytes> payloads;  // fed in order
  Entries entries;
};

class ReaderSequenceTest : public ReaderTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(ReaderSequenceTest, LaterRepliesUpdateEntries) {
  for (const Bytes& payload : GetParam().payloads) Feed(payload);
  EXPECT_EQ(StoreEntries(), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderSequenceTest,
    ::testing::Values(
        SequenceCase{"SameNamesNewCounts",
                     {Reply({{"magni", 1}, {"chaos", 2}}), Reply({{"magni", 3}, {"chaos", 4}})},
                     {{"magni", "3"}, {"chaos", "4"}}},
        SequenceCase{"CountBackToEarlierValue",
                     {Reply({{"thor", 7}}), Reply({{"thor", 8}}), Reply({{"thor", 7}})},
                     {{"thor", "7"}}},
        SequenceCase{
            "NamesChangePlaces",
            {Reply({{"magni", 1}, {"chaos", 2}}), Reply({{"CHAOS", 3}, {"magni", 4}, {"thor", 5}})},
            {{"magni", "4"}, {"chaos", "3"}, {"thor", "5"}}},
        SequenceCase{"LongerNameAtSamePlace",
                     {Reply({{"thor", 1}}), Reply({{"thora", 2}})},
                     {{"thor", "1"}, {"thora", "2"}}},
        SequenceCase{"BytesAfterNameEndDiffer",
                     {Reply({{QByteArray("thor\0zzzzzzzzzzzzzzz", 20), 1}}),
                      Reply({{QByteArray("THOR\0yyyyyyyyyyyyyyy", 20), 2}})},
                     {{"thor", "2"}}},
        SequenceCase{
            "Cp932NameAgain", {Reply({{"\x82\xa0", 1}}), Reply({{"\x82\xa0", 2}})}, {{"あ", "2"}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ReaderTest, NullOrEmptyPayloadOnlyStamps) {
  const std::uint8_t byte = 0xD3;
  EXPECT_FALSE(reader.Read(&byte, 0));
  EXPECT_FALSE(reader.Read(nullptr, 64));
  EXPECT_FALSE(reader.Read(&byte, -5));
  EXPECT_EQ(loginTime.Value().time(), QTime(21, 0, 2));
  EXPECT_EQ(store.Count(), 0);
  EXPECT_TRUE(updates.empty());
}

TEST_F(ReaderTest, UpdateSeesStampOfPayloadBefore) {
  Feed(Reply({{"verdandi", 1}}));  // nothing stamped yet: null time; then stamped 21:00:00
  Feed(Reply({{"verdandi", 2}}));  // update sees 21:00:00, then stamped 21:00:01
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_FALSE(updates[0].isValid());
  EXPECT_EQ(updates[1].time(), QTime(21, 0, 0));
  EXPECT_EQ(loginTime.Value().time(), QTime(21, 0, 1));
}

TEST_F(ReaderTest, ReplySplitOverSegmentsKeepsWholeRecordsOfFirst) {
  const Bytes whole = Reply({{"a", 1}, {"b", 2}});
  Feed(Bytes(whole.begin(), whole.begin() + 40));
  Feed(Bytes(whole.begin() + 40, whole.end()));  // starts inside record 0's name: no reply
  EXPECT_EQ(StoreEntries(), (Entries{{"a", "1"}}));
  EXPECT_EQ(updates.size(), 1u);
}

}  // namespace
}  // namespace dorvex
