#pragma once
// The history window: the replies of a chosen time range as a chart of the report's totals (and
// of chosen worlds), as a table newest first, the chosen reply's report to copy, and CSV export.
// It reads the history file only while shown.

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "history/history_export.h"
#include "history/history_range_choice.h"
#include "history/history_read.h"
#include "history/reply_summary.h"
#include "tally/report.h"
#include "window/history/background_work.h"
#include "window/history/chart_data.h"
#include "window/history/history_window_settings.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class QSplitter;
class QPushButton;
class QTableView;

namespace dorvex {
class HistoryChart;
class HistoryTableModel;
}  // namespace dorvex

class TfrmDVhistory : public QWidget {
 public:
  // `reportOptions` gives the main window's current report options (Expand / Compatible).
  TfrmDVhistory(QString historyPath, std::function<dorvex::ReportOptions()> reportOptions,
                QWidget* parent = nullptr);
  ~TfrmDVhistory() override;

  // Brings the window up to date with the history file: reads the replies recorded since the
  // last read (the whole range when it has a fixed end or was never read), now when shown, else
  // at the next show. Replies recorded with a capture time older than the newest shown one appear
  // at the next whole read (range choice, path).
  void Refresh();
  void SetHistoryPath(QString path);

  // The clock the ranges count back from (the system's local time by default); the two dates
  // start at the week up to its day.
  void SetClock(std::function<QDateTime()> clock);
  // Asks for the CSV file to write; an empty answer cancels (a save dialog by default).
  void SetExportPathChooser(std::function<QString()> chooser);

  // A read or an export runs, or a date edit waits to be read.
  bool Busy() const;

  // The capture times of the current range choice.
  dorvex::HistoryRange CurrentRange() const;
  // What is kept between runs (see history_window_settings.h); setting it reads the range anew.
  dorvex::HistoryWindowState State() const;
  void SetState(const dorvex::HistoryWindowState& state);

  // The chosen reply's report lines, empty when no reply is chosen.
  const QStringList& ReportLines() const { return reportLines_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLayout();
  void ChooseColumns(const QPoint& at);
  void ShowChosenColumns();
  dorvex::RangeChoice Choice() const;
  void OnRangeChoice();
  void OnDatesEdited();
  void SetDates(QDate from, QDate to);  // without reading
  void ShowRangeDates();
  void OnReplyChosen();
  void ChooseNearest(qint64 captureMs);
  void ConnectChart();
  void MarkOnChart(qint64 captureMs);  // -1: no reply
  void ReadAgain();                    // the whole range: now when shown, else at the next show
  void Reload();
  void ReadNewer();
  // `shown`: the replies shown, to bring up to date with those recorded since; null: read anew.
  void StartRead(const dorvex::HistoryRange& range,
                 std::shared_ptr<const std::vector<dorvex::ReplySummary>> shown);
  void ShowBusy(const QString& text);
  void ShowReplies(std::optional<std::vector<dorvex::ReplySummary>> summaries, const QString& error,
                   dorvex::ChartData chart, const std::vector<std::size_t>& chartedWorlds);
  std::vector<std::size_t> CheckedWorlds() const;  // table indexes of the worlds to chart
  void DrawChart();
  void ShowMessage(const QString& text);
  void CopyReport();
  void ExportCsv();
  void ShowExportProgress(qint64 written, qint64 total);
  void ShowExported(bool ok, const QString& target, qint64 written,
                    const dorvex::CsvExportFailure& failure);
  QString DefaultExportPath();

  QString historyPath_;
  std::function<dorvex::ReportOptions()> reportOptions_;
  std::function<QDateTime()> clock_;
  std::function<QString()> exportPathChooser_;
  // What to read when next shown: nothing, the replies recorded since, or the whole range.
  enum class Pending { kNothing, kNewer, kAll };
  Pending pending_ = Pending::kAll;
  bool shownRead_ = false;  // the shown replies were read without error
  bool chooseNewest_ = true;
  QStringList reportLines_;
  QString rangeNote_;  // said after the count of replies: how the dates were read

  QComboBox* rangeChoice_ = nullptr;
  QDateEdit* fromDate_ = nullptr;
  QDateEdit* toDate_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  dorvex::HistoryChart* chart_ = nullptr;
  QListWidget* worldList_ = nullptr;
  dorvex::HistoryTableModel* model_ = nullptr;
  QSet<int> shownColumns_;  // the optional columns shown
  QTableView* table_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QLabel* message_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTimer* dateRest_ = nullptr;  // debounces date edits
  QSplitter* chartRow_ = nullptr;
  QSplitter* lowerRow_ = nullptr;
  QSplitter* panes_ = nullptr;
  // Last: their threads end before anything else of the window goes.
  dorvex::BackgroundWork reads_;
  dorvex::BackgroundWork exports_;
};
