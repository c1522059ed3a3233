#pragma once
// A pcap or pcapng capture file as a payload source: every frame that passes the filter goes
// through the capture decoder, and its TCP payload, if any, to the sink.

#include <pcap/pcap.h>

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "tools/dorvex-cli/payload_source.h"

namespace dorvex::cli {

class CaptureFileSource : public PayloadSource {
 public:
  CaptureFileSource(QString path, QString filter);
  ~CaptureFileSource() override;
  CaptureFileSource(const CaptureFileSource&) = delete;
  CaptureFileSource& operator=(const CaptureFileSource&) = delete;

  bool Deliver(const PayloadSink& sink, SourceError& error) override;

  // The local capture time of the frame being handled; before delivery starts, that of the first
  // frame that passes the filter (null for a file without one). The same file always gives the
  // same report. Read as the frame's capture time in ms.
  LoginTime::NumberClock LoginClock() override;

 private:
  // Opens the file and reads its first frame, once.
  void Prime();
  bool Open();
  int ReadNext();
  QDateTime LocalTime(std::int64_t captureMs);  // local wall-clock time of a capture time

  const QString path_;
  const QString filter_;
  bool primed_ = false;
  std::optional<SourceError> openError_;
  std::unique_ptr<char[]> readBuffer_;  // the file's read buffer, if any, freed after the handle
  pcap_t* handle_ = nullptr;
  int linkType_ = -1;
  int readResult_ = 0;  // of the last pcap_next_ex
  pcap_pkthdr* header_ = nullptr;
  const u_char* data_ = nullptr;
  timeval frameTime_{};
  bool haveFrameTime_ = false;
  std::int64_t offsetSecond_ = -1;  // the capture second whose UTC offset utcOffset_ holds
  int utcOffset_ = 0;
};

}  // namespace dorvex::cli
