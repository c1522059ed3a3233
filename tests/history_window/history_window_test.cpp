// The history window over real history files: what it reads reaches chart, table, report and CSV.

#include "window/history/history_window.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <map>

#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/read_bounds.h"
#include "settings/ini_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/history_support.h"
#include "tests/support/qstring_printer.h"
#include "window/history/history_chart.h"
#include "window/history/typed_date_edit.h"

namespace dorvex {
namespace {

// The window shows local times: the test's are Japan's, before the application starts.
const bool kTokyoTime = [] {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  return true;
}();

QDateTime Utc(int month, int day, int hour, int minute = 0) {
  return QDateTime(QDate(2024, month, day), QTime(hour, minute), Qt::UTC);
}

using test::ReplyAt;

const QDateTime kNow = Utc(5, 8, 3);  // 2024-05-08 12:00 in Tokyo
// Japan's 2024-04-21 01:00: a day later than in UTC.
const HistoryReply kOld = ReplyAt(Utc(4, 20, 16), {{"verdandi", 100}, {"urdr", 40}});
// Letter case as the server may send it, and a world the table does not know.
const HistoryReply kDayAgo =
    ReplyAt(Utc(5, 7, 1), {{"verdandi", 120}, {"Magni", 80}, {"urdr", 30}, {"newone", 15}});
const HistoryReply kRecent =
    ReplyAt(Utc(5, 8, 2, 30), {{"verdandi", 130}, {"thor", 950}, {"iris", 20}, {"tyr", 5}});

class HistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid() && kTokyoTime);
    Record({kOld, kDayAgo, kRecent});
  }

  void Record(const std::vector<HistoryReply>& replies) {
    HistoryStore store(path_);
    for (const HistoryReply& reply : replies) ASSERT_TRUE(store.Record(reply));
  }

  // The window over `path`, its clock at now_; shown and laid out unless `show` is false.
  std::unique_ptr<TfrmDVhistory> Open(const QString& path, bool show = true) {
    auto window = std::make_unique<TfrmDVhistory>(path, [this] { return options_; });
    window->SetClock([this] { return now_.toLocalTime(); });
    if (!show) return window;
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Settle(*window);
    return window;
  }

  // Waits for the window's reads (they run off the GUI thread) and its resting date edits.
  static void Settle(const TfrmDVhistory& window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Busy(); }, 10'000));
    QApplication::processEvents();
  }

  template <typename T>
  static T* Child(const TfrmDVhistory& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
  }

  static void ChooseRange(const TfrmDVhistory& window, const QString& text) {
    auto* choice = Child<QComboBox>(window, "rangeChoice");
    choice->setCurrentIndex(choice->findText(text));
    Settle(window);
  }

  // The table's rows, newest first: the first `columns` cells of each.
  static std::vector<QStringList> TableTexts(const TfrmDVhistory& window, int columns = 2) {
    const QAbstractItemModel* model = Child<QTableView>(window, "replyTable")->model();
    std::vector<QStringList> rows(static_cast<std::size_t>(model->rowCount()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
      for (int column = 0; column < columns; ++column) {
        rows[row].append(model->index(static_cast<int>(row), column).data().toString());
      }
    }
    return rows;
  }

  // The chart's series by name, a world's marked as drawn on the right axis.
  static std::map<QString, QList<QPointF>> ChartLines(const TfrmDVhistory& window) {
    std::map<QString, QList<QPointF>> lines;
    for (const ChartSeries& series : Child<HistoryChart>(window, "chart")->Series()) {
      lines[series.world ? series.name + " (right)" : series.name] = {series.points.begin(),
                                                                      series.points.end()};
    }
    return lines;
  }

  static QString Message(const TfrmDVhistory& window) {
    return Child<QLabel>(window, "message")->text();
  }

  static void ChooseRow(const TfrmDVhistory& window, int row) {
    auto* table = Child<QTableView>(window, "replyTable");
    table->setCurrentIndex(table->model()->index(row, 0));
  }

  QTemporaryDir folder_;
  QString path_ = folder_.filePath(QStringLiteral("history.sqlite"));
  ReportOptions options_;
  QDateTime now_ = kNow;
};

// The range's replies as chart lines (totals, groups, PVP, ticked worlds) and table rows.
TEST_F(HistoryWindowTest, ChartAndTableShowTheRange) {
  const auto window = Open(path_);
  ChooseRange(*window, QStringLiteral("All"));
  auto* worlds = Child<QListWidget>(*window, "worldList");
  worlds->item(1)->setCheckState(Qt::Checked);   // magni
  worlds->item(11)->setCheckState(Qt::Checked);  // thor
  QApplication::processEvents();
  const auto old = static_cast<qreal>(kOld.captureTimeUtc.toMSecsSinceEpoch()),
             dayAgo = static_cast<qreal>(kDayAgo.captureTimeUtc.toMSecsSinceEpoch()),
             recent = static_cast<qreal>(kRecent.captureTimeUtc.toMSecsSinceEpoch());
  const std::map<QString, QList<QPointF>> expected{
      {"Total", {{old, 140}, {dayAgo, 245}, {recent, 1105}}},
      {"WorldGroup 1", {{old, 100}, {dayAgo, 215}, {recent, 130}}},  // newone too
      {"WorldGroup 2", {{old, 0}, {dayAgo, 0}, {recent, 5}}},
      {"WorldGroup 3", {{old, 0}, {dayAgo, 0}, {recent, 950}}},
      {"WorldGroup 4", {{old, 0}, {dayAgo, 0}, {recent, 20}}},
      {"WorldGroup PVP (right)", {{old, 40}, {dayAgo, 30}}},
      {"magni (right)", {{dayAgo, 80}}},
      {"thor (right)", {{recent, 950}}},
  };
  EXPECT_EQ(ChartLines(*window), expected);
  worlds->item(1)->setCheckState(Qt::Unchecked);
  QApplication::processEvents();
  EXPECT_EQ(ChartLines(*window).count(QStringLiteral("magni (right)")), 0u);
  const std::vector<QStringList> rows{
      {"2024/05/08 11:30:00", "1105", "130", "5", "950", "20", ""},
      {"2024/05/07 10:00:00", "245", "215", "0", "0", "0", "30"},
      {"2024/04/21 01:00:00", "140", "100", "0", "0", "0", "40"},
  };
  EXPECT_EQ(TableTexts(*window, 7), rows);
  EXPECT_EQ(Message(*window), QStringLiteral("3 replies"));
}

// The range choice and the two dates (only for "Dates") reach the read; greyed, the dates show
// the days of the range in effect; reversed, they are swapped and the status line says so.
TEST_F(HistoryWindowTest, RangeChoiceAndDatesSelectTheReplies) {
  const auto window = Open(path_);
  EXPECT_EQ(Message(*window), QStringLiteral("2 replies"));  // the last week
  auto* from = Child<QDateEdit>(*window, "fromDate");
  auto* to = Child<QDateEdit>(*window, "toDate");
  EXPECT_FALSE(from->isEnabled());
  const auto dates = [&] { return std::pair(from->date(), to->date()); };
  ChooseRange(*window, QStringLiteral("Last day"));
  EXPECT_EQ(Message(*window), QStringLiteral("1 reply"));
  EXPECT_EQ(dates(), std::pair(QDate(2024, 5, 7), QDate(2024, 5, 8)));
  ChooseRange(*window, QStringLiteral("All"));
  EXPECT_EQ(dates(), std::pair(QDate(2024, 4, 21), QDate(2024, 5, 8)));  // from the oldest reply
  ChooseRange(*window, QStringLiteral("Dates"));
  EXPECT_TRUE(from->isEnabled());
  from->setDate(QDate(2024, 5, 7));
  to->setDate(QDate(2024, 4, 21));
  Settle(*window);
  EXPECT_EQ(dates(), std::pair(QDate(2024, 4, 21), QDate(2024, 5, 7)));
  EXPECT_EQ(Message(*window), QStringLiteral("2 replies (from and to were reversed: swapped)"));
  to->setDate(QDate(2024, 4, 21));
  Settle(*window);
  EXPECT_EQ(TableTexts(*window, 1), std::vector<QStringList>{{"2024/04/21 01:00:00"}});
  EXPECT_EQ(Message(*window), QStringLiteral("1 reply"));
}

// A date is typed as 2026/11/17, 2026-11-17 or 20261117; anything else is no date.
TEST(TypedDateTest, TakesTheThreeForms) {
  const std::vector<std::pair<QString, std::optional<QDate>>> cases{
      {"2026/11/17", QDate(2026, 11, 17)}, {"2026-11-17", QDate(2026, 11, 17)},
      {" 20261117 ", QDate(2026, 11, 17)}, {"2026/02/30", std::nullopt},
      {"2026.11.17", std::nullopt},        {"261117", std::nullopt},
      {"2026/11/1", std::nullopt},  // still being typed
  };
  for (const auto& [text, date] : cases)
    EXPECT_EQ(ParseTypedDate(text), date) << text.toStdString();
}

TEST_F(HistoryWindowTest, TypedDatesReachTheRange) {
  const auto window = Open(path_);
  ChooseRange(*window, QStringLiteral("Dates"));
  auto* from = Child<QDateEdit>(*window, "fromDate");
  for (const QString typed : {"2024-04-20", "20240419"}) {
    auto* edit = from->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(from, Qt::Key_Return);
    Settle(*window);
    EXPECT_EQ(from->date(), ParseTypedDate(typed)) << typed.toStdString();
  }
  EXPECT_EQ(Message(*window), QStringLiteral("3 replies"));
}

// Lines of the report of the reply of a day ago; the weekday is the system locale's, the expected
// lines have Japan's.
QStringList DayAgoLines(const QStringList& report) {
  QString login = report.value(0);
  login.replace(QLocale::system().dayName(Qt::Tuesday, QLocale::ShortFormat), QStringLiteral("火"));
  return {login, report.value(1), report.value(4), report.value(8), report.value(37)};
}
const QStringList kDayAgoExpanded{"【ログイン日時】2024年05月07日 (火) 10:00:00",
                                  "【計測方法】ワールドセレクト表示値 (Dorvex)", "【　magni .】 80",
                                  "【newone】 15", "【　 全鯖合計 　.】245"};

// A click on a header sorts by that column's numbers, largest first, a second click the other
// way; a new read keeps the order, and the chosen reply stays chosen.
TEST_F(HistoryWindowTest, HeaderClicksSortTheTable) {
  const auto window = Open(path_);
  ChooseRange(*window, QStringLiteral("All"));
  auto* table = Child<QTableView>(*window, "replyTable");
  ChooseRow(*window, 1);
  const auto click = [&](int column) {
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionViewportPosition(column) + 5, header->height() / 2});
  };
  const auto totals = [&] {
    QStringList column;
    for (const QStringList& row : TableTexts(*window)) column.append(row[1]);
    return column;
  };
  click(1);
  EXPECT_EQ(totals(), QStringList({"1105", "245", "140"}));
  click(1);
  EXPECT_EQ(totals(), QStringList({"140", "245", "1105"}));
  EXPECT_EQ(DayAgoLines(window->ReportLines()), kDayAgoExpanded);
  EXPECT_EQ(table->currentIndex().row(), 1);
  ChooseRange(*window, QStringLiteral("Last month"));  // read again: still sorted, still chosen
  EXPECT_EQ(totals(), QStringList({"140", "245", "1105"}));
  EXPECT_EQ(table->currentIndex().row(), 1);
  click(2);  // group 1: 215, 130, 100
  EXPECT_EQ(totals(), QStringList({"245", "1105", "140"}));
}

// Opened, the window shows the newest reply's report; a row or a click on the chart near a reply
// chooses another.
TEST_F(HistoryWindowTest, ChosenReplyShowsItsReportAndCopiesIt) {
  const auto window = Open(path_);
  auto* copy = Child<QPushButton>(*window, "copyButton");
  EXPECT_TRUE(window->ReportLines().value(0).endsWith(QStringLiteral("11:30:00")))
      << window->ReportLines().value(0).toStdString();
  emit window->findChild<HistoryChart*>()->ReplyPicked(
      kDayAgo.captureTimeUtc.addSecs(3600).toMSecsSinceEpoch());
  EXPECT_EQ(DayAgoLines(window->ReportLines()), kDayAgoExpanded);
  ChooseRow(*window, 0);
  ChooseRow(*window, 1);  // the reply of a day ago, below the newest
  EXPECT_EQ(DayAgoLines(window->ReportLines()), kDayAgoExpanded);
  EXPECT_EQ(Child<QPlainTextEdit>(*window, "report")->toPlainText(),
            window->ReportLines().join(u'\n'));
  ASSERT_TRUE(copy->isEnabled());
  QTest::mouseClick(copy, Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text(), JoinReportLines(window->ReportLines()));
  options_ = {false, true};  // the main window's options at the time of choosing
  ChooseRow(*window, 0);
  ChooseRow(*window, 1);
  EXPECT_EQ(window->ReportLines().value(1), QStringLiteral("【計測方法】ワールドセレクト表示値"));
}

// Hidden, the window reads nothing; shown, a Refresh reads what was recorded since, drops what the
// passing time took out of the range, and keeps the chosen reply chosen.
TEST_F(HistoryWindowTest, RefreshReadsWhatWasRecordedSinceWhenShown) {
  const auto window = Open(path_, false);
  window->Refresh();
  Settle(*window);
  EXPECT_TRUE(TableTexts(*window).empty());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Settle(*window);
  ChooseRow(*window, 1);
  Record({ReplyAt(kRecent.captureTimeUtc, {{"verdandi", 1}})});
  window->Refresh();
  Settle(*window);
  EXPECT_EQ(TableTexts(*window), (std::vector<QStringList>{{"2024/05/08 11:30:00", "1"},
                                                           {"2024/05/08 11:30:00", "1105"},
                                                           {"2024/05/07 10:00:00", "245"}}));
  EXPECT_EQ(DayAgoLines(window->ReportLines()), kDayAgoExpanded);
  window->hide();
  now_ = kNow.addDays(6);  // the last week no longer holds the reply of 2024-05-07
  Record({ReplyAt(kNow.addDays(6).addSecs(-60), {{"verdandi", 2}})});
  window->Refresh();
  Settle(*window);
  EXPECT_EQ(TableTexts(*window).size(), 3u);
  window->show();
  Settle(*window);
  EXPECT_EQ(TableTexts(*window), (std::vector<QStringList>{{"2024/05/14 11:59:00", "2"},
                                                           {"2024/05/08 11:30:00", "1"},
                                                           {"2024/05/08 11:30:00", "1105"}}));
  EXPECT_EQ(Message(*window), QStringLiteral("3 replies"));
}

// The export runs off the GUI thread and says where it wrote how many replies.
TEST_F(HistoryWindowTest, ExportsTheRangeOrNamesTheFileItCannotWrite) {
  const auto window = Open(path_);
  QString target = folder_.filePath(QStringLiteral("out.csv"));
  window->SetExportPathChooser([&] { return target; });
  QTest::mouseClick(Child<QPushButton>(*window, "exportButton"), Qt::LeftButton);
  Settle(*window);
  // Last week: the reply of a day ago and the newest.
  EXPECT_EQ(test::ReadFileBytes(target),
            (HistoryCsvHeader() + HistoryCsvRow(kDayAgo) + HistoryCsvRow(kRecent)).toUtf8());
  EXPECT_EQ(Message(*window), QStringLiteral("Exported 2 replies to ") + target);

  target = folder_.filePath(QStringLiteral("no-such-folder/out.csv"));
  QString shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->close();
    }
  });
  closer.start(10);
  QTest::mouseClick(Child<QPushButton>(*window, "exportButton"), Qt::LeftButton);
  Settle(*window);
  EXPECT_TRUE(shown.contains(target)) << shown.toStdString();
  EXPECT_FALSE(QFile::exists(target));
}

// Range, dates, ticked worlds, hidden series and splitters go to the settings file and come back
// in a new window.
TEST_F(HistoryWindowTest, StateRoundTripsThroughTheSettingsFile) {
  TIniFile ini(folder_.filePath(QStringLiteral("dorvex.ini")));
  HistoryWindowState written;
  {
    const auto window = Open(path_);
    ChooseRange(*window, QStringLiteral("Dates"));
    Child<QDateEdit>(*window, "fromDate")->setDate(QDate(2024, 4, 21));
    Child<QDateEdit>(*window, "toDate")->setDate(QDate(2024, 5, 7));
    Child<QListWidget>(*window, "worldList")->item(11)->setCheckState(Qt::Checked);  // thor
    window->findChild<HistoryChart*>()->SetHiddenSeries({"WorldGroup 2", "thor"});
    auto* panes = window->findChild<QSplitter*>(QStringLiteral("panes"));
    panes->setSizes({300, 200});
    written = window->State();
    WriteHistoryWindowState(ini, written);
    const QString text = QString::fromUtf8(test::ReadFileBytes(ini.FileName()));
    EXPECT_TRUE(text.contains(QStringLiteral("Range=dates"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("From=2024-04-21"))) << text.toStdString();
  }
  const auto window = Open(path_);
  window->SetState(ReadHistoryWindowState(ini));
  Settle(*window);
  EXPECT_EQ(Child<QComboBox>(*window, "rangeChoice")->currentText(), QStringLiteral("Dates"));
  EXPECT_EQ(Message(*window), QStringLiteral("2 replies"));
  const HistoryWindowState read = window->State();
  EXPECT_EQ(read.to, QDate(2024, 5, 7));
  EXPECT_EQ(read.worlds, QStringList{"thor"});
  EXPECT_EQ(read.hiddenSeries, QStringList({"WorldGroup 2", "thor"}));
  EXPECT_EQ(read.paneSplit, written.paneSplit);
  EXPECT_EQ(read.tableSplit, written.tableSplit);
  EXPECT_EQ(ChartLines(*window).count(QStringLiteral("thor (right)")), 1u);
}

// Only the newest read is shown: an older one still running is cancelled and its result dropped.
TEST_F(HistoryWindowTest, ANewerReadCancelsAnOlderOne) {
  const auto window = Open(path_);
  int shown = 0;
  QObject::connect(Child<QTableView>(*window, "replyTable")->model(),
                   &QAbstractItemModel::modelReset, [&] { ++shown; });
  for (const QString range : {"All", "Last month", "Last day"}) {
    auto* choice = Child<QComboBox>(*window, "rangeChoice");
    choice->setCurrentIndex(choice->findText(range));
  }
  Settle(*window);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(Message(*window), QStringLiteral("1 reply"));
}

// A raised cancel flag stops a read of the history, which then fails.
TEST_F(HistoryWindowTest, ACancelledReadStops) {
  std::atomic<bool> cancelled{true};
  const ReadCancelScope scope(cancelled);
  QString error;
  EXPECT_FALSE(ReadReplySummaries(path_, {}, error));
  EXPECT_TRUE(error.contains(QStringLiteral("interrupt"))) << error.toStdString();
}

// A file that cannot be read is named in the message; pointed at the real history, it reads it.
TEST_F(HistoryWindowTest, UnreadableHistoriesAreNamedInTheMessage) {
  const QString missing = folder_.filePath(QStringLiteral("missing.sqlite"));
  const auto window = Open(missing);
  EXPECT_TRUE(Message(*window).startsWith(missing + u' ')) << Message(*window).toStdString();
  window->SetHistoryPath(path_);
  Settle(*window);
  EXPECT_EQ(Message(*window), QStringLiteral("2 replies"));
  EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
}  // namespace dorvex
