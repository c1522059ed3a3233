#pragma once
// The login time that the report's first line shows, stamped from an injectable clock.

#include <QDateTime>
#include <functional>

namespace dorvex {

class LoginTime {
 public:
  using Clock = std::function<QDateTime()>;

  // The default clock is the system's local date and time.
  explicit LoginTime(Clock clock = {});

  void Stamp();  // value := clock()
  const QDateTime& Value() const { return value_; }
  void SetClock(Clock clock);

 private:
  Clock clock_;
  QDateTime value_;  // initially null (zero)
};

}  // namespace dorvex
