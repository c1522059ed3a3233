#include "tools/dorvex-capture/capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace dorvex::capture_helper {

bool DropAllCapabilities() {
  // Kernels before 4.3 have no ambient set and answer EINVAL.
  if (prctl(PR_CAP_AMBIENT, static_cast<unsigned long>(PR_CAP_AMBIENT_CLEAR_ALL), 0UL, 0UL, 0UL) !=
          0 &&
      errno != EINVAL) {
    return false;
  }
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> sets{};  // all three sets empty
  return syscall(SYS_capset, &header, sets.data()) == 0;
}

}  // namespace dorvex::capture_helper
