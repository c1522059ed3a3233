#include "capture/snoop_tcp_data.h"

#include <QMetaMethod>

#include "capture/capture_time.h"
#include "capture/frame_decoder.h"

namespace dorvex {

TSnoopTCPData::TSnoopTCPData(QObject* owner, TMessageNotifier notifier)
    : TCustomSnoop(owner, std::move(notifier)) {
  SetFilter(QStringLiteral("tcp"));
}

TSnoopTCPData::~TSnoopTCPData() {
  EndCaptureBeforeDestruction();
}

bool TSnoopTCPData::PayloadHasReceivers() const {
  static const QMetaMethod payloadSignal =
      QMetaMethod::fromSignal(&TSnoopTCPData::TCPPayloadCaptured);
  return isSignalConnected(payloadSignal);
}

void TSnoopTCPData::ProcessPacket() {
  const bool signalWanted = PayloadHasReceivers();
  if (!OnCaptureTCPData && !signalWanted) return;
  const PPCAP_PKTHDR header = CurrentPacketHeader();
  const std::optional<TCPSegment> segment =
      DecodeTCPSegment(LinkType(), CurrentPacketData(), header->caplen);
  if (!segment) return;
  if (OnCaptureTCPData) {
    OnCaptureTCPData(this, header, segment->EthernetHeader, segment->IPHeader, segment->TCPHeader,
                     segment->TCPData, segment->TCPDataLength);
  }
  if (signalWanted) {
    const SegmentSource source = SourceOf(*segment);
    emit TCPPayloadCaptured(
        QByteArray(reinterpret_cast<const char*>(segment->TCPData), segment->TCPDataLength),
        CaptureTimeUtc(header->ts), source.address, source.port);
  }
}

}  // namespace dorvex
