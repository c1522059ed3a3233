#include "window/history/history_table_model.h"

#include <algorithm>
#include <numeric>

namespace dorvex {

namespace {

enum Column {
  kTime,
  kTotal,
  kGroup1,
  kGroup4 = kGroup1 + 3,
  kPvp,
  kGeneration1,
  kGeneration5 = kGeneration1 + 4,
  kWorld1,
  kColumnCount = kWorld1 + static_cast<int>(kWorldTableSize)
};
static_assert(kGeneration1 == HistoryTableModel::kFirstOptionalColumn);

}  // namespace

void HistoryTableModel::SetReplies(std::vector<ReplySummary> summaries) {
  beginResetModel();
  shared_ = std::make_shared<const std::vector<ReplySummary>>(std::move(summaries));
  Reorder();
  endResetModel();
}

const ReplySummary* HistoryTableModel::ReplyAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return &Replies()[ItemOf(static_cast<std::size_t>(row))];
}

int HistoryTableModel::RowOf(qint64 id) const {
  const std::vector<ReplySummary>& replies = Replies();
  const auto found = std::find_if(replies.begin(), replies.end(),
                                  [&](const ReplySummary& summary) { return summary.id == id; });
  if (found == replies.end()) return -1;
  const auto item = static_cast<std::size_t>(found - replies.begin());
  if (order_.empty()) return static_cast<int>(ItemOf(item));  // the mapping is its own inverse
  return static_cast<int>(std::find(order_.begin(), order_.end(), item) - order_.begin());
}

void HistoryTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> items;
  for (const QModelIndex& index : before)
    items.push_back(ItemOf(static_cast<std::size_t>(index.row())));
  sortColumn_ = column;
  sortOrder_ = order;
  Reorder();
  std::vector<int> rowOfItem(Replies().size());
  for (std::size_t row = 0; row < rowOfItem.size(); ++row)
    rowOfItem[ItemOf(row)] = static_cast<int>(row);
  QModelIndexList after;
  for (qsizetype i = 0; i < before.size(); ++i) {
    after.append(index(rowOfItem[items[static_cast<std::size_t>(i)]], before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::size_t HistoryTableModel::ItemOf(std::size_t row) const {
  if (!order_.empty()) return order_[row];
  return sortOrder_ == Qt::DescendingOrder ? Replies().size() - 1 - row : row;
}

// The replies come oldest first (ties in recording order): sorted by time they stay so, and need
// no order of their own (over a year, making one cost the GUI thread ~10 ms a read).
void HistoryTableModel::Reorder() {
  order_.clear();
  if (sortColumn_ == kTime) return;
  order_.resize(Replies().size());
  std::iota(order_.begin(), order_.end(), std::size_t{0});
  std::vector<qint64> keys(Replies().size());
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = CellValue(Replies()[i], sortColumn_);
  std::stable_sort(order_.begin(), order_.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  if (sortOrder_ == Qt::DescendingOrder) std::reverse(order_.begin(), order_.end());
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Replies().size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
  const ReplySummary* summary = ReplyAt(index.row());
  if (!summary) return {};
  if (role == Qt::DisplayRole) {
    if (index.column() == kTime) {
      return ClockTime(*summary).toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    }
    const qint64 value = CellValue(*summary, index.column());
    return value == kNotMeasured ? QString() : QString::number(value);
  }
  if (role == Qt::TextAlignmentRole && index.column() != kTime) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  // A first click sorts newest or largest first.
  if (role == Qt::InitialSortOrderRole) return static_cast<int>(Qt::DescendingOrder);
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case kTime:
      return QStringLiteral("Time");
    case kTotal:
      return QStringLiteral("Total");
    case kPvp:
      return QStringLiteral("WorldGroup PVP");
    default:
      break;
  }
  if (section >= kWorld1)
    return WorldStringTable()[static_cast<std::size_t>(section - kWorld1)].name;
  if (section >= kGeneration1)
    return QStringLiteral("Generation %1").arg(section - kGeneration1 + 1);
  return QStringLiteral("WorldGroup %1").arg(section - kGroup1 + 1);
}

qint64 HistoryTableModel::CellValue(const ReplySummary& summary, int column) const {
  if (column == kTotal) return summary.totals.grand;
  if (column == kPvp) return PvpCount(summary);
  if (column >= kWorld1) return summary.worlds[static_cast<std::size_t>(column - kWorld1)];
  if (column >= kGeneration1) {
    return summary.totals.generation[static_cast<std::size_t>(column - kGeneration1)];
  }
  return summary.totals.group[static_cast<std::size_t>(column - kGroup1)];
}

}  // namespace dorvex
