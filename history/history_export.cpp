#include "history/history_export.h"

#include <QSaveFile>

#include "history/history_csv.h"

namespace dorvex {

bool ExportHistoryCsvFile(const QString& path, const HistoryRange& range, const QString& target,
                          CsvExportFailure& failure) {
  qint64 written = 0;
  return ExportHistoryCsvFile(path, range, target, failure, {}, written);
}

bool ExportHistoryCsvFile(const QString& path, const HistoryRange& range, const QString& target,
                          CsvExportFailure& failure, const std::function<void(qint64)>& progress,
                          qint64& written) {
  QSaveFile file(target);
  const auto cannotWrite = [&] {
    failure = {true, file.errorString()};
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return cannotWrite();
  QString error;
  const bool ok = WriteHistoryCsv(path, range, file, error, progress, &written);
  if (!ok) {
    if (file.error() != QFileDevice::NoError) return cannotWrite();
    failure = {false, error};
    return false;  // the file named `target` stays as it was
  }
  return file.commit() || cannotWrite();
}

}  // namespace dorvex
