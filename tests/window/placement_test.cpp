// Storing and restoring window placement with real windows on the offscreen platform.

#include "window/form_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <climits>

#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

// Puts the outer frame of a shown window at `frame`.
void PlaceFrame(QWidget& window, const QRect& frame) {
  const QRect client = window.geometry();
  const QRect outer = window.frameGeometry();
  window.setGeometry(frame.adjusted(client.left() - outer.left(), client.top() - outer.top(),
                                    client.right() - outer.right(),
                                    client.bottom() - outer.bottom()));
}

// The ten keys as stored for a window shown normal with its outer frame from (left, top) to just
// before (right, bottom).
QByteArray Keys(const char* section, int left, int top, int right, int bottom, int showCmd = 1) {
  return QString::asprintf(
             "[%s]\nPlaceFlags=0\nPlaceShowCmd=%d\nPlaceMinPos.X=-1\nPlaceMinPos.Y=-1\n"
             "PlaceMaxPos.X=-1\nPlaceMaxPos.Y=-1\nPlaceNormalPos.Left=%d\nPlaceNormalPos.Top=%d\n"
             "PlaceNormalPos.Right=%d\nPlaceNormalPos.Bottom=%d\n",
             section, showCmd, left, top, right, bottom)
      .toUtf8();
}

class PlacementTest : public ::testing::Test {
 protected:
  testing::TempSettingsFile file_;
  ScopedExecutablePath executable_{file_.Folder() + "/dorvex"};
};

TEST_F(PlacementTest, SavesTheTenKeysPerSectionAndRestoresFrameAndShowState) {
  QWidget window;
  QWidget other;
  window.show();
  other.show();
  PlaceFrame(window, QRect(200, 150, 300, 200));
  PlaceFrame(other, QRect(400, 300, 320, 240));
  LoadFormPlacement(window, "A");  // nothing stored: nothing changes
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
  SaveFormPlacement(window, "A");
  SaveFormPlacement(other, "B");
  EXPECT_EQ(file_.Read().toStdString(),
            (Keys("A", 200, 150, 500, 350) + "\n" + Keys("B", 400, 300, 720, 540)).toStdString());

  window.showMaximized();  // the state is restored with its normal rectangle
  SaveFormPlacement(window, "A");
  EXPECT_TRUE(file_.Read().startsWith(Keys("A", 200, 150, 500, 350, 3)));
  window.showNormal();
  PlaceFrame(window, QRect(600, 400, 350, 250));
  PlaceFrame(other, QRect(600, 400, 350, 250));
  LoadFormPlacement(window, "A");
  LoadFormPlacement(other, "B");
  EXPECT_TRUE(window.isMaximized());
  window.showNormal();
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
  EXPECT_EQ(other.frameGeometry(), QRect(400, 300, 320, 240));

  // A window that is not showing stays hidden, its frame where the stored frame was.
  QWidget hidden;
  LoadFormPlacement(hidden, "A");
  EXPECT_FALSE(hidden.isVisible());
  hidden.show();
  EXPECT_EQ(hidden.frameGeometry().topLeft(), QPoint(200, 150));
}

TEST_F(PlacementTest, ARectangleOnNoScreenMovesOntoThePrimaryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  const std::pair<QRect, QRect> cases[] = {
      {{1400, 100, 300, 200}, {1400, 100, 300, 200}},  // on the second screen: kept
      {{INT_MAX - 10, INT_MIN, 10, 10}, {1270, 0, 10, 10}},
      {{-9000, 0, 2000, 200}, {0, 0, 2000, 200}}};  // wider than the screen: size kept
  for (const auto& [stored, expected] : cases) {
    file_.Write(Keys("A", stored.left(), stored.top(), stored.left() + stored.width(),
                     stored.top() + stored.height()));
    QWidget window;
    window.show();
    LoadFormPlacement(window, "A");
    EXPECT_EQ(window.frameGeometry(), expected) << stored.left() << "," << stored.top();
  }
}

}  // namespace
}  // namespace dorvex
