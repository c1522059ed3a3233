#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <filesystem>

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
    std::filesystem::create_hard_link(file.Path().toStdU16String(),
                                      (file.Folder() + "/old").toStdU16String());
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
TEST(IniPathTest, BesideTheProgramOrInTheConfigFolder) {
  const std::tuple<const char*, const char*, const char*, const char*> paths[] = {
      {R"(C:\my.tools\tally.old.exe)", R"(C:\my.tools)", "", R"(C:\my.tools\tally.old.ini)"},
      {"/opt/dorvex/dorvex", "/opt/dorvex", "", "/h/.config/dorvex/dorvex.ini"},
      {"/usr/local/bin/dorvex", "/usr/local/bin", "/h/c", "/h/c/dorvex/dorvex.ini"},
      {"/usr/bin/dorvex", "", "relative", "/h/.config/dorvex/dorvex.ini"}};
  for (const auto& [program, writable, xdg, expected] : paths) {
    const auto probe = [&](const QString& folder) { return folder == writable; };
    EXPECT_EQ(ResolveIniFileName({program, probe, xdg, "/h"}), expected) << program;
  }
}

#ifdef _WIN32
// Windows: beside the program where its folder can be written, else in %APPDATA%\Dorvex.
TEST(IniPathTest, WindowsFallsBackToAppData) {
  qputenv("APPDATA", R"(C:\Users\player\AppData\Roaming)");
  const std::tuple<const char*, bool, const char*> cases[] = {
      {R"(C:\Program Files\Dorvex\dorvex.exe)", false,
       "C:/Users/player/AppData/Roaming/Dorvex/dorvex.ini"},
      {R"(D:\games\dorvex\dorvex.exe)", true, R"(D:\games\dorvex\dorvex.ini)"}};
  for (const auto& [program, writable, expected] : cases) {
    const auto probe = [writable = writable](const QString&) { return writable; };
    EXPECT_EQ(ResolveIniFileName(PlatformIniLocationInputs(program, probe)), expected) << program;
  }
}
#endif

}  // namespace
}  // namespace dorvex
