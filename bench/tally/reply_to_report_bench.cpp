// One world list reply of 32 records through the reader, the update cycle and the report text,
// on the in-memory count fields.

#include <benchmark/benchmark.h>

#include <QString>
#include <vector>

#include "tally/count_store.h"
#include "tally/login_time.h"
#include "tally/memory_fields.h"
#include "tally/report.h"
#include "tally/update_cycle.h"
#include "tally/world_list_payload.h"
#include "tally/world_list_reader.h"
#include "tally/world_table.h"

namespace {

// The 24 worlds of the table and 8 names it does not know: 32 records, a full working copy.
QByteArray FullReply() {
  std::vector<dorvex::WorldRecord> records;
  std::uint16_t count = 100;
  for (const dorvex::World& world : dorvex::WorldTable()) {
    records.push_back(
        {QByteArray(world.name.data(), static_cast<qsizetype>(world.name.size())), count += 37});
  }
  for (int i = 0; records.size() < 32; ++i) {
    records.push_back({"newworld" + QByteArray::number(i), count += 11});
  }
  return dorvex::MakeWorldListReply(records);
}

void BM_ReplyToReport(benchmark::State& state) {
  const QByteArray payload = FullReply();
  const QLocale locale(QLocale::Japanese, QLocale::Japan);
  dorvex::CountStore store;
  dorvex::MemoryFieldSet fields;
  dorvex::LoginTime loginTime([] { return QDateTime(QDate(2007, 9, 1), QTime(21, 5, 9)); });
  QString memo;
  dorvex::WorldListReader reader(store, loginTime, [&] {
    memo = dorvex::JoinReportLines(
        dorvex::RunUpdateCycle(store, fields, loginTime.Value(), {true, false}, locale));
  });
  const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData());
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.Read(data, payload.size()));
    benchmark::DoNotOptimize(memo.constData());
  }
  state.SetItemsProcessed(state.iterations());  // replies
}
BENCHMARK(BM_ReplyToReport);

}  // namespace

BENCHMARK_MAIN();
