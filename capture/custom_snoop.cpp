#include "capture/custom_snoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QtDebug>
#include <cstring>

#include "capture/capture_failure.h"
#include "capture/capture_filter.h"
#include "capture/snoop_thread.h"

namespace dorvex {

namespace {

// Wakes the main thread for the capture thread of one generation.
class WakeEvent : public QEvent {
 public:
  explicit WakeEvent(std::uint64_t threadGeneration)
      : QEvent(Type()), generation(threadGeneration) {}
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  const std::uint64_t generation;
};

struct FreeAllDevs {
  void operator()(pcap_if_t* devices) const { pcap_freealldevs(devices); }
};
using AdapterEnumeration = std::unique_ptr<pcap_if_t, FreeAllDevs>;

QString ErrorBufferText(const char (&errorBuffer)[PCAP_ERRBUF_SIZE]) {
  return QString::fromLocal8Bit(errorBuffer,
                                static_cast<qsizetype>(qstrnlen(errorBuffer, PCAP_ERRBUF_SIZE)));
}

// The machine's adapters (possibly none), released when the result goes; nullopt with the
// library's text in `error` on failure.
std::optional<AdapterEnumeration> FindAllAdapters(QString& error) {
  pcap_if_t* devices = nullptr;
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  if (pcap_findalldevs(&devices, errorBuffer) != 0) {
    error = ErrorBufferText(errorBuffer);
    return std::nullopt;
  }
  return AdapterEnumeration(devices);
}

}  // namespace

TCustomSnoop::TCustomSnoop(QObject* owner, TMessageNotifier notifier)
    : QObject(owner), notifier_(std::move(notifier)) {
  adapterNames_.reserve(10);
  adapterDescriptions_.reserve(10);
  EnumerateAdapters(adapterNames_, false);
  EnumerateAdapters(adapterDescriptions_, true);
  if (!lastError_.isEmpty()) Notify(lastError_);
  lastError_.clear();
}

TCustomSnoop::~TCustomSnoop() {
  EndCaptureBeforeDestruction();
  Close();
  CloseHandle();  // left open by Close when it found no thread to stop
}

void TCustomSnoop::EnumerateAdapters(QStringList& list, bool descriptions) {
  const std::optional<AdapterEnumeration> enumeration = FindAllAdapters(lastError_);
  if (!enumeration) return;
  for (const pcap_if_t* device = enumeration->get(); device; device = device->next) {
    const char* text = descriptions ? device->description : device->name;
    list.append(text ? QString::fromLocal8Bit(text) : QString());
  }
  lastError_.clear();
}

void TCustomSnoop::SelectAdapter(qsizetype index) {
  if (index >= 0 && index < adapterNames_.size()) {
    adapterIndex_ = static_cast<int>(index);  // fits: the adapters were counted in an int
    adapterName_ = adapterNames_.at(index);
    adapterDescription_ = adapterDescriptions_.value(index);
  } else {
    adapterIndex_ = -1;
    adapterName_.clear();
    adapterDescription_.clear();
  }
}

void TCustomSnoop::SetAdapterIndex(int value) {
  if (value != adapterIndex_) SelectAdapter(value);
}

void TCustomSnoop::SetAdapterName(const QString& value) {
  if (value != adapterName_) SelectAdapter(adapterNames_.indexOf(value));
}

void TCustomSnoop::SetAdapterDescription(const QString& value) {
  if (value != adapterDescription_) SelectAdapter(adapterDescriptions_.indexOf(value));
}

std::optional<pcap_stat> TCustomSnoop::CaptureStatistics() const {
  pcap_stat statistics{};
  if (!handle_ || pcap_stats(handle_, &statistics) != 0) return std::nullopt;
  return statistics;
}

void TCustomSnoop::Fail(const QString& text, capture_helper::Status status) {
  lastError_ = text;
  lastFailure_ = status;
}

void TCustomSnoop::Notify(const QString& text) const {
  if (notifier_) {
    notifier_(text);
  } else {
    qWarning().noquote() << text;
  }
}

void TCustomSnoop::Open() {
  if (active_) {
    Fail(QStringLiteral("Snoop Error: Already open"));
    return;
  }
  // A thread that ended by itself has run its termination event: free it now.
  if (thread_) StopThread();

  QString error;
  const std::optional<AdapterEnumeration> enumeration = FindAllAdapters(error);
  if (!enumeration) {
    Fail(error);
    return;
  }
  const QByteArray source = adapterName_.toLocal8Bit();
  const pcap_if_t* adapter = enumeration->get();
  while (adapter && (source.isEmpty() || std::strcmp(adapter->name, source.constData()) != 0)) {
    adapter = adapter->next;
  }
  if (!adapter) {
    Fail(QStringLiteral("Snoop Error: Invalid AdapterName"));
    return;
  }
  OpenAdapter(source, AdapterNetmask(*adapter));
  if (active_ && captureEnabled_) StartThread();
}

void TCustomSnoop::OpenAdapter(const QByteArray& source, bpf_u_int32 netmask) {
  // On Linux the capture helper holds the right to capture, opens the adapter and streams the
  // game's traffic, and this process holds no capability; on Windows Npcap opens it here
  // (capture/capture_opener.h). Filter then selects from what is read.
  const HelperRequest request{source, (flags_ & 1) != 0, readTimeOut_};
  QString error;
  pcap_t* handle = opener_.Start(request, error);
  if (!handle) {
    Fail(error, opener_.ExitStatus());
    return;
  }
  handle_ = handle;
  linkType_ = pcap_datalink(handle);
  if (const std::optional<QString> filterError = InstallFilter(handle, filter_, netmask)) {
    CloseHandle();
    Fail(*filterError);
    return;
  }
  active_ = true;
}

void TCustomSnoop::StartThread() {
  const std::uint64_t generation = ++threadGeneration_;
  thread_ = std::make_unique<TSnoopThread>(
      this, [this, generation] { QCoreApplication::postEvent(this, new WakeEvent(generation)); });
  TSnoopThread* thread = thread_.get();
  thread->OnTerminate = [this, thread, generation] {
    const QString helperFailure = ThreadTerminate();
    if (thread->StopRequested()) return;
    if (!thread->HandlerFailed())
      Fail(EndedStreamText(*thread, helperFailure), opener_.ExitStatus());
    AnnounceEnd(generation, thread->HandlerFailed()
                                ? QStringLiteral("a packet could not be handled")
                                : lastError_);
  };
  thread->Resume();
}

QString TCustomSnoop::EndedStreamText(const TSnoopThread& thread, const QString& helperFailure) {
  if (!helperFailure.isEmpty()) return helperFailure;
  if (thread.ReadFailed()) return QLatin1String(kReadErrorText);
  return QStringLiteral("Snoop Error: the capture helper ended");
}

void TCustomSnoop::AnnounceEnd(std::uint64_t generation, const QString& reason) {
  // Queued: a receiver may Open or destroy the component, which it must not do while the ended
  // thread is still inside its termination event.
  QMetaObject::invokeMethod(
      this,
      [this, generation, reason] {
        if (generation == threadGeneration_ && !active_) emit CaptureEnded(reason);
      },
      Qt::QueuedConnection);
}

QString TCustomSnoop::ThreadTerminate() {
  active_ = false;
  return CloseHandle();
}

void TCustomSnoop::BreakRead() {
  // The read waits on the helper's stream, which ends with the helper (Linux), or on Npcap,
  // which breaks it off (Windows).
  opener_.Stop();
}

bool TCustomSnoop::event(QEvent* e) {
  if (e->type() == WakeEvent::Type()) {
    if (thread_ && static_cast<WakeEvent*>(e)->generation == threadGeneration_) {
      thread_->ServeMainThread();
    }
    return true;
  }
  return QObject::event(e);
}

void TCustomSnoop::DeliverPacket() {
  if (!destroying_) ProcessPacket();
}

void TCustomSnoop::Close() {
  if (!active_) return;
  if (captureEnabled_ && !thread_) {
    Fail(QStringLiteral("Snoop Error: No thread to stop"));
    Notify(lastError_);
    return;
  }
  active_ = false;
  // A running thread is stopped before the handle closes, even if CaptureEnabled was switched
  // off meanwhile.
  if (thread_) {
    StopThread();
  } else {
    CloseHandle();
  }
}

void TCustomSnoop::EndCaptureBeforeDestruction() {
  destroying_ = true;
  if (!thread_) return;
  active_ = false;
  StopThread();
}

void TCustomSnoop::StopThread() {
  thread_->Stop();  // runs the termination event, which closes the handle
  thread_.reset();
}

QString TCustomSnoop::CloseHandle() {
  if (!handle_) return {};
  opener_.Stop();
  pcap_close(handle_);
  handle_ = nullptr;
  linkType_ = -1;
  return opener_.Finish();
}

}  // namespace dorvex
