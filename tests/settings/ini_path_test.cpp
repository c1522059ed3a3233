// Where the settings file lives: the name rule, the per-user fallback and the real wrapper.

#include "ini_path.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QScopeGuard>

#include "ini_file.h"
#include "settings_test_support.h"

namespace dorvex {
namespace {

struct PathCase {
  const char* executable;
  bool folderWritable;
  const char* xdgConfigHome;
  const char* expectedIni;
  const char* expectedProbedFolder;
};

class IniPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(IniPathTest, ResolvesBesideTheExecutableOrInTheUserConfigFolder) {
  const PathCase& c = GetParam();
  QString probed;
  const IniLocationInputs inputs{QString::fromUtf8(c.executable),
                                 [&](const QString& folder) {
                                   probed = folder;
                                   return c.folderWritable;
                                 },
                                 QString::fromUtf8(c.xdgConfigHome), QStringLiteral("/home/user")};
  EXPECT_EQ(ResolveIniFileName(inputs), QString::fromUtf8(c.expectedIni));
  EXPECT_EQ(probed, QString::fromUtf8(c.expectedProbedFolder));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, IniPathTest,
    ::testing::Values(
        PathCase{R"(C:\Tools\tally.exe)", true, "", R"(C:\Tools\tally.ini)", R"(C:\Tools)"},
        PathCase{R"(C:\Tools\tally.old.exe)", true, "", R"(C:\Tools\tally.old.ini)", R"(C:\Tools)"},
        PathCase{R"(C:\my.tools\tally)", true, "", R"(C:\my.tools\tally.ini)", R"(C:\my.tools)"},
        PathCase{"/opt/my.tools/dorvex", true, "", "/opt/my.tools/dorvex.ini", "/opt/my.tools"},
        PathCase{"/dorvex", true, "", "/dorvex.ini", "/"},
        PathCase{"dorvex", true, "", "dorvex.ini", "."},
        PathCase{"/usr/bin/dorvex", false, "/home/user/.cfg", "/home/user/.cfg/dorvex/dorvex.ini",
                 "/usr/bin"},
        PathCase{"/usr/bin/dorvex", false, "", "/home/user/.config/dorvex/dorvex.ini", "/usr/bin"},
        // A relative $XDG_CONFIG_HOME is invalid and ignored.
        PathCase{"/opt/my.tools/dorvex.x", false, "relative",
                 "/home/user/.config/dorvex/dorvex.ini", "/opt/my.tools"}));

TEST(GetIniFileNameTest, UsesAWritableFolderBesideTheExecutable) {
  EXPECT_TRUE(GetIniFileName().endsWith("/settings_tests.ini")) << GetIniFileName().toStdString();
  testing::TempSettingsFile place;
  const ScopedExecutablePath executable(place.Folder() + "/my.tools.dorvex");
  EXPECT_EQ(GetIniFileName(), place.Folder() + "/my.tools.ini");
}

TEST(GetIniFileNameTest, FallsBackToTheUserConfigFolderAndCreatesItOnWrite) {
  testing::TempSettingsFile place;
  const QString configHome = place.Folder() + "/config";
  const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");  // empty counts as unset
  const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", oldConfigHome); });
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
