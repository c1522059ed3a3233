#include "tally/reply_session.h"

#include <QMetaMethod>
#include <utility>

#include "tally/update_cycle.h"

namespace dorvex {

ReplySession::ReplySession(LoginTime::Clock clock, QObject* parent)
    : QObject(parent), loginTime_(std::move(clock)), reader_(store_, loginTime_, [this] {
        lastReplyLoginTime_ = loginTime_.Value();
        // The records are copied out for listeners only: a file replayed for its last report
        // has none.
        static const QMetaMethod recognised =
            QMetaMethod::fromSignal(&ReplySession::ReplyRecognised);
        if (isSignalConnected(recognised)) {
          emit ReplyRecognised({reader_.LastReplyRecords(), lastReplyLoginTime_, origin_});
        }
      }) {
  loginTime_.Stamp();
}

bool ReplySession::Feed(const std::uint8_t* data, std::int64_t length,
                        const PayloadOrigin& origin) {
  origin_ = origin;
  return reader_.Read(data, length);
}

QStringList ReplySession::Update(FieldAccess& fields, ReportOptions options,
                                 const QLocale& locale) const {
  return RunUpdateCycle(store_, fields, loginTime_.Value(), options, locale);
}

QStringList ReplySession::ReportOfLastReply(FieldAccess& fields, ReportOptions options,
                                            const QLocale& locale) const {
  const QDateTime& at = lastReplyLoginTime_.isNull() ? loginTime_.Value() : lastReplyLoginTime_;
  return RunUpdateCycle(store_, fields, at, options, locale);
}

}  // namespace dorvex
