// Opening the history window over a large history with a remembered week (its last seven days)
// and with the range "All": from the window's construction until its chart has been painted with
// the read replies, and the longest the event loop stalled meanwhile (a 10 ms timer notes the
// largest gap between its ticks); one more paint of the chart on its own; in the shown window,
// recording one more reply and bringing the window up to date (Refresh, as the main window does
// after each recorded reply); then exporting the whole range as CSV, with its longest stall.
//
//   history_window_bench [REPLIES] [RUNS] [KEPT]
//     REPLIES generated replies (default 525600: a year, one a minute); RUNS runs of each (default
//     3); KEPT a history file kept between benchmarks: the runs work on a copy of it when it holds
//     REPLIES replies, else it is made (a year takes minutes to generate).
//
// Prints the size of the generated file per reply. Exits with 1 when the history cannot be made, a
// run fails or a figure is not a positive finite number. Runs on the current Qt platform (offscreen
// for the figures and the smoke test).

#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/history_window/generated_history.h"
#include "bench/window/figures.h"
#include "history/history_store.h"
#include "history/reply_summary.h"
#include "window/history/history_window.h"
#include "window/history/history_window_settings.h"

namespace {

// Notes the first paint of the widget it watches.
class FirstPaint : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// The longest gap between the ticks of a 10 ms timer since Restart: how long the event loop
// stalled.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longestMs_ = std::max(longestMs_, static_cast<double>(sinceTick_.nsecsElapsed()) / 1e6);
      sinceTick_.restart();
    });
    timer_.start(10);
  }
  void Restart() {
    longestMs_ = 0;
    sinceTick_.restart();
  }
  double LongestMs() const { return longestMs_; }

 private:
  QTimer timer_;
  QElapsedTimer sinceTick_;
  double longestMs_ = 0;
};

// Runs the event loop until `done`, sleeping between events (the stall meter's timer wakes it at
// least every 10 ms). Not processEvents with a time limit: that one returns at once when no event
// waits, so the loop around it spun the GUI thread and took processor time from the window's
// reading thread.
template <typename Done>
bool WaitFor(const Done& done) {
  QElapsedTimer waited;
  waited.start();
  while (!done() && waited.elapsed() < 60'000) {
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return done();
}

// Processor time of every thread of this process so far.
double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct RunTimes {
  double openCpuMs = 0;    // processor time of the opening
  double readMs = 0;       // ForEachHistoryReply: every reply with its records (CSV export)
  double summarizeMs = 0;  // ReadReplySummaries: the window's summaries from the kept views
  double openMs = 0;
  double repaintMs = 0;    // the shown chart painted again
  double openStallMs = 0;  // the longest event-loop stall while opening
  double weekOpenMs = 0;   // opening with the last seven days as the remembered range
  double weekOpenStallMs = 0;
  double refreshMs = 0;
  double exportMs = 0;
  double exportStallMs = 0;
};

double Elapsed(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The window's read of the summaries on its own, and the read of every reply with its records
// beside it; false when reading fails.
bool MeasureReading(const QString& path, RunTimes& times) {
  QString error;
  QElapsedTimer timer;
  timer.start();
  std::size_t seen = 0;
  if (!dorvex::ForEachHistoryReply(
          path, {}, [&](const dorvex::HistoryReply&) { ++seen; }, error)) {
    return false;
  }
  times.readMs = Elapsed(timer);
  timer.restart();
  const auto summaries = dorvex::ReadReplySummaries(path, {}, error);
  times.summarizeMs = Elapsed(timer);
  return summaries && summaries->size() == seen;
}

QString RepliesText(std::size_t count) {
  return count == 1 ? QStringLiteral("1 reply") : QStringLiteral("%1 replies").arg(count);
}

// A reply a minute after the newest of `path`, which holds `count` replies one a minute.
bool RecordOneMore(const QString& path, const QDateTime& first, std::size_t count) {
  const QDateTime utc = first.addSecs(60 * static_cast<qint64>(count));
  dorvex::HistoryStore store(path);
  return store.Record({utc,
                       utc.toOffsetFromUtc(9 * 3600),
                       QStringLiteral("eth0"),
                       QStringLiteral("10.0.0.1"),
                       6900,
                       {{QStringLiteral("verdandi"), 1}}});
}

// Shows `window` and waits until its read is done and its chart painted after it.
bool ShowAndWaitForChart(TfrmDVhistory& window, StallMeter& stalls) {
  auto* chart = window.findChild<QWidget*>(QStringLiteral("chart"));
  if (!chart) return false;
  FirstPaint paint;
  chart->installEventFilter(&paint);
  window.show();
  stalls.Restart();
  if (!WaitFor([&] { return !window.Busy(); })) return false;
  paint.painted = false;
  return WaitFor([&] { return paint.painted; });
}

// Opening a window whose remembered range is the history's last seven days (a week is the
// default range), until its chart has been painted with them, and its longest stall.
bool MeasureWeekOpening(const QString& path, const QDateTime& first, std::size_t count,
                        RunTimes& times) {
  StallMeter stalls;
  QElapsedTimer timer;
  timer.start();
  TfrmDVhistory window(path, [] { return dorvex::ReportOptions{}; });
  const QDate last = first.addSecs(60 * (static_cast<qint64>(count) - 1)).toLocalTime().date();
  dorvex::HistoryWindowState state;
  state.range = dorvex::RangeChoice::kDates;
  state.from = last.addDays(-6);
  state.to = last;
  window.SetState(state);
  if (!ShowAndWaitForChart(window, stalls)) return false;
  times.weekOpenMs = Elapsed(timer);
  times.weekOpenStallMs = stalls.LongestMs();
  const QString message = window.findChild<QLabel*>(QStringLiteral("message"))->text();
  if (count >= 10'080 && message.section(u' ', 0, 0).toInt() < 6 * 1440) {
    std::printf("the week's window says \"%s\"\n", qPrintable(message));
    return false;
  }
  return true;
}

// One window over `path` (`count` replies from `first`): opened and painted, then one more reply
// recorded and the window refreshed, then the range exported to `csv`. Zero times when a step
// failed.
RunTimes MeasureRun(const QString& path, const QDateTime& first, std::size_t count,
                    const QString& csv) {
  RunTimes times;
  if (!MeasureWeekOpening(path, first, count, times)) return {};
  StallMeter stalls;
  QElapsedTimer timer;
  timer.start();
  const double cpuBefore = ProcessCpuMs();
  TfrmDVhistory window(path, [] { return dorvex::ReportOptions{}; });
  auto* choice = window.findChild<QComboBox*>(QStringLiteral("rangeChoice"));
  auto* chart = window.findChild<QWidget*>(QStringLiteral("chart"));
  if (!choice || !chart) return {};
  choice->setCurrentIndex(choice->findText(QStringLiteral("All")));
  if (!ShowAndWaitForChart(window, stalls)) return {};
  times.openMs = Elapsed(timer);
  times.openStallMs = stalls.LongestMs();
  times.openCpuMs = ProcessCpuMs() - cpuBefore;
  timer.restart();
  chart->repaint();
  times.repaintMs = Elapsed(timer);
  if (!RecordOneMore(path, first, count)) return {};
  timer.restart();
  window.Refresh();
  if (!WaitFor([&] { return !window.Busy(); })) return {};
  times.refreshMs = Elapsed(timer);
  if (!MeasureReading(path, times)) return {};
  const QString message = window.findChild<QLabel*>(QStringLiteral("message"))->text();
  const QString expectedMessage = RepliesText(count + 1);
  if (message != expectedMessage) {
    std::printf("the window says \"%s\", not \"%s\"\n", qPrintable(message),
                qPrintable(expectedMessage));
    return {};
  }
  window.SetExportPathChooser([&] { return csv; });
  auto* progress = window.findChild<QProgressBar*>(QStringLiteral("progress"));
  int progressSeen = 0;
  QObject::connect(progress, &QProgressBar::valueChanged,
                   [&](int value) { progressSeen = std::max(progressSeen, value); });
  timer.restart();
  stalls.Restart();
  window.findChild<QPushButton*>(QStringLiteral("exportButton"))->click();
  if (!WaitFor([&] { return !window.Busy(); })) return {};
  times.exportMs = Elapsed(timer);
  times.exportStallMs = stalls.LongestMs();
  const QString exported = window.findChild<QLabel*>(QStringLiteral("message"))->text();
  if (!exported.startsWith(QStringLiteral("Exported %1 replies").arg(count + 1)) ||
      (count >= 10'000 && progressSeen <= 0)) {
    std::printf("the export says \"%s\", progress %d\n", qPrintable(exported), progressSeen);
    return {};
  }
  return times;
}

// Makes the history of `replies` replies at `path`, copied from `kept` when that holds as many
// (else generated, and kept there when `kept` is named).
bool MakeHistory(const QString& path, const QString& kept, int replies, const QDateTime& first,
                 QString& error) {
  if (!kept.isEmpty() && QFileInfo::exists(kept)) {
    QString countError;
    if (dorvex::CountReplies(kept, {}, countError).value_or(-1) == replies) {
      return QFile::copy(kept, path);
    }
    QFile::remove(kept);
  }
  if (replies < 1 || !dorvex::bench::WriteGeneratedHistory(path, replies, first, 60, error)) {
    return false;
  }
  return kept.isEmpty() || QFile::copy(path, kept);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int replies = argc > 1 ? std::atoi(argv[1]) : 525'600;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const QString kept = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("history.sqlite"));
  QString error;
  QElapsedTimer made;
  made.start();
  const QDateTime first(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
  if (!MakeHistory(path, kept, replies, first, error)) {
    std::printf("cannot make a history of %d replies: %s\n", replies, qPrintable(error));
    return 1;
  }
  std::printf("history of %d replies made or copied in %.0f ms, %.0f bytes of file per reply\n",
              replies, static_cast<double>(made.elapsed()),
              static_cast<double>(QFileInfo(path).size()) / replies);
  std::vector<RunTimes> measured;
  for (int run = 0; run < runs; ++run) {
    measured.push_back(MeasureRun(path, first, static_cast<std::size_t>(replies + run),
                                  folder.filePath(QStringLiteral("export.csv"))));
  }
  const auto figures = [&](const char* what, double RunTimes::*part) {
    std::vector<double> values;
    for (const RunTimes& times : measured) values.push_back(times.*part);
    const QByteArray label = QByteArray(what) + ", " + QByteArray::number(replies) + " replies";
    return dorvex::bench::PrintFigures(label.constData(), "ms", values);
  };
  const bool ok = figures("open + paint (a remembered week)", &RunTimes::weekOpenMs) &&
                  figures("  its longest event-loop stall", &RunTimes::weekOpenStallMs) &&
                  figures("open + paint (All)", &RunTimes::openMs) &&
                  figures("  its processor time", &RunTimes::openCpuMs) &&
                  figures("  its longest event-loop stall", &RunTimes::openStallMs) &&
                  figures("chart repaint (All)", &RunTimes::repaintMs) &&
                  figures("one more reply + Refresh", &RunTimes::refreshMs) &&
                  figures("export CSV (All)", &RunTimes::exportMs) &&
                  figures("  its longest event-loop stall", &RunTimes::exportStallMs) &&
                  figures("read summaries", &RunTimes::summarizeMs) &&
                  figures("read replies with records", &RunTimes::readMs);
  return ok ? 0 : 1;
}
