#pragma once
// The capture library that captures and reads capture files: libpcap on Linux, linked in; on
// Windows Npcap's wpcap.dll, which the user installs apart and may not have.

#include <pcap/pcap.h>

#include <string>

namespace dorvex {

// Why no capture is possible on this computer (Npcap is not installed, or does not load), as a
// sentence that says what is needed and where it comes from; empty when the library is there.
std::string CaptureLibraryProblem();

// The library's reason why pcap_activate failed with `status` (< 0) on `handle`: its message,
// after the status's own text when the status is more specific than PCAP_ERROR.
std::string ActivationFailureText(pcap_t* handle, int status);

}  // namespace dorvex
