#pragma once
// The texts that a failed activation of a capture handle leaves in LastError, and how a caller
// (the window's status line, the command-line tool) recognises a missing capture right in them.

#include <pcap/pcap.h>

#include <QString>

namespace dorvex {

// pcap_activate's failure `status` on `handle`: the status's own text, followed in brackets by
// the handle's detail when it adds something ("You don't have permission to perform this capture
// on that device (socket: Operation not permitted)").
QString ActivationFailureText(pcap_t* handle, int status);

// True when `lastError` says that the capture was refused for want of rights (not root, or no
// cap_net_raw).
bool IsPermissionFailure(const QString& lastError);

}  // namespace dorvex
