// The history window's screenshot (docs/history-window.png): a week of generated replies with a
// gap of six hours, a few worlds added to the chart and the newest reply chosen, grabbed on the
// offscreen platform with Noto Sans CJK JP when it is installed.
//
//   history_screenshot OUTPUT.png

#include <QApplication>
#include <QFontDatabase>
#include <QListWidget>
#include <QPixmap>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "bench/history_window/generated_history.h"
#include "window/history/history_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: history_screenshot OUTPUT.png\n");
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
  // One every ten minutes, with six hours without replies on the fourth day (the chart's gap).
  const int replies = 7 * 24 * 6;
  const int before = 3 * 24 * 6 + 40;
  const int missed = 6 * 6;
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
  window.show();
  QApplication::processEvents();
  auto* table = window.findChild<QTableView*>(QStringLiteral("replyTable"));
  table->selectRow(0);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
