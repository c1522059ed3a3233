#pragma once
// Texts of capture failures that more than one place gives or quotes.

namespace dorvex {

// LastError when reading packets failed, in the capture or in the capture helper.
inline constexpr char kReadErrorText[] = "Snoop Error: pcap_next_ex return -1";

// Where the user learns how to give the program the right to capture; the window's status line
// and dorvex-cli add it when a capture was refused for want of rights.
inline constexpr char kCaptureRightsHint[] = R"(see "Capture rights" in the README)";

}  // namespace dorvex
