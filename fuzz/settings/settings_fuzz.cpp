// Fuzz target: arbitrary bytes as a settings file, then reads and one write through the settings
// file object. Nothing may crash; the write must read back and keep every other line in order.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "settings/ini_file.h"

namespace {

// A write changes at most one "key=value" line and inserts lines at one place; every other line
// stays, in order (the last one may gain a line end, which splitting on '\n' does not see).
bool KeepsOtherLines(const QByteArray& before, const QByteArray& after) {
  const QList<QByteArray> old = before.split('\n'), now = after.split('\n');
  qsizetype prefix = 0, suffix = 0;
  while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
  while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
         old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
    ++suffix;
  }
  const qsizetype changed = old.size() - prefix - suffix;
  return changed == 0 || (changed == 1 && old[prefix].contains('='));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // In memory where possible: every write syncs the file to the disk.
  static QTemporaryDir folder(
      (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? "/dev/shm" : QDir::tempPath()) +
      "/dorvex-settings-fuzz-XXXXXX");
  const QString path = folder.filePath(QStringLiteral("fuzz.ini"));
  const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QFile file(path);
  FuzzCheck(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size(), "set-up");
  file.close();

  static const QStringList kNames = QString(
                                        "Snoop|AdapterIndex|Config|Expand|Function|OpenCount|"
                                        "TfrmDVmain|PlaceNormalPos.Left|ä|Ö||k")
                                        .split('|');
  dorvex::TIniFile ini(path);
  for (qsizetype i = 0; i < kNames.size(); i += 2) {
    ini.ReadString(kNames[i], kNames[i + 1], "default");
    ini.ReadInteger(kNames[i], kNames[i + 1], -1);
    ini.ReadBool(kNames[i], kNames[i + 1], true);
  }

  // Writes one (section, key) pair of kNames, chosen by the first byte; the next pair stays.
  const qsizetype pick = size > 0 ? data[0] % (kNames.size() / 2) : 0;
  const qsizetype next = (pick + 1) % (kNames.size() / 2);
  const QString &section = kNames[2 * pick], &key = kNames[2 * pick + 1];
  const QString &other = kNames[2 * next], &otherKey = kNames[2 * next + 1];
  const QString otherBefore = ini.ReadString(other, otherKey, "none");
  const QString value = QStringLiteral("fuzz ") + QString::number(size);
  ini.WriteString(section, key, value);  // a refusal (EIniFileException) ends the run
  FuzzCheck(ini.ReadString(section, key, QString()) == value,
            "the written value does not read back");
  FuzzCheck(other.compare(section, Qt::CaseInsensitive) == 0 ||
                ini.ReadString(other, otherKey, "none") == otherBefore,
            "a write changed another section's value");
  FuzzCheck(file.open(QIODevice::ReadOnly) && KeepsOtherLines(contents, file.readAll()),
            "a write lost or changed another line");
  return 0;
}
