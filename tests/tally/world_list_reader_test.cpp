#include "tally/world_list_reader.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"

#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "tally/world_list_payload.h"

namespace dorvex {
namespace {

using Entries = std::vector<std::pair<QString, QString>>;
using Bytes = std::vector<std::uint8_t>;

Bytes Reply(std::vector<WorldRecord> records, std::uint16_t leading = kWorldListReplyA,
            std::size_t size = 0) {
  const QByteArray reply = MakeWorldListReply(records, leading);
  Bytes bytes(reply.begin(), reply.end());
  if (size != 0) bytes.resize(size, 0x41);
  return bytes;
}

// A reader over its own count store.
struct Reader {
  // Each stamp reads one second later than the one before.
  LoginTime loginTime{
      [this] { return QDateTime(QDate(2007, 9, 1), QTime(21, 0, 0)).addSecs(ticks_++); }};
  CountStore store;
  std::vector<QDateTime> updates;  // login time seen by each update cycle
  WorldListReader reader{store, loginTime, [this] { updates.push_back(loginTime.Value()); }};

  // Feeds the bytes from a heap block of exactly their size, so that AddressSanitizer catches
  // any read past the end.
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

  int ticks_ = 0;
};

class ReaderTest : public ::testing::Test, protected Reader {};

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

TEST(ReaderCasesTest, StoresRecordsOfReplies) {
  const struct {
    const char* what;
    Bytes payload;
    bool reply;
    Entries entries;
  } cases[] = {
      {"two records", TwoRecordExample(), true, {{"first", "42"}, {"verdandi", "1000"}}},
      {"second leading value",
       Reply({{"abcdefghijklmnopqrstuvwxyz", 0xFFFF}, {"", 0}}, kWorldListReplyB),
       true,
       {{"abcdefghijklmnopqrst", "65535"}, {"", "0"}}},
      {"other leading value", Reply({{"thor", 9}}, 0x0DD4), false, {}},
      {"single byte", {0xD3}, false, {}},
      {"same name twice in 95 bytes",
       Reply({{"a", 1}, {"A", 2}, {"c", 3}}, kWorldListReplyA, 95),
       true,
       {{"a", "2"}}},
      {"CP932", Reply({{"\x82\xa0\xb1", 5}}), true, {{"あｱ", "5"}}},
      {"broken CP932",
       Reply({{"a\x82 b\xff\x82", 5}, {"\x82\xa0", 6}}),
       true,
       {{"a\uFFFD b\uFFFD\uFFFD", "5"}, {"あ", "6"}}},
      // A name is shown, never obeyed: it can add no line to the report.
      {"control characters",
       Reply({{"x\r\nmagni 9999\r\nz", 5}}),
       true,
       {{"x\uFFFD\uFFFDmagni 9999\uFFFD\uFFFDz", "5"}}},
      // A lead byte in the 20th name byte must not pair with the count byte after it.
      {"lead byte at name end",
       Reply({{"abcdefghijklmnopqrs\x82", 0xA0}}),
       true,
       {{"abcdefghijklmnopqrs\uFFFD", "160"}}},
  };
  for (const auto& c : cases) {
    Reader r;
    EXPECT_EQ(r.Feed(c.payload), c.reply) << c.what;
    EXPECT_EQ(r.StoreEntries(), c.entries) << c.what;
    EXPECT_EQ(r.updates.size(), c.reply ? 1u : 0u) << c.what;
    EXPECT_TRUE(r.loginTime.Value().isValid());  // stamped for every payload
  }
}

TEST_F(ReaderTest, LaterRepliesUpdateEntries) {
  const QByteArray thor("thor\0zzzzzzzzzzzzzzz", 20);
  Feed(Reply({{thor, 7}, {"magni", 1}}));
  Feed(Reply({{thor, 8}, {"magni", 1}}));
  EXPECT_EQ(StoreEntries(), (Entries{{"thor", "8"}, {"magni", "1"}}));
  Feed(Reply({{thor, 7}, {"chaos", 2}, {"MAGNI", 3}}));  // a count back, names in new places
  EXPECT_EQ(StoreEntries(), (Entries{{"thor", "7"}, {"magni", "3"}, {"chaos", "2"}}));
  Feed(Reply({{QByteArray("THOR\0yyyyyyyyyyyyyyy", 20), 9}}));  // other bytes after the name
  EXPECT_EQ(StoreEntries(), (Entries{{"thor", "9"}, {"magni", "3"}, {"chaos", "2"}}));
  std::vector<WorldRecord> records;  // 34 records: the 1024-byte working copy holds 32
  for (int i = 0; i < 34; ++i) records.push_back({"w" + QByteArray::number(i), 7});
  Feed(Reply(records, kWorldListReplyA, 34 * kWorldRecordSize + 40));
  EXPECT_EQ(StoreEntries().size(), 3u + 32u);
  EXPECT_EQ(StoreEntries().back(), std::pair(QString("w31"), QString("7")));
}

// The last reply's records as decoded, in reply order, whether the name was decoded again or its
// slot repeated the name before; a payload that is no reply leaves them.
TEST_F(ReaderTest, LastReplyRecordsAreThoseOfTheLastReply) {
  using Records = std::vector<DecodedRecord>;
  EXPECT_EQ(reader.LastReplyRecords(), Records{});
  Feed(Reply({{"thor", 7}, {"magni", 1}}));
  Feed(Reply({{"thor", 8}, {"MAGNI", 3}, {"\x82\xa0", 5}}));
  const Records expected{{"thor", 8}, {"MAGNI", 3}, {"\u3042", 5}};
  EXPECT_EQ(reader.LastReplyRecords(), expected);
  EXPECT_FALSE(Feed(Bytes{1, 2, 3}));
  EXPECT_EQ(reader.LastReplyRecords(), expected);
  EXPECT_TRUE(Feed(Bytes{0x3D, 0xD7}));  // a reply too short for a record
  EXPECT_EQ(reader.LastReplyRecords(), Records{});
}

// Names drawn from more names than the reader remembers, in a new order every reply and in either
// letter case, reach the entries that a store fed the same names directly holds.
TEST(ReaderStreamTest, NamesMovingAmongPositionsReachTheirEntries) {
  Reader r;
  CountStore direct;
  std::mt19937 random(7);
  for (int reply = 0; reply < 300; ++reply) {
    std::vector<WorldRecord> records;
    std::vector<DecodedRecord> decoded;
    for (int k = 0; k < 24; ++k) {
      QByteArray name = "w" + QByteArray::number(static_cast<int>(random() % 200));
      if (random() % 4 == 0) name = name.toUpper();
      const auto count = static_cast<std::uint16_t>(random() % 1000);
      records.push_back({name, count});
      decoded.push_back({QString::fromLatin1(name), count});
      direct.SetCount(QString::fromLatin1(name), count);
    }
    r.Feed(Reply(records));
    Entries expected;
    for (int i = 0; i < direct.Count(); ++i)
      expected.emplace_back(direct.Name(i), direct.CountText(i));
    ASSERT_EQ(r.StoreEntries(), expected) << "reply " << reply;
    ASSERT_EQ(r.reader.LastReplyRecords(), decoded) << "reply " << reply;
  }
}

TEST_F(ReaderTest, UpdateSeesStampOfPayloadBefore) {
  EXPECT_FALSE(reader.Read(nullptr, 64));  // no payload: stamped 21:00:00 only
  Feed(Reply({{"verdandi", 1}}));          // update sees 21:00:00, then stamped 21:00:01
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].time(), QTime(21, 0, 0));
  EXPECT_EQ(loginTime.Value().time(), QTime(21, 0, 1));
}

}  // namespace
}  // namespace dorvex
