// The window grown to fit the font in use, at each installed font and at the screen scale of the
// process: every text fits its control, the rows of each group box start below its title and
// frame line, the arrangement is the designed one scaled, and the first start shows the window on
// the screen. Also the factor search itself, and long adapter names.

#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QHash>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdio>

#include "tests/window/window_fixture.h"
#include "window/elided_combo.h"
#include "window/form_scaling.h"

namespace dorvex::test {
namespace {

struct FactorCase {
  std::vector<SpanNeed> needs;
  double factor;
};

TEST(FormFactor, IsTheSmallestTriedFactorThatMeetsEveryNeedOnceRounded) {
  const FactorCase cases[] = {
      {{}, 1.0},
      {{{0, 100, 100}, {4, 60, 50}}, 1.0},
      {{{0, 100, 105}}, 1.05},
      {{{0, 17, 21}}, 1.21},                 // round(17 × 1.21) = 21, round(17 × 1.2) = 20
      {{{3, 13, 11}}, 1.04},                 // both edges rounded: 14 - 3 at 1.04, 13 - 3 below
      {{{0, 100, 105}, {0, 50, 60}}, 1.19},  // the largest decides; 59.5 rounds up
      {{{0, 10, 1000}}, kMaxFormFactor},     // none tried fits
  };
  for (const FactorCase& c : cases) {
    EXPECT_NEAR(SmallestFittingFactor(c.needs), c.factor, 1e-9) << c.needs.size();
  }
}

TEST(FormFactor, ScaledRectanglesThatTouchedStillTouchAndNeverOverlap) {
  for (const double factor : {1.0, 1.07, 1.25, 1.33, 1.5, 1.91}) {
    for (int edge = 1; edge < 60; ++edge) {
      const QRect left = ScaledRect(QRect(3, 5, edge - 3, 20), factor);
      const QRect right = ScaledRect(QRect(edge, 5, 40, 20), factor);
      EXPECT_EQ(left.right() + 1, right.left()) << factor << " " << edge;
    }
  }
  EXPECT_EQ(ScaledRect(QRect(68, 17, 57, 20), 1.5), QRect(102, 26, 86, 30));
}

// Each widget of the form file: its parent's name and its rectangle.
struct Placed {
  QString parent;
  QRect rect;
};

QHash<QString, Placed> DesignedGeometry() {
  QFile file(QStringLiteral(DORVEX_SOURCE_DIR "/window/main_window.ui"));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read main_window.ui");
  QHash<QString, Placed> placed;
  QStringList widgets;
  QXmlStreamReader xml(&file);
  bool inGeometry = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"widget") {
      placed.insert(xml.attributes().value(QStringLiteral("name")).toString(),
                    {widgets.isEmpty() ? QString() : widgets.last(), {}});
      widgets.append(xml.attributes().value(QStringLiteral("name")).toString());
    } else if (xml.isEndElement() && xml.name() == u"widget") {
      widgets.removeLast();
    } else if (xml.isStartElement() && xml.name() == u"property") {
      inGeometry = xml.attributes().value(QStringLiteral("name")) == u"geometry";
    } else if (xml.isStartElement() && inGeometry && !widgets.isEmpty()) {
      QRect& rect = placed[widgets.last()].rect;
      const auto value = [&] { return xml.readElementText().toInt(); };
      if (xml.name() == u"x") rect.moveLeft(value());
      if (xml.name() == u"y") rect.moveTop(value());
      if (xml.name() == u"width") rect.setWidth(value());
      if (xml.name() == u"height") rect.setHeight(value());
    }
  }
  if (xml.hasError() || placed.size() < 50) throw std::runtime_error("main_window.ui unreadable");
  return placed;
}

class WindowFitTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { QApplication::setFont(QFont(QString::fromUtf8(GetParam()))); }
  void TearDown() override { QApplication::setFont(saved_); }

 private:
  QFont saved_ = QApplication::font();
};

QStyleOptionButton ButtonOption(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  return option;
}

// The rectangle the style gives the text of `widget`, for the text-bearing kinds of control.
std::optional<std::pair<QString, QRect>> TextArea(const QWidget& widget) {
  const QStyle& style = *widget.style();
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    return std::pair(label->text(), label->contentsRect());
  }
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    const QStyleOptionButton option = ButtonOption(*button);
    return std::pair(button->text(),
                     style.subElementRect(QStyle::SE_PushButtonContents, &option, button));
  }
  if (const auto* box = qobject_cast<const QCheckBox*>(&widget)) {
    const QStyleOptionButton option = ButtonOption(*box);
    return std::pair(box->text(), style.subElementRect(QStyle::SE_CheckBoxContents, &option, box));
  }
  return std::nullopt;
}

QRect TitleArea(const QGroupBox& box) {
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.lineWidth = 1;
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  return box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
}

TEST_P(WindowFitTest, EveryTextFitsAndTheDesignedArrangementIsScaledOntoTheScreen) {
  const QHash<QString, Placed> designed = DesignedGeometry();
  TfrmDVmain& window = Show();
  const QString family = QString::fromUtf8(GetParam());
  ASSERT_EQ(QFontInfo(window.font()).family(), family);  // installed, and the one the form uses

  const QSize designedSize = designed.value(QStringLiteral("TfrmDVmain")).rect.size();
  const double factor = window.width() / double(designedSize.width());
  std::printf("%s at scale %s: factor %.2f, window %dx%d\n", GetParam(),
              qgetenv("QT_SCALE_FACTOR").constData(), factor, window.width(), window.height());
  EXPECT_GE(factor, 1.0);
  EXPECT_NEAR(window.height(), designedSize.height() * factor, 1.0);

  int texts = 0;
  for (auto it = designed.begin(); it != designed.end(); ++it) {
    if (it->parent.isEmpty()) continue;
    SCOPED_TRACE(it.key().toStdString());
    const QWidget* widget = window.findChild<QWidget*>(it.key());
    ASSERT_NE(widget, nullptr);
    const QRect rect = widget->geometry();
    // The designed rectangle scaled, to the pixel.
    EXPECT_NEAR(rect.left(), it->rect.left() * factor, 1.0);
    EXPECT_NEAR(rect.top(), it->rect.top() * factor, 1.0);
    EXPECT_NEAR(rect.right() + 1, (it->rect.right() + 1) * factor, 1.0);
    EXPECT_NEAR(rect.bottom() + 1, (it->rect.bottom() + 1) * factor, 1.0);
    // No overlap with a sibling it stood clear of.
    for (auto other = designed.begin(); other != designed.end(); ++other) {
      if (other.key() == it.key() || other->parent != it->parent) continue;
      if (other->rect.intersects(it->rect)) continue;
      EXPECT_FALSE(rect.intersects(window.findChild<QWidget*>(other.key())->geometry()))
          << other.key().toStdString();
    }
    if (const auto area = TextArea(*widget); area && !area->first.isEmpty()) {
      ++texts;
      const QFontMetrics metrics = widget->fontMetrics();
      EXPECT_LE(metrics.horizontalAdvance(area->first), area->second.width());
      if (qobject_cast<const QLabel*>(widget) == nullptr) {
        EXPECT_LE(metrics.height(), area->second.height());
      }
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
      const QRect title = TitleArea(*box);
      EXPECT_LE(title.right(), box->width() - 1);
      for (const QWidget* row : box->findChildren<QWidget*>()) {
        EXPECT_GT(row->y(), title.bottom() + 1) << row->objectName().toStdString();
        EXPECT_TRUE(box->rect().contains(row->geometry())) << row->objectName().toStdString();
      }
    }
  }
  EXPECT_GE(texts, 40);

  // The status line is cut to its width with the whole text in its tooltip.
  const QLabel& status = Child<QLabel>("lblStatus");
  EXPECT_FALSE(status.toolTip().isEmpty());
  EXPECT_LE(status.fontMetrics().horizontalAdvance(status.text()), status.contentsRect().width());
  EXPECT_TRUE(status.text() == status.toolTip() || status.text().endsWith(QChar(0x2026)));

  // First start: wholly on the screen's available area along each axis where it fits, else
  // from the area's start.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  const std::tuple<int, int, int, int> axes[] = {
      {frame.x(), frame.width(), area.x(), area.width()},
      {frame.y(), frame.height(), area.y(), area.height()}};
  for (const auto& [start, length, areaStart, areaLength] : axes) {
    if (length <= areaLength) {
      EXPECT_GE(start, areaStart);
      EXPECT_LE(start + length, areaStart + areaLength);
    } else {
      EXPECT_EQ(start, areaStart);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(InstalledFonts, WindowFitTest,
                         ::testing::Values("Noto Sans CJK JP", "IPAGothic", "DejaVu Sans",
                                           "Droid Sans Fallback"));

TEST_F(WindowTest, AnAdapterNameTooLongForTheBoxHasItsWholeTextAsTooltip) {
  Show();
  QComboBox& list = Child<QComboBox>("cboAdapter");
  const QString shortName = QStringLiteral("lo");
  const QString longName = QStringLiteral("enx0123456789ab: USB 10/100/1000 LAN adapter, ") +
                           QStringLiteral("wired, with a description longer than any box");
  ASSERT_GT(list.fontMetrics().horizontalAdvance(longName), ComboTextWidth(list));
  list.addItem(shortName);
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
