#pragma once
// Bounds on every read of the history. A read on a thread inside a ReadCancelScope stops within
// milliseconds of its flag being raised: SQLite's progress handler checks the flag every few
// thousand steps, and the read fails as interrupted. Temporary tables and sorts stay in memory
// (never a temporary file that can fill the disk), and SQLite's memory as a whole is capped at
// kSqliteHeapLimit: a cache size would not bound an in-memory temporary store, whose pages cannot
// be evicted, but the process-wide heap limit does; the recorder's own use is a few MiB, far
// below it.

#include <sqlite3.h>

#include <atomic>
#include <cstdint>

namespace dorvex {

inline constexpr std::int64_t kSqliteHeapLimit = 512LL << 20;

class ReadCancelScope {
 public:
  explicit ReadCancelScope(const std::atomic<bool>& cancelled);
  // The flag of the scope this thread is in (null: none), for a read that hands part of its work
  // to another thread; that thread opens a scope of its own with it (null: no scope).
  static const std::atomic<bool>* Current();
  explicit ReadCancelScope(const std::atomic<bool>* cancelled);
  ~ReadCancelScope();
  ReadCancelScope(const ReadCancelScope&) = delete;
  ReadCancelScope& operator=(const ReadCancelScope&) = delete;

 private:
  const std::atomic<bool>* outer_;
};

namespace history_detail {
// Applies the bounds to a connection opened for reading on this thread.
void BoundRead(sqlite3* db);
}  // namespace history_detail

}  // namespace dorvex
