// The window with a live capture: replies over a real TCP connection on port 6900 on loopback,
// closing while capturing, and a capture that ends by itself.

#include <cstdlib>
#include <vector>

#include "tally/world_list_payload.h"
#include "tests/support/adapter_index.h"
#include "tests/support/live_test_support.h"
#include "tests/support/loopback_peer.h"
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
