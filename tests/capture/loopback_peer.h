#pragma once
// A real TCP connection on 127.0.0.1 port 6900 (listener and client), for live capture tests;
// defined in live_test_support.cpp.

#include <cstdint>
#include <vector>

namespace dorvex::test {

class LoopbackConnection {
 public:
  // Listens on 127.0.0.1:6900, connects to it and accepts; aborts the test binary on failure.
  LoopbackConnection();
  ~LoopbackConnection();
  LoopbackConnection(const LoopbackConnection&) = delete;
  LoopbackConnection& operator=(const LoopbackConnection&) = delete;

  // Sends from the listener's side to the client (as the game server does) and reads it there.
  void ServerSends(const std::vector<std::uint8_t>& bytes) { Transfer(server_, client_, bytes); }
  // Sends from the client to the listener and reads it there.
  void ClientSends(const std::vector<std::uint8_t>& bytes) { Transfer(client_, server_, bytes); }

 private:
  static void Transfer(int from, int to, const std::vector<std::uint8_t>& bytes);

  int listener_ = -1;
  int client_ = -1;
  int server_ = -1;
};

}  // namespace dorvex::test
