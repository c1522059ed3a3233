#pragma once
// Writes frames into a pcap capture file through libpcap's own dump writer.

#include <sys/time.h>

#include <string>
#include <vector>

#include "frame_builder.h"

namespace dorvex::test {

struct TimedFrame {
  timeval time;
  Bytes frame;
};

// False when libpcap cannot create the file.
bool WriteCaptureFile(const std::string& path, int linkType, const std::vector<TimedFrame>& frames);

}  // namespace dorvex::test
