#pragma once
// TCustomSnoop: the base capture component. Lists the capture adapters once, keeps the choice of
// one adapter, opens it with a filter and runs a capture thread that hands every packet read to
// the virtual ProcessPacket. Failures are never thrown: each leaves its text in LastError, and
// the capture helper's exit status, when the helper failed, in LastFailure.

#include <pcap/pcap.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "capture/capture_helper_status.h"
#include "capture/capture_opener.h"
#include "capture/header_records.h"

namespace dorvex {

class TSnoopThread;

// Never raised by this component; kept so that owners can bind it.
using TOnGetRemoteAdapterInfo =
    std::function<void(QObject* Sender, QStringList& AdapterNames, QStringList& AdapterDescriptions,
                       int& AdapterIndex)>;

// Shows a message to the user (the window: a plain message box with an OK button). Without one,
// the component writes the message to the Qt warning log (stderr by default).
using TMessageNotifier = std::function<void(const QString& text)>;

class TCustomSnoop : public QObject {
  Q_OBJECT
  Q_PROPERTY(int AdapterIndex READ AdapterIndex WRITE SetAdapterIndex)
  Q_PROPERTY(QString AdapterName READ AdapterName WRITE SetAdapterName)
  Q_PROPERTY(QString AdapterDescription READ AdapterDescription WRITE SetAdapterDescription)
  Q_PROPERTY(bool CaptureEnabled READ CaptureEnabled WRITE SetCaptureEnabled)
  Q_PROPERTY(bool ThreadSafe READ ThreadSafe WRITE SetThreadSafe)
  Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
  Q_PROPERTY(int SnapLen READ SnapLen WRITE SetSnapLen)
  Q_PROPERTY(int Flags READ Flags WRITE SetFlags)
  Q_PROPERTY(int ReadTimeOut READ ReadTimeOut WRITE SetReadTimeOut)

 public:
  // Enumerates the adapters; an enumeration failure is shown through `notifier`.
  // Needs a QCoreApplication: with ThreadSafe on, packets reach the main thread through its
  // event loop.
  explicit TCustomSnoop(QObject* owner = nullptr, TMessageNotifier notifier = {});
  ~TCustomSnoop() override;

  TCustomSnoop(const TCustomSnoop&) = delete;
  TCustomSnoop& operator=(const TCustomSnoop&) = delete;

  // Opens the adapter named by AdapterName and, when CaptureEnabled, starts the capture thread.
  // Success shows as Active, failure as !Active with LastError set.
  void Open();
  // Stops the capture thread and closes the capture handle.
  void Close();

  bool Active() const { return active_; }
  const QString& LastError() const { return lastError_; }
  // The capture helper's exit status behind LastError (for example kExitPermission), so that a
  // caller tells failures apart without reading the text; kExitOk when LastError is none of the
  // helper's.
  capture_helper::Status LastFailure() const { return lastFailure_; }
  const QStringList& AdapterNames() const { return adapterNames_; }
  const QStringList& AdapterDescriptions() const { return adapterDescriptions_; }

  int AdapterIndex() const { return adapterIndex_; }
  void SetAdapterIndex(int value);
  const QString& AdapterName() const { return adapterName_; }
  void SetAdapterName(const QString& value);
  const QString& AdapterDescription() const { return adapterDescription_; }
  void SetAdapterDescription(const QString& value);

  bool CaptureEnabled() const { return captureEnabled_; }
  void SetCaptureEnabled(bool value) { captureEnabled_ = value; }
  // Read by the capture thread when it starts: a change takes effect at the next Open.
  bool ThreadSafe() const { return threadSafe_; }
  void SetThreadSafe(bool value) { threadSafe_ = value; }
  const QString& Filter() const { return filter_; }
  void SetFilter(const QString& value) { filter_ = value; }
  int SnapLen() const { return snapLen_; }
  void SetSnapLen(int value) { snapLen_ = value; }
  // Bit 1 asks for promiscuous mode.
  int Flags() const { return flags_; }
  void SetFlags(int value) { flags_ = value; }
  int ReadTimeOut() const { return readTimeOut_; }
  void SetReadTimeOut(int value) { readTimeOut_ = value; }

  // The capture library's counters of the open handle (packets received, dropped by the kernel
  // and by the interface); nullopt when closed or when the library cannot tell.
  std::optional<pcap_stat> CaptureStatistics() const;

  TOnGetRemoteAdapterInfo OnGetRemoteAdapterInfo;

 signals:
  // The capture ended by itself (a read error, a packet handler that threw): the component is
  // Closed and `reason` says why. Emitted on the main thread once the termination has run, never
  // by Close.
  void CaptureEnded(const QString& reason);

 protected:
  // Called once per packet read, on the main thread when ThreadSafe, else on the capture thread.
  virtual void ProcessPacket() = 0;

  // For a descendant's destructor: stops the capture thread (closing the capture as Close does)
  // so that no packet reaches a half-destroyed object.
  void EndCaptureBeforeDestruction();

  // The packet being handed on; valid only during ProcessPacket.
  PPCAP_PKTHDR CurrentPacketHeader() const { return currentPacketHeader_; }
  const std::uint8_t* CurrentPacketData() const { return currentPacketData_; }
  // pcap_datalink of the open handle (the link type of the current packet).
  int LinkType() const { return linkType_; }

  bool event(QEvent* e) override;

 private:
  friend class TSnoopThread;

  // Runs ProcessPacket, unless the component is being destroyed (its descendant part is gone).
  void DeliverPacket();
  void EnumerateAdapters(QStringList& list, bool descriptions);
  void OpenAdapter(const QByteArray& source, bpf_u_int32 netmask);
  void StartThread();
  // Closes the capture; the capture helper's failure text, if it ended on one.
  QString ThreadTerminate();
  // LastError of a capture whose stream ended when nobody asked it to.
  static QString EndedStreamText(const TSnoopThread& thread, const QString& helperFailure);
  // Wakes the capture thread's blocked read (the stop request is set).
  void BreakRead();
  // Emits CaptureEnded for the thread of `generation`, unless a new capture has begun since.
  void AnnounceEnd(std::uint64_t generation, const QString& reason);
  void StopThread();
  QString CloseHandle();
  // A failure: LastError and LastFailure together.
  void Fail(const QString& text, capture_helper::Status status = capture_helper::kExitOk);
  void Notify(const QString& text) const;
  void SelectAdapter(qsizetype index);

  bool active_ = false;
  int adapterIndex_ = -1;
  QString adapterName_;
  QString adapterDescription_;
  QStringList adapterNames_;
  QStringList adapterDescriptions_;
  bool captureEnabled_ = true;
  bool threadSafe_ = true;
  QString filter_;
  int snapLen_ = 1600;
  int flags_ = 1;
  int readTimeOut_ = 100;
  QString lastError_;
  capture_helper::Status lastFailure_ = capture_helper::kExitOk;
  TMessageNotifier notifier_;

  std::unique_ptr<TSnoopThread> thread_;  // running, or ended and not yet freed
  std::uint64_t threadGeneration_ = 0;    // tells a stale wake-up from one of thread_
  std::atomic<bool> destroying_{false};
  CaptureOpener opener_;
  pcap_t* handle_ = nullptr;  // the live capture, or the helper's stream of it
  int linkType_ = -1;
  PPCAP_PKTHDR currentPacketHeader_ = nullptr;
  const std::uint8_t* currentPacketData_ = nullptr;
};

}  // namespace dorvex
