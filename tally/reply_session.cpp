#include "tally/reply_session.h"

#include <QMetaMethod>
#include <utility>

#include "tally/update_cycle.h"

namespace dorvex {

std::int64_t PayloadOrigin::CaptureMsOf(const QDateTime& captureTimeUtc) {
  return captureTimeUtc.isValid() ? captureTimeUtc.toMSecsSinceEpoch() : kNoCaptureTime;
}

QDateTime PayloadOrigin::CaptureTimeUtc() const {
  return captureMsUtc == kNoCaptureTime ? QDateTime()
                                        : QDateTime::fromMSecsSinceEpoch(captureMsUtc, Qt::UTC);
}

ReplySession::ReplySession(LoginTime::Clock clock, QObject* parent)
    : ReplySession(LoginTime(std::move(clock)), parent) {}

ReplySession::ReplySession(LoginTime loginTime, QObject* parent)
    : QObject(parent), loginTime_(std::move(loginTime)), reader_(store_, loginTime_, [this] {
        lastReplyLogin_ = loginTime_.LastReading();
        // The records are copied out for listeners only: a file replayed for its last report
        // has none.
        static const QMetaMethod recognised =
            QMetaMethod::fromSignal(&ReplySession::ReplyRecognised);
        if (isSignalConnected(recognised)) {
          emit ReplyRecognised({reader_.LastReplyRecords(), loginTime_.Value(), *origin_});
        }
      }) {
  loginTime_.Stamp();
}

bool ReplySession::Feed(const std::uint8_t* data, std::int64_t length,
                        const PayloadOrigin& origin) {
  origin_ = &origin;
  const bool reply = reader_.Read(data, length);
  origin_ = nullptr;
  return reply;
}

QStringList ReplySession::Update(FieldAccess& fields, ReportOptions options,
                                 const QLocale& locale) const {
  return RunUpdateCycle(store_, fields, loginTime_.Value(), options, locale);
}

QStringList ReplySession::ReportOfLastReply(FieldAccess& fields, ReportOptions options,
                                            const QLocale& locale) const {
  QDateTime at = lastReplyLogin_ ? loginTime_.TimeOf(*lastReplyLogin_) : QDateTime();
  if (at.isNull()) at = loginTime_.Value();
  return RunUpdateCycle(store_, fields, at, options, locale);
}

}  // namespace dorvex
