#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <optional>

#include "tools/dorvex-cli/interrupt_catcher.h"

namespace dorvex::cli {

namespace {

int interruptPipe[2] = {-1, -1};

void OnInterrupt(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(interruptPipe[1], &byte, 1);
}

}  // namespace

// SIGINT and SIGTERM become a readable pipe (a self-pipe: the handler only writes a byte).
struct InterruptCatcher::State {
  std::optional<QSocketNotifier> notifier;
  struct sigaction oldInt {};
  struct sigaction oldTerm {};
};

InterruptCatcher::InterruptCatcher(std::function<void()> quit) : state_(std::make_unique<State>()) {
  if (pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  state_->notifier.emplace(interruptPipe[0], QSocketNotifier::Read);
  QObject::connect(&*state_->notifier, &QSocketNotifier::activated, std::move(quit));
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &state_->oldInt);
  sigaction(SIGTERM, &action, &state_->oldTerm);
}

InterruptCatcher::~InterruptCatcher() {
  if (!state_->notifier) return;
  sigaction(SIGINT, &state_->oldInt, nullptr);
  sigaction(SIGTERM, &state_->oldTerm, nullptr);
  state_->notifier.reset();
  for (int& fd : interruptPipe) {
    close(fd);
    fd = -1;
  }
}

}  // namespace dorvex::cli
