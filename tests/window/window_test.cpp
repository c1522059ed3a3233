// The window on the offscreen platform: the update cycle's triggers, Clear, copy and the clipboard,
// focus moves, the status line, and start-up and close with a real settings file.

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include "tally/world_table.h"
#include "tests/window/window_fixture.h"

namespace dorvex::test {
namespace {

// The tally finds count fields by name only: a field renamed in the form would silently count as
// missing, so the form must hold exactly the fields the tally asks for, as edit fields.
TEST_F(WindowTest, TheFormHoldsEveryCountFieldTheTallyAsksForByItsExactName) {
  Show();
  QStringList wanted = {ToQString(kTempServerNameField), ToQString(kTempServerQtyField)};
  for (const World& world : WorldTable()) wanted.append(ToQString(world.fieldName));
  for (const QString& name : wanted) {
    EXPECT_NE(Window().findChild<QLineEdit*>(name, Qt::FindChildrenRecursively), nullptr)
        << name.toStdString();
  }
  QStringList countFields;
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) {
    if (edit->objectName().startsWith(u"edt")) countFields.append(edit->objectName());
  }
  countFields.sort();
  wanted.sort();
  EXPECT_EQ(countFields, wanted);
}

TEST_F(WindowTest, ReturnKeepsTheFieldAndLeavingItShowsTheTypedCountWithTheCurrentTime) {
  ShowQuiet();
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  TypeInto("edtMagniQty", QStringLiteral("12"));
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Return);
  EXPECT_TRUE(MemoLines().isEmpty());
  EXPECT_EQ(FocusName(), "edtMagniQty");

  const QString today = QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日"));
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Tab);
  const QStringList lines = MemoLines();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.contains(QStringLiteral("【　magni .】 12")));
  EXPECT_TRUE(lines.first().startsWith(QStringLiteral("【ログイン日時】") + today));
  EXPECT_EQ(FocusName(), "edtSurtQty");
  EXPECT_EQ(Edit("edtMagniQty").text(), "12");  // a typed count stays as typed
}

TEST_F(WindowTest, LeavingTheTempServerNameMovesToTyrWhenEmptyAndUpdatesOnlyOnItsCount) {
  ShowQuiet();
  Enter("edtTempServerName");
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
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【グループ1合計】30")));
}

TEST_F(WindowTest, EveryChangeOfACheckBoxRunsTheUpdateCycle) {
  // Each box with a report line only it brings.
  const std::pair<const char*, QString> boxes[] = {
      {"chkExpand", QStringLiteral("【一期鯖 合計】0 (0.00%)")},
      {"chkCompatible", QStringLiteral("【.　　　urdr　　　.】 (未計測)")}};
  ShowQuiet();
  for (const auto& [name, line] : boxes) {
    QCheckBox& box = Child<QCheckBox>(name);
    for (const bool checked : {true, false}) {
      Memo().clear();
      QTest::mouseClick(&box, Qt::LeftButton);
      EXPECT_EQ(box.isChecked(), checked) << name;
      EXPECT_FALSE(MemoLines().isEmpty()) << name;
      EXPECT_EQ(MemoLines().contains(line), checked) << name;
    }
  }
}

TEST_F(WindowTest, CopyPutsTheReportOnTheClipboardWithCrLfAndClearEmptiesFieldsAndMemo) {
  ShowQuiet();
  QTest::mouseClick(&Child<QCheckBox>("chkCompatible"), Qt::LeftButton);
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  TypeInto("edtVerdandiQty", QStringLiteral("1000"));
  QPushButton& copy = Child<QPushButton>("btnCopyToClicpbord");
  ClickFocus(copy);  // leaving verdandi renders the report
  const QString memoText = Memo().toPlainText();
  ASSERT_TRUE(memoText.contains(QStringLiteral("【verdandi】 1000")));

  QTest::mouseClick(&copy, Qt::LeftButton);
  QString expected = memoText;
  expected.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
  EXPECT_TRUE(expected.endsWith(QLatin1String("\r\n")));
  EXPECT_EQ(Memo().textCursor().selectedText().size(), memoText.size());

  QTest::mouseClick(&Child<QPushButton>("btnClear"), Qt::LeftButton);
  for (const QLineEdit* edit : Window().findChildren<QLineEdit*>()) {
    EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
  }
  EXPECT_TRUE(MemoLines().isEmpty());  // and no update cycle ran
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  EXPECT_TRUE(Child<QCheckBox>("chkCompatible").isChecked());

  ClickFocus(copy);                     // leaving verdandi renders again
  QTest::keyClick(&copy, Qt::Key_Tab);  // Clear is no tab stop
  EXPECT_EQ(FocusName(), "btnExit");
  Memo().clear();  // an empty memo leaves the clipboard alone
  QTest::mouseClick(&copy, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

TEST_F(WindowTest, NoOrAnUnknownStoredAdapterOpensNone) {
  Show();  // no adapter stored: none is opened, also when the program (not the user) selects one
  EXPECT_TRUE(StatusText().startsWith(u"Pick the adapter the game uses"));
  Child<QComboBox>("cboAdapter").setCurrentIndex(0);
  EXPECT_TRUE(StatusText().startsWith(u"Pick the adapter the game uses"));

  WriteSettings("[Snoop]\nAdapterIndex=9999\n");
  Show();
  EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), -1);
  EXPECT_EQ(StatusText(), "Not capturing: Snoop Error: Invalid AdapterName");
  EXPECT_FALSE(Child<QLabel>("lblStatus").text().isEmpty());
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
}

TEST_F(WindowTest, FirstRunWithoutAFileWritesTheDefaultsAndThePlacement) {
  Show();
  EXPECT_TRUE(Child<QCheckBox>("chkExpand").isChecked());
  EXPECT_FALSE(Child<QCheckBox>("chkCompatible").isChecked());
  EXPECT_FALSE(MemoLines().isEmpty());  // Expand became true: the report was rendered once
  ASSERT_TRUE(CloseWindow());

  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "2");
  EXPECT_EQ(SettingsValue("Config", "Expand"), "1");
  EXPECT_EQ(SettingsValue("Config", "Compatible"), "0");
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
  EXPECT_EQ(SettingsValue("Function", "SaveFormSize"), "<missing>");
  for (const char* key : {"PlaceFlags", "PlaceShowCmd", "PlaceMinPos.X", "PlaceMinPos.Y",
                          "PlaceMaxPos.X", "PlaceMaxPos.Y", "PlaceNormalPos.Left",
                          "PlaceNormalPos.Top", "PlaceNormalPos.Right", "PlaceNormalPos.Bottom"}) {
    EXPECT_NE(SettingsValue("TfrmDVmain", key), "<missing>") << key;
  }
}

TEST_F(WindowTest, StoredValuesSetTheBoxesWhichRenderOnlyWhenOneTurnsOn) {
  const std::tuple<const char*, bool, bool> cases[] = {
      {"[Config]\nExpand=0\nCompatible=0\n", false, false},
      {"[Config]\nExpand=2\nCompatible=0\n", true, false},
      {"[Config]\nExpand=0x10\nCompatible=1\n", true, true},
      {"[Config]\nExpand=yes\nCompatible=yes\n", true, false}};
  for (const auto& [settings, expand, compatible] : cases) {
    SCOPED_TRACE(settings);
    WriteSettings(settings);
    Show();
    EXPECT_EQ(Child<QCheckBox>("chkExpand").isChecked(), expand);
    EXPECT_EQ(Child<QCheckBox>("chkCompatible").isChecked(), compatible);
    EXPECT_EQ(MemoLines().isEmpty(), !expand && !compatible);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(SettingsValue("Config", "Expand"), expand ? "1" : "0");
    EXPECT_EQ(SettingsValue("Config", "Compatible"), compatible ? "1" : "0");
  }
}

TEST_F(WindowTest, PlacementIsRestoredUnlessSwitchedOffAndOpenCountCounts) {
  WriteSettings("[TfrmDVmain]\nPlaceShowCmd=1\nPlaceNormalPos.Left=40\nPlaceNormalPos.Top=30\n");
  Show();
  EXPECT_EQ(Window().frameGeometry().topLeft(), QPoint(40, 30));
  ASSERT_TRUE(CloseWindow());

  const QByteArray placement =
      "[TfrmDVmain]\nPlaceShowCmd=1\nPlaceNormalPos.Left=7\nPlaceNormalPos.Top=9\n"
      "PlaceNormalPos.Right=600\nPlaceNormalPos.Bottom=500\n";
  WriteSettings("[Function]\nOpenCount=41\nSaveFormSize=0\n" + placement);
  Show();
  EXPECT_NE(Window().frameGeometry().topLeft(), QPoint(7, 9));
  ASSERT_TRUE(CloseWindow());
  EXPECT_TRUE(SettingsText().contains(placement));
  EXPECT_EQ(SettingsValue("TfrmDVmain", "PlaceFlags"), "<missing>");
  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "42");
}

TEST_F(WindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
  // A folder where the file should be: reading gives the defaults, every write is refused.
  ASSERT_TRUE(QDir().mkpath(SettingsPath()));
  Show();
  EXPECT_TRUE(Child<QCheckBox>("chkExpand").isChecked());

  // The close opens a modal message box; note its title, text and icon and press its default
  // button.
  QStringList shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = {box->windowTitle(), box->text(), QString::number(box->icon())};
      box->done(QMessageBox::Ok);
    }
  });
  poll.start(10);
  EXPECT_TRUE(CloseWindow());
  EXPECT_EQ(shown, QStringList({"Dorvex", SettingsPath() + QStringLiteral(" に書き込めません."),
                                QString::number(QMessageBox::Critical)}));
  EXPECT_FALSE(Window().isVisible());
}

}  // namespace
}  // namespace dorvex::test
