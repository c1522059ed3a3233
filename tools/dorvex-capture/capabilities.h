#pragma once
// Gives up every capability of the process for good.

namespace dorvex::capture_helper {

// Empties the ambient set, then the permitted, effective and inheritable sets. False (errno set)
// when the kernel refuses; the caller must then stop.
bool DropAllCapabilities();

}  // namespace dorvex::capture_helper
