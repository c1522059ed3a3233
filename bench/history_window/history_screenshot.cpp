// The history window's screenshots: a week of generated replies with a gap of six hours
// (docs/history-window.png), or with `year` a year of them, one every ten minutes, with two days
// without replies, over the range "All" (docs/history-window-year.png); a few worlds added to the
// chart and the newest reply chosen, grabbed on the offscreen platform with Noto Sans CJK JP when
// it is installed.
//
//   history_screenshot OUTPUT.png [year]

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QListWidget>
#include <QPixmap>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "bench/history_window/generated_history.h"
#include "window/history/history_window.h"

int main(int argc, char** argv) {
  const bool year = argc == 3 && std::string_view(argv[2]) == "year";
  if (argc != 2 && !year) {
    std::fprintf(stderr, "usage: history_screenshot OUTPUT.png [year]\n");
    return 2;
  }
  setenv("TZ", "Asia/Tokyo", 1);  // the report's and the chart's times in Japan
  tzset();
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QString family = QStringLiteral("Noto Sans CJK JP");
  if (QFontDatabase::families().contains(family)) QApplication::setFont(QFont(family, 9));

  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("history.sqlite"));
  const QDateTime now(QDate(2026, 12, 6), QTime(6, 30), Qt::UTC);
  // One every ten minutes, with six hours without replies on the fourth day (the chart's gap), or
  // with two days without replies after the first 140.
  const int replies = (year ? 365 : 7) * 24 * 6;
  const int before = year ? 140 * 24 * 6 : 3 * 24 * 6 + 40;
  const int missed = year ? 2 * 24 * 6 : 6 * 6;
  const QDateTime first = now.addSecs(-600LL * replies);
  QString error;
  if (!dorvex::bench::WriteGeneratedHistory(path, before, first, 600, error) ||
      !dorvex::bench::WriteGeneratedHistory(path, replies - before - missed,
                                            first.addSecs(600LL * (before + missed)), 600, error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  TfrmDVhistory window(path, [] { return dorvex::ReportOptions{}; });
  window.SetClock([now] { return now.toLocalTime(); });
  auto* worlds = window.findChild<QListWidget*>(QStringLiteral("worldList"));
  for (const char* name : {"verdandi", "thor", "odin"}) {
    const auto found = worlds->findItems(QString::fromLatin1(name), Qt::MatchExactly);
    if (!found.isEmpty()) found.first()->setCheckState(Qt::Checked);
  }
  if (year) {
    auto* range = window.findChild<QComboBox*>(QStringLiteral("rangeChoice"));
    range->setCurrentIndex(range->findText(QStringLiteral("All")));
  }
  window.show();
  while (window.Busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  auto* table = window.findChild<QTableView*>(QStringLiteral("replyTable"));
  table->selectRow(0);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
