// The window with a live capture on the loopback adapter: the adapter chosen by the settings or by
// the user, a world list reply sent over a real TCP connection on port 6900, and closing while
// capturing.

#include <QCheckBox>
#include <QTest>
#include <cstdlib>
#include <vector>

#include "adapter_index.h"
#include "live_test_support.h"
#include "loopback_peer.h"
#include "window_fixture.h"
#include "world_list_payload.h"

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
    lo_ = LoopbackAdapterIndex();
    ASSERT_GE(lo_, 0) << "no loopback adapter";
  }
  bool MemoShows(const QString& line) {
    return PumpUntil([&] { return MemoLines().contains(line); });
  }
  int lo_ = -1;
};

const QString kCapturingOnLo = QStringLiteral("Capturing on lo (filter: tcp port 6900)");

TEST_F(WindowCaptureTest, StoredAdapterCapturesRepliesIntoFieldsAndReport) {
  ShowQuiet("[Snoop]\nAdapterIndex=" + QByteArray::number(lo_) + "\n");
  EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), lo_);
  EXPECT_EQ(StatusText(), kCapturingOnLo);

  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}, {"MAGNI", 250}, {"newworld", 30}}));
  ASSERT_TRUE(MemoShows(QStringLiteral("【verdandi】 1000")));
  EXPECT_EQ(Edit("edtMagniQty").text(), "250");  // names match without letter case
  EXPECT_EQ(Edit("edtTempServerName").text(), "newworld");
  EXPECT_EQ(Edit("edtTempServerQty").text(), "30");
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【グループ1合計】1280")));

  // A payload that is no reply changes nothing; a reply from the client counts too.
  std::vector<std::uint8_t> notAReply = Reply({{"verdandi", 7}});
  std::swap(notAReply[0], notAReply[1]);  // 3539 read big-endian
  connection.ServerSends(notAReply);
  connection.ClientSends(Reply({{"magni", 3}}));
  ASSERT_TRUE(MemoShows(QStringLiteral("【　magni .】 3")));
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");

  // Clear keeps the count store: the next cycle brings the stored counts back.
  QTest::mouseClick(&Child<QPushButton>("btnClear"), Qt::LeftButton);
  EXPECT_TRUE(Edit("edtVerdandiQty").text().isEmpty());
  QTest::mouseClick(&Child<QCheckBox>("chkExpand"), Qt::LeftButton);
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");

  // A typed count of a stored world lasts only until the next cycle.
  TypeInto("edtVerdandiQty", QStringLiteral("5"));
  ClickFocus(Memo());
  EXPECT_EQ(Edit("edtVerdandiQty").text(), "1000");
}

TEST_F(WindowCaptureTest, UserChoiceOpensTheAdapterAndClosingStopsTheCapture) {
  ShowQuiet();
  ASSERT_EQ(StatusText(), "No adapter selected");

  QComboBox& list = Child<QComboBox>("cboAdapter");
  list.setCurrentIndex(lo_);
  emit list.activated(lo_);  // as a choice in the drop-down list
  EXPECT_EQ(StatusText(), kCapturingOnLo);

  ASSERT_TRUE(CloseWindow());
  EXPECT_NE(StatusText(), kCapturingOnLo);
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), QString::number(lo_));

  // Nothing reaches the window after the close.
  LoopbackConnection connection;
  connection.ServerSends(Reply({{"verdandi", 1000}}));
  PumpFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(Edit("edtVerdandiQty").text().isEmpty());
}

// An adapter removed under the capture ends it by itself: the status line says so without a click.
TEST_F(WindowCaptureTest, StatusLineNoticesACaptureThatEndsByItself) {
  if (std::system("ip link del dorvexwtap0 2>/dev/null; "
                  "ip tuntap add dev dorvexwtap0 mode tap && ip link set dorvexwtap0 up") != 0) {
    GTEST_SKIP() << "cannot create a tap adapter here (ip tuntap)";
  }
  const int tap = AdapterIndexOf("dorvexwtap0");
  ShowQuiet("[Snoop]\nAdapterIndex=" + QByteArray::number(tap) + "\n");
  const QString capturing = StatusText();
  const int removed = std::system("ip link del dorvexwtap0");
  ASSERT_EQ(capturing, "Capturing on dorvexwtap0 (filter: tcp port 6900)");
  ASSERT_EQ(removed, 0);
  EXPECT_TRUE(PumpUntil([&] { return StatusText() != capturing; }));
  EXPECT_EQ(StatusText(), "Not capturing: Snoop Error: pcap_next_ex return -1");
}

}  // namespace
}  // namespace dorvex::test
