// The window grown to fit each installed font, at the screen scale of the process.

#include "tests/support/file_bytes.h"
#include "tests/window/window_fixture.h"

namespace dorvex::test {
namespace {

class WindowFitTest : public WindowTest, public ::testing::WithParamInterface<const char*> {};

// Texts fit their controls, controls neither overlap nor leave their parent (nor a box's title),
// the status line is cut to its width, and the window starts on the screen.
TEST_P(WindowFitTest, EveryControlHasItsTextsRoomAndNoneOverlapsOrLeavesItsParent) {
  QApplication::setFont(QFont(QString::fromUtf8(GetParam())));
  // A status line too long for its label: a long adapter name and a history problem.
  ASSERT_TRUE(
      WriteFileBytes(RouteTablePath(), "wlxaabbccddeeff\t00000000\t0\t3\t0\t0\t0\t00000000\n"));
  ASSERT_TRUE(WriteFileBytes(InSettingsFolder(QStringLiteral("notes.txt")), "not a database\n"));
  TfrmDVmain& window = Show("[History]\nFile=notes.txt\n");
  ASSERT_EQ(QFontInfo(window.font()).family(), QString::fromUtf8(GetParam()));
  const QLabel& status = Child<QLabel>("lblStatus");
  std::vector<const QWidget*> parents = {&window};
  for (const QGroupBox* box : window.findChildren<QGroupBox*>()) parents.push_back(box);
  for (const QWidget* parent : parents) {
    const auto children = parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget* child : children) {
      SCOPED_TRACE(child->objectName().toStdString());
      EXPECT_TRUE(parent->rect().contains(child->geometry()));
      EXPECT_GE(child->y(), parent != &window ? parent->fontMetrics().height() : 0);  // title
      for (const QWidget* other : children) {
        EXPECT_TRUE(other == child || !child->geometry().intersects(other->geometry()));
      }
      if (const auto* button = qobject_cast<const QAbstractButton*>(child)) {
        EXPECT_GE(child->width(),
                  child->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width());
      } else if (qobject_cast<const QLabel*>(child) || qobject_cast<const QGroupBox*>(child)) {
        EXPECT_GE(child->width(), child == &status ? 0 : child->minimumSizeHint().width());
        continue;
      }
      EXPECT_GE(child->height(), child->fontMetrics().height());
    }
  }
  EXPECT_LE(status.fontMetrics().horizontalAdvance(status.text()), status.width())
      << status.text().toStdString();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(area.united(window.frameGeometry()).size(),
            area.size().expandedTo(window.frameGeometry().size()));
}

INSTANTIATE_TEST_SUITE_P(InstalledFonts, WindowFitTest,
                         ::testing::Values("Noto Sans CJK JP", "IPAGothic", "DejaVu Sans",
                                           "Droid Sans Fallback"));

}  // namespace
}  // namespace dorvex::test
