#include "settings/ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#include "common/private_files.h"
#include "common/whole_number.h"
#include "settings/profile_text.h"

namespace dorvex {
namespace {

// What a text read returns at most: the length of a 2048-character read buffer less its end mark.
constexpr qsizetype kMaxValueLength = 2047;

std::optional<QByteArray> ReadWholeFile(const QString& fileName) {
  if (!UntrustedPathReason(fileName).isEmpty()) return std::nullopt;  // read as missing
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return bytes;
}

QString CutToMaxLength(QString text) {
  if (text.size() <= kMaxValueLength) return text;
  qsizetype length = kMaxValueLength;
  if (text.at(length - 1).isHighSurrogate()) --length;  // keep surrogate pairs whole
  text.truncate(length);
  return text;
}

}  // namespace

EIniFileException::EIniFileException(const QString& fileName, const QString& reason)
    : std::runtime_error(QStringLiteral("%1 に書き込めません").arg(fileName).toStdString()),
      fileName_(fileName),
      reason_(reason) {}

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& ident,
                             const QString& defaultValue) const {
  const std::optional<QByteArray> bytes = ReadWholeFile(fileName_);
  if (!bytes) return CutToMaxLength(defaultValue);
  const std::optional<QByteArray> value = ProfileText(*bytes).Value(section, ident);
  return CutToMaxLength(value ? QString::fromUtf8(*value) : defaultValue);
}

std::int32_t TIniFile::ReadInteger(const QString& section, const QString& ident,
                                   std::int32_t defaultValue) const {
  QString text = ReadString(section, ident, QString());
  if (text.size() > 2 && (text.startsWith(u"0x") || text.startsWith(u"0X"))) {
    text.replace(0, 2, u'$');
  }
  return ReadWholeNumber(text).value_or(defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
  const QByteArray valueBytes = value.toUtf8();
  if (!ProfileText::CanStore(section, ident, valueBytes)) {
    throw EIniFileException(fileName_,
                            QStringLiteral("section [%1], key \"%2\" or its value cannot "
                                           "be stored on one line")
                                .arg(section, ident));
  }

  if (const QString untrusted = UntrustedPathReason(fileName_); !untrusted.isEmpty()) {
    throw EIniFileException(fileName_, untrusted);
  }
  QByteArray current;
  const bool exists = QFile::exists(fileName_);
  if (exists) {
    std::optional<QByteArray> bytes = ReadWholeFile(fileName_);
    if (!bytes) throw EIniFileException(fileName_, QStringLiteral("the file cannot be read"));
    current = std::move(*bytes);
  }
  ProfileText text(std::move(current));
  if (!text.SetValue(section, ident, valueBytes)) return;  // already holds that value

  QString folderError;
  if (!MakePrivateFolder(QFileInfo(fileName_).absolutePath(), folderError)) {
    throw EIniFileException(fileName_, folderError);
  }
  QSaveFile file(fileName_);
  if (!file.open(QIODevice::WriteOnly) ||
      (!exists && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) ||
      file.write(text.Bytes()) != text.Bytes().size() || !file.commit()) {
    throw EIniFileException(fileName_, file.errorString());
  }
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, std::int32_t value) {
  WriteString(section, ident, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace dorvex
