#include "tools/dorvex-cli/report_session.h"

#include <utility>

#include "tally/totals.h"
#include "tally/update_cycle.h"

namespace dorvex::cli {

ReportSession::ReportSession(ReportOptions options, QLocale locale, LoginTime::Clock clock)
    : options_(options),
      locale_(std::move(locale)),
      loginTime_(std::move(clock)),
      reader_(store_, loginTime_, [this] { UpdateAll(); }) {
  loginTime_.Stamp();
}

bool ReportSession::Feed(const std::uint8_t* data, std::int64_t length) {
  return reader_.Read(data, length);
}

QStringList ReportSession::Report() const {
  if (!replied_) {
    return BuildResultString(fields_, CalcTotals(fields_), loginTime_.Value(), options_, locale_);
  }
  if (reportStale_) {
    lastReport_ = RunUpdateCycle(store_, fields_, lastReplyLoginTime_, options_, locale_);
    reportStale_ = false;
  }
  return lastReport_;
}

void ReportSession::UpdateAll() {
  lastReplyLoginTime_ = loginTime_.Value();
  reportStale_ = true;
  replied_ = true;
}

}  // namespace dorvex::cli
