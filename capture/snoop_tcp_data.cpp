#include "capture/snoop_tcp_data.h"

#include <QMetaMethod>
#include <algorithm>

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
  // The helper captures at the game's snapshot length; a smaller SnapLen cuts the frame here.
  PCAP_PKTHDR cut = *CurrentPacketHeader();
  if (SnapLen() > 0) cut.caplen = std::min(cut.caplen, static_cast<std::uint32_t>(SnapLen()));
  const PPCAP_PKTHDR header = &cut;
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
