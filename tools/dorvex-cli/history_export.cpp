#include "tools/dorvex-cli/history_export.h"

#include <QBuffer>
#include <QSaveFile>

#include "history/history_csv.h"
#include "tools/dorvex-cli/report_output.h"

namespace dorvex::cli {

namespace {

bool ExportToStream(const HistoryOptions& options, const HistoryRange& range, std::FILE* out,
                    QString& error) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!WriteHistoryCsv(options.file, range, buffer, error)) return false;
  if (WriteAll(out, buffer.data())) return true;
  error = QStringLiteral("cannot write the CSV to standard output");
  return false;
}

bool ExportToFile(const HistoryOptions& options, const HistoryRange& range, QString& error) {
  QSaveFile file(options.exportCsv);
  const auto cannotWrite = [&] {
    error = QStringLiteral("%1: cannot write: %2").arg(options.exportCsv, file.errorString());
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return cannotWrite();
  if (!WriteHistoryCsv(options.file, range, file, error)) {
    if (file.error() != QFileDevice::NoError) cannotWrite();
    file.cancelWriting();  // the file named OUT stays as it was
    return false;
  }
  return file.commit() || cannotWrite();
}

}  // namespace

bool ExportHistoryCsv(const HistoryOptions& options, std::FILE* out, QString& error) {
  const HistoryRange range{options.since, options.until};
  return options.exportCsv == u"-" ? ExportToStream(options, range, out, error)
                                   : ExportToFile(options, range, error);
}

}  // namespace dorvex::cli
