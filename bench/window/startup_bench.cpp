// Start-up of the program to its shown window, and its resident memory after start.
//
//   window_startup_bench [RUNS]   starts RUNS fresh processes (default 20) and prints the figures
//
// Exits with 1 when a run fails or a figure is not a positive finite number.
//
// Each run is a new process of this binary in probe mode, which does what the program's entry
// does (application object, TfrmDVmain, show) with its settings in a fresh folder, and reports
// the moment of the window's first paint and its resident memory once the start has settled. The
// time counts from just before the process is spawned, so loading the libraries is included.
// Runs on the current Qt platform: under Xvfb for the figures, offscreen for the smoke test.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "bench/window/figures.h"
#include "settings/ini_path.h"
#include "window/main_window.h"

extern char** environ;

namespace {

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}

// Notes the first paint of the window it watches.
class FirstPaint : public QObject {
 public:
  std::int64_t at = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && at == 0) at = MonotonicNs();
    return QObject::eventFilter(watched, event);
  }
};

// Prints "<main entered ns> <first paint ns> <resident KiB>".
int Probe(int argc, char** argv) {
  const std::int64_t entered = MonotonicNs();
  QTemporaryDir folder;
  dorvex::ScopedExecutablePath executable(folder.filePath(QStringLiteral("dorvex")));
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dorvex"));
  TfrmDVmain window;
  FirstPaint paint;
  window.installEventFilter(&paint);
  window.show();
  QElapsedTimer waited;
  waited.start();
  while (paint.at == 0 && waited.elapsed() < 10'000) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  // Let the start settle (deferred layout and font work) before taking the memory.
  QTimer::singleShot(300, &application, &QApplication::quit);
  QApplication::exec();
  std::printf("%lld %lld %ld\n", static_cast<long long>(entered), static_cast<long long>(paint.at),
              ResidentKiB());
  return paint.at != 0 ? 0 : 1;
}

struct ProbeFigures {
  double loadMs = 0;     // spawn to main()
  double startupMs = 0;  // spawn to the first paint
  double residentMiB = 0;
};

bool RunProbe(const char* self, ProbeFigures& figures) {
  int out[2];
  if (pipe(out) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char probeFlag[] = "--probe";
  char* args[] = {const_cast<char*>(self), probeFlag, nullptr};
  const std::int64_t start = MonotonicNs();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, self, &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return false;
  }
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));  // n > 0
  }
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  long long enteredAt = 0;
  long long paintedAt = 0;
  long residentKiB = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(text.c_str(), "%lld %lld %ld", &enteredAt, &paintedAt, &residentKiB) != 3) {
    return false;
  }
  figures.loadMs = static_cast<double>(enteredAt - start) / 1e6;
  figures.startupMs = static_cast<double>(paintedAt - start) / 1e6;
  figures.residentMiB = static_cast<double>(residentKiB) / 1024.0;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) return Probe(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::vector<double> load;
  std::vector<double> startup;
  std::vector<double> resident;
  for (int i = 0; i < runs; ++i) {
    ProbeFigures figures;
    if (!RunProbe("/proc/self/exe", figures)) {
      std::fprintf(stderr, "window_startup_bench: run %d failed\n", i + 1);
      return 1;
    }
    load.push_back(figures.loadMs);
    startup.push_back(figures.startupMs);
    resident.push_back(figures.residentMiB);
  }
  std::printf("Qt platform: %s\n",
              qEnvironmentVariable("QT_QPA_PLATFORM", "default").toUtf8().constData());
  bool measured = dorvex::bench::PrintFigures("start-up to the shown window", "ms", startup);
  measured =
      dorvex::bench::PrintFigures("  of which loading, up to main()", "ms", load) && measured;
  measured =
      dorvex::bench::PrintFigures("resident memory after start", "MiB", resident) && measured;
  return measured ? 0 : 1;
}
