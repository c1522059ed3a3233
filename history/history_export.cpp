#include "history/history_export.h"

#include <QSaveFile>
#include <algorithm>

#include "history/history_csv.h"

namespace dorvex {

namespace {

// Passes every write on to `out`, counting the CSV's lines (a header, then a line a reply).
class LineCounter : public QIODevice {
 public:
  LineCounter(QIODevice& out, const std::function<void(qint64)>& progress)
      : out_(out), progress_(progress) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  qint64 Replies() const { return std::max<qint64>(0, lines_ - 1); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    lines_ += std::count(data, data + size, '\n');
    if (progress_ && Replies() > 0 && Replies() % kExportProgressStep == 0) progress_(Replies());
    return out_.write(data, size);
  }

 private:
  QIODevice& out_;
  const std::function<void(qint64)>& progress_;
  qint64 lines_ = 0;
};

}  // namespace

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
  LineCounter counter(file, progress);
  const bool ok = WriteHistoryCsv(path, range, counter, error);
  written = counter.Replies();
  if (!ok) {
    if (file.error() != QFileDevice::NoError) return cannotWrite();
    failure = {false, error};
    return false;  // the file named `target` stays as it was
  }
  return file.commit() || cannotWrite();
}

}  // namespace dorvex
