// The window's behaviour on the offscreen platform: the update cycle's triggers, Clear, the copy
// button and the clipboard, focus moves, Exit, the adapter list and the status line.

#include <pcap/pcap.h>

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QRegularExpression>
#include <QTest>

#include "test_names.h"
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
  WriteSettings(kQuietSettings);
  Show();

  const QByteArray name = GetParam().toLatin1();
  Enter(name.constData());
  ClickFocus(Child<QPushButton>("btnCopyToClicpbord"));

  const bool tempServerName = GetParam() == ToQString(kTempServerNameField);
  EXPECT_EQ(MemoLines().isEmpty(), tempServerName);
}

INSTANTIATE_TEST_SUITE_P(EveryEditField, LeavingFieldTest, ::testing::ValuesIn(AllEditNames()),
                         [](const auto& info) { return info.param.toStdString(); });

TEST_F(WindowTest, ReturnKeepsTheFieldAndLeavingItShowsTheTypedCountWithTheCurrentTime) {
  WriteSettings(kQuietSettings);
  Show();
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
  WriteSettings(kQuietSettings);
  Show();
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
  WriteSettings(kQuietSettings);
  Show();
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  QTest::keyClick(&Edit("edtTempServerName"), Qt::Key_Tab);
  EXPECT_EQ(FocusName(), "edtTempServerQty");
  EXPECT_TRUE(MemoLines().isEmpty());

  QTest::keyClicks(&Edit("edtTempServerQty"), QStringLiteral("30"));
  QTest::keyClick(&Edit("edtTempServerQty"), Qt::Key_Tab);
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【newworld】 30")));
  EXPECT_TRUE(MemoLines().contains(QStringLiteral("【グループ1合計】30")));
}

TEST_F(WindowTest, TabVisitsTheControlsInTabOrderSkippingClear) {
  WriteSettings(kQuietSettings);
  Show();
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

class CheckBoxTest : public WindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CheckBoxTest, EveryChangeOfStateRunsTheUpdateCycle) {
  WriteSettings(kQuietSettings);
  Show();
  QCheckBox& box = Child<QCheckBox>(GetParam());
  for (const bool checked : {true, false}) {
    Memo().clear();
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(box.isChecked(), checked);
    EXPECT_FALSE(MemoLines().isEmpty()) << "after the click that made it " << checked;
  }
}

INSTANTIATE_TEST_SUITE_P(BothBoxes, CheckBoxTest, ::testing::Values("chkExpand", "chkCompatible"));

TEST_F(WindowTest, ExpandAddsTheGenerationTotals) {
  WriteSettings(kQuietSettings);
  Show();
  QTest::mouseClick(&Child<QCheckBox>("chkExpand"), Qt::LeftButton);
  EXPECT_EQ(MemoLines().filter(QStringLiteral("【一期鯖 合計】")).size(), 1);
  QTest::mouseClick(&Child<QCheckBox>("chkExpand"), Qt::LeftButton);
  EXPECT_TRUE(MemoLines().filter(QStringLiteral("【一期鯖 合計】")).isEmpty());
}

// ---- Clear and copy -----------------------------------------------------------------------

TEST_F(WindowTest, ClearEmptiesFieldsAndMemoAndFocusesVerdandi) {
  WriteSettings(kQuietSettings);
  Show();
  TypeInto("edtMagniQty", QStringLiteral("12"));
  TypeInto("edtTempServerName", QStringLiteral("newworld"));
  TypeInto("edtTempServerQty", QStringLiteral("5"));
  TypeInto("edtUrdrQty", QStringLiteral("7"));
  QTest::mouseClick(&Child<QCheckBox>("chkCompatible"), Qt::LeftButton);
  ASSERT_FALSE(MemoLines().isEmpty());

  QTest::mouseClick(&Child<QPushButton>("btnClear"), Qt::LeftButton);
  for (const QString& name : AllEditNames()) {
    EXPECT_TRUE(Edit(name.toLatin1().constData()).text().isEmpty()) << name.toStdString();
  }
  EXPECT_TRUE(MemoLines().isEmpty());  // and no update cycle ran
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  EXPECT_TRUE(Child<QCheckBox>("chkCompatible").isChecked());
}

TEST_F(WindowTest, CopyPutsTheWholeReportOnTheClipboardWithCrLfAndKeepsItSelected) {
  WriteSettings(kQuietSettings);
  Show();
  TypeInto("edtVerdandiQty", QStringLiteral("1000"));
  ClickFocus(Child<QPushButton>("btnCopyToClicpbord"));
  const QString memoText = Memo().toPlainText();
  ASSERT_FALSE(memoText.isEmpty());

  QTest::mouseClick(&Child<QPushButton>("btnCopyToClicpbord"), Qt::LeftButton);
  const QString copied = QGuiApplication::clipboard()->text();
  QString expected = memoText;
  expected.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  EXPECT_EQ(copied, expected);
  EXPECT_TRUE(copied.endsWith(QLatin1String("\r\n")));
  EXPECT_FALSE(copied.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
  EXPECT_EQ(Memo().textCursor().selectedText().size(), memoText.size());
}

TEST_F(WindowTest, CopyOfAnEmptyMemoLeavesTheClipboardAlone) {
  WriteSettings(kQuietSettings);
  Show();
  QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
  ClickFocus(Memo());
  Memo().clear();
  QTest::mouseClick(&Child<QPushButton>("btnCopyToClicpbord"), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "earlier");
}

// ---- Closing ------------------------------------------------------------------------------

struct ExitCase {
  const char* name;
  std::function<void(WindowTest&)> exit;
};
void PrintTo(const ExitCase& c, std::ostream* out) {
  *out << c.name;
}

class ExitTest : public WindowTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitTest, ClosesTheWindowAndWritesTheSettings) {
  Show();
  GetParam().exit(*this);
  // A mnemonic clicks the button after a short visible press.
  EXPECT_TRUE(QTest::qWaitFor([this] { return !Window().isVisible(); }, 2000));
  EXPECT_EQ(SettingsValue("Function", "OpenCount"), "2");
}

INSTANTIATE_TEST_SUITE_P(ButtonAndMnemonic, ExitTest,
                         ::testing::Values(ExitCase{"button",
                                                    [](WindowTest& t) {
                                                      QTest::mouseClick(
                                                          &t.Child<QPushButton>("btnExit"),
                                                          Qt::LeftButton);
                                                    }},
                                           ExitCase{"Alt+X", [](WindowTest& t) {
                                                      QTest::keyClick(t.Window().windowHandle(),
                                                                      Qt::Key_X, Qt::AltModifier);
                                                    }}));

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
}

struct AdapterSettingCase {
  const char* settings;
  const char* statusStart;
  const char* writtenIndex;
};
void PrintTo(const AdapterSettingCase& c, std::ostream* out) {
  *out << OneLine(c.settings);
}

class AdapterSettingTest : public WindowTest,
                           public ::testing::WithParamInterface<AdapterSettingCase> {};

TEST_P(AdapterSettingTest, SelectsNothingAndSaysWhy) {
  WriteSettings(GetParam().settings);
  Show();
  EXPECT_EQ(Child<QComboBox>("cboAdapter").currentIndex(), -1);
  EXPECT_TRUE(StatusText().startsWith(QLatin1String(GetParam().statusStart)))
      << StatusText().toStdString();
  EXPECT_FALSE(Child<QLabel>("lblStatus").text().isEmpty());
  ASSERT_TRUE(CloseWindow());
  EXPECT_EQ(SettingsValue("Snoop", "AdapterIndex"), GetParam().writtenIndex);
}

INSTANTIATE_TEST_SUITE_P(
    NoneOrBeyondTheList, AdapterSettingTest,
    ::testing::Values(AdapterSettingCase{"", "No adapter selected", "-1"},
                      AdapterSettingCase{"[Snoop]\nAdapterIndex=-1\n", "No adapter selected", "-1"},
                      AdapterSettingCase{"[Snoop]\nAdapterIndex=9999\n",
                                         "Not capturing: Snoop Error: Invalid AdapterName", "-1"}));

TEST_F(WindowTest, ProgrammaticSelectionIsNoUserChoice) {
  Show();
  QComboBox& list = Child<QComboBox>("cboAdapter");
  ASSERT_GT(list.count(), 0);
  list.setCurrentIndex(0);
  EXPECT_EQ(StatusText(), "No adapter selected");
}

// ---- The form -----------------------------------------------------------------------------

TEST_F(WindowTest, FormHasItsCaptionFixedSizeAndFocusOnVerdandi) {
  Show();
  EXPECT_EQ(Window().windowTitle(), "Dorvex (#20070826-01)");
  EXPECT_EQ(Window().minimumSize(), Window().maximumSize());
  EXPECT_EQ(FocusName(), "edtVerdandiQty");
  EXPECT_EQ(Child<QPushButton>("btnExit").text(), "E&xit");
  EXPECT_TRUE(Memo().lineWrapMode() == QPlainTextEdit::NoWrap && !Memo().isReadOnly());
}

}  // namespace
}  // namespace dorvex::test
