#pragma once
// How a caller (the window's status line, the command-line tool) recognises a missing capture
// right in the text that a failed open leaves in LastError.

#include <QString>

namespace dorvex {

// True when `lastError` says that the capture was refused for want of rights (not root, or no
// cap_net_raw).
bool IsPermissionFailure(const QString& lastError);

}  // namespace dorvex
