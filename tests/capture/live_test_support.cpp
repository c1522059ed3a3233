#include "live_test_support.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace dorvex::test {

bool CanCapture() { return geteuid() == 0; }

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  if (done()) return true;
  // A real event loop: posted hand-overs are served as soon as they arrive; the timer only
  // checks the condition and the deadline.
  const QDeadlineTimer deadline(timeout);
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  check.start(1);
  loop.exec();
  return done();
}

void PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

}  // namespace dorvex::test
