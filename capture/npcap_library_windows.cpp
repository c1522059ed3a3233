// libpcap's functions for the Windows build, over Npcap's wpcap.dll loaded at run time. The DLL
// comes from Npcap's own folder in the system directory and nowhere else (never the program's
// folder or the current folder, where someone could plant a DLL of the same name), loaded once.
// Without Npcap the program still starts: no adapter is listed, and opening a capture or a capture
// file fails with the text of CaptureLibraryProblem.

#include <pcap/pcap.h>
// After pcap.h, whose winsock2.h must come first.
#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/capture_library.h"

namespace {

// Every function of the library that Dorvex calls.
#define DORVEX_NPCAP_FUNCTIONS(X)                                                                  \
  X(pcap_findalldevs)                                                                              \
  X(pcap_freealldevs)                                                                              \
  X(pcap_create)                                                                                   \
  X(pcap_set_snaplen)                                                                              \
  X(pcap_set_promisc) X(pcap_set_timeout) X(pcap_set_immediate_mode) X(pcap_activate)              \
      X(pcap_close) X(pcap_datalink) X(pcap_datalink_val_to_name) X(pcap_compile) X(pcap_freecode) \
          X(pcap_setfilter) X(pcap_geterr) X(pcap_open_dead) X(pcap_open_offline) X(pcap_next_ex)  \
              X(pcap_stats) X(pcap_breakloop) X(pcap_statustostr) X(pcap_dump_open) X(pcap_dump)   \
                  X(pcap_dump_close)

struct Npcap {
#define DORVEX_NPCAP_POINTER(name) decltype(&::name) name = nullptr;
  DORVEX_NPCAP_FUNCTIONS(DORVEX_NPCAP_POINTER)
#undef DORVEX_NPCAP_POINTER
  std::string problem;  // empty when every function above was found
};

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  }
  return utf8;
}

// Npcap's wpcap.dll: %SystemRoot%\System32\Npcap\wpcap.dll.
std::wstring NpcapPath() {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"C:\\Windows\\System32\\Npcap\\wpcap.dll";
  return std::wstring(system, length) + L"\\Npcap\\wpcap.dll";
}

Npcap Load() {
  Npcap npcap;
  const std::wstring path = NpcapPath();
  // The altered search path finds Npcap's Packet.dll beside wpcap.dll, not in the program's folder.
  const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    npcap.problem =
        "capturing needs Npcap, from https://npcap.com: install it and start Dorvex "
        "again (there is no " +
        Utf8(path) + ")";
    return npcap;
  }
  // GetProcAddress gives a generic function pointer; void (*)() is the type that converts to any
  // other without a warning.
#define DORVEX_NPCAP_LOAD(name)                                                                \
  npcap.name = reinterpret_cast<decltype(&::name)>(                                            \
      reinterpret_cast<void (*)()>(GetProcAddress(module, #name)));                            \
  if (!npcap.name && npcap.problem.empty()) {                                                  \
    npcap.problem = "the Npcap installed (" + Utf8(path) +                                     \
                    ") lacks " #name                                                           \
                    ": install a current Npcap from https://npcap.com and start Dorvex again"; \
  }
  DORVEX_NPCAP_FUNCTIONS(DORVEX_NPCAP_LOAD)
#undef DORVEX_NPCAP_LOAD
  return npcap;
}

const Npcap& Library() {
  static const Npcap npcap = Load();
  return npcap;
}

// True when the library is usable; otherwise its problem in `errorBuffer`.
bool Usable(char* errorBuffer) {
  const std::string& problem = Library().problem;
  if (problem.empty()) return true;
  if (errorBuffer) std::snprintf(errorBuffer, PCAP_ERRBUF_SIZE, "%s", problem.c_str());
  return false;
}

}  // namespace

namespace dorvex {

std::string CaptureLibraryProblem() {
  return Library().problem;
}

}  // namespace dorvex

// The entry points: those that run without a capture handle check that Npcap is there; the rest
// are only reached with a handle, which only a loaded Npcap gives.

int pcap_findalldevs(pcap_if_t** list, char* errorBuffer) {
  *list = nullptr;
  // Without Npcap there is nothing to list: the problem is told where captures are started.
  if (!Library().problem.empty()) return 0;
  return Library().pcap_findalldevs(list, errorBuffer);
}

void pcap_freealldevs(pcap_if_t* list) {
  if (list) Library().pcap_freealldevs(list);
}

pcap_t* pcap_create(const char* source, char* errorBuffer) {
  return Usable(errorBuffer) ? Library().pcap_create(source, errorBuffer) : nullptr;
}

pcap_t* pcap_open_offline(const char* path, char* errorBuffer) {
  return Usable(errorBuffer) ? Library().pcap_open_offline(path, errorBuffer) : nullptr;
}

pcap_t* pcap_open_dead(int linkType, int snapshotLength) {
  return Usable(nullptr) ? Library().pcap_open_dead(linkType, snapshotLength) : nullptr;
}

const char* pcap_datalink_val_to_name(int linkType) {
  return Usable(nullptr) ? Library().pcap_datalink_val_to_name(linkType) : nullptr;
}

const char* pcap_statustostr(int status) {
  return Usable(nullptr) ? Library().pcap_statustostr(status) : "Npcap is not installed";
}

int pcap_set_snaplen(pcap_t* handle, int length) {
  return Library().pcap_set_snaplen(handle, length);
}

int pcap_set_promisc(pcap_t* handle, int on) {
  return Library().pcap_set_promisc(handle, on);
}

int pcap_set_timeout(pcap_t* handle, int ms) {
  return Library().pcap_set_timeout(handle, ms);
}

int pcap_set_immediate_mode(pcap_t* handle, int on) {
  return Library().pcap_set_immediate_mode(handle, on);
}

int pcap_activate(pcap_t* handle) {
  return Library().pcap_activate(handle);
}

void pcap_close(pcap_t* handle) {
  Library().pcap_close(handle);
}

int pcap_datalink(pcap_t* handle) {
  return Library().pcap_datalink(handle);
}

int pcap_compile(pcap_t* handle, bpf_program* program, const char* filter, int optimize,
                 bpf_u_int32 netmask) {
  return Library().pcap_compile(handle, program, filter, optimize, netmask);
}

void pcap_freecode(bpf_program* program) {
  Library().pcap_freecode(program);
}

int pcap_setfilter(pcap_t* handle, bpf_program* program) {
  return Library().pcap_setfilter(handle, program);
}

char* pcap_geterr(pcap_t* handle) {
  return Library().pcap_geterr(handle);
}

int pcap_next_ex(pcap_t* handle, pcap_pkthdr** header, const u_char** data) {
  return Library().pcap_next_ex(handle, header, data);
}

int pcap_stats(pcap_t* handle, pcap_stat* statistics) {
  return Library().pcap_stats(handle, statistics);
}

void pcap_breakloop(pcap_t* handle) {
  Library().pcap_breakloop(handle);
}

pcap_dumper_t* pcap_dump_open(pcap_t* handle, const char* path) {
  return Library().pcap_dump_open(handle, path);
}

void pcap_dump(u_char* dumper, const pcap_pkthdr* header, const u_char* data) {
  Library().pcap_dump(dumper, header, data);
}

void pcap_dump_close(pcap_dumper_t* dumper) {
  Library().pcap_dump_close(dumper);
}
