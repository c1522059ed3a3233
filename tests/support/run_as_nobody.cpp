#include "tests/support/run_as_nobody.h"

#include <sys/wait.h>
#include <unistd.h>

namespace dorvex::test {

int RunAsNobody(const std::function<int()>& body) {
  constexpr uid_t kNobody = 65534;
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (setresgid(kNobody, kNobody, kNobody) != 0 || setresuid(kNobody, kNobody, kNobody) != 0) {
      _exit(125);
    }
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace dorvex::test
