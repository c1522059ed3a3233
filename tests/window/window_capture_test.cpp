// The window with a live capture: replies on loopback port 6900.

#include "history/history_read.h"
#include "tally/world_list_payload.h"
#include "tests/support/adapter_index.h"
#include "tests/support/history_support.h"
#include "tests/support/live_test_support.h"
#include "tests/window/window_fixture.h"

namespace dorvex::test {
namespace {

std::vector<std::uint8_t> Reply(std::initializer_list<WorldRecord> records) {
  const QByteArray bytes = MakeWorldListReply(std::span(records.begin(), records.size()));
  return {bytes.begin(), bytes.end()};
}

// Replies fill fields and report and are kept with their origin; a reply the locked history cannot
// take waits and is asked about at close, which stops the capture.
TEST_F(WindowTest, ChosenAdapterCapturesRepliesIntoFieldsReportAndHistoryUntilTheClose) {
  if (!CanCapture()) GTEST_SKIP() << kNeedsRoot;
  Show(kQuietSettings);
  QComboBox& list = Child<QComboBox>("cboAdapter");
  list.setCurrentIndex(LoopbackAdapterIndex());  // the program's choice opens nothing
  EXPECT_TRUE(StatusText().startsWith(u"Pick the adapter"));
  emit list.activated(LoopbackAdapterIndex());
  ASSERT_EQ(StatusText(), "Capturing on lo (filter: tcp port 6900)");
  const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}, {"newworld", 30}}));
  ASSERT_TRUE(PumpUntil([&] { return MemoLines().contains(QStringLiteral("【verdandi】 1000")); }));
  const QDateTime after = QDateTime::currentDateTimeUtc();
  EXPECT_EQ(Edit("edtTempServerName").text(), "newworld");
  EXPECT_EQ(Edit("edtTempServerQty").text(), "30");

  const QString path = InSettingsFolder(QStringLiteral("dorvex.sqlite"));
  RawDb other(path);
  ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE"));
  LoopbackConnection secondServer(6900, 0x7f000002);  // at once: from the same server, one row
  secondServer.ServerSends(Reply({{"magni", 2}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtMagniQty").text() == "2"; }));
  EXPECT_TRUE(StatusText().startsWith("History is not being saved to " + path) &&
              StatusText().contains("1 reply waits in memory"));
  // Retry while the lock is held, then again after it is released.
  ModalAnswerer answerer([&](int n) {
    if (n == 1) other.Exec("COMMIT");
    return QMessageBox::Retry;
  });
  EXPECT_TRUE(Window().close());
  ASSERT_EQ(answerer.shown.size(), 2);
  EXPECT_TRUE(answerer.shown[0].endsWith("Retry, or close and lose the replies that wait?"));
  EXPECT_TRUE(StatusText().contains(u"Not capturing"));
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), QString::number(LoopbackAdapterIndex()));
  connection.ServerSends(Reply({{"surt", 7}}));
  PumpFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(Edit("edtSurtQty").text().isEmpty());

  QString error;
  const auto replies = ReadHistory(path, {}, error).value_or(std::vector<HistoryReply>{});
  ASSERT_EQ(replies.size(), 2u) << error.toStdString();
  const HistoryReply& first = replies[0];
  EXPECT_EQ(first.records, std::vector<DecodedRecord>({{"verdandi", 1000}, {"newworld", 30}}));
  EXPECT_EQ(first.adapter + " " + first.serverAddress + ":" + QString::number(first.serverPort),
            "lo 127.0.0.1:6900");
  EXPECT_TRUE(before <= first.captureTimeUtc && first.captureTimeUtc <= after);
  EXPECT_EQ(replies[1].records, std::vector<DecodedRecord>({{"magni", 2}}));
}

}  // namespace
}  // namespace dorvex::test
