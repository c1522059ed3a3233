#include "capture/snoop_tcp_data.h"

#include "capture/frame_decoder.h"

namespace dorvex {

TSnoopTCPData::TSnoopTCPData(QObject* owner, TMessageNotifier notifier)
    : TCustomSnoop(owner, std::move(notifier)) {
  SetFilter(QStringLiteral("tcp"));
}

TSnoopTCPData::~TSnoopTCPData() {
  EndCaptureBeforeDestruction();
}

void TSnoopTCPData::ProcessPacket() {
  if (!OnCaptureTCPData) return;
  const PPCAP_PKTHDR header = CurrentPacketHeader();
  const std::optional<TCPSegment> segment =
      DecodeTCPSegment(LinkType(), CurrentPacketData(), header->caplen);
  if (!segment) return;
  OnCaptureTCPData(this, header, segment->EthernetHeader, segment->IPHeader, segment->TCPHeader,
                   segment->TCPData, segment->TCPDataLength);
}

}  // namespace dorvex
