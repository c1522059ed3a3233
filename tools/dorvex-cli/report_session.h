#pragma once
// The window's tally without the window: count store, count fields, login time and the reader,
// keeping the report rendered at the last world list reply.

#include <QLocale>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "tally/count_store.h"
#include "tally/login_time.h"
#include "tally/memory_fields.h"
#include "tally/report.h"
#include "tally/world_list_reader.h"

namespace dorvex::cli {

class ReportSession {
 public:
  // Stamps the login time once at the start, as the window does when it is shown.
  ReportSession(ReportOptions options, QLocale locale, LoginTime::Clock clock = {});

  // Handles one TCP payload as the window's capture handler does; true for a world list reply.
  bool Feed(const std::uint8_t* data, std::int64_t length);

  // The report rendered at the last reply; the report of the empty count fields when no reply
  // has come.
  QStringList Report() const;

  // The login time that the report shows for the last reply (null before the first reply), and
  // that reply's records in reply order.
  const QDateTime& LastReplyLoginTime() const { return lastReplyLoginTime_; }
  std::vector<DecodedRecord> LastReplyRecords() const { return reader_.LastReplyRecords(); }

 private:
  void UpdateAll();

  ReportOptions options_;
  QLocale locale_;
  CountStore store_;
  mutable MemoryFieldSet fields_;
  LoginTime loginTime_;
  WorldListReader reader_;
  // The report of the last reply is rendered when it is asked for, with the login time of that
  // reply: the count store only grows and ShowCounts rewrites every entry, so rendering once
  // gives what rendering at every reply would have left.
  QDateTime lastReplyLoginTime_;
  mutable QStringList lastReport_;
  mutable bool reportStale_ = false;
  bool replied_ = false;
};

}  // namespace dorvex::cli
