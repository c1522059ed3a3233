// The window's wiring on the offscreen platform: the handlers of the fields, check boxes and
// buttons, the settings read at start and written at close, the status line, and the history
// window opened from the main window.

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QScreen>

#include "tally/world_table.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"
#include "tests/window/window_fixture.h"
#include "window/history/history_window.h"

namespace dorvex::test {
namespace {

// The tally finds count fields by name only: a field renamed in the form would silently count as
// missing, so the form must hold exactly the fields the tally asks for, as edit fields.
TEST_F(WindowTest, TheCountFieldsAreExactlyThoseTheTallyAsksForByName) {
  Show();
  QStringList wanted = {ToQString(kTempServerNameField), ToQString(kTempServerQtyField)};
  for (const World& world : WorldTable()) wanted.append(ToQString(world.fieldName));
  QStringList fields;
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) {
    if (edit->objectName().startsWith(u"edt")) fields.append(edit->objectName());
  }
  fields.sort();
  wanted.sort();
  EXPECT_EQ(fields, wanted);
}

TEST_F(WindowTest, LeavingAFieldUpdatesTheReportExceptLeavingTheTempServerName) {
  ShowQuiet();
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  TypeInto("edtMagniQty", QStringLiteral("12"));
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Return);  // Return is no exit
  EXPECT_TRUE(MemoLines().isEmpty());
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Tab);
  EXPECT_EQ(FocusName(), "edtSurtQty");
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【　magni .】 12")));
  EXPECT_TRUE(MemoLines().value(0).startsWith(
      QDate::currentDate().toString(QStringLiteral("【ログイン日時】yyyy年MM月dd日"))));
  EXPECT_EQ(Edit("edtMagniQty").text(), "12");  // a typed count stays as typed

  TypeInto("edtTempServerName", {});
  ClickFocus(Edit("edtIrisQty"));  // leaving an empty name, even by a click, moves to tyr
  EXPECT_EQ(FocusName(), "edtTyrQty");
  EXPECT_TRUE(MemoLines().isEmpty());
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  QTest::keyClick(&Edit("edtTempServerName"), Qt::Key_Tab);
  EXPECT_EQ(FocusName(), "edtTempServerQty");
  EXPECT_TRUE(MemoLines().isEmpty());
  QTest::keyClicks(&Edit("edtTempServerQty"), QStringLiteral("30"));
  QTest::keyClick(&Edit("edtTempServerQty"), Qt::Key_Tab);
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【newworld】 30")));
}

TEST_F(WindowTest, EveryChangeOfACheckBoxUpdatesTheReportWithThatOption) {
  // Each box with a report line only it brings.
  const std::pair<const char*, QString> boxes[] = {
      {"chkExpand", QStringLiteral("【一期鯖 合計】0 (0.00%)")},
      {"chkCompatible", QStringLiteral("【.　　　urdr　　　.】 (未計測)")}};
  ShowQuiet();
  for (const auto& [name, line] : boxes) {
    for (const bool checked : {true, false}) {
      Memo().clear();
      Click(name);
      EXPECT_EQ(Child<QCheckBox>(name).isChecked(), checked) << name;
      EXPECT_FALSE(MemoLines().isEmpty()) << name;
      EXPECT_EQ(MemoLines().contains(line), checked) << name;
    }
  }
}

TEST_F(WindowTest, CopyPutsTheReportOnTheClipboardWithCrLfAndClearEmptiesFieldsAndMemo) {
  ShowQuiet();
  Click("chkCompatible");
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  TypeInto("edtVerdandiQty", QStringLiteral("1000"));
  ClickFocus(Child("btnCopyToClicpbord"));  // leaving verdandi renders the report
  const QString memo = Memo().toPlainText();
  ASSERT_TRUE(memo.contains(QStringLiteral("\n【verdandi】 1000\n")));
  Click("btnCopyToClicpbord");
  const QString copied = QGuiApplication::clipboard()->text();
  EXPECT_EQ(copied, QString(memo).replace(u'\n', QStringLiteral("\r\n")));
  EXPECT_EQ(Memo().textCursor().selectedText().size(), memo.size());

  Click("btnClear");
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) {
    EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
  }
  EXPECT_TRUE(MemoLines().isEmpty());  // and no update cycle ran
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  EXPECT_TRUE(Child<QCheckBox>("chkCompatible").isChecked());
  ClickFocus(Child("btnCopyToClicpbord"));                     // leaving verdandi renders again
  QTest::keyClick(&Child("btnCopyToClicpbord"), Qt::Key_Tab);  // Clear is no tab stop
  EXPECT_EQ(FocusName(), "btnExit");
  Memo().clear();  // an empty memo leaves the clipboard alone
  Click("btnCopyToClicpbord");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
}

// The start sets the check boxes (one that turns on renders the report), the placement unless it
// is switched off, and the history file; the close writes them back, the run counted.
TEST_F(WindowTest, SettingsAreAppliedAtStartAndWrittenBackAtClose) {
  const QByteArray placement =
      "[TfrmDVmain]\nPlaceShowCmd=1\nPlaceNormalPos.Left=40\nPlaceNormalPos.Top=30\n";
  // What the window showed (boxes checked, a report, placed at (40, 30)), the history files there
  // are after the close, and what the file holds then ("section/key=value").
  const std::tuple<QByteArray, QString, QStringList> cases[] = {
      {"[Config]\nExpand=0\nCompatible=1\n[Function]\nOpenCount=41\nSaveFormSize=0\n"
       "[History]\nFile=counts.sqlite\nEnabled=0\n" +
           placement,
       "chkCompatible report",
       {"Function/OpenCount=42", "Config/Expand=0", "Config/Compatible=1",
        "History/File=counts.sqlite", "History/Enabled=0", "TfrmDVmain/PlaceNormalPos.Top=30",
        "TfrmDVmain/PlaceFlags=<missing>"}},
      {{},
       "chkExpand report dorvex.sqlite",
       {"Function/OpenCount=2", "Config/Expand=1", "Config/Compatible=0", "Snoop/AdapterIndex=-1",
        "History/File=", "History/Enabled=1", "Function/SaveFormSize=<missing>",
        "TfrmDVmain/PlaceNormalPos.Top=10"}},
      {kQuietSettings + placement,
       "placed dorvex.sqlite",
       {"Config/Expand=0", "TfrmDVmain/PlaceNormalPos.Top=10"}},
  };
  for (const auto& [stored, shown, written] : cases) {
    SCOPED_TRACE(stored.toStdString());
    QFile::remove(SettingsPath());
    if (!stored.isEmpty()) WriteSettings(stored);
    Show();
    QStringList seen;
    for (const char* box : {"chkExpand", "chkCompatible"}) {
      if (Child<QCheckBox>(box).isChecked()) seen.append(box);
    }
    if (!MemoLines().isEmpty()) seen.append("report");
    if (Window().frameGeometry().topLeft() == QPoint(40, 30)) seen.append("placed");
    Window().move(20, 10);
    ASSERT_TRUE(CloseWindow());
    seen += QDir(InSettingsFolder({})).entryList({"*.sqlite"});
    EXPECT_EQ(seen.join(u' '), shown);
    for (const QString& entry : written) {
      const QStringList parts = entry.split(QRegularExpression(QStringLiteral("[/=]")));
      EXPECT_EQ(SettingsValue(parts[0], parts[1]), parts[2]) << entry.toStdString();
    }
  }
}

// With no adapter stored the status line says which to pick, naming the adapter of the default
// route, which the list marks; nothing opens until the user picks one. An adapter stored that is
// not there opens none and is forgotten at close. A history problem comes first.
TEST_F(WindowTest, TheStatusLineSaysWhyNothingIsCapturedAndNothingOpensUnasked) {
  ASSERT_TRUE(WriteFileBytes(
      RouteTablePath(),
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
      "lo\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"));
  const QString notes = InSettingsFolder(QStringLiteral("notes.txt"));
  ASSERT_TRUE(WriteFileBytes(notes, "my own notes, not a database\n"));
  const QString pick =
      QStringLiteral("Pick the adapter the game uses (lo carries the default route)");
  const std::pair<QByteArray, QString> cases[] = {
      {{}, pick},
      {"[Snoop]\nAdapterIndex=9999\n", "Not capturing: Snoop Error: Invalid AdapterName"},
      {"[History]\nFile=notes.txt\n",
       "History is off: " + notes + " is not an SQLite database; the file is left as it is | " +
           pick},
  };
  for (const auto& [stored, status] : cases) {
    ShowQuiet(stored);
    QComboBox& list = Child<QComboBox>("cboAdapter");
    const QModelIndexList marked =
        list.model()->match(list.model()->index(0, 0), Qt::DisplayRole,
                            QStringLiteral("default route"), -1, Qt::MatchContains);
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked[0].data().toString(), "lo (default route)");
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(StatusText(), status);
    list.setCurrentIndex(0);  // the program's choice, not the user's: nothing opens
    EXPECT_EQ(StatusText(), status);
    list.setCurrentIndex(-1);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
  }
}

TEST_F(WindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
  // A folder where the file should be: reading gives the defaults, every write is refused.
  ASSERT_TRUE(QDir().mkpath(SettingsPath()));
  Show();
  EXPECT_TRUE(Child<QCheckBox>("chkExpand").isChecked());
  ModalAnswerer answerer([](int) { return QMessageBox::Ok; });
  EXPECT_TRUE(CloseWindow());
  EXPECT_EQ(answerer.shown, QStringList("Dorvex|3|" + SettingsPath() + " に書き込めません."));
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(WindowTest, TheButtonAndCtrlHOpenOneHistoryWindowThatClosesWithTheMainWindow) {
  ShowQuiet();
  const auto historyWindow = [] {
    TfrmDVhistory* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* history = dynamic_cast<TfrmDVhistory*>(widget)) found = history;
    }
    return found;
  };
  Click("btnHistory");
  TfrmDVhistory* history = historyWindow();
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->isVisible());
  // Larger than this small screen as designed, it opens within its free area.
  EXPECT_TRUE(
      QGuiApplication::primaryScreen()->availableGeometry().contains(history->frameGeometry()));
  history->close();

  QApplication::setActiveWindow(&Window());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(&Window(), Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(historyWindow(), history);  // the same window again
  EXPECT_TRUE(history->isVisible());
  history->move(60, 70);
  ASSERT_TRUE(CloseWindow());
  EXPECT_FALSE(history->isVisible());
  EXPECT_EQ(SettingsValue("TfrmDVhistory", "PlaceNormalPos.Left"), "60");
}

}  // namespace
}  // namespace dorvex::test
