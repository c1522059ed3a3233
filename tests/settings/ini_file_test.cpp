#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

// Names ignore letter case, the first duplicate counts, values are trimmed and cut; "": no file.
TEST(IniFileTest, ReadsTheValueOrTheDefault) {
  const std::tuple<QByteArray, QString, std::int32_t> cases[] = {
      {"", "none", 99},
      {"[Ä]\nkEY= -7 \t\nKey=1\n", "-7", -7},
      {"[ä]\nKey=0\n[ä]\nKey=1\n", "0", 0},
      {"[ä]\nKey=" + QByteArray(3000, 'a'), QString(2047, u'a'), 99}};
  for (const auto& [text, string, integer] : cases) {
    testing::TempSettingsFile file;
    if (!text.isEmpty()) file.Write(text);
    const TIniFile ini(file.Path());
    EXPECT_EQ(std::tuple(ini.ReadString("ä", "Key", "none"), ini.ReadInteger("ä", "Key", 99),
                         ini.ReadBool("ä", "Key", true), QFile::exists(file.Path())),
              std::tuple(string, integer, integer != 0, !text.isEmpty()));
  }
}

// A write changes or adds one line, replacing the file; line breaks in names are refused (no from).
TEST(IniFileTest, WritesChangeOnlyTheirLineAndReplaceTheFile) {
  const QByteArray before =
      "\xEF\xBB\xBF; kept\r\n\r\n[SNOOP]\r\n  adapterINDEX = 2 \r\nName=\x83\x68\xFF\r\n"
      "no equals sign\r\n\r\n[Function]\r\nN=41";
  const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
      {"Snoop", "adapterindex", "3", "adapterINDEX = 2 ", "adapterINDEX = 3"},
      {"snoop", "Expand", "1", "sign\r\n", "sign\r\nExpand=1\r\n"},
      {"Function", "N", "42", "N=41", "N=42"},
      {"IP", "Name", "サーバー 1", "N=41", "N=41\r\n\r\n[IP]\r\nName=サーバー 1\r\n"},
      {"A", "k", "two\nlines", nullptr, nullptr},
      {"A\n[B", "k", "1", nullptr, nullptr},
      {"A", "k=j", "1", nullptr, nullptr}};
  for (const auto& [section, key, value, from, to] : cases) {
    testing::TempSettingsFile file;
    file.Write(before);
    ASSERT_EQ(link(QFile::encodeName(file.Path()), QFile::encodeName(file.Folder() + "/old")), 0);
    TIniFile ini(file.Path());
    if (from != nullptr)
      ini.WriteString(section, key, value);
    else
      EXPECT_THROW(ini.WriteString(section, key, value), EIniFileException);
    EXPECT_EQ(file.Read(), from ? QByteArray(before).replace(from, to) : before) << value;
    EXPECT_EQ(QFileInfo(file.Folder() + "/old").size(), before.size()) << value;
  }
}

// Beside the program if its folder is writable and not in /usr or /opt, else in the config folder.
// Files in folders others can write, or links others made, are untrusted; new ones are private.
TEST(IniPathTest, BesideTheProgramOrPrivateInTheConfigFolder) {
  const std::tuple<const char*, const char*, const char*, const char*> paths[] = {
      {R"(C:\my.tools\tally.old.exe)", R"(C:\my.tools)", "", R"(C:\my.tools\tally.old.ini)"},
      {"/opt/dorvex/dorvex", "/opt/dorvex", "", "/h/.config/dorvex/dorvex.ini"},
      {"/usr/local/bin/dorvex", "/usr/local/bin", "/h/c", "/h/c/dorvex/dorvex.ini"},
      {"/usr/bin/dorvex", "", "relative", "/h/.config/dorvex/dorvex.ini"}};
  for (const auto& [program, writable, xdg, expected] : paths) {
    const auto probe = [&](const QString& folder) { return folder == writable; };
    EXPECT_EQ(ResolveIniFileName({program, probe, xdg, "/h"}), expected) << program;
  }

  if (geteuid() != 0) GTEST_SKIP() << "giving files to other users needs root";
  const std::tuple<mode_t, gid_t, int, bool> files[] = {
      {0700, 0, -1, true},   {0770, 0, -1, true}, {0770, 65534, -1, false},
      {01777, 0, -1, false}, {0700, 0, 0, true},  {0700, 0, 65534, false}};
  for (const auto& [mode, group, linkOwner, trusted] : files) {
    testing::TempSettingsFile file;
    file.Write("[A]\nk=1\n");
    const QByteArray folder = QFile::encodeName(file.Folder()), link = folder + "/link.ini";
    ASSERT_TRUE(chmod(folder, mode) == 0 && chown(folder, 0, group) == 0);
    ASSERT_TRUE(linkOwner < 0 || (symlink("dorvex.ini", link) == 0 &&
                                  lchown(link, static_cast<uid_t>(linkOwner), 0) == 0));
    TIniFile ini(linkOwner < 0 ? file.Path() : QFile::decodeName(link));
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), trusted ? 1 : 0) << mode << " " << linkOwner;
    if (!trusted) {
      EXPECT_THROW(ini.WriteInteger("A", "k", 2), EIniFileException) << mode << " " << linkOwner;
    }
  }

  testing::TempSettingsFile place;  // the real program path in a missing folder
  qputenv("XDG_CONFIG_HOME", (place.Folder() + "/c").toUtf8());
  const ScopedExecutablePath executable(place.Folder() + "/missing/dorvex");
  TIniFile(GetIniFileName()).WriteInteger("A", "k", 2);
  EXPECT_EQ(QFileInfo(place.Folder() + "/c").permissions().toInt() & 0x777, 0x700);
  EXPECT_EQ(QFileInfo(place.Folder() + "/c/dorvex/dorvex.ini").permissions().toInt() & 0x777,
            0x600);
}

}  // namespace
}  // namespace dorvex
