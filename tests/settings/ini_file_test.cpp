// The settings file object on real files: typed reads, what a rewrite keeps, refusals.

#include "ini_file.h"

#include <gtest/gtest.h>

#include <QDir>

#include "settings_test_support.h"

namespace dorvex {
namespace {

using testing::TempSettingsFile;

constexpr std::int32_t kUnread = 99;  // the default passed in, so an unreadable value shows

struct NumberCase {
  const char* stored;  // value text after "Key="
  std::int32_t expected;
};

class NumberReadTest : public ::testing::TestWithParam<NumberCase> {};

// A boolean is true exactly when the value reads as a nonzero integer.
TEST_P(NumberReadTest, ReadsIntegerAndBoolOrGivesTheDefault) {
  TempSettingsFile file;
  file.Write(QByteArray("[Section]\nKey=") + GetParam().stored + "\n");
  const TIniFile ini(file.Path());
  const std::int32_t expected = GetParam().expected;
  EXPECT_EQ(ini.ReadInteger("Section", "Key", kUnread), expected);
  EXPECT_EQ(ini.ReadBool("Section", "Key", false), expected != kUnread && expected != 0);
  EXPECT_EQ(ini.ReadBool("Section", "Key", true), expected != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberReadTest,
    ::testing::Values(NumberCase{"0", 0}, NumberCase{" -7", -7}, NumberCase{"0x1F", 31},
                      NumberCase{"0X1f", 31}, NumberCase{"$1F", 31}, NumberCase{"X1f", 31},
                      NumberCase{"$FFFFFFFF", -1}, NumberCase{"-2147483648", -2147483647 - 1},
                      // None of these reads: the default.
                      NumberCase{"", kUnread}, NumberCase{"12abc", kUnread},
                      NumberCase{"$1FFFFFFFF", kUnread}, NumberCase{"2147483648", kUnread},
                      NumberCase{"yes", kUnread}));

TEST(IniFileReadTest, MissingFileSectionOrKeyGiveDefaultsAndCreateNothing) {
  TempSettingsFile file;
  const TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("Snoop", "AdapterIndex", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), -1);
  EXPECT_FALSE(file.Exists());

  file.Write("[Snoop]\r\nOther = 1\r\n");
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Function", "OpenCount", 1), 1);
  EXPECT_EQ(file.Read(), "[Snoop]\r\nOther = 1\r\n");
}

TEST(IniFileReadTest, NamesMatchWithLetterCaseIgnored) {
  TempSettingsFile file;
  file.Write("[SNOOP]\nadapterINDEX=4\n[Ä]\nö=5\n");
  TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), 4);
  EXPECT_EQ(ini.ReadInteger("ä", "Ö", -1), 5);

  ini.WriteInteger("snoop", "adapterindex", 5);
  EXPECT_EQ(file.Read(), "[SNOOP]\nadapterINDEX=5\n[Ä]\nö=5\n");
}

TEST(IniFileReadTest, TextValuesAreTrimmedKeepQuotesAndStopAt2047Characters) {
  TempSettingsFile file;
  file.Write("[S]\nSpaced =  two words \t\nQuoted=\"q\"\nLong=" + QByteArray(3000, 'a') + "\n");
  const TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("S", "Spaced", ""), "two words");
  EXPECT_EQ(ini.ReadString("S", "Quoted", ""), "\"q\"");
  EXPECT_EQ(ini.ReadString("S", "Long", ""), QString(2047, u'a'));
}

// Writes change only their own line, add new keys at the end of their section and new sections at
// the end of the file, and keep comments, blank lines, order, line ends, a byte order mark and
// bytes that are not UTF-8.
TEST(IniFileWriteTest, KeepsWhatWasWrittenByHand) {
  TempSettingsFile file;
  const QByteArray shiftJisLine = "Name=\x83\x68\x83\x8B\xFF\r\n";
  file.Write("\xEF\xBB\xBF; Dorvex settings\r\n# kept\r\n\r\n[Snoop]\r\n  AdapterIndex = 2   \r\n" +
             shiftJisLine + "a line without equals sign\r\n\r\n; before the next section\r\n" +
             "[Function]\r\nOpenCount=41");  // no line end at the end of the file
  TIniFile ini(file.Path());
  ini.WriteInteger("Snoop", "AdapterIndex", 3);
  ini.WriteBool("Snoop", "Expand", true);
  ini.WriteInteger("Function", "OpenCount", 42);
  ini.WriteString("IPAddress", "WorldGroupP", QStringLiteral("サーバー 1"));
  EXPECT_EQ(file.Read(),
            "\xEF\xBB\xBF; Dorvex settings\r\n# kept\r\n\r\n[Snoop]\r\n  AdapterIndex = 3\r\n" +
                shiftJisLine +
                "a line without equals sign\r\nExpand=1\r\n\r\n; before the next section\r\n"
                "[Function]\r\nOpenCount=42\r\n\r\n[IPAddress]\r\nWorldGroupP=サーバー 1\r\n");
}

TEST(IniFileWriteTest, RefusedWriteThrowsWithThePathAndKeepsTheOldContent) {
  TempSettingsFile file;
  // The settings path is a folder (root may write anywhere, so permissions would not refuse).
  ASSERT_TRUE(QDir().mkdir(file.Path()));
  TIniFile ini(file.Path());
  try {
    ini.WriteInteger("Function", "OpenCount", 2);
    FAIL() << "the write was not refused";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), file.Path() + QStringLiteral(" に書き込めません"));
  }
  EXPECT_TRUE(QFileInfo(file.Path()).isDir());
  EXPECT_TRUE(QDir(file.Path()).isEmpty());
}

struct UnstorableCase {
  const char* section;
  const char* key;
  const char* value;
};

class UnstorableWriteTest : public ::testing::TestWithParam<UnstorableCase> {};

TEST_P(UnstorableWriteTest, IsRefusedAndChangesNothing) {
  TempSettingsFile file;
  file.Write("[A]\nk=1\n");
  EXPECT_THROW(
      TIniFile(file.Path()).WriteString(GetParam().section, GetParam().key, GetParam().value),
      EIniFileException);
  EXPECT_EQ(file.Read(), "[A]\nk=1\n");
}

INSTANTIATE_TEST_SUITE_P(Names, UnstorableWriteTest,
                         ::testing::Values(UnstorableCase{"A", "k", "two\nlines"},
                                           UnstorableCase{"A", "k", "cr\r"},
                                           UnstorableCase{"A\n[B", "k", "1"},
                                           UnstorableCase{"A", "k=j", "1"},
                                           UnstorableCase{"A", ";k", "1"}));

}  // namespace
}  // namespace dorvex
