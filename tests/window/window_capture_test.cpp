// The window with a live capture: replies over a real TCP connection on port 6900 on loopback
// into the fields, the report and the history, closing while capturing, a history that cannot be
// written, and a capture that ends by itself.

#include <sqlite3.h>

#include <QFile>
#include <cstdlib>
#include <vector>

#include "history/history_read.h"
#include "tally/world_list_payload.h"
#include "tests/support/adapter_index.h"
#include "tests/support/live_test_support.h"
#include "tests/support/qstring_printer.h"
#include "tests/window/window_fixture.h"

namespace dorvex::test {
namespace {

std::vector<std::uint8_t> Reply(std::initializer_list<WorldRecord> records) {
  const QByteArray bytes = MakeWorldListReply(std::span(records.begin(), records.size()));
  return {bytes.begin(), bytes.end()};
}

class WindowCaptureTest : public WindowTest {
 protected:
  void SetUp() override {
    if (!CanCapture()) GTEST_SKIP() << kNeedsRoot;
  }

  // Starts capturing on the loopback adapter as a choice in the drop-down list does.
  void CaptureOnLoopback() {
    ASSERT_GE(LoopbackAdapterIndex(), 0) << "no loopback adapter";
    QComboBox& list = Child<QComboBox>("cboAdapter");
    list.setCurrentIndex(LoopbackAdapterIndex());
    emit list.activated(LoopbackAdapterIndex());
    ASSERT_EQ(StatusText(), "Capturing on lo (filter: tcp port 6900)");
  }

  std::vector<HistoryReply> History() {
    QString error;
    auto replies = ReadHistory(InSettingsFolder(QStringLiteral("dorvex.sqlite")), {}, error);
    EXPECT_TRUE(replies.has_value()) << error.toStdString();
    return replies.value_or(std::vector<HistoryReply>{});
  }
};

TEST_F(WindowCaptureTest, ChosenAdapterCapturesRepliesIntoFieldsReportAndHistoryUntilTheClose) {
  ShowQuiet();
  CaptureOnLoopback();
  const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}, {"newworld", 30}}));
  ASSERT_TRUE(PumpUntil([&] { return MemoLines().contains(QStringLiteral("【verdandi】 1000")); }));
  const QDateTime after = QDateTime::currentDateTimeUtc();
  const QString loginLine = MemoLines().value(0);
  EXPECT_EQ(Edit("edtTempServerName").text(), "newworld");
  EXPECT_EQ(Edit("edtTempServerQty").text(), "30");

  // Clear keeps the count store: the next cycle brings the stored counts back.
  Click("btnClear");
  EXPECT_TRUE(Edit("edtVerdandiQty").text().isEmpty());
  Click("chkExpand");
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");
  // A typed count of a stored world lasts only until the next cycle.
  TypeInto("edtVerdandiQty", QStringLiteral("5"));
  ClickFocus(Memo());
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");

  // Closing stops the capture first: nothing reaches the window afterwards.
  ASSERT_TRUE(CloseWindow());
  EXPECT_TRUE(StatusText().startsWith(u"Not capturing")) << StatusText().toStdString();
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), QString::number(LoopbackAdapterIndex()));
  connection.ServerSends(Reply({{"surt", 7}}));
  PumpFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(Edit("edtSurtQty").text().isEmpty());

  // The reply is kept with where and when it was captured, and the login time its report showed.
  const std::vector<HistoryReply> replies = History();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].records, std::vector<DecodedRecord>({{"verdandi", 1000}, {"newworld", 30}}));
  EXPECT_EQ(replies[0].adapter, "lo");
  EXPECT_EQ(replies[0].serverAddress, "127.0.0.1");
  EXPECT_EQ(replies[0].serverPort, 6900);
  EXPECT_TRUE(before <= replies[0].captureTimeUtc && replies[0].captureTimeUtc <= after);
  const QDateTime& local = replies[0].localTime;
  EXPECT_TRUE(loginLine.contains(local.toString(QStringLiteral("yyyy年MM月dd日"))) &&
              loginLine.contains(local.toString(QStringLiteral("HH:mm:ss"))))
      << loginLine.toStdString();
}

// Another program holds the history's write lock: the reply waits in memory, the status line says
// so, and at close the user is asked; a retry after the lock is gone saves it.
TEST_F(WindowCaptureTest, ALockedHistoryKeepsTheReplyAndAsksAtCloseUntilItIsSaved) {
  ShowQuiet();
  CaptureOnLoopback();
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"magni", 1}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtMagniQty").text() == "1"; }));
  const QString path = InSettingsFolder(QStringLiteral("dorvex.sqlite"));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  connection.ServerSends(Reply({{"magni", 2}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtMagniQty").text() == "2"; }));
  EXPECT_TRUE(StatusText().startsWith("History is not being saved to " + path) &&
              StatusText().contains("1 reply waits in memory"))
      << StatusText().toStdString();

  // The first question is answered with Retry while the lock is still held, the second after it
  // is released.
  ModalAnswerer answerer([&](int n) {
    if (n == 1) sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    return QMessageBox::Retry;
  });
  EXPECT_TRUE(CloseWindow());
  sqlite3_close(other);
  ASSERT_EQ(answerer.shown.size(), 2);
  EXPECT_TRUE(answerer.shown[0].endsWith("Retry, or close and lose the replies that wait?"));
  const std::vector<HistoryReply> replies = History();
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[1].records, std::vector<DecodedRecord>({{"magni", 2}}));
}

// A stored adapter is opened at start; removed under the capture, it ends the capture by itself and
// the status line says so without a click.
TEST_F(WindowCaptureTest, StatusLineNoticesACaptureThatEndsByItself) {
  if (std::system("ip link del dorvexwtap0 2>/dev/null; "
                  "ip tuntap add dev dorvexwtap0 mode tap && ip link set dorvexwtap0 up") != 0) {
    GTEST_SKIP() << "cannot create a tap adapter here (ip tuntap)";
  }
  const int tap = AdapterIndexOf("dorvexwtap0");
  ShowQuiet("[Snoop]\nAdapterIndex=" + QByteArray::number(tap) + "\n");
  EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), tap);
  const QString capturing = StatusText();
  const int removed = std::system("ip link del dorvexwtap0");
  ASSERT_EQ(capturing, "Capturing on dorvexwtap0 (filter: tcp port 6900)");
  ASSERT_EQ(removed, 0);
  EXPECT_TRUE(PumpUntil([&] { return StatusText() != capturing; }));
  EXPECT_EQ(StatusText(), "Not capturing: Snoop Error: pcap_next_ex return -1");
}

}  // namespace
}  // namespace dorvex::test
