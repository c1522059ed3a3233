#pragma once
// TSnoopThread: the capture thread of an open TCustomSnoop. Reads packets with pcap_next_ex and
// hands each to the component's ProcessPacket, on the main thread (ThreadSafe) or on itself.

#include <pcap/pcap.h>

#include <atomic>
#include <functional>
#include <thread>

#include "capture/hand_over.h"

namespace dorvex {

class TCustomSnoop;

// Built on std::thread: its join is a synchronisation that thread checkers can see.
class TSnoopThread {
 public:
  // Created suspended: nothing runs before Resume. Takes the component's capture handle and its
  // ThreadSafe value now; `wakeMainThread` must make the main thread call ServeMainThread soon.
  TSnoopThread(TCustomSnoop* snoop, std::function<void()> wakeMainThread);
  // Waits for the thread to end; Stop it first.
  ~TSnoopThread();
  TSnoopThread(const TSnoopThread&) = delete;
  TSnoopThread& operator=(const TSnoopThread&) = delete;

  void Resume();

  // Main thread: requests termination, wakes a blocked read and waits until the thread has ended,
  // running its hand-overs and then the termination event meanwhile.
  void Stop();
  // Main thread, on a wake-up: runs a pending hand-over, and the termination event once the
  // thread has ended.
  void ServeMainThread();

  // The termination event: runs once on the main thread after the loop has ended.
  std::function<void()> OnTerminate;

  bool Ended() const { return handOver_.Finished(); }
  bool ReadFailed() const { return readFailed_; }
  // The packet handler threw, which ended the loop.
  bool HandlerFailed() const { return handlerFailed_; }
  bool StopRequested() const { return terminated_; }

 private:
  void Run();
  void Execute();
  void Join();
  void RunTerminationEvent();

  TCustomSnoop* const snoop_;
  pcap_t* const handle_;
  const bool threadSafe_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> readFailed_{false};
  std::atomic<bool> handlerFailed_{false};
  bool terminationEventRun_ = false;  // main thread only
  HandOver handOver_;
  std::thread thread_;
};

}  // namespace dorvex
