#include "tools/dorvex-capture/pcap_stream.h"

#include <sys/uio.h>

#include <array>
#include <cerrno>

namespace dorvex::capture_helper {

namespace {

struct FileHeader {
  std::uint32_t magic = 0xa1b2c3d4;  // microsecond time stamps, host byte order
  std::uint16_t versionMajor = 2;
  std::uint16_t versionMinor = 4;
  std::int32_t thisZone = 0;
  std::uint32_t sigFigs = 0;
  std::uint32_t snaplen = 0;
  std::uint32_t linktype = 0;
};
static_assert(sizeof(FileHeader) == 24);

struct RecordHeader {
  std::uint32_t seconds;
  std::uint32_t microseconds;
  std::uint32_t capturedLength;
  std::uint32_t originalLength;
};
static_assert(sizeof(RecordHeader) == 16);

// Writes every byte of `parts`, continuing after partial writes and EINTR.
int WriteAll(int fd, std::span<iovec> parts) {
  while (!parts.empty()) {
    const ssize_t written = writev(fd, parts.data(), static_cast<int>(parts.size()));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    auto left = static_cast<std::size_t>(written);
    while (!parts.empty() && left >= parts.front().iov_len) {
      left -= parts.front().iov_len;
      parts = parts.subspan(1);
    }
    if (!parts.empty()) {
      parts.front().iov_base = static_cast<char*>(parts.front().iov_base) + left;
      parts.front().iov_len -= left;
    }
  }
  return 0;
}

}  // namespace

int WritePcapFileHeader(int fd, std::uint32_t snaplen, std::uint32_t linktype) {
  FileHeader header;
  header.snaplen = snaplen;
  header.linktype = linktype;
  std::array<iovec, 1> parts{{{&header, sizeof header}}};
  return WriteAll(fd, parts);
}

int WritePcapRecord(int fd, const timeval& timestamp, std::uint32_t originalLength,
                    std::span<const std::uint8_t> bytes) {
  RecordHeader header{static_cast<std::uint32_t>(timestamp.tv_sec),
                      static_cast<std::uint32_t>(timestamp.tv_usec),
                      static_cast<std::uint32_t>(bytes.size()), originalLength};
  // writev does not write through iov_base; the cast only fits its declaration.
  std::array<iovec, 2> parts{
      {{&header, sizeof header}, {const_cast<std::uint8_t*>(bytes.data()), bytes.size()}}};
  return WriteAll(fd, parts);
}

}  // namespace dorvex::capture_helper
