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

// The lines of `text`, each with its line end.
QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines;
  for (qsizetype begin = 0, end = 0; begin < text.size(); begin = end) {
    const qsizetype newline = text.indexOf('\n', begin);
    end = newline < 0 ? text.size() : newline + 1;
    lines.append(text.sliced(begin, end - begin));
  }
  return lines;
}

// A write may change one line, give the last line a line end, and insert lines at one place;
// every other line stays, in order.
bool KeepsOtherLines(const QByteArray& before, const QByteArray& after) {
  const QList<QByteArray> old = Lines(before);
  const QList<QByteArray> now = Lines(after);
  qsizetype prefix = 0;
  while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
         old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
    ++suffix;
  }
  const qsizetype changed = old.size() - prefix - suffix;
  if (changed != 1) return changed == 0;
  const QByteArray& line = old[prefix];
  return line.contains('=') || (prefix == old.size() - 1 && !line.endsWith('\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // In memory where possible: every write syncs the file to the disk.
  static QTemporaryDir folder((QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                   ? QStringLiteral("/dev/shm")
                                   : QDir::tempPath()) +
                              QStringLiteral("/dorvex-settings-fuzz-XXXXXX"));
  const QString path = folder.filePath(QStringLiteral("fuzz.ini"));
  const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) return 0;
  file.close();

  static const std::pair<QString, QString> kNames[] = {{"Snoop", "AdapterIndex"},
                                                       {"Config", "Expand"},
                                                       {"Function", "OpenCount"},
                                                       {"TfrmDVmain", "PlaceNormalPos.Left"},
                                                       {"ä", "Ö"},
                                                       {"", "k"}};
  dorvex::TIniFile ini(path);
  for (const auto& [section, key] : kNames) {
    ini.ReadString(section, key, QStringLiteral("default"));
    ini.ReadInteger(section, key, -1);
    ini.ReadBool(section, key, true);
  }

  // Write one of the names (chosen by the first byte) and check that the others are untouched.
  const std::size_t pick = size > 0 ? data[0] : 0;
  const auto& [section, key] = kNames[pick % std::size(kNames)];
  const auto& [otherSection, otherKey] = kNames[(pick + 1) % std::size(kNames)];
  const QString otherBefore = ini.ReadString(otherSection, otherKey, QStringLiteral("none"));
  const QString value = QStringLiteral("fuzz ") + QString::number(size);
  try {
    ini.WriteString(section, key, value);
  } catch (const dorvex::EIniFileException&) {
    FuzzCheck(false, "a write to a writable file was refused");
  }
  FuzzCheck(ini.ReadString(section, key, QString()) == value, "the written value reads back");
  FuzzCheck(otherSection.compare(section, Qt::CaseInsensitive) == 0 ||
                ini.ReadString(otherSection, otherKey, QStringLiteral("none")) == otherBefore,
            "a write changed another section's value");
  FuzzCheck(file.open(QIODevice::ReadOnly) && KeepsOtherLines(contents, file.readAll()),
            "a write lost or changed another line");
  return 0;
}
