#include "window/history/history_table_model.h"

#include <algorithm>

namespace dorvex {

namespace {

enum Column { kTime, kTotal, kGroup1, kGroup4 = kGroup1 + 3, kPvp, kColumnCount };

}  // namespace

void HistoryTableModel::SetReplies(std::vector<ReplySummary> summaries) {
  beginResetModel();
  summaries_ = std::move(summaries);
  endResetModel();
}

const ReplySummary* HistoryTableModel::ReplyAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return &summaries_[summaries_.size() - 1 - static_cast<std::size_t>(row)];
}

int HistoryTableModel::RowOf(qint64 id) const {
  const auto found = std::find_if(summaries_.begin(), summaries_.end(),
                                  [&](const ReplySummary& s) { return s.id == id; });
  if (found == summaries_.end()) return -1;
  return rowCount() - 1 - static_cast<int>(found - summaries_.begin());
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(summaries_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
  const ReplySummary* summary = ReplyAt(index.row());
  if (!summary) return {};
  if (role == Qt::DisplayRole) return CellText(*summary, index.column());
  if (role == Qt::TextAlignmentRole && index.column() != kTime) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  switch (section) {
    case kTime:
      return QStringLiteral("Time");
    case kTotal:
      return QStringLiteral("Total");
    case kPvp:
      return QStringLiteral("WorldGroup PVP");
    default:
      return QStringLiteral("WorldGroup %1").arg(section - kGroup1 + 1);
  }
}

QString HistoryTableModel::CellText(const ReplySummary& summary, int column) const {
  switch (column) {
    case kTime:
      return summary.localTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    case kTotal:
      return QString::number(summary.totals.grand);
    case kPvp: {
      const std::int32_t pvp = PvpCount(summary);
      return pvp == kNotMeasured ? QString() : QString::number(pvp);
    }
    default:
      return QString::number(summary.totals.group[static_cast<std::size_t>(column - kGroup1)]);
  }
}

}  // namespace dorvex
