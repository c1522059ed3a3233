#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dorvex::test {

namespace {
[[noreturn]] void Fail(const char* what) {
  std::perror(what);
  std::abort();
}

sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}
}  // namespace

LoopbackConnection::LoopbackConnection(std::uint16_t port) {
  const sockaddr_in address = LoopbackAddress(port);
  const auto* sa = reinterpret_cast<const sockaddr*>(&address);
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (bind(listener_, sa, sizeof address) != 0) Fail("bind 127.0.0.1:6900");
  if (listen(listener_, 1) != 0) Fail("listen");
  client_ = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(client_, sa, sizeof address) != 0) Fail("connect");
  server_ = accept(listener_, nullptr, nullptr);
  if (server_ < 0) Fail("accept");
  // Each send leaves as one segment.
  setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  setsockopt(server_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

LoopbackConnection::~LoopbackConnection() {
  for (int fd : {client_, server_, listener_}) close(fd);
}

void LoopbackConnection::ServerSends(const std::vector<std::uint8_t>& bytes) {
  Transfer(server_, client_, bytes);
}

void LoopbackConnection::ClientSends(const std::vector<std::uint8_t>& bytes) {
  Transfer(client_, server_, bytes);
}

void LoopbackConnection::Transfer(int from, int to, const std::vector<std::uint8_t>& bytes) {
  if (send(from, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    Fail("send");
  }
  std::vector<std::uint8_t> received(bytes.size());
  std::size_t got = 0;
  while (got < received.size()) {
    const ssize_t n = recv(to, received.data() + got, received.size() - got, 0);
    if (n <= 0) Fail("recv");
    got += static_cast<std::size_t>(n);
  }
}

}  // namespace dorvex::test
