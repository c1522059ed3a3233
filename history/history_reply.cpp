#include "history/history_reply.h"

namespace dorvex {

QString IPv4Text(std::uint32_t address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(address >> 24)
      .arg(address >> 16 & 0xFF)
      .arg(address >> 8 & 0xFF)
      .arg(address & 0xFF);
}

}  // namespace dorvex
