#pragma once
// Test code run in a child process (Linux: fork), for what must not touch the test process itself:
// dropped privileges, file size limits.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace dorvex::test {

// Runs `body` in a child process; its return value is the exit code (0: all went as expected).
inline int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace dorvex::test
