#include "capture/capture_library.h"

namespace dorvex {

// libpcap is linked in: the program does not start without it.
std::string CaptureLibraryProblem() {
  return {};
}

}  // namespace dorvex
