// The window with a live capture: replies over a real TCP connection on port 6900 on loopback,
// closing while capturing, and a capture that ends by itself.

#include <sqlite3.h>

#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <vector>

#include "history/history_read.h"
#include "tally/world_list_payload.h"
#include "tests/support/adapter_index.h"
#include "tests/support/live_test_support.h"
#include "tests/support/loopback_peer.h"
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
    const int lo = LoopbackAdapterIndex();
    ASSERT_GE(lo, 0) << "no loopback adapter";
    QComboBox& list = Child<QComboBox>("cboAdapter");
    list.setCurrentIndex(lo);
    emit list.activated(lo);
    ASSERT_TRUE(StatusText().contains(QStringLiteral("Capturing on lo")));
  }

  QString HistoryPath() const {
    return QFileInfo(SettingsPath()).absolutePath() + "/dorvex.sqlite";
  }

  std::vector<HistoryReply> History() {
    QString error;
    auto replies = ReadHistory(HistoryPath(), {}, error);
    EXPECT_TRUE(replies.has_value()) << error.toStdString();
    return replies.value_or(std::vector<HistoryReply>{});
  }
};

TEST_F(WindowCaptureTest, ChosenAdapterCapturesRepliesIntoFieldsAndReportUntilTheClose) {
  const int lo = LoopbackAdapterIndex();
  ASSERT_GE(lo, 0) << "no loopback adapter";
  ShowQuiet();
  QComboBox& list = Child<QComboBox>("cboAdapter");
  list.setCurrentIndex(lo);
  emit list.activated(lo);  // as a choice in the drop-down list
  const QString capturing = StatusText();
  EXPECT_EQ(capturing, "Capturing on lo (filter: tcp port 6900)");

  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}, {"MAGNI", 250}, {"newworld", 30}}));
  ASSERT_TRUE(PumpUntil([&] { return MemoLines().contains(QStringLiteral("【verdandi】 1000")); }));
  EXPECT_EQ(Edit("edtMagniQty").text(), "250");  // names match without letter case
  EXPECT_EQ(Edit("edtTempServerName").text(), "newworld");
  EXPECT_EQ(Edit("edtTempServerQty").text(), "30");
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【グループ1合計】1280")));

  // Clear keeps the count store: the next cycle brings the stored counts back.
  QTest::mouseClick(&Child<QPushButton>("btnClear"), Qt::LeftButton);
  EXPECT_TRUE(Edit("edtVerdandiQty").text().isEmpty());
  QTest::mouseClick(&Child<QCheckBox>("chkExpand"), Qt::LeftButton);
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");

  // A typed count of a stored world lasts only until the next cycle.
  TypeInto("edtVerdandiQty", QStringLiteral("5"));
  ClickFocus(Memo());
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");

  // Closing stops the capture first: nothing reaches the window afterwards.
  ASSERT_TRUE(CloseWindow());
  EXPECT_NE(StatusText(), capturing);
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), QString::number(lo));
  connection.ServerSends(Reply({{"surt", 7}}));
  PumpFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(Edit("edtSurtQty").text().isEmpty());
}

TEST_F(WindowCaptureTest, EveryReplyIsKeptInTheHistoryWithItsServerAdapterAndLoginTime) {
  ShowQuiet();
  CaptureOnLoopback();
  const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}, {"newworld", 30}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtVerdandiQty").text() == "1000"; }));
  connection.ServerSends(Reply({{"verdandi", 1001}, {"urdr", 5}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtVerdandiQty").text() == "1001"; }));
  const QString loginLine = MemoLines().value(0);
  const QDateTime after = QDateTime::currentDateTimeUtc();
  ASSERT_TRUE(CloseWindow());

  const std::vector<HistoryReply> replies = History();
  ASSERT_EQ(replies.size(), 2u);
  const std::vector<DecodedRecord> first{{"verdandi", 1000}, {"newworld", 30}};
  const std::vector<DecodedRecord> second{{"verdandi", 1001}, {"urdr", 5}};
  EXPECT_EQ(replies[0].records, first);
  EXPECT_EQ(replies[1].records, second);
  for (const HistoryReply& reply : replies) {
    EXPECT_EQ(reply.adapter, "lo");
    EXPECT_EQ(reply.serverAddress, "127.0.0.1");
    EXPECT_EQ(reply.serverPort, 6900);
    EXPECT_GE(reply.captureTimeUtc, before);
    EXPECT_LE(reply.captureTimeUtc, after);
  }
  // The local time kept is the one the report showed.
  EXPECT_TRUE(loginLine.contains(replies[1].localTime.toString(QStringLiteral("yyyy年MM月dd日"))))
      << loginLine.toStdString();
  EXPECT_TRUE(loginLine.contains(replies[1].localTime.toString(QStringLiteral("HH:mm:ss"))))
      << loginLine.toStdString();
  EXPECT_EQ(SettingsValue("History", "Enabled"), "1");
}

TEST_F(WindowCaptureTest, HistoryOffRecordsNothing) {
  ShowQuiet("[History]\nEnabled=0\n");
  CaptureOnLoopback();
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtVerdandiQty").text() == "1000"; }));
  ASSERT_TRUE(CloseWindow());
  EXPECT_FALSE(QFile::exists(HistoryPath()));
  EXPECT_EQ(SettingsValue("History", "Enabled"), "0");
}

// Another program holds the history's write lock: the reply waits in memory, the status line says
// so, and at close the user is asked; a retry after the lock is gone saves it.
TEST_F(WindowCaptureTest, ALockedHistoryKeepsTheReplyAndAsksAtCloseUntilItIsSaved) {
  ShowQuiet();
  CaptureOnLoopback();
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"magni", 1}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtMagniQty").text() == "1"; }));

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(HistoryPath()).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  connection.ServerSends(Reply({{"magni", 2}}));
  ASSERT_TRUE(PumpUntil([&] { return Edit("edtMagniQty").text() == "2"; }));
  EXPECT_TRUE(StatusText().startsWith("History is not being saved to " + HistoryPath() +
                                      ": the file is in use by another program"))
      << StatusText().toStdString();
  EXPECT_TRUE(StatusText().contains("1 reply waits in memory")) << StatusText().toStdString();

  // The first question is answered with Retry while the lock is still held, the second after it
  // is released.
  QStringList questions;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      questions.append(box->text());
      if (questions.size() == 2) {
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
      }
      box->button(QMessageBox::Retry)->click();
    }
  });
  poll.start(10);
  EXPECT_TRUE(CloseWindow());
  poll.stop();
  sqlite3_close(other);
  EXPECT_EQ(questions.size(), 2);
  EXPECT_TRUE(questions.value(0).contains("Retry, or close and lose the replies that wait?"));
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
