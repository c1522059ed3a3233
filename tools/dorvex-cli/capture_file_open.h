#pragma once
// Opening a capture file with the capture library, the way this platform reads it fastest.

#include <pcap/pcap.h>

#include <QString>
#include <memory>

namespace dorvex::cli {

// The capture file at `path` opened for reading (the caller closes the handle, and frees `buffer`,
// which may hold the file's read buffer, only after it); null with the reason in `error`
// ("cannot open: ..." or "not a capture file (pcap or pcapng): ...").
pcap_t* OpenCaptureFile(const QString& path, std::unique_ptr<char[]>& buffer, QString& error);

}  // namespace dorvex::cli
