#include "window/history/history_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "history/history_export.h"
#include "history/history_range_choice.h"
#include "history/read_bounds.h"
#include "history/reply_summary.h"
#include "tally/field_counts.h"
#include "tally/world_table.h"
#include "window/history/chart_data.h"
#include "window/history/chart_series.h"
#include "window/history/frozen_column_table.h"
#include "window/history/history_chart.h"
#include "window/history/history_table_model.h"
#include "window/history/typed_date_edit.h"

using dorvex::RangeChoice;

namespace {

// The designed size at a 16 pixel line; larger fonts grow it.
constexpr int kDesignedWidth = 1000;
constexpr int kDesignedHeight = 680;
constexpr double kDesignedLineHeight = 16;
// Columns fit the rows in view and this many more (the newest, unless sorted otherwise): Qt's
// 1000 laid out the texts of 1000 rows on the GUI thread after each read (~40 ms).
constexpr int kSizedRows = 100;
// Typed or stepped dates are read once they rest this long.
constexpr int kDateDebounceMs = 300;

}  // namespace

TfrmDVhistory::TfrmDVhistory(QString historyPath,
                             std::function<dorvex::ReportOptions()> reportOptions, QWidget* parent)
    : QWidget(parent, Qt::Window),
      historyPath_(std::move(historyPath)),
      reportOptions_(std::move(reportOptions)),
      clock_([] { return QDateTime::currentDateTime(); }),
      exportPathChooser_([this] { return DefaultExportPath(); }),
      reads_(this),
      exports_(this) {
  setObjectName(QStringLiteral("frmDVhistory"));
  setWindowTitle(QStringLiteral("Dorvex history"));
  BuildLayout();
  const double factor = std::max(1.0, fontMetrics().height() / kDesignedLineHeight);
  resize(static_cast<int>(kDesignedWidth * factor), static_cast<int>(kDesignedHeight * factor));
}

TfrmDVhistory::~TfrmDVhistory() = default;

void TfrmDVhistory::BuildLayout() {
  rangeChoice_ = new QComboBox;
  rangeChoice_->setObjectName(QStringLiteral("rangeChoice"));
  rangeChoice_->addItem(QStringLiteral("Last day"), static_cast<int>(RangeChoice::kLastDay));
  rangeChoice_->addItem(QStringLiteral("Last week"), static_cast<int>(RangeChoice::kLastWeek));
  rangeChoice_->addItem(QStringLiteral("Last month"), static_cast<int>(RangeChoice::kLastMonth));
  rangeChoice_->addItem(QStringLiteral("All"), static_cast<int>(RangeChoice::kAll));
  rangeChoice_->addItem(QStringLiteral("Dates"), static_cast<int>(RangeChoice::kDates));
  rangeChoice_->setCurrentIndex(1);
  const QDate today = QDate::currentDate();
  fromDate_ = new dorvex::TypedDateEdit(today.addDays(-7));
  fromDate_->setObjectName(QStringLiteral("fromDate"));
  toDate_ = new dorvex::TypedDateEdit(today);
  toDate_->setObjectName(QStringLiteral("toDate"));
  for (QDateEdit* date : {fromDate_, toDate_}) {
    date->setCalendarPopup(true);
    // Room for the whole date beside the popup's arrow.
    date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) +
                          2 * date->fontMetrics().height() + 8);
    date->setEnabled(false);
    connect(date, &QDateEdit::dateChanged, this, [this] { dateRest_->start(); });
  }
  dateRest_ = new QTimer(this);
  dateRest_->setSingleShot(true);
  dateRest_->setInterval(kDateDebounceMs);
  connect(dateRest_, &QTimer::timeout, this, [this] { OnDatesEdited(); });
  connect(rangeChoice_, &QComboBox::currentIndexChanged, this, [this] { OnRangeChoice(); });
  exportButton_ = new QPushButton(QStringLiteral("Export CSV…"));
  exportButton_->setObjectName(QStringLiteral("exportButton"));
  connect(exportButton_, &QPushButton::clicked, this, [this] { ExportCsv(); });

  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(new QLabel(QStringLiteral("Range")));
  rangeRow->addWidget(rangeChoice_);
  rangeRow->addWidget(new QLabel(QStringLiteral("from")));
  rangeRow->addWidget(fromDate_);
  rangeRow->addWidget(new QLabel(QStringLiteral("to")));
  rangeRow->addWidget(toDate_);
  rangeRow->addStretch();
  rangeRow->addWidget(exportButton_);

  chart_ = new dorvex::HistoryChart;
  chart_->setObjectName(QStringLiteral("chart"));
  worldList_ = new QListWidget;
  worldList_->setObjectName(QStringLiteral("worldList"));
  for (const dorvex::WorldStrings& world : dorvex::WorldStringTable()) {
    auto* item = new QListWidgetItem(world.name, worldList_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  worldList_->setMaximumWidth(worldList_->fontMetrics().horizontalAdvance(u'M') * 10);
  connect(worldList_, &QListWidget::itemChanged, this, [this] { DrawChart(); });
  ConnectChart();
  chartRow_ = new QSplitter(Qt::Horizontal);
  chartRow_->addWidget(chart_);
  chartRow_->addWidget(worldList_);
  chartRow_->setStretchFactor(0, 1);

  model_ = new dorvex::HistoryTableModel(this);
  auto* table = new dorvex::FrozenColumnTable;
  table_ = table;
  table_->setObjectName(QStringLiteral("replyTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table->SetRowHeight(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setResizeContentsPrecision(kSizedRows);
  table_->setSortingEnabled(true);
  table_->sortByColumn(0, Qt::DescendingOrder);
  table_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(table_->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
          [this](const QPoint& at) { ChooseColumns(table_->horizontalHeader()->mapToGlobal(at)); });
  // A reset shows every column again: the optional ones stay as chosen.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { ShowChosenColumns(); });
  ShowChosenColumns();
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { OnReplyChosen(); });

  report_ = new QPlainTextEdit;
  report_->setObjectName(QStringLiteral("report"));
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  copyButton_ = new QPushButton(QStringLiteral("Copy"));
  copyButton_->setObjectName(QStringLiteral("copyButton"));
  copyButton_->setEnabled(false);
  connect(copyButton_, &QPushButton::clicked, this, [this] { CopyReport(); });
  auto* reportPane = new QWidget;
  auto* reportColumn = new QVBoxLayout(reportPane);
  reportColumn->setContentsMargins(0, 0, 0, 0);
  reportColumn->addWidget(report_);
  reportColumn->addWidget(copyButton_, 0, Qt::AlignRight);
  lowerRow_ = new QSplitter(Qt::Horizontal);
  lowerRow_->addWidget(table_);
  lowerRow_->addWidget(reportPane);
  lowerRow_->setStretchFactor(0, 3);
  lowerRow_->setStretchFactor(1, 2);

  panes_ = new QSplitter(Qt::Vertical);
  panes_->setObjectName(QStringLiteral("panes"));
  panes_->addWidget(chartRow_);
  panes_->addWidget(lowerRow_);
  panes_->setStretchFactor(0, 3);
  panes_->setStretchFactor(1, 2);

  message_ = new QLabel;
  message_->setObjectName(QStringLiteral("message"));
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setMaximumWidth(fontMetrics().horizontalAdvance(u'M') * 12);
  progress_->hide();
  auto* statusRow = new QHBoxLayout;
  statusRow->addWidget(message_, 1);
  statusRow->addWidget(progress_);

  auto* column = new QVBoxLayout(this);
  column->addLayout(rangeRow);
  column->addWidget(panes_, 1);
  column->addLayout(statusRow);
}

// The header's menu ticks the optional columns: generation totals and single worlds.
void TfrmDVhistory::ChooseColumns(const QPoint& at) {
  QMenu menu(this);
  for (int column = dorvex::HistoryTableModel::kFirstOptionalColumn; column < model_->columnCount();
       ++column) {
    QAction* action = menu.addAction(model_->headerData(column, Qt::Horizontal).toString());
    action->setCheckable(true);
    action->setChecked(shownColumns_.contains(column));
    connect(action, &QAction::toggled, this, [this, column](bool shown) {
      if (shown) {
        shownColumns_.insert(column);
      } else {
        shownColumns_.remove(column);
      }
      ShowChosenColumns();
    });
  }
  menu.exec(at);
}

void TfrmDVhistory::ShowChosenColumns() {
  for (int column = dorvex::HistoryTableModel::kFirstOptionalColumn; column < model_->columnCount();
       ++column) {
    table_->setColumnHidden(column, !shownColumns_.contains(column));
  }
}

dorvex::HistoryWindowState TfrmDVhistory::State() const {
  dorvex::HistoryWindowState state;
  state.range = Choice();
  if (state.range == RangeChoice::kDates) {
    state.from = fromDate_->date();
    state.to = toDate_->date();
  }
  for (int i = 0; i < worldList_->count(); ++i) {
    if (worldList_->item(i)->checkState() == Qt::Checked) {
      state.worlds.append(worldList_->item(i)->text());
    }
  }
  state.hiddenSeries = chart_->HiddenSeries();
  state.chartSplit = chartRow_->sizes();
  state.tableSplit = lowerRow_->sizes();
  state.paneSplit = panes_->sizes();
  return state;
}

// Applies `state` as one change: the range is read once, after everything is set.
void TfrmDVhistory::SetState(const dorvex::HistoryWindowState& state) {
  {
    const QSignalBlocker rangeBlocker(rangeChoice_);
    const QSignalBlocker worldBlocker(worldList_);
    rangeChoice_->setCurrentIndex(rangeChoice_->findData(static_cast<int>(state.range)));
    if (state.from.isValid() && state.to.isValid()) SetDates(state.from, state.to);
    for (int i = 0; i < worldList_->count(); ++i) {
      QListWidgetItem* item = worldList_->item(i);
      item->setCheckState(state.worlds.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
  }
  chart_->SetHiddenSeries(state.hiddenSeries);
  for (const auto& [splitter, sizes] :
       {std::pair(chartRow_, state.chartSplit), std::pair(lowerRow_, state.tableSplit),
        std::pair(panes_, state.paneSplit)}) {
    if (sizes.size() == splitter->count()) splitter->setSizes(sizes);
  }
  OnRangeChoice();
}

void TfrmDVhistory::Refresh() {
  if (isVisible()) {
    ReadNewer();
  } else if (pending_ == Pending::kNothing) {
    pending_ = Pending::kNewer;
  }
}

void TfrmDVhistory::ReadAgain() {
  pending_ = Pending::kAll;
  if (isVisible()) Reload();
}

void TfrmDVhistory::SetHistoryPath(QString path) {
  historyPath_ = std::move(path);
  ReadAgain();
}

void TfrmDVhistory::SetClock(std::function<QDateTime()> clock) {
  clock_ = std::move(clock);
  const QDate today = clock_().date();
  SetDates(today.addDays(-7), today);
  ShowRangeDates();
  ReadAgain();
}

void TfrmDVhistory::SetExportPathChooser(std::function<QString()> chooser) {
  exportPathChooser_ = std::move(chooser);
}

dorvex::HistoryRange TfrmDVhistory::CurrentRange() const {
  return dorvex::RangeOf(Choice(), clock_(), fromDate_->date(), toDate_->date());
}

void TfrmDVhistory::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (pending_ == Pending::kAll) Reload();
  if (pending_ == Pending::kNewer) ReadNewer();
}

RangeChoice TfrmDVhistory::Choice() const {
  return static_cast<RangeChoice>(rangeChoice_->currentData().toInt());
}

void TfrmDVhistory::OnRangeChoice() {
  const bool dates = Choice() == RangeChoice::kDates;
  fromDate_->setEnabled(dates);
  toDate_->setEnabled(dates);
  rangeNote_.clear();
  ShowRangeDates();
  ReadAgain();
}

// A "from" after "to" is taken as the range between them, and the status line says so.
void TfrmDVhistory::OnDatesEdited() {
  rangeNote_.clear();
  if (fromDate_->date() > toDate_->date()) {
    const QDate from = toDate_->date();
    const QDate to = fromDate_->date();
    SetDates(from, to);
    rangeNote_ = QStringLiteral(" (from and to were reversed: swapped)");
  }
  ReadAgain();
}

void TfrmDVhistory::SetDates(QDate from, QDate to) {
  const QSignalBlocker fromBlocker(fromDate_);
  const QSignalBlocker toBlocker(toDate_);
  fromDate_->setDate(from);
  toDate_->setDate(to);
}

// The greyed dates of a relative range show the days it covers; "All" starts at its oldest reply.
void TfrmDVhistory::ShowRangeDates() {
  if (Choice() == RangeChoice::kDates) return;
  const QDate today = clock_().date();
  const dorvex::HistoryRange range = CurrentRange();
  QDate from = range.since.toLocalTime().date();
  if (range.since.isNull()) {
    from = model_->Replies().empty() ? today : ClockTime(model_->Replies().front()).date();
  }
  SetDates(from, today);
}

void TfrmDVhistory::Reload() {
  pending_ = Pending::kNothing;
  StartRead(CurrentRange(), nullptr);
}

// Reads only the replies recorded since, when the range is open-ended and what is shown is
// current: after each recorded reply, a large range is not read again whole.
void TfrmDVhistory::ReadNewer() {
  const dorvex::HistoryRange range = CurrentRange();
  const std::vector<dorvex::ReplySummary>& shown = model_->Replies();
  if (pending_ == Pending::kAll || !shownRead_ || shown.empty() || !range.until.isNull() ||
      reads_.Busy()) {
    Reload();
    return;
  }
  pending_ = Pending::kNothing;
  StartRead(range, model_->SharedReplies());
}

// Reads off the GUI thread, and makes the chart there too; a newer read cancels this one and its
// result is never shown.
void TfrmDVhistory::StartRead(const dorvex::HistoryRange& range,
                              std::shared_ptr<const std::vector<dorvex::ReplySummary>> shown) {
  ShowBusy(QStringLiteral("Reading…"));
  reads_.Start(
      [this, path = historyPath_, range, shown = std::move(shown),
       worlds = CheckedWorlds()](const std::atomic<bool>& cancelled) -> std::function<void()> {
        const dorvex::ReadCancelScope scope(cancelled);
        QString error;
        auto summaries = std::make_shared<std::optional<std::vector<dorvex::ReplySummary>>>(
            shown ? dorvex::ReadNewerSummaries(path, *shown, range.since, error)
                  : dorvex::ReadReplySummaries(path, range, error));
        auto chart = std::make_shared<dorvex::ChartData>();
        if (*summaries && !cancelled) {
          *chart = dorvex::PrepareChart(dorvex::BuildChartSeries(**summaries, worlds));
        }
        return [this, summaries, chart, worlds, error] {
          ShowReplies(std::move(*summaries), error, std::move(*chart), worlds);
        };
      });
}

bool TfrmDVhistory::Busy() const {
  return reads_.Busy() || exports_.Busy() || dateRest_->isActive();
}

void TfrmDVhistory::ShowBusy(const QString& text) {
  ShowMessage(text);
  progress_->setRange(0, 0);
  progress_->show();
}

// Shows `summaries` (or `error` when they could not be read), keeping the chosen reply chosen
// while it is still among them. `chart` is their chart with the lines of `chartedWorlds`.
void TfrmDVhistory::ShowReplies(std::optional<std::vector<dorvex::ReplySummary>> summaries,
                                const QString& error, dorvex::ChartData chart,
                                const std::vector<std::size_t>& chartedWorlds) {
  const dorvex::ReplySummary* chosen = model_->ReplyAt(table_->currentIndex().row());
  qint64 chosenId = chosen ? chosen->id : -1;
  // The first replies read after opening show the newest one's report.
  if (chosenId < 0 && chooseNewest_ && summaries && !summaries->empty()) {
    chosenId = summaries->back().id;
    chooseNewest_ = false;
  }
  progress_->setVisible(exports_.Busy());
  shownRead_ = summaries.has_value();
  model_->SetReplies(summaries ? std::move(*summaries) : std::vector<dorvex::ReplySummary>{});
  // Worlds ticked during the read need lines of their own.
  if (shownRead_ && chartedWorlds == CheckedWorlds()) {
    chart_->SetData(std::move(chart));
  } else {
    DrawChart();
  }
  ShowRangeDates();
  const std::size_t count = model_->Replies().size();
  if (!shownRead_) {
    ShowMessage(error);
  } else if (count == 0) {
    ShowMessage(QStringLiteral("No replies in this range") + rangeNote_);
  } else {
    ShowMessage((count == 1 ? QStringLiteral("1 reply") : QStringLiteral("%1 replies").arg(count)) +
                rangeNote_);
  }
  const int row = chosenId < 0 ? -1 : model_->RowOf(chosenId);
  if (row >= 0) {
    table_->selectRow(row);
    table_->setCurrentIndex(model_->index(row, 0));
  }
  OnReplyChosen();
}

std::vector<std::size_t> TfrmDVhistory::CheckedWorlds() const {
  std::vector<std::size_t> worlds;
  for (int i = 0; i < worldList_->count(); ++i) {
    if (worldList_->item(i)->checkState() == Qt::Checked) {
      worlds.push_back(static_cast<std::size_t>(i));
    }
  }
  return worlds;
}

void TfrmDVhistory::DrawChart() {
  chart_->SetSeries(dorvex::BuildChartSeries(model_->Replies(), CheckedWorlds()));
}

void TfrmDVhistory::ShowMessage(const QString& text) {
  message_->setText(text);
}

// The chosen reply's report, its records read back from the file.
void TfrmDVhistory::OnReplyChosen() {
  reportLines_.clear();
  const dorvex::ReplySummary* chosen = model_->ReplyAt(table_->currentIndex().row());
  if (chosen) {
    QString error;
    const auto reply = dorvex::ReadReply(historyPath_, chosen->id, error);
    if (reply) {
      reportLines_ = dorvex::BuildResultString(dorvex::CountsOfReply(reply->records),
                                               reply->localTime, reportOptions_());
    } else {
      ShowMessage(error);
    }
  }
  report_->setPlainText(reportLines_.join(u'\n'));
  copyButton_->setEnabled(!reportLines_.isEmpty());
  MarkOnChart(chosen ? chosen->captureMs : -1);
}

// A click on the chart chooses the reply captured nearest to it.
void TfrmDVhistory::ChooseNearest(qint64 captureMs) {
  const std::vector<dorvex::ReplySummary>& replies = model_->Replies();
  if (replies.empty()) return;
  auto next = std::lower_bound(
      replies.begin(), replies.end(), captureMs,
      [](const dorvex::ReplySummary& reply, qint64 ms) { return reply.captureMs < ms; });
  if (next == replies.end() || (next != replies.begin() && captureMs - std::prev(next)->captureMs <
                                                               next->captureMs - captureMs)) {
    --next;
  }
  const int row = model_->RowOf(next->id);
  table_->selectRow(row);
  table_->setCurrentIndex(model_->index(row, 0));
}

// ---- The chart's calls, in one place for its merge. ----

void TfrmDVhistory::ConnectChart() {
  connect(chart_, &dorvex::HistoryChart::ReplyPicked, this,
          [this](qint64 captureMs) { ChooseNearest(captureMs); });
}

void TfrmDVhistory::MarkOnChart(qint64 captureMs) {
  chart_->MarkReply(captureMs);
}

void TfrmDVhistory::CopyReport() {
  if (!reportLines_.isEmpty()) {
    QApplication::clipboard()->setText(dorvex::JoinReportLines(reportLines_));
  }
}

QString TfrmDVhistory::DefaultExportPath() {
  return QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"),
                                      QDir::home().filePath(QStringLiteral("dorvex-history.csv")),
                                      QStringLiteral("CSV (*.csv)"));
}

// Off the GUI thread, with its progress; a newer export cancels this one. A failed export leaves
// no partial file.
void TfrmDVhistory::ExportCsv() {
  const QString target = exportPathChooser_();
  if (target.isEmpty()) return;
  ShowBusy(QStringLiteral("Exporting…"));
  exports_.Start([this, path = historyPath_, range = CurrentRange(),
                  target](const std::atomic<bool>& cancelled) -> std::function<void()> {
    const dorvex::ReadCancelScope scope(cancelled);
    QString error;
    const qint64 total = dorvex::CountReplies(path, range, error).value_or(0);
    const auto progress = [this, total](qint64 written) {
      QMetaObject::invokeMethod(
          this, [this, total, written] { ShowExportProgress(written, total); },
          Qt::QueuedConnection);
    };
    dorvex::CsvExportFailure failure;
    qint64 written = 0;
    const bool ok = dorvex::ExportHistoryCsvFile(path, range, target, failure, progress, written);
    return [this, ok, target, written, failure] { ShowExported(ok, target, written, failure); };
  });
}

void TfrmDVhistory::ShowExportProgress(qint64 written, qint64 total) {
  if (!exports_.Busy() || total <= 0) return;
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(std::min<qint64>(1000, written * 1000 / total)));
}

void TfrmDVhistory::ShowExported(bool ok, const QString& target, qint64 written,
                                 const dorvex::CsvExportFailure& failure) {
  progress_->setVisible(reads_.Busy());
  if (!ok) {
    ShowMessage(QStringLiteral("Export failed"));
    QMessageBox::warning(this, QStringLiteral("Export CSV"),
                         QStringLiteral("Cannot export the history to %1: %2")
                             .arg(QDir::toNativeSeparators(target), failure.reason));
    return;
  }
  ShowMessage((written == 1 ? QStringLiteral("Exported 1 reply to %2")
                            : QStringLiteral("Exported %1 replies to %2").arg(written))
                  .arg(QDir::toNativeSeparators(target)));
}
