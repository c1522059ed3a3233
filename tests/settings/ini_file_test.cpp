// The settings file object on real files: typed reads, what a rewrite keeps, refusals.

#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <QDir>

#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

constexpr std::int32_t kUnread = 99;  // the default passed in, so an unreadable value shows

// A boolean is true exactly when the value reads as a nonzero integer.
TEST(IniFileReadTest, ReadsIntegerAndBoolOrGivesTheDefaultWithoutCreatingTheFile) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"0", 0},          {" -7", -7},        {"0x1F", 31},
      {"$FFFFFFFF", -1}, {"12abc", kUnread}, {"2147483648", kUnread}};
  testing::TempSettingsFile file;
  const TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("Section", "Key", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("Section", "Key", kUnread), kUnread);
  EXPECT_FALSE(QFile::exists(file.Path()));  // reading creates no file
  for (const auto& [stored, expected] : cases) {
    SCOPED_TRACE(stored);
    file.Write(QByteArray("[Section]\nKey=") + stored + "\n");
    EXPECT_EQ(ini.ReadInteger("Section", "Key", kUnread), expected);
    EXPECT_EQ(ini.ReadBool("Section", "Key", false), expected != kUnread && expected != 0);
    EXPECT_EQ(ini.ReadBool("Section", "Key", true), expected != 0);
  }
}

TEST(IniFileReadTest, NamesMatchWithLetterCaseIgnoredAndTextIsTrimmedAndCut) {
  testing::TempSettingsFile file;
  file.Write("[SNOOP]\nadapterINDEX=4\n[Ä]\nö=  two words \t\nLong=" + QByteArray(3000, 'a') +
             "\n");
  TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), 4);
  EXPECT_EQ(ini.ReadString("ä", "Ö", ""), "two words");
  EXPECT_EQ(ini.ReadString("ä", "long", ""), QString(2047, u'a'));

  ini.WriteInteger("snoop", "adapterindex", 5);
  EXPECT_TRUE(file.Read().startsWith("[SNOOP]\nadapterINDEX=5\n[Ä]\n"));
}

// Writes change only their own line, add new keys at the end of their section and new sections at
// the end of the file, and keep comments, blank lines, order, line ends, a byte order mark and
// bytes that are not UTF-8.
TEST(IniFileWriteTest, KeepsWhatWasWrittenByHand) {
  testing::TempSettingsFile file;
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

TEST(IniFileWriteTest, RefusedWritesThrowAndChangeNothing) {
  testing::TempSettingsFile file;
  file.Write("[A]\nk=1\n");
  // Names and values that would break the line structure.
  const char* const unstorable[][3] = {
      {"A", "k", "two\nlines"}, {"A\n[B", "k", "1"}, {"A", "k=j", "1"}};
  for (const auto& [section, key, value] : unstorable) {
    EXPECT_THROW(TIniFile(file.Path()).WriteString(section, key, value), EIniFileException) << key;
  }
  EXPECT_EQ(file.Read(), "[A]\nk=1\n");

  ASSERT_TRUE(QFile::remove(file.Path()));
  // The settings path is a folder (root may write anywhere, so permissions would not refuse).
  ASSERT_TRUE(QDir().mkdir(file.Path()));
  try {
    TIniFile(file.Path()).WriteInteger("Function", "OpenCount", 2);
    FAIL() << "the write was not refused";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), file.Path() + QStringLiteral(" に書き込めません"));
  }
  EXPECT_TRUE(QDir(file.Path()).isEmpty());
}

}  // namespace
}  // namespace dorvex
