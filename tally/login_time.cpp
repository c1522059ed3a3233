#include "tally/login_time.h"

#include <utility>

namespace dorvex {

namespace {

QDateTime SystemLocalTime() {
  return QDateTime::currentDateTime();
}

}  // namespace

LoginTime::LoginTime(Clock clock) {
  SetClock(std::move(clock));
}

void LoginTime::Stamp() {
  value_ = clock_();
}

void LoginTime::SetClock(Clock clock) {
  clock_ = clock ? std::move(clock) : Clock(SystemLocalTime);
}

}  // namespace dorvex
