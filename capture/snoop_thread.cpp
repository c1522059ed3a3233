#include "capture/snoop_thread.h"

#include "capture/custom_snoop.h"

namespace dorvex {

TSnoopThread::TSnoopThread(TCustomSnoop* snoop, std::function<void()> wakeMainThread)
    : snoop_(snoop),
      handle_(snoop ? snoop->handle_ : nullptr),
      threadSafe_(snoop ? snoop->threadSafe_ : true),
      handOver_(std::move(wakeMainThread)) {}

TSnoopThread::~TSnoopThread() {
  Join();
}

void TSnoopThread::Resume() {
  thread_ = std::thread([this] { Run(); });
}

void TSnoopThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TSnoopThread::Run() {
  try {
    Execute();
  } catch (...) {
    // An exception out of ProcessPacket or its handler ends the capture without a message box.
    handlerFailed_ = true;
  }
  handOver_.MarkFinished();
}

void TSnoopThread::Execute() {
  if (!snoop_ || !handle_) return;
  const std::function<void()> processPacket = [this] { snoop_->DeliverPacket(); };
  while (!terminated_) {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(handle_, &header, &data);
    if (terminated_) return;  // a packet read after the stop request is not handed on
    if (result == PCAP_ERROR) {
      readFailed_ = true;
      return;
    }
    if (result < 0) return;     // PCAP_ERROR_BREAK: the read was broken off
    if (result == 0) continue;  // read timeout
    snoop_->currentPacketHeader_ = header;
    snoop_->currentPacketData_ = data;
    if (threadSafe_) {
      handOver_.Synchronize(processPacket);
    } else {
      processPacket();
    }
  }
}

void TSnoopThread::Stop() {
  terminated_ = true;
  // The handle is open until the termination event has run, which happens only after the end.
  if (handle_ && !terminationEventRun_) snoop_->BreakRead();
  handOver_.ServeUntilFinished();
  Join();
  RunTerminationEvent();
}

void TSnoopThread::ServeMainThread() {
  handOver_.Serve();
  if (handOver_.Finished()) RunTerminationEvent();
}

void TSnoopThread::RunTerminationEvent() {
  if (terminationEventRun_) return;
  terminationEventRun_ = true;
  if (OnTerminate) OnTerminate();
}

}  // namespace dorvex
