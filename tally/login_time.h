#pragma once
// The login time that the report's first line shows, stamped from an injectable clock.

#include <QDateTime>
#include <cstdint>
#include <functional>

namespace dorvex {

class LoginTime {
 public:
  using Clock = std::function<QDateTime()>;

  // A clock read as a number (a frame's capture time in ms, say) that `toDateTime` makes the
  // time shown. A file replay stamps every payload and shows the time of a few: the number is
  // cheap to take, the QDateTime is made only when it is asked for.
  struct NumberClock {
    std::function<std::int64_t()> read;
    std::function<QDateTime(std::int64_t)> toDateTime;
  };

  // What one stamp read: the time of a Clock, or the number of a NumberClock.
  struct Reading {
    QDateTime time;
    std::int64_t number = 0;
  };

  // The default clock is the system's local date and time.
  explicit LoginTime(Clock clock = {});
  explicit LoginTime(NumberClock clock);

  void Stamp();  // value := clock()
  const Reading& LastReading() const { return reading_; }
  QDateTime TimeOf(const Reading& reading) const;
  const QDateTime& Value() const;  // TimeOf(LastReading()), made once per stamp
  void SetClock(Clock clock);

 private:
  Clock clock_;
  NumberClock numberClock_;  // used when its `read` is set
  Reading reading_;          // initially a null (zero) time
  mutable QDateTime value_;
  mutable bool valueMade_ = true;
};

}  // namespace dorvex
