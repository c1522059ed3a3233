#include "tests/capture_helper/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

extern char** environ;

namespace dorvex::capture_helper {

namespace {

constexpr int kBoundMs = 10'000;

std::pair<int, int> MakePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  return {fds[0], fds[1]};
}

// posix_spawnp with `out` and `err` as stdout and stderr; -1 when it cannot run.
pid_t Spawn(const std::vector<std::string>& command, int out, int err) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

}  // namespace

bool WaitReadable(int fd) {
  pollfd ready{fd, POLLIN, 0};
  return poll(&ready, 1, kBoundMs) == 1;
}

HelperProcess::HelperProcess(const std::vector<std::string>& command, bool orphanable) {
  const auto [outRead, outWrite] = MakePipe();
  const auto [errRead, errWrite] = MakePipe();
  out_ = outRead;
  err_ = errRead;
  if (!orphanable) {
    pid_ = Spawn(command, outWrite, errWrite);
  } else {
    prctl(PR_SET_CHILD_SUBREAPER, 1UL, 0UL, 0UL, 0UL);
    const auto [pidRead, pidWrite] = MakePipe();
    parent_ = fork();
    if (parent_ == 0) {
      const pid_t child = Spawn(command, outWrite, errWrite);
      if (write(pidWrite, &child, sizeof child) != sizeof child) _exit(1);
      for (;;) pause();
    }
    close(pidWrite);
    if (read(pidRead, &pid_, sizeof pid_) != sizeof pid_) pid_ = -1;
    close(pidRead);
  }
  close(outWrite);
  close(errWrite);
}

HelperProcess::~HelperProcess() {
  if (parent_ > 0) KillParent();
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  close(err_);
}

int HelperProcess::TakeOutput() {
  return std::exchange(out_, -1);
}

std::string HelperProcess::ReadErrors() {
  std::string text;
  char buffer[4096];
  for (ssize_t got; WaitReadable(err_) && (got = read(err_, buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

void HelperProcess::KillParent() {
  kill(parent_, SIGKILL);
  waitpid(parent_, nullptr, 0);
  parent_ = -1;  // the helper is this process's child now
}

std::optional<int> HelperProcess::WaitForExit() {
  int status = 0;
  for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
    if (waited >= kBoundMs) return std::nullopt;  // the destructor kills it
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace dorvex::capture_helper
