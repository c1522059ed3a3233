// The window grown to fit the font in use, at each installed font and at the screen scale of the
// process: every control gets the room its text asks for, none overlaps another or leaves its
// parent, rows stand below their group box's title, the status line is cut to its width, and the
// first start shows the window on the screen. Also the factor search itself, and long adapter
// names.

#include <QFontInfo>
#include <QGroupBox>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "tests/support/file_bytes.h"
#include "tests/window/window_fixture.h"
#include "window/elided_combo.h"
#include "window/form_scaling.h"

namespace dorvex::test {
namespace {

TEST(FormFactor, IsTheSmallestTriedFactorThatMeetsEveryNeedOnceRounded) {
  const std::pair<std::vector<SpanNeed>, double> cases[] = {
      {{}, 1.0},
      {{{0, 100, 100}, {4, 60, 50}}, 1.0},
      {{{0, 100, 105}}, 1.05},
      {{{0, 17, 21}}, 1.21},                 // round(17 × 1.21) = 21, round(17 × 1.2) = 20
      {{{3, 13, 11}}, 1.04},                 // both edges rounded: 14 - 3 at 1.04, 13 - 3 below
      {{{0, 100, 105}, {0, 50, 60}}, 1.19},  // the largest decides; 59.5 rounds up
      {{{0, 10, 1000}}, kMaxFormFactor},     // none tried fits
  };
  for (const auto& [needs, factor] : cases) {
    EXPECT_NEAR(SmallestFittingFactor(needs), factor, 1e-9) << needs.size();
  }
}

class WindowFitTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { QApplication::setFont(QFont(QString::fromUtf8(GetParam()))); }
  void TearDown() override { QApplication::setFont(saved_); }

 private:
  QFont saved_ = QApplication::font();
};

// The room a control asks for itself: labels their size hint, group boxes their minimum size
// hint (the title). Buttons and check boxes: their text's size plus the style's margins and
// indicator (their size hints add a minimum button width and a focus margin the design never had).
// Every text-bearing control at least one text line tall.
QSize NeededSize(const QWidget& widget) {
  const QStyle& style = *widget.style();
  const int line = widget.fontMetrics().height();
  if (qobject_cast<const QLabel*>(&widget) != nullptr) return {widget.sizeHint().width(), 0};
  if (qobject_cast<const QGroupBox*>(&widget) != nullptr) return widget.minimumSizeHint();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    const int text = widget.fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    if (qobject_cast<const QCheckBox*>(&widget) != nullptr) {
      return {text + style.pixelMetric(QStyle::PM_IndicatorWidth) +
                  style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing),
              line};
    }
    return {text + 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth), line};
  }
  if (qobject_cast<const QLineEdit*>(&widget) != nullptr ||
      qobject_cast<const QComboBox*>(&widget) != nullptr) {
    return {0, line + 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth)};
  }
  return {};
}

TEST_P(WindowFitTest, EveryControlHasTheRoomItAsksForAndNoneOverlapsOrLeavesItsParent) {
  // A status line too long for its label: a history file that is not one (and no default route).
  const QString notes = InSettingsFolder(QStringLiteral("notes.txt"));
  ASSERT_TRUE(WriteFileBytes(notes, "not a database\n"));
  WriteSettings("[History]\nFile=notes.txt\n");
  TfrmDVmain& window = Show();
  ASSERT_EQ(QFontInfo(window.font()).family(), QString::fromUtf8(GetParam()));
  std::vector<const QWidget*> parents = {&window};
  for (const QGroupBox* box : window.findChildren<QGroupBox*>()) parents.push_back(box);
  int checked = 0;
  for (const QWidget* parent : parents) {
    const auto children = parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget* child : children) {
      if (child->isWindow()) continue;
      SCOPED_TRACE(child->objectName().toStdString());
      EXPECT_TRUE(parent->rect().contains(child->geometry()));
      if (parent != &window) {
        EXPECT_GE(child->y(), parent->fontMetrics().height());  // below the title
      }
      for (const QWidget* other : children) {
        if (other != child && !other->isWindow()) {
          EXPECT_FALSE(child->geometry().intersects(other->geometry()))
              << other->objectName().toStdString();
        }
      }
      // The status line is cut to its width instead (below).
      const QSize needed = child->objectName() == u"lblStatus" ? QSize() : NeededSize(*child);
      checked += needed.isNull() ? 0 : 1;
      EXPECT_GE(child->width(), needed.width());
      EXPECT_GE(child->height(), needed.height());
    }
  }
  EXPECT_GE(checked, 60);

  // The status line is cut to its width with the whole text in its tooltip.
  const QLabel& status = Child<QLabel>("lblStatus");
  EXPECT_EQ(status.toolTip(), "History is off: " + notes +
                                  " is not an SQLite database; the file is left as it is | "
                                  "Pick the adapter the game uses");
  EXPECT_TRUE(status.toolTip().startsWith(status.text().chopped(1)));
  EXPECT_TRUE(status.text().endsWith(QChar(0x2026)));
  // To the pixel: the cut text, measured again, can round a fraction wider at a screen scale.
  EXPECT_LT(QFontMetricsF(status.fontMetrics()).horizontalAdvance(status.text()),
            status.contentsRect().width() + 1);

  // First start: wholly on the screen's available area along each axis where it fits, else
  // from the area's start.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  EXPECT_EQ(frame.x(),
            std::clamp(frame.x(), area.x(), std::max(area.x(), area.right() + 1 - frame.width())));
  EXPECT_EQ(frame.y(), std::clamp(frame.y(), area.y(),
                                  std::max(area.y(), area.bottom() + 1 - frame.height())));
}

INSTANTIATE_TEST_SUITE_P(InstalledFonts, WindowFitTest,
                         ::testing::Values("Noto Sans CJK JP", "IPAGothic", "DejaVu Sans",
                                           "Droid Sans Fallback"));

TEST_F(WindowTest, AnAdapterNameTooLongForTheBoxHasItsWholeTextAsTooltip) {
  Show();
  QComboBox& list = Child<QComboBox>("cboAdapter");
  const QString longName = QStringLiteral("enx0123456789ab: USB 10/100/1000 LAN adapter, ") +
                           QStringLiteral("wired, with a description longer than any box");
  ASSERT_GT(list.fontMetrics().horizontalAdvance(longName), ComboTextWidth(list));
  list.addItem(QStringLiteral("lo"));
  list.addItem(longName);
  const std::pair<int, QString> cases[] = {{list.count() - 2, QString()},
                                           {list.count() - 1, longName}};
  for (const auto& [index, tooltip] : cases) {
    list.setCurrentIndex(index);
    EXPECT_EQ(list.itemData(index, Qt::ToolTipRole).toString(), tooltip);
    EXPECT_EQ(list.toolTip(), tooltip);
  }
}

}  // namespace
}  // namespace dorvex::test
