// The history window on the offscreen platform over real history files in temporary folders:
// chart lines, the table, the chosen reply's report, CSV export, ranges and read errors.

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>

#include "history/history_csv.h"
#include "history/history_store.h"
#include "tally/report.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"
#include "window/history/history_window.h"

namespace dorvex {
namespace {

// The window shows local times: the test's are Japan's, before the application starts.
const bool kTokyoTime = [] {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  return true;
}();

constexpr int kJapanOffset = 9 * 3600;

QDateTime Utc(int month, int day, int hour, int minute = 0) {
  return QDateTime(QDate(2024, month, day), QTime(hour, minute), Qt::UTC);
}

HistoryReply Reply(const QDateTime& utc, std::vector<DecodedRecord> records) {
  return {utc,
          utc.toOffsetFromUtc(kJapanOffset),
          QStringLiteral("eth0"),
          QStringLiteral("10.0.0.1"),
          6900,
          std::move(records)};
}

// Now, for every range: 2024-05-08 12:00 in Tokyo.
const QDateTime kNow = Utc(5, 8, 3);
// Japan's 2024-04-21 01:00: a day later than in UTC.
const HistoryReply kOld = Reply(Utc(4, 20, 16), {{"verdandi", 100}, {"urdr", 40}});
// Letter case as the server may send it, and a world the table does not know.
const HistoryReply kDayAgo =
    Reply(Utc(5, 7, 1), {{"verdandi", 120}, {"Magni", 80}, {"urdr", 30}, {"newone", 15}});
const HistoryReply kRecent =
    Reply(Utc(5, 8, 2, 30), {{"verdandi", 130}, {"thor", 950}, {"iris", 20}, {"tyr", 5}});

qreal Ms(const HistoryReply& reply) {
  return static_cast<qreal>(reply.captureTimeUtc.toMSecsSinceEpoch());
}

class HistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(kTokyoTime);
    Record({kOld, kDayAgo, kRecent});
  }

  void Record(const std::vector<HistoryReply>& replies) {
    HistoryStore store(path_);
    for (const HistoryReply& reply : replies) ASSERT_TRUE(store.Record(reply));
  }

  // The window over `path`, its clock at kNow, shown and laid out.
  std::unique_ptr<TfrmDVhistory> Open(const QString& path) {
    auto window = std::make_unique<TfrmDVhistory>(path, [this] { return options_; });
    window->SetClock([this] { return now_.toLocalTime(); });
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    return window;
  }

  template <typename T>
  static T* Child(const TfrmDVhistory& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  static void ChooseRange(const TfrmDVhistory& window, const QString& text) {
    auto* choice = Child<QComboBox>(window, "rangeChoice");
    const int index = choice->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    choice->setCurrentIndex(index);
  }

  static std::vector<QStringList> TableTexts(const TfrmDVhistory& window) {
    const QAbstractItemModel* model = Child<QTableView>(window, "replyTable")->model();
    std::vector<QStringList> rows;
    QStringList header;
    for (int column = 0; column < model->columnCount(); ++column) {
      header.append(model->headerData(column, Qt::Horizontal).toString());
    }
    rows.push_back(header);
    for (int row = 0; row < model->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < model->columnCount(); ++column) {
        cells.append(model->index(row, column).data().toString());
      }
      rows.push_back(cells);
    }
    return rows;
  }

  static std::map<QString, QList<QPointF>> ChartLines(const TfrmDVhistory& window) {
    std::map<QString, QList<QPointF>> lines;
    QStringList order;
    for (QAbstractSeries* series : Child<QChartView>(window, "chart")->chart()->series()) {
      auto* line = qobject_cast<QLineSeries*>(series);
      EXPECT_NE(line, nullptr);
      if (line) lines[line->name()] = line->points();
    }
    return lines;
  }

  static QStringList ChartLineNames(const TfrmDVhistory& window) {
    QStringList names;
    for (QAbstractSeries* series : Child<QChartView>(window, "chart")->chart()->series()) {
      names.append(series->name());
    }
    return names;
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

TEST_F(HistoryWindowTest, ChartDrawsTotalsGroupsPvpAndChosenWorlds) {
  const auto window = Open(path_);
  ChooseRange(*window, QStringLiteral("All"));
  auto* worlds = Child<QListWidget>(*window, "worldList");
  ASSERT_EQ(worlds->count(), 24);
  EXPECT_EQ(worlds->item(0)->text(), QStringLiteral("verdandi"));
  EXPECT_EQ(worlds->item(23)->text(), QStringLiteral("urdr"));
  EXPECT_EQ(ChartLineNames(*window),
            (QStringList{"Total", "WorldGroup 1", "WorldGroup 2", "WorldGroup 3", "WorldGroup 4",
                         "WorldGroup PVP"}));
  worlds->item(1)->setCheckState(Qt::Checked);   // magni
  worlds->item(11)->setCheckState(Qt::Checked);  // thor
  QApplication::processEvents();
  EXPECT_EQ(ChartLineNames(*window),
            (QStringList{"Total", "WorldGroup 1", "WorldGroup 2", "WorldGroup 3", "WorldGroup 4",
                         "WorldGroup PVP", "magni", "thor"}));
  const qreal old = Ms(kOld), dayAgo = Ms(kDayAgo), recent = Ms(kRecent);
  const std::map<QString, QList<QPointF>> expected{
      {"Total", {{old, 140}, {dayAgo, 245}, {recent, 1105}}},
      // The unknown world counts in group 1, as in the report's free row.
      {"WorldGroup 1", {{old, 100}, {dayAgo, 215}, {recent, 130}}},
      {"WorldGroup 2", {{old, 0}, {dayAgo, 0}, {recent, 5}}},
      {"WorldGroup 3", {{old, 0}, {dayAgo, 0}, {recent, 950}}},
      {"WorldGroup 4", {{old, 0}, {dayAgo, 0}, {recent, 20}}},
      {"WorldGroup PVP", {{old, 40}, {dayAgo, 30}}},
      {"magni", {{dayAgo, 80}}},
      {"thor", {{recent, 950}}},
  };
  EXPECT_EQ(ChartLines(*window), expected);
  worlds->item(1)->setCheckState(Qt::Unchecked);
  QApplication::processEvents();
  EXPECT_EQ(ChartLineNames(*window).last(), QStringLiteral("thor"));
  EXPECT_EQ(ChartLineNames(*window).size(), 7);
}

// Many more replies than pixels: each line is drawn with at most four points per pixel column of
// the plot area, keeps its peak, and is thinned again when the window narrows.
TEST_F(HistoryWindowTest, LongLinesAreDrawnToThePlotWidth) {
  constexpr int kReplies = 3000;
  const QString path = folder_.filePath(QStringLiteral("long.sqlite"));
  {
    HistoryStore store(path);
    for (int i = 0; i < kReplies; ++i) {
      const auto count = static_cast<std::uint16_t>(i == 1234 ? 9000 : 100 + i % 50);
      ASSERT_TRUE(store.Record(Reply(Utc(5, 1, 0).addSecs(60 * i), {{"verdandi", count}})));
    }
  }
  const auto window = Open(path);
  ChooseRange(*window, QStringLiteral("All"));
  auto* chart = Child<QChartView>(*window, "chart")->chart();
  const QPointF peak(Ms(Reply(Utc(5, 1, 0).addSecs(60 * 1234), {})), 9000);
  for (const int width : {1000, 600}) {
    window->resize(width, window->height());
    QApplication::processEvents();
    const int columns = static_cast<int>(std::ceil(chart->plotArea().width()));
    ASSERT_GT(columns, 50) << width;
    const QList<QPointF> total = qobject_cast<QLineSeries*>(chart->series().at(0))->points();
    EXPECT_LE(total.size(), 4 * columns) << width;
    EXPECT_GE(total.size(), columns) << width;
    EXPECT_TRUE(total.contains(peak)) << width;
    EXPECT_EQ(total.first().x(), Ms(Reply(Utc(5, 1, 0), {}))) << width;
  }
}

TEST_F(HistoryWindowTest, TableListsRepliesNewestFirst) {
  const auto window = Open(path_);
  ChooseRange(*window, QStringLiteral("All"));
  const std::vector<QStringList> expected{
      {"Time", "Total", "WorldGroup 1", "WorldGroup 2", "WorldGroup 3", "WorldGroup 4",
       "WorldGroup PVP"},
      {"2024/05/08 11:30:00", "1105", "130", "5", "950", "20", ""},
      {"2024/05/07 10:00:00", "245", "215", "0", "0", "0", "30"},
      {"2024/04/21 01:00:00", "140", "100", "0", "0", "0", "40"},
  };
  EXPECT_EQ(TableTexts(*window), expected);
  EXPECT_EQ(Message(*window), QStringLiteral("3 replies"));
}

// The range choice and the two dates reach the read: the dates, inclusive local dates, only for
// "Dates".
TEST_F(HistoryWindowTest, RangeChoiceAndDatesSelectTheReplies) {
  const auto window = Open(path_);
  EXPECT_EQ(Message(*window), QStringLiteral("2 replies"));  // the last week
  auto* from = Child<QDateEdit>(*window, "fromDate");
  EXPECT_FALSE(from->isEnabled());
  ChooseRange(*window, QStringLiteral("Last day"));
  EXPECT_EQ(Message(*window), QStringLiteral("1 reply"));
  ChooseRange(*window, QStringLiteral("Dates"));
  EXPECT_TRUE(from->isEnabled());
  from->setDate(QDate(2024, 4, 21));
  Child<QDateEdit>(*window, "toDate")->setDate(QDate(2024, 4, 21));
  EXPECT_EQ(TableTexts(*window).at(1).first(), QStringLiteral("2024/04/21 01:00:00"));
  EXPECT_EQ(Message(*window), QStringLiteral("1 reply"));
}

// Lines of the report of the reply of a day ago (verdandi 120, Magni 80, urdr 30, newone 15).
// The weekday is the system locale's; the expected lines have Japan's.
QStringList DayAgoLines(const QStringList& report) {
  QString login = report.value(0);
  login.replace(QLocale::system().dayName(Qt::Tuesday, QLocale::ShortFormat), QStringLiteral("火"));
  return {login, report.value(1), report.value(4), report.value(8), report.value(37)};
}
const QStringList kDayAgoExpanded{"【ログイン日時】2024年05月07日 (火) 10:00:00",
                                  "【計測方法】ワールドセレクト表示値 (Dorvex)", "【　magni .】 80",
                                  "【newone】 15", "【　 全鯖合計 　.】245"};

TEST_F(HistoryWindowTest, ChosenReplyShowsItsReportAndCopiesIt) {
  const auto window = Open(path_);
  auto* report = Child<QPlainTextEdit>(*window, "report");
  auto* copy = Child<QPushButton>(*window, "copyButton");
  EXPECT_TRUE(report->toPlainText().isEmpty());
  EXPECT_FALSE(copy->isEnabled());
  ChooseRow(*window, 1);  // the reply of a day ago, below the newest
  EXPECT_EQ(DayAgoLines(window->ReportLines()), kDayAgoExpanded);
  EXPECT_EQ(report->toPlainText(), window->ReportLines().join(u'\n'));
  ASSERT_TRUE(copy->isEnabled());
  QApplication::clipboard()->clear();
  QTest::mouseClick(copy, Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text(), JoinReportLines(window->ReportLines()));
  // The main window's options at the time of choosing.
  options_ = {false, true};
  ChooseRow(*window, 0);
  ChooseRow(*window, 1);
  EXPECT_EQ(window->ReportLines().value(1), QStringLiteral("【計測方法】ワールドセレクト表示値"));
}

TEST_F(HistoryWindowTest, RefreshReadsOnlyWhenShownAndKeepsTheChosenReply) {
  TfrmDVhistory window(path_, [this] { return options_; });
  window.SetClock([] { return kNow.toLocalTime(); });
  window.Refresh();
  EXPECT_EQ(TableTexts(window).size(), 1u);  // hidden: nothing read yet
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(TableTexts(window).size(), 3u);
  ChooseRow(window, 1);
  Record({Reply(Utc(5, 8, 2, 45), {{"verdandi", 140}})});
  window.Refresh();
  const std::vector<QStringList> rows = TableTexts(window);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].mid(0, 2), (QStringList{"2024/05/08 11:45:00", "140"}));
  // The chosen reply stays chosen one row lower, its report shown.
  EXPECT_EQ(Child<QTableView>(window, "replyTable")->currentIndex().row(), 2);
  EXPECT_EQ(DayAgoLines(window.ReportLines()), kDayAgoExpanded);
  // Hidden, the window reads nothing; shown again, it has what was recorded meanwhile.
  window.hide();
  Record({Reply(Utc(5, 8, 2, 50), {{"verdandi", 150}})});
  window.Refresh();
  EXPECT_EQ(TableTexts(window).size(), 4u);
  window.show();
  const std::vector<QStringList> shownAgain = TableTexts(window);
  ASSERT_EQ(shownAgain.size(), 5u);
  EXPECT_EQ(shownAgain[1].mid(0, 2), (QStringList{"2024/05/08 11:50:00", "150"}));
  EXPECT_EQ(Message(window), QStringLiteral("4 replies"));
}

// Refresh in a shown window reads what was recorded since: a reply in the same millisecond as the
// newest is told apart from it, and replies that the passing time takes out of the range go.
TEST_F(HistoryWindowTest, RefreshAddsNewerRepliesAndDropsOldOnes) {
  const auto window = Open(path_);
  Record({Reply(kRecent.captureTimeUtc, {{"verdandi", 1}})});
  window->Refresh();
  std::vector<QStringList> rows = TableTexts(*window);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].mid(0, 2), (QStringList{"2024/05/08 11:30:00", "1"}));
  EXPECT_EQ(rows[2].mid(0, 2), (QStringList{"2024/05/08 11:30:00", "1105"}));
  EXPECT_EQ(rows[3].mid(0, 2), (QStringList{"2024/05/07 10:00:00", "245"}));
  ChooseRow(*window, 0);
  EXPECT_TRUE(window->ReportLines().contains(QStringLiteral("【verdandi】 1")));
  ChooseRow(*window, 1);
  EXPECT_TRUE(window->ReportLines().contains(QStringLiteral("【verdandi】 130")));
  // Six days on, the last week no longer holds the reply of 2024-05-07.
  now_ = kNow.addDays(6);
  Record({Reply(kNow.addDays(6).addSecs(-60), {{"verdandi", 2}})});
  window->Refresh();
  rows = TableTexts(*window);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].mid(0, 2), (QStringList{"2024/05/14 11:59:00", "2"}));
  EXPECT_EQ(rows[3].mid(0, 2), (QStringList{"2024/05/08 11:30:00", "1105"}));
  EXPECT_EQ(Message(*window), QStringLiteral("3 replies"));
  // The chosen reply is still chosen.
  EXPECT_TRUE(window->ReportLines().contains(QStringLiteral("【verdandi】 130")));
  EXPECT_EQ(ChartLines(*window).at("Total").size(), 3);
}

TEST_F(HistoryWindowTest, ExportsTheRangeAsCsv) {
  const auto window = Open(path_);
  const QString target = folder_.filePath(QStringLiteral("out.csv"));
  window->SetExportPathChooser([&] { return target; });
  QTest::mouseClick(Child<QPushButton>(*window, "exportButton"), Qt::LeftButton);
  // Last week: the reply of a day ago and the newest.
  EXPECT_EQ(test::ReadFileBytes(target),
            (HistoryCsvHeader() + HistoryCsvRow(kDayAgo) + HistoryCsvRow(kRecent)).toUtf8());
}

TEST_F(HistoryWindowTest, ExportFailureNamesTheFileAndLeavesNothing) {
  const auto window = Open(path_);
  const QString target = folder_.filePath(QStringLiteral("no-such-folder/out.csv"));
  window->SetExportPathChooser([&] { return target; });
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->close();
    }
  });
  QTest::mouseClick(Child<QPushButton>(*window, "exportButton"), Qt::LeftButton);
  EXPECT_TRUE(shown.contains(target)) << shown.toStdString();
  EXPECT_FALSE(QFile::exists(target));
}

TEST_F(HistoryWindowTest, UnreadableHistoriesAreNamedInTheMessage) {
  const QString foreign = folder_.filePath(QStringLiteral("notes.txt"));
  ASSERT_TRUE(test::WriteFileBytes(foreign, "these are not replies\n"));
  const QString missing = folder_.filePath(QStringLiteral("missing.sqlite"));
  for (const QString& path : {missing, foreign}) {
    const auto window = Open(path);
    const QString message = Message(*window);
    EXPECT_TRUE(message.startsWith(path)) << message.toStdString();
    EXPECT_GT(message.size(), path.size() + 5) << message.toStdString();
    EXPECT_EQ(TableTexts(*window).size(), 1u);
    // Pointed at the real history, it reads it.
    window->SetHistoryPath(path_);
    EXPECT_EQ(Message(*window), QStringLiteral("2 replies"));
  }
  EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
}  // namespace dorvex
