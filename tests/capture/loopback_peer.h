#pragma once
// A real TCP connection on 127.0.0.1 port 6900 (listener and client), for live capture tests.

#include <cstdint>
#include <vector>

namespace dorvex::test {

inline constexpr std::uint16_t kGamePort = 6900;

class LoopbackConnection {
 public:
  // Listens on 127.0.0.1:`port`, connects to it and accepts; aborts the test binary on failure.
  explicit LoopbackConnection(std::uint16_t port = kGamePort);
  ~LoopbackConnection();
  LoopbackConnection(const LoopbackConnection&) = delete;
  LoopbackConnection& operator=(const LoopbackConnection&) = delete;

  // Sends from the listener's side to the client (as the game server does) and reads it there.
  void ServerSends(const std::vector<std::uint8_t>& bytes);
  // Sends from the client to the listener and reads it there.
  void ClientSends(const std::vector<std::uint8_t>& bytes);

 private:
  static void Transfer(int from, int to, const std::vector<std::uint8_t>& bytes);

  int listener_ = -1;
  int client_ = -1;
  int server_ = -1;
};

}  // namespace dorvex::test
