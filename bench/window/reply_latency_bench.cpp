// Time from a world list reply's arrival on the loopback adapter to its report in the window's
// memo, and to the end of its handling (the report and the reply written to the count history):
// a real window capturing on "lo", replies sent over a real TCP connection on port 6900.
//
//   window_reply_bench [REPLIES] [--no-history]   (default 200; needs root for the capture)
//
// Exits with 1 when a reply never reaches the memo or a figure is not a positive finite number,
// with 77 (skipped) without root.

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/window/figures.h"
#include "history/history_read.h"
#include "settings/ini_path.h"
#include "tally/world_list_payload.h"
#include "tally/world_table.h"
#include "tests/support/adapter_index.h"
#include "tests/support/loopback_peer.h"
#include "window/main_window.h"

namespace {

constexpr int kSkipped = 77;

// All 24 worlds, verdandi carrying `marker` so that each reply's report differs.
std::vector<std::uint8_t> Reply(std::uint16_t marker) {
  std::vector<dorvex::WorldRecord> records;
  std::uint16_t count = 100;
  for (const dorvex::World& world : dorvex::WorldTable()) {
    records.push_back(
        {QByteArray(world.name.data(), static_cast<qsizetype>(world.name.size())), count += 37});
  }
  records.front().count = marker;
  const QByteArray bytes = dorvex::MakeWorldListReply(records);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (geteuid() != 0) {
    std::printf("window_reply_bench: skipped, the capture on lo needs root\n");
    return kSkipped;
  }
  const int replies = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const bool history = !(argc > 2 && std::strcmp(argv[2], "--no-history") == 0);
  const int lo = dorvex::test::LoopbackAdapterIndex();
  if (lo < 0) {
    std::fprintf(stderr, "window_reply_bench: no loopback adapter\n");
    return 1;
  }

  QTemporaryDir folder;
  dorvex::ScopedExecutablePath executable(folder.filePath(QStringLiteral("dorvex")));
  QFile settings(folder.filePath(QStringLiteral("dorvex.ini")));
  if (!settings.open(QIODevice::WriteOnly) ||
      settings.write("[Snoop]\nAdapterIndex=" + QByteArray::number(lo) +
                     "\n[History]\nEnabled=" + (history ? "1" : "0") + "\n") < 0) {
    std::fprintf(stderr, "window_reply_bench: cannot write the settings file\n");
    return 1;
  }
  settings.close();

  QApplication application(argc, argv);
  auto windowOwner = std::make_unique<TfrmDVmain>();
  TfrmDVmain& window = *windowOwner;
  window.show();
  // Replies come long after the start: let the first paints and the font loading finish.
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("memResultString"));
  if (!memo) {
    std::fprintf(stderr, "window_reply_bench: the window has no memo memResultString\n");
    return 1;
  }

  QElapsedTimer clock;
  clock.start();
  QString awaited;
  qint64 shownAt = -1;
  QObject::connect(memo, &QPlainTextEdit::textChanged, [&] {
    if (shownAt < 0 && memo->toPlainText().contains(awaited)) shownAt = clock.nsecsElapsed();
  });

  std::vector<double> latency;
  std::vector<double> handled;
  for (int i = 0; i < replies; ++i) {
    const auto marker = static_cast<std::uint16_t>(1000 + i);
    awaited = QStringLiteral("【verdandi】 %1\n").arg(marker);
    shownAt = -1;
    // Each reply from a server address of its own: replies of one server less than a second
    // apart share one history row.
    dorvex::test::LoopbackConnection connection(6900, 0x7f000002 + static_cast<std::uint32_t>(i));
    const qint64 sentAt = clock.nsecsElapsed();
    connection.ServerSends(Reply(marker));
    while (shownAt < 0 && clock.nsecsElapsed() - sentAt < 2'000'000'000) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    if (shownAt < 0) {
      const QStringList shown =
          memo->toPlainText().split(QLatin1Char('\n')).filter(QStringLiteral("verdandi"));
      std::fprintf(stderr, "window_reply_bench: reply %d never reached the memo (it shows %s)\n",
                   i + 1, qPrintable(shown.join(QLatin1Char('|'))));
      return 1;
    }
    // The handler that filled the memo has returned: the reply is in the history too.
    handled.push_back(static_cast<double>(clock.nsecsElapsed() - sentAt) / 1e6);
    latency.push_back(static_cast<double>(shownAt - sentAt) / 1e6);
  }
  const bool shown =
      dorvex::bench::PrintFigures("reply on loopback to report in memo", "ms", latency);
  const bool done = dorvex::bench::PrintFigures(
      history ? "... to reply kept in the history" : "... to handler done (no history)", "ms",
      handled);
  windowOwner.reset();  // closes the history file
  if (!history) return shown && done ? 0 : 1;
  QString error;
  const auto kept =
      dorvex::ReadHistory(folder.filePath(QStringLiteral("dorvex.sqlite")), {}, error);
  if (!kept || kept->size() != static_cast<std::size_t>(replies)) {
    std::fprintf(stderr, "window_reply_bench: the history holds %zd of %d replies %s\n",
                 kept ? static_cast<std::ptrdiff_t>(kept->size()) : -1, replies, qPrintable(error));
    return 1;
  }
  return shown && done ? 0 : 1;
}
