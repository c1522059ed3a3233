#pragma once
// The history file's layout: an application id that marks the file as Dorvex's, a version
// (PRAGMA user_version) and the steps that bring a file from one version to the next.

#include <QString>
#include <cstdint>
#include <span>

struct sqlite3;

namespace dorvex {

inline constexpr std::int64_t kHistoryApplicationId = 0x44525658;  // "DRVX"
// How long a connection waits for another program's lock on the file before it gives up.
inline constexpr int kHistoryBusyTimeoutMs = 2000;

// SQL that brings a file of version toVersion - 1 to toVersion; step 1 starts from an empty file.
// `fill`, when set, then fills what the SQL added with the program's own code, and `after`, when
// set, is SQL that runs last (dropping what the fill moved elsewhere), all in the same
// transaction; `fill` is false on an SQLite error (see sqlite3_errcode).
struct HistorySchemaStep {
  int toVersion;
  const char* sql;
  bool (*fill)(sqlite3* db) = nullptr;
  const char* after = nullptr;
};

// Dorvex's steps; the last one's version is the current one.
std::span<const HistorySchemaStep> HistorySchemaSteps();

// What a file is, judged without writing to it.
enum class HistoryFileKind {
  kMissing,  // no file: it will be created
  kEmpty,    // zero bytes, or a database without tables, version or application id
  kOurs,     // Dorvex's, at `version` (not newer than the current one)
  kBusy,     // cannot be read now (locked, or cannot be opened): try again later
  kForeign,  // something else: never written
  kCorrupt,  // Dorvex's or an SQLite file, damaged: never written
  kNewer,    // Dorvex's, written by a newer Dorvex: never written
};

struct HistoryFileCheck {
  HistoryFileKind kind = HistoryFileKind::kMissing;
  int version = 0;
  QString reason;  // for kBusy, kForeign, kCorrupt and kNewer
};

// What a file's application id, version and number of schema objects make it: kEmpty, kOurs,
// kForeign or kNewer.
HistoryFileCheck JudgeHistoryHeader(std::int64_t applicationId, std::int64_t version,
                                    std::int64_t objects, int currentVersion);

// Whether the tables, columns and indexes of `db` are exactly those that Dorvex's steps make up
// to `version`, with nothing else (no views, triggers or other objects); otherwise false with
// `reason`.
bool SchemaIsOurs(sqlite3* db, int version, QString& reason);

// Looks at `path` through a read-only connection: its header and its schema (and, with
// `forWriting`, a full quick_check and the lengths of its values for a Dorvex file);
// `currentVersion` is the newest version this build can write. With `forWriting`, a file or folder
// that cannot be written is kBusy before SQLite opens anything: SQLite would create the -shm file
// with the database file's permissions, and a read-only one would block writing later.
HistoryFileCheck CheckHistoryFile(const QString& path, int currentVersion, bool forWriting);

}  // namespace dorvex
