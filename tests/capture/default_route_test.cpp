// The default route's adapter from tables laid out as /proc/net/route; its mark in
// --list-interfaces.

#include "capture/default_route.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "tools/dorvex-cli/interface_list.h"

namespace dorvex {
namespace {

const std::string kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::string Route(const char* iface, const char* metric, const char* mask = "00000000",
                  const char* destination = "00000000") {
  return std::string(iface) + '\t' + destination + "\t010200C0\t0003\t0\t0\t" + metric + '\t' +
         mask + "\t0\t0\t0\n";
}

QString RouteFile(const QTemporaryDir& dir, const std::string& text) {
  QFile file(dir.filePath(QStringLiteral("route")));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  file.write(text.data(), static_cast<qint64>(text.size()));
  return file.fileName();
}

// The lowest metric wins, a tie goes to the first; malformed lines are skipped; odd files: none.
TEST(DefaultRouteTest, TheDefaultRouteWithTheLowestMetricOrNone) {
  const QTemporaryDir dir;
  const std::pair<std::string, std::optional<QString>> cases[] = {
      {kHeader + Route("eth0", "0", "00FFFFFF", "000200C0") + Route("wlan0", "600"), "wlan0"},
      {kHeader + Route("wlan0", "600") + Route("eth0", "100"), "eth0"},
      {kHeader + Route("a", "5") + Route("b", "5"), "a"},
      {kHeader + Route("eth0", "0", "0000FFFF"), std::nullopt},  // a narrower mask: no default
      // Without a header, with CR LF or spaces, and at the end without a line end.
      {"eth1 00000000 0 3 0 0 7 00000000\r\n", "eth1"},
      {"eth1 00000000 0 3 0 0 7 00000000\r\neth2 00000000 0 3 0 0 5 00000000", "eth2"},
      // Too few fields; a metric that is no decimal number.
      {kHeader + "eth0\t00000000\t0\t3\t0\t0\t0\n" + Route("eth1", "-1") + Route("eth2", "0x1") +
           Route("eth3", "99999999999999999999999") + Route("eth4", "3"),
       "eth4"},
      {"", std::nullopt},
      {kHeader, std::nullopt},
      {std::string("\0\0\0\n\xff\xfe", 6), std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(DefaultRouteAdapter(RouteFile(dir, text)), expected) << text;
  }
  EXPECT_EQ(DefaultRouteAdapter(dir.filePath(QStringLiteral("missing"))), std::nullopt);
  EXPECT_EQ(DefaultRouteAdapter(dir.path()), std::nullopt);  // a folder

  // --list-interfaces marks the default route's adapter, and no other.
  const auto listed = [&](const std::string& routes) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    const int status = cli::ListInterfaces(out, stderr, RouteFile(dir, routes));
    std::fclose(out);
    const std::string list = status == 0 ? std::string(text, size) : "<failed>";
    std::free(text);
    return list;
  };
  std::string expected = listed("");
  ASSERT_NE(expected.find("\tlo\n"), std::string::npos) << expected;
  EXPECT_EQ(expected.find("default route"), std::string::npos);
  expected.replace(expected.find("\tlo\n"), 4, "\tlo\t\t(default route)\n");
  EXPECT_EQ(listed(kHeader + Route("lo", "0")), expected);
}

}  // namespace
}  // namespace dorvex
