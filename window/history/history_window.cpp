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
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "history/history_export.h"
#include "history/history_range_choice.h"
#include "history/reply_summary.h"
#include "tally/field_counts.h"
#include "tally/world_table.h"
#include "window/history/chart_series.h"
#include "window/history/history_chart.h"
#include "window/history/history_table_model.h"

using dorvex::RangeChoice;

namespace {

// The designed size at a 16 pixel line; larger fonts grow it.
constexpr int kDesignedWidth = 1000;
constexpr int kDesignedHeight = 680;
constexpr double kDesignedLineHeight = 16;

}  // namespace

TfrmDVhistory::TfrmDVhistory(QString historyPath,
                             std::function<dorvex::ReportOptions()> reportOptions, QWidget* parent)
    : QWidget(parent, Qt::Window),
      historyPath_(std::move(historyPath)),
      reportOptions_(std::move(reportOptions)),
      clock_([] { return QDateTime::currentDateTime(); }),
      exportPathChooser_([this] { return DefaultExportPath(); }) {
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
  fromDate_ = new QDateEdit(today.addDays(-7));
  fromDate_->setObjectName(QStringLiteral("fromDate"));
  toDate_ = new QDateEdit(today);
  toDate_->setObjectName(QStringLiteral("toDate"));
  for (QDateEdit* date : {fromDate_, toDate_}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    // Room for the whole date beside the popup's arrow.
    date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) +
                          2 * date->fontMetrics().height() + 8);
    date->setEnabled(false);
    connect(date, &QDateEdit::dateChanged, this, [this] { OnRangeChoice(); });
  }
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
  auto* chartRow = new QSplitter(Qt::Horizontal);
  chartRow->addWidget(chart_);
  chartRow->addWidget(worldList_);
  chartRow->setStretchFactor(0, 1);

  model_ = new dorvex::HistoryTableModel(this);
  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("replyTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
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
  auto* lowerRow = new QSplitter(Qt::Horizontal);
  lowerRow->addWidget(table_);
  lowerRow->addWidget(reportPane);
  lowerRow->setStretchFactor(0, 3);
  lowerRow->setStretchFactor(1, 2);

  auto* panes = new QSplitter(Qt::Vertical);
  panes->addWidget(chartRow);
  panes->addWidget(lowerRow);
  panes->setStretchFactor(0, 3);
  panes->setStretchFactor(1, 2);

  message_ = new QLabel;
  message_->setObjectName(QStringLiteral("message"));
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* column = new QVBoxLayout(this);
  column->addLayout(rangeRow);
  column->addWidget(panes, 1);
  column->addWidget(message_);
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
  const QSignalBlocker fromBlocker(fromDate_);
  const QSignalBlocker toBlocker(toDate_);
  fromDate_->setDate(today.addDays(-7));
  toDate_->setDate(today);
  ReadAgain();
}

void TfrmDVhistory::SetExportPathChooser(std::function<QString()> chooser) {
  exportPathChooser_ = std::move(chooser);
}

dorvex::HistoryRange TfrmDVhistory::CurrentRange() const {
  return dorvex::RangeOf(static_cast<RangeChoice>(rangeChoice_->currentData().toInt()), clock_(),
                         fromDate_->date(), toDate_->date());
}

void TfrmDVhistory::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (pending_ == Pending::kAll) Reload();
  if (pending_ == Pending::kNewer) ReadNewer();
}

void TfrmDVhistory::OnRangeChoice() {
  const bool dates =
      static_cast<RangeChoice>(rangeChoice_->currentData().toInt()) == RangeChoice::kDates;
  fromDate_->setEnabled(dates);
  toDate_->setEnabled(dates);
  ReadAgain();
}

void TfrmDVhistory::Reload() {
  pending_ = Pending::kNothing;
  QString error;
  std::optional<std::vector<dorvex::ReplySummary>> summaries =
      dorvex::ReadReplySummaries(historyPath_, CurrentRange(), error);
  ShowReplies(std::move(summaries), error);
}

// Reads only the replies recorded since, when the range is open-ended and what is shown is
// current: after each recorded reply, a large range is not read again whole.
void TfrmDVhistory::ReadNewer() {
  const dorvex::HistoryRange range = CurrentRange();
  const std::vector<dorvex::ReplySummary>& shown = model_->Replies();
  if (pending_ == Pending::kAll || !shownRead_ || shown.empty() || !range.until.isNull()) {
    Reload();
    return;
  }
  pending_ = Pending::kNothing;
  QString error;
  ShowReplies(dorvex::ReadNewerSummaries(historyPath_, shown, range.since, error), error);
}

// Shows `summaries` (or `error` when they could not be read), keeping the chosen reply chosen
// while it is still among them.
void TfrmDVhistory::ShowReplies(std::optional<std::vector<dorvex::ReplySummary>> summaries,
                                const QString& error) {
  const dorvex::ReplySummary* chosen = model_->ReplyAt(table_->currentIndex().row());
  const qint64 chosenId = chosen ? chosen->id : -1;
  shownRead_ = summaries.has_value();
  model_->SetReplies(summaries ? std::move(*summaries) : std::vector<dorvex::ReplySummary>{});
  DrawChart();
  const std::size_t count = model_->Replies().size();
  if (!shownRead_) {
    ShowMessage(error);
  } else if (count == 0) {
    ShowMessage(QStringLiteral("No replies in this range"));
  } else {
    ShowMessage(count == 1 ? QStringLiteral("1 reply") : QStringLiteral("%1 replies").arg(count));
  }
  const int row = chosenId < 0 ? -1 : model_->RowOf(chosenId);
  if (row >= 0) {
    table_->selectRow(row);
    table_->setCurrentIndex(model_->index(row, 0));
  }
  OnReplyChosen();
}

void TfrmDVhistory::DrawChart() {
  std::vector<std::size_t> worlds;
  for (int i = 0; i < worldList_->count(); ++i) {
    if (worldList_->item(i)->checkState() == Qt::Checked) {
      worlds.push_back(static_cast<std::size_t>(i));
    }
  }
  chart_->SetSeries(dorvex::BuildChartSeries(model_->Replies(), worlds));
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

// A failed export leaves no partial file.
void TfrmDVhistory::ExportCsv() {
  const QString target = exportPathChooser_();
  if (target.isEmpty()) return;
  dorvex::CsvExportFailure failure;
  if (!dorvex::ExportHistoryCsvFile(historyPath_, CurrentRange(), target, failure)) {
    QMessageBox::warning(this, QStringLiteral("Export CSV"),
                         QStringLiteral("Cannot export the history to %1: %2")
                             .arg(QDir::toNativeSeparators(target), failure.reason));
  }
}
