#include "tools/dorvex-cli/capture_file_source.h"

#include <QDateTime>
#include <QFileInfo>

#include "capture/capture_filter.h"
#include "capture/capture_time.h"
#include "capture/frame_decoder.h"
#include "capture/link_frame.h"
#include "tools/dorvex-cli/capture_file_open.h"

namespace dorvex::cli {

namespace {

QString LinkTypeName(int linkType) {
  const char* name = pcap_datalink_val_to_name(linkType);
  return name ? QString::fromLatin1(name) : QString::number(linkType);
}

}  // namespace

CaptureFileSource::CaptureFileSource(QString path, QString filter)
    : path_(std::move(path)), filter_(std::move(filter)) {}

CaptureFileSource::~CaptureFileSource() {
  if (handle_) pcap_close(handle_);
}

LoginTime::NumberClock CaptureFileSource::LoginClock() {
  return {[this] {
            Prime();
            return haveFrameTime_ ? CaptureMSecsSinceEpoch(frameTime_)
                                  : PayloadOrigin::kNoCaptureTime;
          },
          [this](std::int64_t captureMs) {
            return captureMs == PayloadOrigin::kNoCaptureTime ? QDateTime() : LocalTime(captureMs);
          }};
}

QDateTime CaptureFileSource::LocalTime(std::int64_t captureMs) {
  // Asking the time zone costs a file lookup each time: its offset is asked once per second of
  // capture time, and the same wall-clock time given with it.
  const std::int64_t second = captureMs >= 0 ? captureMs / 1000 : (captureMs - 999) / 1000;
  if (second != offsetSecond_) {
    offsetSecond_ = second;
    utcOffset_ = QDateTime::fromSecsSinceEpoch(offsetSecond_).offsetFromUtc();
  }
  return QDateTime::fromMSecsSinceEpoch(captureMs, Qt::OffsetFromUTC, utcOffset_);
}

void CaptureFileSource::Prime() {
  if (primed_) return;
  primed_ = true;
  if (Open()) ReadNext();
}

bool CaptureFileSource::Open() {
  const QFileInfo info(path_);
  auto fail = [this](const QString& reason) {
    openError_ = SourceError{QStringLiteral("%1: %2").arg(path_, reason)};
    return false;
  };
  if (!info.exists()) return fail(QStringLiteral("cannot open: no such file"));
  if (info.isDir()) return fail(QStringLiteral("cannot read a capture: it is a directory"));
  if (!info.isReadable()) return fail(QStringLiteral("cannot open: permission denied"));

  QString reason;
  handle_ = OpenCaptureFile(path_, readBuffer_, reason);
  if (!handle_) return fail(reason);
  linkType_ = pcap_datalink(handle_);
  if (!IsSupportedLinkType(linkType_)) {
    return fail(QStringLiteral("link type %1 is not supported (Ethernet, Linux cooked, BSD "
                               "loopback and raw IP captures are)")
                    .arg(LinkTypeName(linkType_)));
  }
  if (const std::optional<QString> filterError =
          InstallFilter(handle_, filter_, PCAP_NETMASK_UNKNOWN)) {
    openError_ =
        SourceError{QStringLiteral("filter '%1' does not compile: %2").arg(filter_, *filterError)};
    return false;
  }
  return true;
}

int CaptureFileSource::ReadNext() {
  readResult_ = pcap_next_ex(handle_, &header_, &data_);
  if (readResult_ == 1) {
    frameTime_ = header_->ts;
    haveFrameTime_ = true;
  }
  return readResult_;
}

bool CaptureFileSource::Deliver(const PayloadSink& sink, SourceError& error) {
  Prime();
  if (openError_) {
    error = *openError_;
    return false;
  }
  // The first frame was read by Prime; each pass handles the frame read last.
  for (; readResult_ >= 0; ReadNext()) {
    if (readResult_ == 0) continue;
    const std::optional<TCPSegment> segment = DecodeTCPSegment(linkType_, data_, header_->caplen);
    if (!segment) continue;
    const SegmentSource source = SourceOf(*segment);
    sink(segment->TCPData, segment->TCPDataLength,
         PayloadOrigin{CaptureMSecsSinceEpoch(frameTime_), source.address, source.port, {}});
  }
  if (readResult_ == PCAP_ERROR) {
    error.message = QStringLiteral("%1: cannot read: %2")
                        .arg(path_, QString::fromLocal8Bit(pcap_geterr(handle_)));
    return false;
  }
  return true;  // PCAP_ERROR_BREAK: the end of the file
}

}  // namespace dorvex::cli
