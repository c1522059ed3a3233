// Which capture helpers are run: only one that no other user could have placed or changed, and
// never the build tree's for a program that does not run from its build tree.

#include "capture/trusted_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/cli_run.h"

namespace dorvex {
namespace {

constexpr uid_t kNobody = 65534;

TEST(TrustedProgramTest, RefusesWhatAnotherUserCouldHavePlacedOrChanged) {
  if (geteuid() != 0) GTEST_SKIP() << "changing owners needs root";
  QTemporaryDir dir;  // 0700, in /tmp (sticky)
  ASSERT_TRUE(dir.isValid());
  // A folder: its mode and owner; a program in it: its mode and owner; a link to it beside the
  // others; the start of the reason ("": none).
  struct Case {
    const char* name;
    mode_t folderMode;
    uid_t folderOwner;
    mode_t programMode;
    uid_t programOwner;
    const char* reason;
  };
  const Case cases[] = {
      {"private", 0755, 0, 0755, 0, ""},
      {"sticky-shared", 01777, 0, 0755, 0, ""},
      {"shared", 0777, 0, 0755, 0, "can be changed by other users"},
      {"group-shared", 0775, 0, 0755, 0, ""},  // the group is root's: as private
      {"writable-program", 0755, 0, 0757, 0, "can be changed by other users"},
      {"others-program", 0755, 0, 0755, kNobody, "belongs to another user"},
      {"others-folder", 0755, kNobody, 0755, 0, "belongs to another user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString folder = dir.filePath(QLatin1String(c.name));
    const QString program = folder + QStringLiteral("/dorvex-capture");
    const QString link = dir.filePath(QStringLiteral("link-") + QLatin1String(c.name));
    ASSERT_TRUE(QDir().mkdir(folder) && QFile::copy(QStringLiteral("/bin/true"), program));
    ASSERT_TRUE(QFile::link(program, link));
    const QByteArray folderName = QFile::encodeName(folder),
                     programName = QFile::encodeName(program);
    ASSERT_EQ(chmod(programName, c.programMode) | chown(programName, c.programOwner, 0), 0);
    ASSERT_EQ(chmod(folderName, c.folderMode) | chown(folderName, c.folderOwner, 0), 0);
    for (const QString& path : {program, link}) {
      const QString reason = UntrustedProgramReason(path);
      EXPECT_TRUE(*c.reason ? reason.endsWith(QLatin1String(c.reason)) : reason.isEmpty())
          << path.toStdString() << ": " << reason.toStdString();
    }
  }
  EXPECT_EQ(UntrustedProgramReason(dir.filePath(QStringLiteral("none"))), "it is not there");
}

// A copy of dorvex-cli outside the build tree, with nothing beside it, does not run the helper
// that the build made (which another user could have planted at that path).
TEST(TrustedProgramTest, AProgramOutsideItsBuildTreeDoesNotRunTheBuildsHelper) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString copy = dir.filePath(QStringLiteral("dorvex-cli"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(DORVEX_CLI_PATH), copy));
  const test::ProgramRun run = test::RunProgram(copy, {"--interface", "lo", "--replies", "1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("the capture helper dorvex-capture is not installed"))
      << run.err.data();
}

}  // namespace
}  // namespace dorvex
