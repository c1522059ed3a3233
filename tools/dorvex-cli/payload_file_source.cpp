#include "tools/dorvex-cli/payload_file_source.h"

#include <QFile>
#include <QFileInfo>

namespace dorvex::cli {

bool PayloadFileSource::Deliver(const PayloadSink& sink, SourceError& error) {
  for (const QString& path : paths_) {
    const QFileInfo info(path);
    if (info.isDir()) {
      error.message = QStringLiteral("%1: cannot read a payload: it is a directory").arg(path);
      return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      error.message = QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
      return false;
    }
    const QByteArray payload = file.readAll();
    if (file.error() != QFileDevice::NoError) {
      error.message = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
      return false;
    }
    if (payload.isEmpty()) {
      error.message =
          QStringLiteral("%1: empty payload file (a TCP payload has at least one byte)").arg(path);
      return false;
    }
    sink(reinterpret_cast<const std::uint8_t*>(payload.constData()), payload.size(), {});
  }
  return true;
}

}  // namespace dorvex::cli
