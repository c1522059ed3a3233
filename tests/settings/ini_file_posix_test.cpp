// The settings file where Unix owners, modes and links decide.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

// Files in folders others can write, or links others made, are untrusted; new ones are private.
TEST(IniPathTest, UntrustedPlacesAreRefusedAndNewFilesArePrivate) {
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
