// The count history seen from the main window: its two settings keys, a history file that is not
// ours, and the history window opened from the status row.

#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"
#include "tests/window/window_fixture.h"
#include "window/history/history_window.h"

namespace dorvex::test {
namespace {

class WindowHistoryTest : public WindowTest {
 protected:
  QString InSettingsFolder(const QString& name) const {
    return QFileInfo(SettingsPath()).absolutePath() + u'/' + name;
  }
  TfrmDVhistory* HistoryWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* history = dynamic_cast<TfrmDVhistory*>(widget)) return history;
    }
    return nullptr;
  }
};

TEST_F(WindowHistoryTest, BothKeysAreWrittenBackAsRead) {
  const std::tuple<QByteArray, QString, QString> cases[] = {
      {"", "", "1"},
      {"[History]\nFile=counts.sqlite\nEnabled=0\n", "counts.sqlite", "0"},
      {"[History]\nEnabled=yes\n", "", "1"},
  };
  for (const auto& [settings, file, enabled] : cases) {
    SCOPED_TRACE(settings.toStdString());
    ShowQuiet(settings);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(SettingsValue("History", "File"), file);
    EXPECT_EQ(SettingsValue("History", "Enabled"), enabled);
  }
}

// A file named as the history that is not one is never written: the status line names it and
// says why, and it is left byte for byte.
TEST_F(WindowHistoryTest, AForeignHistoryFileIsNamedOnTheStatusLineAndLeftAsItIs) {
  const QString path = InSettingsFolder(QStringLiteral("notes.txt"));
  const QByteArray content = "my own notes, not a database\n";
  ASSERT_TRUE(WriteFileBytes(path, content));
  ShowQuiet("[History]\nFile=notes.txt\n");
  EXPECT_TRUE(StatusText().startsWith("History is off: " + path +
                                      " is not an SQLite database; the file is left as it is | "
                                      "Pick the adapter the game uses"))
      << StatusText().toStdString();
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(ReadFileBytes(path), content);
}

TEST_F(WindowHistoryTest, TheButtonAndCtrlHOpenOneHistoryWindowWhosePlacementIsKept) {
  ShowQuiet();
  QPushButton& button = Child<QPushButton>("btnHistory");
  // The button sits at the right end of the status row, beside the status line.
  const QRect status = Child<QLabel>("lblStatus").geometry();
  EXPECT_GT(button.geometry().left(), status.right());
  EXPECT_LE(button.geometry().top(), status.bottom());
  EXPECT_GE(button.geometry().bottom(), status.top());

  QTest::mouseClick(&button, Qt::LeftButton);
  TfrmDVhistory* history = HistoryWindow();
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->isVisible());
  // Larger than this small screen as designed, it opens within its free area.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(area.contains(history->frameGeometry()))
      << area.width() << "x" << area.height() << " " << history->frameGeometry().width() << "x"
      << history->frameGeometry().height();
  history->close();
  EXPECT_FALSE(history->isVisible());

  QApplication::setActiveWindow(&Window());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(&Window(), Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(HistoryWindow(), history);  // the same window again
  EXPECT_TRUE(history->isVisible());
  history->setGeometry(60, 70, 700, 500);
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("TfrmDVhistory", "PlaceNormalPos.Left"),
            QString::number(history->frameGeometry().left()));
  EXPECT_NE(SettingsValue("TfrmDVhistory", "PlaceNormalPos.Right"), "<missing>");
}

}  // namespace
}  // namespace dorvex::test
