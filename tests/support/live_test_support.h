#pragma once
// Live capture tests: root check, waiting on main-thread events, a TCP connection to
// 127.0.0.1:6900 (or another port and loopback address).

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace dorvex::test {

bool CanCapture();
inline constexpr const char* kNeedsRoot = "live capture tests need root";

// Processes the main thread's events until `done` holds or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
void PumpFor(std::chrono::milliseconds duration);

class LoopbackConnection {
 public:
  // Listens on `port` of `serverAddress` (host order, in 127.0.0.0/8), connects and accepts;
  // aborts the test binary on failure.
  explicit LoopbackConnection(std::uint16_t port = 6900, std::uint32_t serverAddress = 0x7f000001);
  ~LoopbackConnection();
  LoopbackConnection(const LoopbackConnection&) = delete;
  LoopbackConnection& operator=(const LoopbackConnection&) = delete;

  // Sends from one side (the listener's is the game server's) and reads it at the other.
  void ServerSends(const std::vector<std::uint8_t>& bytes) { Transfer(server_, client_, bytes); }
  void ClientSends(const std::vector<std::uint8_t>& bytes) { Transfer(client_, server_, bytes); }

 private:
  static void Transfer(int from, int to, const std::vector<std::uint8_t>& bytes);
  int listener_ = -1, client_ = -1, server_ = -1;
};

}  // namespace dorvex::test
