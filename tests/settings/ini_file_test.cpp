// The settings file object on real files: typed reads, writes, what a rewrite keeps, refusals.

#include "ini_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <climits>

#include "settings_test_support.h"

namespace dorvex {
namespace {

using testing::TempSettingsFile;

struct IntegerCase {
  const char* stored;  // value text after "Key="
  std::int32_t expected;
};

class IntegerReadTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerReadTest, ReadsStoredTextWithDefault99) {
  TempSettingsFile file;
  file.Write(QByteArray("[Section]\nKey=") + GetParam().stored + "\n");
  EXPECT_EQ(TIniFile(file.Path()).ReadInteger("Section", "Key", 99), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerReadTest,
                         ::testing::Values(IntegerCase{"12", 12}, IntegerCase{" -7", -7},
                                           IntegerCase{"0x1F", 31}, IntegerCase{"0X1f", 31},
                                           IntegerCase{"$1F", 31}, IntegerCase{"x1f", 31},
                                           IntegerCase{"$FFFFFFFF", -1},
                                           IntegerCase{"0xFFFFFFFF", -1},
                                           IntegerCase{"-2147483648", INT_MIN},
                                           // Everything below does not read and gives the default.
                                           IntegerCase{"", 99}, IntegerCase{"12abc", 99},
                                           IntegerCase{"0x", 99}, IntegerCase{"$1FFFFFFFF", 99},
                                           IntegerCase{"2147483648", 99}, IntegerCase{"yes", 99}));

struct BoolCase {
  const char* stored;
  bool defaultValue;
  bool expected;
};

class BoolReadTest : public ::testing::TestWithParam<BoolCase> {};

TEST_P(BoolReadTest, TrueExactlyWhenNonzero) {
  TempSettingsFile file;
  file.Write(QByteArray("[Config]\nExpand=") + GetParam().stored + "\n");
  EXPECT_EQ(TIniFile(file.Path()).ReadBool("Config", "Expand", GetParam().defaultValue),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, BoolReadTest,
                         ::testing::Values(BoolCase{"0", true, false}, BoolCase{"2", false, true},
                                           BoolCase{"0x10", false, true},
                                           BoolCase{"yes", true, true},
                                           BoolCase{"yes", false, false},
                                           BoolCase{"true", false, false},
                                           BoolCase{"", true, true}));

TEST(IniFileReadTest, MissingFileSectionOrKeyGiveDefaultsAndCreateNothing) {
  TempSettingsFile file;
  const TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("Snoop", "AdapterIndex", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), -1);
  EXPECT_TRUE(ini.ReadBool("Config", "Expand", true));
  EXPECT_FALSE(file.Exists());

  const QByteArray handWritten = "; mine\r\n[Snoop]\r\nOther = 1\r\n";
  file.Write(handWritten);
  EXPECT_EQ(ini.ReadInteger("Snoop", "AdapterIndex", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Function", "OpenCount", 1), 1);
  EXPECT_EQ(file.Read(), handWritten);
}

TEST(IniFileReadTest, TextValuesAreTrimmedKeepQuotesAndStopAt2047Characters) {
  TempSettingsFile file;
  file.Write("[S]\nSpaced =  two words \t\nQuoted=\"q\"\nEmpty=\nJapanese=ドルベックス\nLong=" +
             QByteArray(3000, 'a') + "\n");
  const TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadString("S", "Spaced", ""), "two words");
  EXPECT_EQ(ini.ReadString("S", "Quoted", ""), "\"q\"");
  EXPECT_EQ(ini.ReadString("S", "Empty", "default"), "");
  EXPECT_EQ(ini.ReadString("S", "Japanese", ""), QStringLiteral("ドルベックス"));
  EXPECT_EQ(ini.ReadString("S", "Long", ""), QString(2047, u'a'));
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

TEST(IniFileReadTest, FirstOfDuplicateSectionsAndKeysIsReadAndWritten) {
  TempSettingsFile file;
  file.Write("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
  TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  EXPECT_EQ(ini.ReadInteger("A", "j", 0), 0);

  ini.WriteInteger("A", "k", 9);
  ini.WriteInteger("A", "j", 5);
  EXPECT_EQ(file.Read(), "[A]\nk=9\nk=2\nj=5\n[a]\nk=3\nj=4\n");
  EXPECT_EQ(ini.ReadInteger("A", "j", 0), 5);
}

TEST(IniFileWriteTest, TypedWritesReadBack) {
  TempSettingsFile file;
  TIniFile ini(file.Path());
  ini.WriteBool("Config", "Expand", true);
  ini.WriteBool("Config", "Compatible", false);
  ini.WriteInteger("Snoop", "AdapterIndex", -1);
  ini.WriteInteger("Function", "OpenCount", INT_MIN);
  ini.WriteString("IPAddress", "WorldGroupP", QStringLiteral("サーバー 1"));

  const TIniFile reader(file.Path());  // a new object reads what the previous one wrote
  EXPECT_TRUE(reader.ReadBool("Config", "Expand", false));
  EXPECT_FALSE(reader.ReadBool("Config", "Compatible", true));
  EXPECT_EQ(reader.ReadInteger("Snoop", "AdapterIndex", 0), -1);
  EXPECT_EQ(reader.ReadInteger("Function", "OpenCount", 0), INT_MIN);
  EXPECT_EQ(reader.ReadString("IPAddress", "WorldGroupP", ""), QStringLiteral("サーバー 1"));
  EXPECT_EQ(file.Read(),
            "[Config]\nExpand=1\nCompatible=0\n\n[Snoop]\nAdapterIndex=-1\n\n[Function]\n"
            "OpenCount=-2147483648\n\n[IPAddress]\nWorldGroupP=サーバー 1\n");
}

TEST(IniFileWriteTest, KeepsHandWrittenLinesAndPlacesNewKeysAtTheEndOfTheirSection) {
  TempSettingsFile file;
  file.Write(
      "; Dorvex settings\n"
      "# kept as written\n"
      "\n"
      "[Snoop]\n"
      "  AdapterIndex = 2   \n"
      "; a note about adapters\n"
      "\n"
      "[Config]\n"
      "Expand=0\n"
      "Other=keep me\n"
      "a line without equals sign\n"
      "\n"
      "; comment before the next section\n"
      "[Function]\n"
      "OpenCount=41");  // no line end at the end of the file
  TIniFile ini(file.Path());
  ini.WriteInteger("Snoop", "AdapterIndex", 3);
  ini.WriteBool("Config", "Compatible", true);
  ini.WriteInteger("Function", "OpenCount", 42);
  ini.WriteBool("Function", "SaveFormSize", false);
  ini.WriteInteger("TfrmDVmain", "PlaceFlags", 0);
  EXPECT_EQ(file.Read(),
            "; Dorvex settings\n"
            "# kept as written\n"
            "\n"
            "[Snoop]\n"
            "  AdapterIndex = 3\n"
            "; a note about adapters\n"
            "\n"
            "[Config]\n"
            "Expand=0\n"
            "Other=keep me\n"
            "a line without equals sign\n"
            "Compatible=1\n"
            "\n"
            "; comment before the next section\n"
            "[Function]\n"
            "OpenCount=42\n"
            "SaveFormSize=0\n"
            "\n"
            "[TfrmDVmain]\n"
            "PlaceFlags=0\n");
}

TEST(IniFileWriteTest, KeepsLineEndsByteOrderMarkAndBytesThatAreNotUtf8) {
  TempSettingsFile file;
  const QByteArray shiftJisLine = "Name=\x83\x68\x83\x8B\x83\x78\xFF\r\n";
  file.Write("\xEF\xBB\xBF[A]\r\nk=1\r\n" + shiftJisLine + "\r\n[B]\r\nx=\r\n");
  TIniFile ini(file.Path());
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  ini.WriteInteger("A", "k", 2);
  ini.WriteInteger("A", "New", 3);
  ini.WriteString("B", "x", "filled");
  ini.WriteInteger("C", "y", 4);
  EXPECT_EQ(file.Read(), "\xEF\xBB\xBF[A]\r\nk=2\r\n" + shiftJisLine +
                             "New=3\r\n\r\n[B]\r\nx=filled\r\n\r\n[C]\r\ny=4\r\n");
}

TEST(IniFileWriteTest, CreatesTheMissingFolderOfTheFile) {
  TempSettingsFile file;
  const QString nested = file.Folder() + "/config/dorvex/dorvex.ini";
  TIniFile(nested).WriteInteger("Function", "OpenCount", 2);
  EXPECT_EQ(TIniFile(nested).ReadInteger("Function", "OpenCount", 1), 2);
}

TEST(IniFileWriteTest, KeepsFilePermissionsAndWritesThroughALink) {
  TempSettingsFile file;
  file.Write("[A]\nk=1\n");
  const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  ASSERT_TRUE(QFile::setPermissions(file.Path(), ownerOnly));
  const QString link = file.Folder() + "/link.ini";
  ASSERT_TRUE(QFile::link(file.Path(), link));

  TIniFile(link).WriteInteger("A", "k", 2);
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), file.Path());
  EXPECT_EQ(file.Read(), "[A]\nk=2\n");
  const QFileDevice::Permissions ownerGroupOther(0x7077);  // without the current user's copy
  EXPECT_EQ(QFile::permissions(file.Path()) & ownerGroupOther, ownerOnly);
}

TEST(IniFileWriteTest, RefusedWriteThrowsWithThePathAndKeepsTheOldContent) {
  TempSettingsFile file;
  // The settings path is a folder (root may write anywhere, so permissions would not refuse).
  ASSERT_TRUE(QDir().mkdir(file.Path()));
  const QString inside = file.Path() + "/keep.txt";
  {
    QFile keep(inside);
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("old");
  }
  TIniFile ini(file.Path());
  try {
    ini.WriteInteger("Function", "OpenCount", 2);
    FAIL() << "the write was not refused";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), file.Path() + QStringLiteral(" に書き込めません"));
    EXPECT_FALSE(error.Reason().isEmpty());
  }
  EXPECT_TRUE(QFileInfo(file.Path()).isDir());
  QFile keep(inside);
  ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
  EXPECT_EQ(keep.readAll(), "old");
  EXPECT_EQ(ini.ReadInteger("Function", "OpenCount", 1), 1);
}

TEST(IniFileWriteTest, RefusesWhereTheFolderIsAFile) {
  TempSettingsFile file;
  file.Write("[A]\nk=1\n");
  EXPECT_THROW(TIniFile(file.Path() + "/dorvex.ini").WriteInteger("A", "k", 2), EIniFileException);
  EXPECT_EQ(file.Read(), "[A]\nk=1\n");
}

struct UnstorableCase {
  const char* section;
  const char* key;
  const char* value;
};

class UnstorableWriteTest : public ::testing::TestWithParam<UnstorableCase> {};

TEST_P(UnstorableWriteTest, IsRefusedAndChangesNothing) {
  TempSettingsFile file;
  const QByteArray before = "[A]\nk=1\n";
  file.Write(before);
  TIniFile ini(file.Path());
  EXPECT_THROW(ini.WriteString(GetParam().section, GetParam().key, GetParam().value),
               EIniFileException);
  EXPECT_EQ(file.Read(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnstorableWriteTest,
    ::testing::Values(UnstorableCase{"A", "k", "two\nlines"}, UnstorableCase{"A", "k", "cr\r"},
                      UnstorableCase{"A]", "k", "1"}, UnstorableCase{"A\n[B", "k", "1"},
                      UnstorableCase{"A", "k=j", "1"}, UnstorableCase{"A", " ", "1"},
                      UnstorableCase{"A", ";k", "1"}, UnstorableCase{"A", "#k", "1"},
                      UnstorableCase{"A", "[k]", "1"}));

}  // namespace
}  // namespace dorvex
