// The default route's adapter from route tables in the layout of /proc/net/route, and its mark in
// dorvex-cli --list-interfaces.

#include "capture/default_route.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "tools/dorvex-cli/interface_list.h"

namespace dorvex {
namespace {

constexpr char kHeader[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

// A route line; destination, metric and mask are the fields that matter.
std::string Route(const char* iface, const char* destination, const char* metric,
                  const char* mask) {
  return std::string(iface) + '\t' + destination + "\t010200C0\t0003\t0\t0\t" + metric + '\t' +
         mask + "\t0\t0\t0\n";
}

QString WriteFile(const QTemporaryDir& dir, const std::string& text) {
  const QString path = dir.filePath(QStringLiteral("route"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("write");
  file.write(text.data(), static_cast<qint64>(text.size()));
  return path;
}

TEST(DefaultRouteTest, TheDefaultRouteWithTheLowestMetricOrNoneForOddFiles) {
  const std::string h = kHeader;
  const std::pair<std::string, std::optional<QString>> cases[] = {
      {h + Route("eth0", "000200C0", "0", "00FFFFFF") +
           Route("wlan0", "00000000", "600", "00000000"),
       QStringLiteral("wlan0")},
      {h + Route("wlan0", "00000000", "600", "00000000") +
           Route("eth0", "00000000", "100", "00000000"),
       QStringLiteral("eth0")},
      // A tie goes to the first listed; a default destination with a narrower mask is no default.
      {h + Route("a", "00000000", "5", "00000000") + Route("b", "00000000", "5", "00000000"),
       QStringLiteral("a")},
      {h + Route("eth0", "00000000", "0", "0000FFFF"), std::nullopt},
      // Without a header, with CR LF or spaces, and at the end without a line end.
      {"eth1 00000000 0 3 0 0 7 00000000\r\n", QStringLiteral("eth1")},
      {"eth1 00000000 0 3 0 0 7 00000000\r\neth2 00000000 0 3 0 0 5 00000000",
       QStringLiteral("eth2")},
      // Malformed lines are skipped: too few fields, a metric that is no decimal number.
      {h + "eth0\t00000000\t0\t3\t0\t0\t0\n" + Route("eth1", "00000000", "-1", "00000000") +
           Route("eth2", "00000000", "0x1", "00000000") +
           Route("eth3", "00000000", "99999999999999999999999", "00000000") +
           Route("eth4", "00000000", "3", "00000000"),
       QStringLiteral("eth4")},
      {"", std::nullopt},
      {h, std::nullopt},
      {std::string("\0\0\0\n\xff\xfe", 6), std::nullopt},
  };
  const QTemporaryDir dir;
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(DefaultRouteAdapter(WriteFile(dir, text)), expected) << text;
  }
  EXPECT_EQ(DefaultRouteAdapter(dir.filePath(QStringLiteral("missing"))), std::nullopt);
  EXPECT_EQ(DefaultRouteAdapter(dir.path()), std::nullopt);  // a folder
}

std::string ListedInterfaces(const QString& routeFile) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), &std::fclose);
  if (!out || cli::ListInterfaces(out.get(), stderr, routeFile) != 0) return "<failed>";
  std::rewind(out.get());
  std::string text;
  for (int c = std::fgetc(out.get()); c != EOF; c = std::fgetc(out.get())) {
    text += static_cast<char>(c);
  }
  return text;
}

TEST(DefaultRouteTest, ListInterfacesMarksTheAdapterOfTheDefaultRouteOnly) {
  const QTemporaryDir dir;
  const std::string unmarked = ListedInterfaces(WriteFile(dir, ""));
  ASSERT_NE(unmarked.find("\tlo\n"), std::string::npos) << unmarked;
  EXPECT_EQ(unmarked.find("default route"), std::string::npos);

  const std::string marked =
      ListedInterfaces(WriteFile(dir, kHeader + Route("lo", "00000000", "0", "00000000")));
  std::string expected = unmarked;
  expected.replace(expected.find("\tlo\n"), 4, "\tlo\t\t(default route)\n");
  EXPECT_EQ(marked, expected);
}

}  // namespace
}  // namespace dorvex
