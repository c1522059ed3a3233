#include "live_test_support.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace dorvex::test {

bool CanCapture() {
  return geteuid() == 0;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

}  // namespace dorvex::test
