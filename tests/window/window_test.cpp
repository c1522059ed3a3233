// The window's wiring (controls, settings, status line), its status text and run counter.

#include "settings/app_settings.h"
#include "tally/world_table.h"
#include "tests/support/file_bytes.h"
#include "tests/window/window_fixture.h"
#include "window/history/history_window.h"

namespace dorvex::test {
namespace {

// The form holds exactly the count fields the tally asks for; leaving a field, each check box, Copy
// and Clear reach the report; the History button and Ctrl+H open one history window.
TEST_F(WindowTest, ControlsReachTheReportAndTheHistoryWindow) {
  Show(kQuietSettings);
  QSet<QString> fields, wanted = {ToQString(kTempServerNameField), ToQString(kTempServerQtyField)};
  for (const World& world : WorldTable()) wanted << ToQString(world.fieldName);
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) fields << edit->objectName();
  EXPECT_EQ(fields, wanted);

  TypeInto("edtMagniQty", QStringLiteral("12"));
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Tab);
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【　magni .】 12")));
  TypeInto("edtTempServerName", {});
  ClickFocus("edtIrisQty");  // leaving an empty name moves past its count and renders nothing
  EXPECT_EQ(QApplication::focusWidget(), &Edit("edtTyrQty"));
  EXPECT_TRUE(MemoLines().isEmpty());

  for (const auto& [name, line] : {std::pair{"chkExpand", "【一期鯖 合計】0 (0.00%)"},
                                   std::pair{"chkCompatible", "【.　　　urdr　　　.】 (未計測)"}}) {
    for (const bool checked : {true, false}) {
      Memo().clear();
      Click(name);
      EXPECT_FALSE(MemoLines().isEmpty()) << name;
      EXPECT_EQ(MemoLines().contains(QString::fromUtf8(line)), checked) << name;
    }
  }

  Click("chkCompatible");
  TypeInto("edtVerdandiQty", QStringLiteral("1000"));
  ClickFocus("btnExit");
  const QString memo = Memo().toPlainText();
  ASSERT_TRUE(memo.contains(QStringLiteral("\n【verdandi】 1000\n")));
  Click("btnCopyToClicpbord");
  const QString copied = QGuiApplication::clipboard()->text();
  EXPECT_EQ(copied, QString(memo).replace(u'\n', QStringLiteral("\r\n")));
  Click("btnClear");  // fields and memo, not the boxes, and no update cycle
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) {
    EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
  }
  EXPECT_TRUE(MemoLines().isEmpty());
  EXPECT_EQ(QApplication::focusWidget(), &Edit("edtVerdandiQty"));
  EXPECT_TRUE(Child<QCheckBox>("chkCompatible").isChecked());
  ClickFocus("btnExit");
  Memo().clear();  // an empty memo leaves the clipboard alone
  Click("btnCopyToClicpbord");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);

  const auto active = [] { return dynamic_cast<TfrmDVhistory*>(QApplication::activeWindow()); };
  Click("btnHistory");
  ASSERT_TRUE(QTest::qWaitFor([&] { return active() != nullptr; }));
  TfrmDVhistory* history = active();
  history->close();
  QApplication::setActiveWindow(&Window());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(&Window(), Qt::Key_H, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return active() != nullptr; }));
  EXPECT_EQ(active(), history);  // the same window again
  history->move(60, 70);
  ASSERT_TRUE(Window().close());  // closes it too, its placement kept
  EXPECT_FALSE(history->isVisible());
  EXPECT_EQ(SettingsValue("TfrmDVhistory", "PlaceNormalPos.Left"), "60");
}

// The start reads the settings, the status line says why nothing is captured, Exit writes them
// back; a settings file that cannot be written is reported.
TEST_F(WindowTest, SettingsAreReadAtStartAndWrittenBackAtExit) {
  ASSERT_TRUE(WriteFileBytes(RouteTablePath(), "lo\t00000000\t0\t3\t0\t0\t0\t00000000\n"));
  const QByteArray placed = "[TfrmDVmain]\nPlaceNormalPos.Left=40\nPlaceNormalPos.Top=30\n";
  const QString pick = "Pick the adapter the game uses (lo carries the default route)";
  // Stored; shown (boxes, report, placed, history files | status line); the keys after Exit.
  const std::tuple<QByteArray, QString, QString> cases[] = {
      {"[Config]\nExpand=0\nCompatible=1\n[Function]\nOpenCount=41\nSaveFormSize=0\n"
       "[History]\nFile=counts.sqlite\nEnabled=0\n[Snoop]\nAdapterIndex=9999\n" +
           placed,
       "chkCompatible report | Not capturing: Snoop Error: Invalid AdapterName",
       "42 0 1 -1 counts.sqlite 0 30 <missing>"},
      {{}, "chkExpand report dorvex.sqlite | " + pick, "2 1 0 -1  1 10 0"},
  };
  for (const auto& [stored, shown, written] : cases) {
    SCOPED_TRACE(stored.toStdString());
    QFile::remove(SettingsPath());
    Show(stored);
    QStringList seen, values;
    for (const char* box : {"chkExpand", "chkCompatible"}) {
      if (Child<QCheckBox>(box).isChecked()) seen << box;
    }
    if (!MemoLines().isEmpty()) seen << "report";
    if (Window().frameGeometry().topLeft() == QPoint(40, 30)) seen << "placed";
    const QString status = StatusText();
    EXPECT_GE(Child<QComboBox>("cboAdapter").findText(QStringLiteral("lo (default route)")), 0);
    Window().move(20, 10);
    Click("btnExit");
    seen += QDir(InSettingsFolder({})).entryList({"*.sqlite"});
    EXPECT_EQ(seen.join(u' ') + " | " + status, shown);
    for (const QString key : {"Function/OpenCount", "Config/Expand", "Config/Compatible",
                              "Snoop/AdapterIndex", "History/File", "History/Enabled",
                              "TfrmDVmain/PlaceNormalPos.Top", "TfrmDVmain/PlaceFlags"}) {
      values << SettingsValue(key.section(u'/', 0, 0), key.section(u'/', 1));
    }
    EXPECT_EQ(values.join(u' '), written);
  }

  QFile::remove(SettingsPath());
  ASSERT_TRUE(QDir().mkpath(SettingsPath()));  // a folder where the file should be
  Show();
  ModalAnswerer answerer([](int) { return QMessageBox::Ok; });
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(answerer.shown, QStringList("Dorvex|3|" + SettingsPath() + " に書き込めません."));
}

TEST(CaptureStatusTest, SaysWhyNothingIsCaptured) {
  const std::pair<CaptureState, QString> cases[] = {
      {{false, 2, "eth0", "tcp port 6900", "", capture_helper::kExitOk, ""},
       "Not capturing: the capture is closed"},
      // The helper's permission status gets the hint, whatever the library's text.
      {{false, 0, "eth0", "tcp port 6900", "eth0: socket: Operation not permitted",
        capture_helper::kExitPermission, ""},
       "Not capturing: no capture rights, see \"Capture rights\" in the README (eth0: socket: "
       "Operation not permitted)"},
      // Without a capture library (Windows without Npcap) nothing else matters.
      {{false, -1, "", "", "", capture_helper::kExitOk, "capturing needs Npcap"},
       "Not capturing: capturing needs Npcap"}};
  for (const auto& [state, expected] : cases) EXPECT_EQ(CaptureStatusText(state), expected);
}

// The capture status first, a short note per problem, the tooltip the problems in full first.
TEST(CaptureStatusTest, StatusLineKeepsTheCaptureStatusAndNotesEachProblem) {
  const StatusLine line = MakeStatusLine(
      "Capturing on lo", "History is not being saved to h: disk full", JapaneseFontProblem(false));
  EXPECT_EQ(line.text, "Capturing on lo | No Japanese font | History not saved");
  EXPECT_EQ(line.tooltip, "History is not being saved to h: disk full\n" +
                              JapaneseFontProblem(false) + "\nCapturing on lo");
  EXPECT_EQ(MakeStatusLine("Capturing on lo", {}, JapaneseFontProblem(true)).tooltip,
            "Capturing on lo");
  EXPECT_EQ(AdapterLabel("any", "Pseudo-device that captures on all interfaces", true),
            "any: Pseudo-device that captures on all interfaces (default route)");
  EXPECT_EQ(AdapterLabel("\\Device\\NPF_{0A1B}", "Intel(R) Ethernet"), "Intel(R) Ethernet");
}

TEST(NextOpenCountTest, WrapsInsteadOfOverflowing) {
  EXPECT_EQ(NextOpenCount(std::numeric_limits<std::int32_t>::max()),
            std::numeric_limits<std::int32_t>::min());
}

}  // namespace
}  // namespace dorvex::test
