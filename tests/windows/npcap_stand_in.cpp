// A stand-in for Npcap's wpcap.dll in the Windows tests under Wine. It is libpcap built without any
// capture (pcapnull.dll in the system folder, which reads capture files), plus one adapter that
// replays the capture file named by DORVEX_STAND_IN_CAPTURE as if its frames arrived live: frame
// after frame, then read time-outs until the capture is stopped. Without that variable no adapter
// is listed. What the stand-in does not change, wpcap.def forwards to pcapnull.dll.

#include <pcap/pcap.h>
// After pcap.h, whose winsock2.h must come first.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

constexpr char kAdapterName[] = "\\Device\\NPF_{D0C0FFEE-0000-4000-8000-000000006900}";
constexpr char kAdapterDescription[] = "Dorvex stand-in adapter (replays DORVEX_STAND_IN_CAPTURE)";
constexpr int kReadTimeOutMs = 100;

// The functions of pcapnull.dll that the stand-in wraps.
struct Inner {
  decltype(&::pcap_open_offline) openOffline = nullptr;
  decltype(&::pcap_create) create = nullptr;
  decltype(&::pcap_set_snaplen) setSnaplen = nullptr;
  decltype(&::pcap_set_promisc) setPromisc = nullptr;
  decltype(&::pcap_set_timeout) setTimeout = nullptr;
  decltype(&::pcap_set_immediate_mode) setImmediateMode = nullptr;
  decltype(&::pcap_activate) activate = nullptr;
  decltype(&::pcap_next_ex) nextEx = nullptr;
  decltype(&::pcap_breakloop) breakloop = nullptr;
  decltype(&::pcap_close) close = nullptr;
};

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// pcapnull.dll, from the system folder of the Wine prefix.
const Inner& Library() {
  static const Inner inner = [] {
    Inner loaded;
    const HMODULE module = LoadLibraryW(L"pcapnull.dll");
    if (!module) std::abort();  // a stand-in without its library is a broken test set-up
    Resolve(module, "pcap_open_offline", loaded.openOffline);
    Resolve(module, "pcap_create", loaded.create);
    Resolve(module, "pcap_set_snaplen", loaded.setSnaplen);
    Resolve(module, "pcap_set_promisc", loaded.setPromisc);
    Resolve(module, "pcap_set_timeout", loaded.setTimeout);
    Resolve(module, "pcap_set_immediate_mode", loaded.setImmediateMode);
    Resolve(module, "pcap_activate", loaded.activate);
    Resolve(module, "pcap_next_ex", loaded.nextEx);
    Resolve(module, "pcap_breakloop", loaded.breakloop);
    Resolve(module, "pcap_close", loaded.close);
    return loaded;
  }();
  return inner;
}

const char* ReplayedFile() {
  const char* file = std::getenv("DORVEX_STAND_IN_CAPTURE");
  return file != nullptr && *file != '\0' ? file : nullptr;
}

// The open replays: their handles and whether each was asked to stop.
struct Replay {
  bool ended = false;  // the file is read to its end
  std::atomic<bool> broken{false};
};
std::mutex replaysMutex;
std::map<pcap_t*, Replay>* replays = new std::map<pcap_t*, Replay>;

Replay* ReplayOf(pcap_t* handle) {
  const std::lock_guard lock(replaysMutex);
  const auto found = replays->find(handle);
  return found == replays->end() ? nullptr : &found->second;
}

}  // namespace

extern "C" {

int pcap_findalldevs(pcap_if_t** list, char* /*errorBuffer*/) {
  *list = nullptr;
  if (ReplayedFile() == nullptr) return 0;
  auto* adapter = new pcap_if_t{};
  adapter->name = _strdup(kAdapterName);
  adapter->description = _strdup(kAdapterDescription);
  *list = adapter;
  return 0;
}

void pcap_freealldevs(pcap_if_t* list) {
  while (list != nullptr) {
    pcap_if_t* next = list->next;
    std::free(list->name);
    std::free(list->description);
    delete list;
    list = next;
  }
}

pcap_t* pcap_create(const char* source, char* errorBuffer) {
  if (source == nullptr || std::strcmp(source, kAdapterName) != 0) {
    return Library().create(source, errorBuffer);
  }
  const char* file = ReplayedFile();
  pcap_t* handle = file ? Library().openOffline(file, errorBuffer) : nullptr;
  if (handle) {
    const std::lock_guard lock(replaysMutex);
    (*replays)[handle];
  }
  return handle;
}

// A replay is open from the start: its settings and activation succeed as they would live.
int pcap_set_snaplen(pcap_t* handle, int value) {
  return ReplayOf(handle) ? 0 : Library().setSnaplen(handle, value);
}
int pcap_set_promisc(pcap_t* handle, int value) {
  return ReplayOf(handle) ? 0 : Library().setPromisc(handle, value);
}
int pcap_set_timeout(pcap_t* handle, int value) {
  return ReplayOf(handle) ? 0 : Library().setTimeout(handle, value);
}
int pcap_set_immediate_mode(pcap_t* handle, int value) {
  return ReplayOf(handle) ? 0 : Library().setImmediateMode(handle, value);
}
int pcap_activate(pcap_t* handle) {
  return ReplayOf(handle) ? 0 : Library().activate(handle);
}

int pcap_next_ex(pcap_t* handle, pcap_pkthdr** header, const u_char** data) {
  Replay* replay = ReplayOf(handle);
  if (!replay) return Library().nextEx(handle, header, data);
  if (replay->broken) return PCAP_ERROR_BREAK;
  if (!replay->ended) {
    const int result = Library().nextEx(handle, header, data);
    if (result != PCAP_ERROR_BREAK) return result;
    replay->ended = true;
  }
  Sleep(kReadTimeOutMs);  // a live adapter with no more traffic
  return replay->broken ? PCAP_ERROR_BREAK : 0;
}

void pcap_breakloop(pcap_t* handle) {
  if (Replay* replay = ReplayOf(handle)) replay->broken = true;
  Library().breakloop(handle);
}

void pcap_close(pcap_t* handle) {
  {
    const std::lock_guard lock(replaysMutex);
    replays->erase(handle);
  }
  Library().close(handle);
}

}  // extern "C"
