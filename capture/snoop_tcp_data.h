#pragma once
// TSnoopTCPData: the capture component that decodes every captured frame into its IPv4 and TCP
// headers and TCP payload, and tells of each payload of at least one byte through the signal
// TCPPayloadCaptured and the handler property OnCaptureTCPData.

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <functional>

#include "capture/custom_snoop.h"
#include "capture/header_records.h"

namespace dorvex {

// EthernetHeader is null for a frame that is not Ethernet (Linux cooked, loopback, raw IP).
// The pointers are valid only until the handler returns; a handler that keeps bytes copies them.
using TOnCaptureTCPDataEvent = std::function<void(
    QObject* Sender, PPCAP_PKTHDR PacketHeader, PETHERNET_HDR EthernetHeader, PIP_HDR IPHeader,
    PTCP_HDR TCPHeader, const std::uint8_t* TCPData, std::int32_t TCPDataLength)>;

class TSnoopTCPData : public TCustomSnoop {
  Q_OBJECT

 public:
  // As TCustomSnoop, with Filter "tcp".
  explicit TSnoopTCPData(QObject* owner = nullptr, TMessageNotifier notifier = {});
  ~TSnoopTCPData() override;

  // Unassigned: frames are decoded only for the signal's receivers. Assign it while the component
  // is closed.
  TOnCaptureTCPDataEvent OnCaptureTCPData;

 signals:
  // One TCP payload (a copy, so a queued connection may keep it), the time the frame was
  // captured, in UTC, and the segment's IPv4 source address (host byte order) and TCP source
  // port. Emitted after OnCaptureTCPData, on the thread that handles packets (the main thread
  // with ThreadSafe on). Receivers may take only the leading arguments.
  void TCPPayloadCaptured(const QByteArray& payload, const QDateTime& captureTime,
                          quint32 sourceAddress, quint16 sourcePort);

 protected:
  void ProcessPacket() override;

 private:
  bool PayloadHasReceivers() const;
};

}  // namespace dorvex
