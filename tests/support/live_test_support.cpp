#include "tests/support/live_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace dorvex::test {

bool CanCapture() {
  return geteuid() == 0;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  if (done()) return true;
  // A real event loop, so that posted hand-overs are served at once.
  const QDeadlineTimer deadline(timeout);
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  check.start(1);
  loop.exec();
  return done();
}

void PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

static void Check(bool ok, const char* what) {
  if (ok) return;
  std::perror(what);
  std::abort();
}

LoopbackConnection::LoopbackConnection(std::uint16_t port, std::uint32_t serverAddress) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(serverAddress);
  const auto* sa = reinterpret_cast<const sockaddr*>(&address);
  const int on = 1;
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  Check(bind(listener_, sa, sizeof address) == 0, "bind on loopback");
  Check(listen(listener_, 1) == 0, "listen");
  client_ = socket(AF_INET, SOCK_STREAM, 0);
  Check(connect(client_, sa, sizeof address) == 0, "connect");
  server_ = accept(listener_, nullptr, nullptr);
  Check(server_ >= 0, "accept");
  // Each send leaves as one segment.
  setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  setsockopt(server_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

LoopbackConnection::~LoopbackConnection() {
  for (int fd : {client_, server_, listener_}) close(fd);
}

void LoopbackConnection::Transfer(int from, int to, const std::vector<std::uint8_t>& bytes) {
  Check(send(from, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()), "send");
  std::vector<std::uint8_t> received(bytes.size());
  for (std::size_t got = 0; got < received.size();) {
    const ssize_t n = recv(to, received.data() + got, received.size() - got, 0);
    Check(n > 0, "recv");
    got += static_cast<std::size_t>(n);
  }
}

}  // namespace dorvex::test
