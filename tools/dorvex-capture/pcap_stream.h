#pragma once
// Writes the classic pcap file format (the one libpcap's pcap_fopen_offline reads) to a
// descriptor in host byte order, one whole record per call and without buffering, so that each
// packet reaches the reader at once.

#include <sys/time.h>

#include <cstdint>
#include <span>

namespace dorvex::capture_helper {

// The 24-byte file header. 0 when written, else the errno of the failed write (EPIPE: the reader
// closed the pipe).
int WritePcapFileHeader(int fd, std::uint32_t snaplen, std::uint32_t linktype);

// One record: the 16-byte record header and `bytes`, written whole (partial writes and EINTR are
// continued). `originalLength` is the packet's length on the wire. Returns as WritePcapFileHeader.
int WritePcapRecord(int fd, const timeval& timestamp, std::uint32_t originalLength,
                    std::span<const std::uint8_t> bytes);

}  // namespace dorvex::capture_helper
