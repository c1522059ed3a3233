#include <stdio_ext.h>

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/dorvex-cli/capture_file_open.h"

namespace dorvex::cli {

namespace {
constexpr std::size_t kReadBufferSize = 64 << 10;
}

pcap_t* OpenCaptureFile(const QString& path, std::unique_ptr<char[]>& buffer, QString& error) {
  // libpcap reads a frame's header and bytes with a stdio call each; a larger buffer makes the
  // read system calls behind them few (the default buffer of a few KiB costs one a few frames),
  // while one that still fits a core's cache keeps the copy out of it cheap (a 1 MiB buffer was
  // slower than the default on some machines).
  std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
  if (!file) {
    error = QStringLiteral("cannot open: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return nullptr;
  }
  buffer = std::make_unique<char[]>(kReadBufferSize);  // glibc ignores a size without one
  std::setvbuf(file, buffer.get(), _IOFBF, kReadBufferSize);
  __fsetlocking(file, FSETLOCKING_BYCALLER);
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle = pcap_fopen_offline(file, errorBuffer);  // closes `file` with the handle
  if (!handle) {
    std::fclose(file);
    error = QStringLiteral("not a capture file (pcap or pcapng): %1")
                .arg(QString::fromLocal8Bit(errorBuffer));
  }
  return handle;
}

}  // namespace dorvex::cli
