#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>

#include "tools/dorvex-cli/interrupt_catcher.h"

namespace dorvex::cli {

namespace {

std::function<void()>* interruptQuit = nullptr;

// Runs on a thread of the console's own: hands the quit to the event loop.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (interruptQuit && QCoreApplication::instance()) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), *interruptQuit, Qt::QueuedConnection);
  }
  return TRUE;
}

}  // namespace

struct InterruptCatcher::State {
  std::function<void()> quit;
};

InterruptCatcher::InterruptCatcher(std::function<void()> quit)
    : state_(std::make_unique<State>(State{std::move(quit)})) {
  interruptQuit = &state_->quit;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptCatcher::~InterruptCatcher() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  interruptQuit = nullptr;
}

}  // namespace dorvex::cli
