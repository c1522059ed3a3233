// The replay benchmark's floor: reads every frame of a capture file with libpcap under a filter
// and does nothing with it.
//   pcap_read_floor FILE [FILTER]   (default "tcp port 6900"; "" reads every frame)

#include <pcap/pcap.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pcap_read_floor FILE [FILTER]\n");
    return 2;
  }
  const char* filter = argc > 2 ? argv[2] : "tcp port 6900";
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle = pcap_open_offline(argv[1], errorBuffer);
  if (!handle) {
    std::fprintf(stderr, "pcap_read_floor: %s\n", errorBuffer);
    return 1;
  }
  bpf_program program;
  if (pcap_compile(handle, &program, filter, 1, PCAP_NETMASK_UNKNOWN) < 0 ||
      pcap_setfilter(handle, &program) < 0) {
    std::fprintf(stderr, "pcap_read_floor: %s\n", pcap_geterr(handle));
    return 1;
  }
  pcap_freecode(&program);
  pcap_pkthdr* header = nullptr;
  const u_char* data = nullptr;
  unsigned long frames = 0;
  while (pcap_next_ex(handle, &header, &data) == 1) ++frames;
  std::printf("%lu frames\n", frames);
  pcap_close(handle);
  return 0;
}
