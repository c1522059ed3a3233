// Time from a world list reply's arrival on the loopback adapter to its report in the window's
// memo: a real window capturing on "lo", replies sent over a real TCP connection on port 6900.
//
//   window_reply_bench [REPLIES]   (default 200; needs root for the capture)
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
#include <vector>

#include "bench/window/figures.h"
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
  const int lo = dorvex::test::LoopbackAdapterIndex();
  if (lo < 0) {
    std::fprintf(stderr, "window_reply_bench: no loopback adapter\n");
    return 1;
  }

  QTemporaryDir folder;
  dorvex::ScopedExecutablePath executable(folder.filePath(QStringLiteral("dorvex")));
  QFile settings(folder.filePath(QStringLiteral("dorvex.ini")));
  if (!settings.open(QIODevice::WriteOnly) ||
      settings.write("[Snoop]\nAdapterIndex=" + QByteArray::number(lo) + "\n") < 0) {
    std::fprintf(stderr, "window_reply_bench: cannot write the settings file\n");
    return 1;
  }
  settings.close();

  QApplication application(argc, argv);
  TfrmDVmain window;
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

  dorvex::test::LoopbackConnection connection;
  QElapsedTimer clock;
  clock.start();
  QString awaited;
  qint64 shownAt = -1;
  QObject::connect(memo, &QPlainTextEdit::textChanged, [&] {
    if (shownAt < 0 && memo->toPlainText().contains(awaited)) shownAt = clock.nsecsElapsed();
  });

  std::vector<double> latency;
  for (int i = 0; i < replies; ++i) {
    const auto marker = static_cast<std::uint16_t>(1000 + i);
    awaited = QStringLiteral("【verdandi】 %1\n").arg(marker);
    shownAt = -1;
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
    latency.push_back(static_cast<double>(shownAt - sentAt) / 1e6);
  }
  return dorvex::bench::PrintFigures("reply on loopback to report in memo", "ms", latency) ? 0 : 1;
}
