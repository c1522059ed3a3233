#pragma once
// The replies of the history window's range as a table, newest first unless sorted otherwise by
// sort() (a header click): the login time as the
// report shows it, the grand total, the four group totals and the PVP world's count, then the
// optional columns: the five generation totals and each world's count. Sorting is by the numbers
// (the time by capture time), ties in recording order, reversed for descending; it is done here on
// plain numbers, since a proxy's sort through QVariants takes seconds over a year of replies.

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "history/reply_summary.h"

namespace dorvex {

class HistoryTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  static constexpr int kFirstOptionalColumn = 7;

  void SetReplies(std::vector<ReplySummary> summaries);  // oldest first, as read
  const std::vector<ReplySummary>& Replies() const { return *shared_; }
  // The same, for a reading thread to read while the table shows them (never changed in place).
  std::shared_ptr<const std::vector<ReplySummary>> SharedReplies() const { return shared_; }
  // The summary shown in `row`; null when there is no such row.
  const ReplySummary* ReplyAt(int row) const;
  // The row showing the reply of row `id` in the file, -1 when none does.
  int RowOf(qint64 id) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  qint64 CellValue(const ReplySummary& summary, int column) const;  // kNotMeasured: empty
  void Reorder();
  std::size_t ItemOf(std::size_t row) const;  // the index into Replies() shown in `row`

  std::shared_ptr<const std::vector<ReplySummary>> shared_ =
      std::make_shared<const std::vector<ReplySummary>>();
  std::vector<std::size_t> order_;  // row -> index into Replies(); empty when sorted by time
  int sortColumn_ = 0;
  Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
};

}  // namespace dorvex
