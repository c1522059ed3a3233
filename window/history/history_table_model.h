#pragma once
// The replies of the history window's range as a table, newest first: the login time as the
// report shows it, the grand total, the four group totals and the PVP world's count.

#include <QAbstractTableModel>
#include <vector>

#include "history/reply_summary.h"

namespace dorvex {

class HistoryTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetReplies(std::vector<ReplySummary> summaries);  // oldest first, as read
  const std::vector<ReplySummary>& Replies() const { return summaries_; }
  // The summary shown in `row`; null when there is no such row.
  const ReplySummary* ReplyAt(int row) const;
  // The row showing the reply of row `id` in the file, -1 when none does.
  int RowOf(qint64 id) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString CellText(const ReplySummary& summary, int column) const;

  std::vector<ReplySummary> summaries_;
};

}  // namespace dorvex
