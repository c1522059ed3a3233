// Where the settings file lives: the name rule, the per-user fallback and the real wrapper.

#include "settings/ini_path.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "settings/ini_file.h"
#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

struct PathCase {
  const char* executable;
  bool folderWritable;
  const char* xdgConfigHome;
  const char* expectedIni;
  const char* expectedProbedFolder;
};

TEST(IniPathTest, ResolvesBesideTheExecutableOrInTheUserConfigFolder) {
  const PathCase cases[] = {
      {R"(C:\my.tools\tally.old.exe)", true, "", R"(C:\my.tools\tally.old.ini)", R"(C:\my.tools)"},
      {"/srv/my.tools/dorvex", true, "", "/srv/my.tools/dorvex.ini", "/srv/my.tools"},
      // Root may write the system's program folders, but its settings do not go there.
      {"/opt/dorvex/dorvex", true, "", "/home/user/.config/dorvex/dorvex.ini", "/opt/dorvex"},
      {"/dorvex", true, "", "/dorvex.ini", "/"},
      {"dorvex", true, "", "dorvex.ini", "."},
      {"/usr/bin/dorvex", false, "/home/user/.cfg", "/home/user/.cfg/dorvex/dorvex.ini",
       "/usr/bin"},
      // A relative $XDG_CONFIG_HOME is invalid and ignored.
      {"/usr/bin/dorvex", false, "relative", "/home/user/.config/dorvex/dorvex.ini", "/usr/bin"}};
  for (const PathCase& c : cases) {
    // A probe of any other folder than the expected one finds it not writable.
    const auto writable = [&](const QString& folder) {
      return c.folderWritable && folder == c.expectedProbedFolder;
    };
    const IniLocationInputs inputs{c.executable, writable, c.xdgConfigHome, "/home/user"};
    EXPECT_EQ(ResolveIniFileName(inputs), c.expectedIni) << c.executable;
  }
}

TEST(GetIniFileNameTest, FallsBackToTheUserConfigFolderAndCreatesItOnWrite) {
  testing::TempSettingsFile place;
  const QString configHome = place.Folder() + "/config";
  qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
  const ScopedExecutablePath executable(place.Folder() + "/no-such-folder/dorvex");

  const QString iniName = GetIniFileName();
  EXPECT_EQ(iniName, configHome + "/dorvex/dorvex.ini");
  EXPECT_FALSE(QFileInfo::exists(configHome));

  TIniFile(iniName).WriteInteger("Function", "OpenCount", 2);
  EXPECT_EQ(TIniFile(iniName).ReadInteger("Function", "OpenCount", 1), 2);
}

}  // namespace
}  // namespace dorvex
