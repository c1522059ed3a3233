// Window placement kept in the settings file, with real windows on two offscreen screens.

#include "window/form_placement.h"

#include <gtest/gtest.h>

#include <QtWidgets>
#include <climits>

#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"

namespace dorvex {
namespace {

void PlaceFrame(QWidget& window, const QRect& frame) {  // the outer frame of a shown window
  window.setGeometry(frame.marginsRemoved(window.windowHandle()->frameMargins()));
}

// The ten keys as stored for a window shown normal with its outer frame `frame`.
QByteArray Keys(const char* section, const QRect& frame) {
  return QString::asprintf(
             "[%s]\nPlaceFlags=0\nPlaceShowCmd=1\nPlaceMinPos.X=-1\nPlaceMinPos.Y=-1\n"
             "PlaceMaxPos.X=-1\nPlaceMaxPos.Y=-1\nPlaceNormalPos.Left=%d\nPlaceNormalPos.Top=%d\n"
             "PlaceNormalPos.Right=%d\nPlaceNormalPos.Bottom=%d\n",
             section, frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height())
      .toUtf8();
}

class PlacementTest : public ::testing::Test {
 protected:
  testing::TempSettingsFile file_;
  ScopedExecutablePath executable_{file_.Folder() + "/dorvex"};
};

TEST_F(PlacementTest, SavesTheTenKeysPerSectionAndRestoresFrameAndShowState) {
  const QRect a(200, 150, 300, 200), b(400, 300, 320, 240), elsewhere(600, 400, 350, 250);
  QWidget window, other;
  window.show();
  other.show();
  PlaceFrame(window, a);
  PlaceFrame(other, b);
  LoadFormPlacement(window, "A");  // nothing stored: nothing changes
  EXPECT_EQ(window.frameGeometry(), a);
  SaveFormPlacement(window, "A");
  SaveFormPlacement(other, "B");
  EXPECT_EQ(file_.Read().toStdString(), (Keys("A", a) + "\n" + Keys("B", b)).toStdString());
  window.showMaximized();  // the state is restored with its normal rectangle
  SaveFormPlacement(window, "A");
  window.showNormal();
  PlaceFrame(window, elsewhere);
  PlaceFrame(other, elsewhere);
  LoadFormPlacement(window, "A");
  LoadFormPlacement(other, "B");
  EXPECT_TRUE(window.isMaximized());
  window.showNormal();
  EXPECT_EQ(window.frameGeometry(), a);
  EXPECT_EQ(other.frameGeometry(), b);
}

TEST_F(PlacementTest, ARectangleOnNoScreenMovesOntoThePrimaryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  const std::pair<QRect, QRect> cases[] = {
      {{1400, 100, 300, 200}, {1400, 100, 300, 200}},  // on the second screen: kept
      {{INT_MAX - 10, INT_MIN, 10, 10}, {1270, 0, 10, 10}},
      {{-9000, 0, 2000, 200}, {0, 0, 2000, 200}}};  // wider than the screen: size kept
  for (const auto& [stored, expected] : cases) {
    file_.Write(Keys("A", stored));
    QWidget window;
    window.show();
    LoadFormPlacement(window, "A");
    EXPECT_EQ(window.frameGeometry(), expected) << stored.left() << "," << stored.top();
  }
}

}  // namespace
}  // namespace dorvex
