#include "report_session.h"

#include <utility>

#include "totals.h"
#include "update_cycle.h"

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
  if (replied_) return lastReport_;
  return BuildResultString(fields_, CalcTotals(fields_), loginTime_.Value(), options_, locale_);
}

void ReportSession::UpdateAll() {
  lastReport_ = RunUpdateCycle(store_, fields_, loginTime_.Value(), options_, locale_);
  replied_ = true;
}

}  // namespace dorvex::cli
