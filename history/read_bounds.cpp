#include "history/read_bounds.h"

namespace dorvex {

namespace {

thread_local const std::atomic<bool>* tCancelled = nullptr;

// An atomic load every hundred steps costs next to nothing.
constexpr int kStepsBetweenChecks = 100;

int StopWhenCancelled(void* flag) {
  return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed) ? 1 : 0;
}

}  // namespace

ReadCancelScope::ReadCancelScope(const std::atomic<bool>& cancelled)
    : ReadCancelScope(&cancelled) {}

ReadCancelScope::ReadCancelScope(const std::atomic<bool>* cancelled) : outer_(tCancelled) {
  if (cancelled) tCancelled = cancelled;
}

const std::atomic<bool>* ReadCancelScope::Current() {
  return tCancelled;
}

ReadCancelScope::~ReadCancelScope() {
  tCancelled = outer_;
}

namespace history_detail {

void BoundRead(sqlite3* db) {
  static const bool kLimited = [] {
    sqlite3_hard_heap_limit64(kSqliteHeapLimit);
    return true;
  }();
  (void)kLimited;
  sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
  if (tCancelled) {
    sqlite3_progress_handler(db, kStepsBetweenChecks, StopWhenCancelled,
                             const_cast<std::atomic<bool>*>(tCancelled));
  }
}

}  // namespace history_detail

}  // namespace dorvex
