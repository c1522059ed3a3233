#pragma once
// Ctrl+C (and on Linux SIGTERM) during a live capture ends the event loop, so that the capture is
// closed properly and the report still written.

#include <functional>
#include <memory>

namespace dorvex::cli {

class InterruptCatcher {
 public:
  // While alive, an interrupt runs `quit` on the event loop's thread.
  explicit InterruptCatcher(std::function<void()> quit);
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace dorvex::cli
