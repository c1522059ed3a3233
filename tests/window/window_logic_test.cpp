// The window's logic without a window: the capture status text and the application settings read
// at start and written at close, on real files.

#include <gtest/gtest.h>

#include <QDir>
#include <climits>

#include "app_settings.h"
#include "capture_status.h"
#include "ini_file.h"
#include "settings_test_support.h"
#include "test_names.h"

namespace dorvex {
namespace {

struct StatusCase {
  CaptureState state;
  const char* expected;
};
void PrintTo(const StatusCase& c, std::ostream* out) {
  *out << c.expected;
}

class CaptureStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(CaptureStatusTest, SaysWhatIsCapturedOrWhyNot) {
  EXPECT_EQ(CaptureStatusText(GetParam().state).toStdString(), GetParam().expected);
}

const char kDenied[] =
    "lo: You don't have permission to capture on that device (socket: Operation not permitted)";

INSTANTIATE_TEST_SUITE_P(
    States, CaptureStatusTest,
    ::testing::Values(
        StatusCase{{true, 3, "lo", "tcp port 6900", "Snoop Error: Already open"},
                   "Capturing on lo (filter: tcp port 6900)"},
        StatusCase{{false, -1, "", "tcp port 6900", ""}, "No adapter selected"},
        StatusCase{{false, 2, "eth0", "tcp port 6900", "Snoop Error: pcap_next_ex return -1"},
                   "Not capturing: Snoop Error: pcap_next_ex return -1"},
        StatusCase{{false, 2, "eth0", "tcp port 6900", ""}, "Not capturing: the capture is closed"},
        StatusCase{{false, 0, "lo", "tcp port 6900", kDenied},
                   "Not capturing: no capture rights, see \"Capture rights\" in the README (lo: "
                   "You don't have permission to capture on that device (socket: Operation not "
                   "permitted))"},
        StatusCase{{false, 0, "eth0", "tcp port 6900", "eth0: socket: Operation not permitted"},
                   "Not capturing: no capture rights, see \"Capture rights\" in the README (eth0: "
                   "socket: Operation not permitted)"}));

TEST(AdapterLabelTest, DescriptionOrElseName) {
  EXPECT_EQ(AdapterLabel("eth0", ""), "eth0");
  EXPECT_EQ(AdapterLabel("any", "Pseudo-device that captures on all interfaces"),
            "Pseudo-device that captures on all interfaces");
}

struct ReadCase {
  const char* file;
  AppSettings expected;
};
void PrintTo(const ReadCase& c, std::ostream* out) {
  *out << test::OneLine(c.file);
}

class ReadAppSettingsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadAppSettingsTest, ReadsTheKeysWithTheirDefaults) {
  testing::TempSettingsFile file;
  if (GetParam().file != nullptr) file.Write(GetParam().file);
  const AppSettings read = ReadAppSettings(TIniFile(file.Path()));
  const AppSettings& expected = GetParam().expected;
  EXPECT_EQ(read.adapterIndex, expected.adapterIndex);
  EXPECT_EQ(read.expand, expected.expand);
  EXPECT_EQ(read.compatible, expected.compatible);
  EXPECT_EQ(read.openCount, expected.openCount);
  EXPECT_EQ(read.saveFormSize, expected.saveFormSize);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadAppSettingsTest,
    ::testing::Values(ReadCase{nullptr, {-1, true, false, 1, true}},
                      ReadCase{"[Snoop]\nAdapterIndex=3\n[Config]\nExpand=0\nCompatible=1\n"
                               "[Function]\nOpenCount=41\nSaveFormSize=0\n",
                               {3, false, true, 41, false}},
                      ReadCase{"[Snoop]\nAdapterIndex=two\n[Config]\nExpand=yes\nCompatible=yes\n"
                               "[Function]\nOpenCount=\nSaveFormSize=true\n",
                               {-1, true, false, 1, true}},
                      ReadCase{
                          "[Config]\nExpand=0x10\nCompatible=$0\n[Function]\nOpenCount=$FFFFFFFF\n",
                          {-1, true, false, -1, true}}));

TEST(WriteAppSettingsTest, WritesTheFourKeysAndLeavesTheRest) {
  testing::TempSettingsFile file;
  file.Write("; mine\n[Function]\nSaveFormSize=0\nOpenCount=41\n[Other]\nKey=value\n");
  TIniFile ini(file.Path());
  WriteAppSettings(ini, {5, false, true, 41, false});
  EXPECT_EQ(ini.ReadString("Function", "OpenCount", ""), "42");
  EXPECT_EQ(ini.ReadString("Config", "Expand", ""), "0");
  EXPECT_EQ(ini.ReadString("Config", "Compatible", ""), "1");
  EXPECT_EQ(ini.ReadString("Snoop", "AdapterIndex", ""), "5");
  EXPECT_EQ(ini.ReadString("Function", "SaveFormSize", ""), "0");
  EXPECT_TRUE(file.Read().startsWith("; mine\n"));
  EXPECT_EQ(ini.ReadString("Other", "Key", ""), "value");
}

TEST(WriteAppSettingsTest, RefusedWriteThrowsAndWritesNothing) {
  testing::TempSettingsFile file;
  ASSERT_TRUE(QDir().mkpath(file.Path()));
  TIniFile ini(file.Path());
  try {
    WriteAppSettings(ini, AppSettings{});
    FAIL() << "no exception";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), file.Path() + QStringLiteral(" に書き込めません"));
  }
}

TEST(NextOpenCountTest, CountsOnAndWrapsInsteadOfOverflowing) {
  EXPECT_EQ(NextOpenCount(1), 2);
  EXPECT_EQ(NextOpenCount(-1), 0);
  EXPECT_EQ(NextOpenCount(INT_MAX), INT_MIN);
}

}  // namespace
}  // namespace dorvex
