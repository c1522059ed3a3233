// The count history's costs on real files in a temporary folder:
//   BM_RecordOneReply   HistoryStore::Record of a 25-record reply into a growing file, with the
//                       median and maximum per reply as counters;
//   BM_ImportCapture    dorvex-cli --read FILE --history H over make_bench_capture's file (one
//                       world list reply of 24 worlds every 20 frames), the whole process timed;
//   BM_ExportCsv        WriteHistoryCsv of a history of 25-record replies into memory.
//   history_bench [--full] [benchmark options]
// --full: 10,000 recorded replies, 50,000 imported and 100,000 exported (the README's figures);
// without it, sizes small enough for a smoke run.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "history/history_csv.h"
#include "history/history_store.h"
#include "tally/world_table.h"

namespace {

struct Sizes {
  int recorded = 200;
  int imported = 1000;
  int exported = 1000;
};
Sizes sizes;

// Reply `i`: the 24 worlds of the table and one name it does not know, a second apart.
dorvex::HistoryReply Reply(int i) {
  const QDateTime utc = QDateTime(QDate(2024, 5, 1), QTime(0, 0), Qt::UTC).addSecs(i);
  dorvex::HistoryReply reply{
      utc, utc.toOffsetFromUtc(9 * 3600), QStringLiteral("eth0"), QStringLiteral("10.0.0.7"), 6900,
      {}};
  std::uint16_t count = static_cast<std::uint16_t>(i % 1000);
  for (const dorvex::WorldStrings& world : dorvex::WorldStringTable()) {
    reply.records.push_back({world.name, count += 37});
  }
  reply.records.push_back({QStringLiteral("newworld"), 5});
  return reply;
}

void RemoveHistory(const QString& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(path + QLatin1StringView(suffix));
}

std::int64_t ReplyCount(const QString& path) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  std::int64_t count = -1;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
          SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT count(*) FROM reply", -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    count = sqlite3_column_int64(statement, 0);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return count;
}

void BM_RecordOneReply(benchmark::State& state) {
  const QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("history.sqlite"));
  dorvex::HistoryStore store(path);
  std::vector<double> micros;
  int i = 0;
  QElapsedTimer timer;
  for (auto _ : state) {
    dorvex::HistoryReply reply = Reply(i++);
    timer.start();
    const bool written = store.Record(std::move(reply));
    micros.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    if (!written) state.SkipWithError(store.StatusText().toStdString().c_str());
  }
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["max_us"] = micros.back();
  state.SetItemsProcessed(state.iterations());
}

void BM_ImportCapture(benchmark::State& state) {
  const int replies = static_cast<int>(state.range(0));
  const QTemporaryDir dir;
  const QString capture = dir.filePath(QStringLiteral("big.pcap"));
  const QString history = dir.filePath(QStringLiteral("history.sqlite"));
  if (QProcess::execute(QStringLiteral(MAKE_BENCH_CAPTURE_PATH),
                        {capture, QString::number(20 * replies), "fixed", "spaced"}) != 0) {
    state.SkipWithError("make_bench_capture failed");
    return;
  }
  for (auto _ : state) {
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(QStringLiteral(DORVEX_CLI_PATH), {"--read", capture, "--history", history});
    const bool ran = cli.waitForFinished(600000) && cli.exitStatus() == QProcess::NormalExit &&
                     cli.exitCode() == 0;
    state.PauseTiming();
    if (!ran) state.SkipWithError(cli.readAllStandardError().toStdString().c_str());
    if (ReplyCount(history) != replies) state.SkipWithError("not every reply was recorded");
    RemoveHistory(history);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * replies);
}

void BM_ExportCsv(benchmark::State& state) {
  const int replies = static_cast<int>(state.range(0));
  const QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("history.sqlite"));
  {
    dorvex::HistoryStore store(path);
    std::vector<dorvex::HistoryReply> batch;
    for (int i = 0; i < replies; ++i) {
      batch.push_back(Reply(i));
      if (batch.size() == 1000 || i + 1 == replies) {
        if (!store.RecordAll(std::exchange(batch, {}))) {
          state.SkipWithError(store.StatusText().toStdString().c_str());
          return;
        }
      }
    }
  }
  qint64 bytes = 0;
  for (auto _ : state) {
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    QString error;
    if (!dorvex::WriteHistoryCsv(path, {}, csv, error)) {
      state.SkipWithError(error.toStdString().c_str());
    }
    bytes = csv.size();
  }
  state.counters["csv_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * replies);
}

void Register() {
  benchmark::RegisterBenchmark("BM_RecordOneReply", BM_RecordOneReply)
      ->Iterations(sizes.recorded)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_ImportCapture", BM_ImportCapture)
      ->Arg(sizes.imported)
      ->Iterations(1)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_ExportCsv", BM_ExportCsv)
      ->Arg(sizes.exported)
      ->Iterations(1)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> arguments;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full") == 0) {
      sizes = {10000, 50000, 100000};
    } else {
      arguments.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
  Register();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
