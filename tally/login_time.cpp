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

LoginTime::LoginTime(NumberClock clock) : numberClock_(std::move(clock)) {
  if (!numberClock_.read) SetClock({});
}

void LoginTime::Stamp() {
  if (numberClock_.read) {
    reading_.number = numberClock_.read();
    valueMade_ = false;
  } else {
    reading_.time = clock_();
    value_ = reading_.time;
  }
}

QDateTime LoginTime::TimeOf(const Reading& reading) const {
  return numberClock_.read ? numberClock_.toDateTime(reading.number) : reading.time;
}

const QDateTime& LoginTime::Value() const {
  if (!valueMade_) {
    value_ = TimeOf(reading_);
    valueMade_ = true;
  }
  return value_;
}

void LoginTime::SetClock(Clock clock) {
  numberClock_ = {};
  clock_ = clock ? std::move(clock) : Clock(SystemLocalTime);
}

}  // namespace dorvex
