#pragma once
// What the history store's tests share: a temporary history file and reading it back.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <set>

#include "history/history_read.h"
#include "history/history_store.h"
#include "tests/support/history_support.h"

namespace dorvex::test {

inline std::vector<HistoryReply> ReadAll(const QString& path, HistoryRange range = {}) {
  QString error;
  const auto replies = ReadHistory(path, range, error);
  EXPECT_TRUE(replies) << error.toStdString();
  return replies.value_or(std::vector<HistoryReply>{});
}

inline std::set<int> VerdandiCounts(const QString& path) {
  std::set<int> counts;
  for (const HistoryReply& reply : ReadAll(path)) counts.insert(reply.records.at(0).count);
  return counts;
}

inline constexpr char kCurrentVersion[] = "3";

class HistoryStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath(QStringLiteral("dorvex.sqlite"));
};

}  // namespace dorvex::test
