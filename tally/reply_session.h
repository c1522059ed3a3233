#pragma once
// One tally session, as the window and dorvex-cli each run one: the count store, the login time
// and the world list reader. Each TCP payload comes in with where it was captured; a recognised
// world list reply is told of with its records, the login time its report shows and that origin.

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "tally/count_store.h"
#include "tally/field_access.h"
#include "tally/login_time.h"
#include "tally/report.h"
#include "tally/world_list_reader.h"

namespace dorvex {

// Where a payload was captured: its frame's capture time, the segment's source (for a server's
// reply, the server) and the adapter. A payload from a file has no frame: a null time, no source.
struct PayloadOrigin {
  static constexpr std::int64_t kNoCaptureTime = INT64_MIN;

  // Milliseconds since the epoch, kept as a number: most payloads are no reply, and their time
  // is never shown.
  std::int64_t captureMsUtc = kNoCaptureTime;
  std::uint32_t address = 0;  // IPv4, host byte order
  std::uint16_t port = 0;
  QString adapter;  // empty but for a live capture

  static std::int64_t CaptureMsOf(const QDateTime& captureTimeUtc);
  QDateTime CaptureTimeUtc() const;  // null without a capture time
};

struct RecognisedReply {
  std::vector<DecodedRecord> records;  // in reply order
  QDateTime loginTime;                 // what the report of this reply shows
  PayloadOrigin origin;
};

class ReplySession : public QObject {
  Q_OBJECT

 public:
  // The login time is stamped once at the start, as the window does when it is shown.
  explicit ReplySession(LoginTime::Clock clock = {}, QObject* parent = nullptr);
  explicit ReplySession(LoginTime loginTime, QObject* parent = nullptr);

  // Reads one TCP payload as the window's capture handler does: a world list reply goes into the
  // count store and is told of (ReplyRecognised) before the login time is stamped. True for a
  // world list reply. Never reads past `length` bytes.
  bool Feed(const std::uint8_t* data, std::int64_t length, const PayloadOrigin& origin = {});

  const CountStore& Store() const { return store_; }
  LoginTime& Login() { return loginTime_; }

  // The update cycle on `fields` (ShowCounts, then the report of the fields) at the current login
  // time, as it runs while a reply is told of.
  QStringList Update(FieldAccess& fields, ReportOptions options,
                     const QLocale& locale = QLocale::system()) const;
  // The same at the login time of the last reply: the report the last reply left (the report of
  // `fields` as they are when no reply has come).
  QStringList ReportOfLastReply(FieldAccess& fields, ReportOptions options,
                                const QLocale& locale = QLocale::system()) const;

 signals:
  void ReplyRecognised(const dorvex::RecognisedReply& reply);

 private:
  CountStore store_;
  LoginTime loginTime_;
  WorldListReader reader_;
  std::optional<LoginTime::Reading> lastReplyLogin_;  // none before the first reply
  const PayloadOrigin* origin_ = nullptr;             // of the payload being read
};

}  // namespace dorvex
