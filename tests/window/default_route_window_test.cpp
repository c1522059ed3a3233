// The first start's hint: with no adapter stored, the status line and the adapter list name the
// adapter of the default route (here lo, from a route table of the test's own).

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/adapter_index.h"
#include "tests/window/window_fixture.h"
#include "window/capture_status.h"

namespace dorvex::test {
namespace {

class DefaultRouteWindowTest : public WindowTest {
 public:
  DefaultRouteWindowTest() { SetRouteTablePath(folder_.filePath(QStringLiteral("route"))); }
  ~DefaultRouteWindowTest() override { SetRouteTablePath(QStringLiteral("/proc/net/route")); }

  void WriteRoutes(const QByteArray& text) {
    QFile file(RouteTablePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(text) == text.size());
  }
  QStringList MarkedEntries() {
    QStringList marked;
    const QComboBox& list = Child<QComboBox>("cboAdapter");
    for (int i = 0; i < list.count(); ++i) {
      if (list.itemText(i).contains(u"default route")) marked.append(list.itemText(i));
    }
    return marked;
  }

 private:
  QTemporaryDir folder_;
};

constexpr char kRoutes[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
    "lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
    "lo\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";

TEST_F(DefaultRouteWindowTest, WithNoStoredAdapterTheStatusAndTheListNameTheDefaultRoute) {
  const std::tuple<QByteArray, QString, QStringList> cases[] = {
      {kRoutes,
       QStringLiteral("Pick the adapter the game uses (lo carries the default route)"),
       {QStringLiteral("lo (default route)")}},
      {QByteArray(), QStringLiteral("Pick the adapter the game uses"), {}},
  };
  for (const auto& [routes, status, marked] : cases) {
    WriteRoutes(routes);
    ShowQuiet();
    EXPECT_EQ(StatusText(), status);
    EXPECT_EQ(MarkedEntries(), marked);
    EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), -1);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
  }
}

TEST_F(DefaultRouteWindowTest, AStoredAdapterKeepsItsIndexAndItsStatusTheListStillMarksTheRoute) {
  const int lo = LoopbackAdapterIndex();
  ASSERT_GE(lo, 0);
  WriteRoutes(kRoutes);
  ShowQuiet("[Snoop]\nAdapterIndex=" + QByteArray::number(lo) + "\n");
  const QComboBox& list = Child<QComboBox>("cboAdapter");
  EXPECT_EQ(list.currentIndex(), lo);
  EXPECT_EQ(list.itemText(lo), "lo (default route)");
  // Capturing on lo, or not capturing and why (without the helper's right): no hint to pick.
  EXPECT_TRUE(StatusText().startsWith(u"Capturing on lo (") ||
              StatusText().startsWith(u"Not capturing: "))
      << StatusText().toStdString();
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), QString::number(lo));
}

}  // namespace
}  // namespace dorvex::test
