// The window's behaviour on the offscreen platform: the update cycle's triggers, Clear, the copy
// button and the clipboard, focus moves, Exit, the adapter list and the status line.

#include <pcap/pcap.h>

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QTest>

#include "window_fixture.h"
#include "world_table.h"

namespace dorvex::test {
namespace {

QStringList AllEditNames() {
  QStringList names;
  for (const World& world : WorldTable()) names << ToQString(world.fieldName);
  names << ToQString(kTempServerNameField) << ToQString(kTempServerQtyField);
  return names;
}

// ---- Leaving a field ----------------------------------------------------------------------

class LeavingFieldTest : public WindowTest, public ::testing::WithParamInterface<QString> {};

TEST_P(LeavingFieldTest, RunsTheUpdateCycleExceptForTheTempServerName) {
  ShowQuiet();
  Enter(GetParam().toLatin1().constData());
  ClickFocus(Child<QPushButton>("btnCopyToClicpbord"));
  EXPECT_EQ(MemoLines().isEmpty(), GetParam() == ToQString(kTempServerNameField));
}

INSTANTIATE_TEST_SUITE_P(EveryEditField, LeavingFieldTest, ::testing::ValuesIn(AllEditNames()),
                         [](const auto& info) { return info.param.toStdString(); });

TEST_F(WindowTest, ReturnKeepsTheFieldAndLeavingItShowsTheTypedCountWithTheCurrentTime) {
  ShowQuiet();
  TypeInto("edtMagniQty", QStringLiteral("12"));
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Return);
  EXPECT_TRUE(MemoLines().isEmpty());
  EXPECT_EQ(FocusName(), "edtMagniQty");

  const QDate before = QDate::currentDate();
  QTest::keyClick(&Edit("edtMagniQty"), Qt::Key_Tab);
  const QStringList lines = MemoLines();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.contains(QStringLiteral("【　magni .】 12")));
  const auto loginLineOf = [](const QDate& date) {
    return QStringLiteral("【ログイン日時】") + date.toString(QStringLiteral("yyyy年MM月dd日"));
  };
  EXPECT_TRUE(lines.first().startsWith(loginLineOf(before)) ||
              lines.first().startsWith(loginLineOf(QDate::currentDate())))
      << lines.first().toStdString();
  EXPECT_EQ(FocusName(), "edtSurtQty");
  EXPECT_EQ(Edit("edtMagniQty").text(), "12");  // a typed count stays as typed
}

TEST_F(WindowTest, LeavingAnEmptyTempServerNameMovesToTyrWithoutAnUpdate) {
  ShowQuiet();
  for (const bool byTab : {true, false}) {
    QLineEdit& name = Enter("edtTempServerName");
    if (byTab) {
      QTest::keyClick(&name, Qt::Key_Tab);
    } else {
      ClickFocus(Edit("edtIrisQty"));
    }
    EXPECT_EQ(FocusName(), "edtTyrQty") << (byTab ? "by Tab" : "by click");
    EXPECT_TRUE(MemoLines().isEmpty());
  }
}

TEST_F(WindowTest, LeavingANamedTempServerRowEntersTheReportAtTheNextCycleOnly) {
  ShowQuiet();
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  QTest::keyClick(&Edit("edtTempServerName"), Qt::Key_Tab);
  EXPECT_EQ(FocusName(), "edtTempServerQty");
  EXPECT_TRUE(MemoLines().isEmpty());

  QTest::keyClicks(&Edit("edtTempServerQty"), QStringLiteral("30"));
  QTest::keyClick(&Edit("edtTempServerQty"), Qt::Key_Tab);
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【newworld】 30")));
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【グループ1合計】30")));
}

TEST_F(WindowTest, StartsOnVerdandiAndTabVisitsTheControlsInTabOrderSkippingClear) {
  ShowQuiet();
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  QStringList expected = {QStringLiteral("cboAdapter")};
  for (const World& world : WorldTable()) {
    expected << ToQString(world.fieldName);
    // The unnamed temp server row is passed over: its name field sends the focus on to tyr.
    if (world.fieldName == "edtGarmQty") expected << ToQString(kTempServerNameField);
  }
  expected << QStringLiteral("btnCopyToClicpbord") << QStringLiteral("btnExit")
           << QStringLiteral("chkExpand") << QStringLiteral("chkCompatible")
           << QStringLiteral("memResultString");

  ClickFocus(Memo());
  QStringList visited;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << FocusName();
  }
  EXPECT_EQ(visited, expected);
}

// ---- Check boxes --------------------------------------------------------------------------

struct CheckBoxCase {
  const char* box;
  const char* lineWhenChecked;  // a report line only this box brings
};
void PrintTo(const CheckBoxCase& c, std::ostream* out) {
  *out << c.box;
}

class CheckBoxTest : public WindowTest, public ::testing::WithParamInterface<CheckBoxCase> {};

TEST_P(CheckBoxTest, EveryChangeOfStateRunsTheUpdateCycle) {
  ShowQuiet();
  QCheckBox& box = Child<QCheckBox>(GetParam().box);
  const QString line = QString::fromUtf8(GetParam().lineWhenChecked);
  for (const bool checked : {true, false}) {
    Memo().clear();
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(box.isChecked(), checked);
    EXPECT_FALSE(MemoLines().isEmpty()) << "after the click that made it " << checked;
    EXPECT_EQ(MemoLines().contains(line), checked);
  }
}

INSTANTIATE_TEST_SUITE_P(BothBoxes, CheckBoxTest,
                         ::testing::Values(CheckBoxCase{"chkExpand", "【一期鯖 合計】0 (0.00%)"},
                                           CheckBoxCase{"chkCompatible",
                                                        "【.　　　urdr　　　.】 (未計測)"}));

// ---- Clear and copy -----------------------------------------------------------------------

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
  for (const QString& name : AllEditNames()) {
    EXPECT_TRUE(Edit(name.toLatin1().constData()).text().isEmpty()) << name.toStdString();
  }
  EXPECT_TRUE(MemoLines().isEmpty());  // and no update cycle ran
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  EXPECT_TRUE(Child<QCheckBox>("chkCompatible").isChecked());

  // An empty memo leaves the clipboard alone. (Leaving verdandi renders again, so empty it here.)
  ClickFocus(Memo());
  Memo().clear();
  QTest::mouseClick(&copy, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

// ---- Closing ------------------------------------------------------------------------------

class ExitTest : public WindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ExitTest, ButtonOrAltXClosesTheWindowAndWritesTheSettings) {
  Show();
  if (GetParam()) {
    QTest::keyClick(Window().windowHandle(), Qt::Key_X, Qt::AltModifier);
  } else {
    QTest::mouseClick(&Child<QPushButton>("btnExit"), Qt::LeftButton);
  }
  // A mnemonic clicks the button after a short visible press.
  EXPECT_TRUE(QTest::qWaitFor([this] { return !Window().isVisible(); }, 2000));
  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "2");
}

INSTANTIATE_TEST_SUITE_P(ButtonAndMnemonic, ExitTest, ::testing::Bool());

// ---- Adapters -----------------------------------------------------------------------------

TEST_F(WindowTest, AdapterListShowsDescriptionsOrNamesInCaptureLibraryOrder) {
  Show();
  QStringList expected;
  char error[PCAP_ERRBUF_SIZE];
  pcap_if_t* adapters = nullptr;
  ASSERT_EQ(pcap_findalldevs(&adapters, error), 0) << error;
  for (const pcap_if_t* a = adapters; a != nullptr; a = a->next) {
    const bool described = a->description != nullptr && a->description[0] != '\0';
    expected << QString::fromLocal8Bit(described ? a->description : a->name);
  }
  pcap_freealldevs(adapters);

  const QComboBox& list = Child<QComboBox>("cboAdapter");
  QStringList shown;
  for (int i = 0; i < list.count(); ++i) shown << list.itemText(i);
  EXPECT_EQ(shown, expected);
  EXPECT_FALSE(shown.contains(QString()));

  // No adapter stored: none is opened, also when the program (not the user) selects one.
  EXPECT_EQ(StatusText(), "No adapter selected");
  ASSERT_GT(list.count(), 0);
  Child<QComboBox>("cboAdapter").setCurrentIndex(0);
  EXPECT_EQ(StatusText(), "No adapter selected");
}

TEST_F(WindowTest, StoredAdapterBeyondTheListSelectsNothingAndSaysWhy) {
  WriteSettings("[Snoop]\nAdapterIndex=9999\n");
  Show();
  EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), -1);
  EXPECT_EQ(StatusText(), "Not capturing: Snoop Error: Invalid AdapterName");
  EXPECT_FALSE(Child<QLabel>("lblStatus").text().isEmpty());
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), "-1");
}

}  // namespace
}  // namespace dorvex::test
