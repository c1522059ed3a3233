#pragma once
// Where dorvex-cli's TCP payloads come from.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

#include "tally/login_time.h"
#include "tally/reply_session.h"

namespace dorvex::cli {

// Receives one TCP payload and its origin; the bytes are valid for the duration of the call only.
// True when the payload was a world list reply.
using PayloadSink =
    std::function<bool(const std::uint8_t* data, std::int64_t length, const PayloadOrigin& origin)>;

// The failure of a source: `message` names the file or adapter and the reason.
struct SourceError {
  QString message;
};

class PayloadSource {
 public:
  virtual ~PayloadSource() = default;

  // Hands every payload of this source to `sink`, in order, as it is obtained. False with
  // `error` filled when the source fails; payloads delivered before the failure stay delivered.
  virtual bool Deliver(const PayloadSink& sink, SourceError& error) = 0;

  // The clock that stamps the login time while this source delivers; without `read`: the
  // system clock.
  virtual LoginTime::NumberClock LoginClock() { return {}; }
};

}  // namespace dorvex::cli
