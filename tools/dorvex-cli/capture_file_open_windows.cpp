// Windows: Npcap's wpcap.dll has a C runtime of its own, so it opens the file itself (a FILE* of
// this program's runtime means nothing to it).

#include <QDir>

#include "capture/capture_library.h"
#include "tools/dorvex-cli/capture_file_open.h"

namespace dorvex::cli {

pcap_t* OpenCaptureFile(const QString& path, std::unique_ptr<char[]>& /*buffer*/, QString& error) {
  if (const std::string problem = CaptureLibraryProblem(); !problem.empty()) {
    error = QStringLiteral("cannot open: %1").arg(QString::fromStdString(problem));
    return nullptr;
  }
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle =
      pcap_open_offline(QDir::toNativeSeparators(path).toLocal8Bit().constData(), errorBuffer);
  if (!handle) {
    error = QStringLiteral("not a capture file (pcap or pcapng): %1")
                .arg(QString::fromLocal8Bit(errorBuffer));
  }
  return handle;
}

}  // namespace dorvex::cli
