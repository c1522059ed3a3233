// Storing and restoring window placement with real windows on the offscreen platform.

#include "window/form_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <climits>

#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"
#include "window/window_placement.h"

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

class PlacementTest : public ::testing::Test {
 protected:
  static inline const QString kSection = QStringLiteral("TfrmPlacementA");
  static inline const QString kOtherSection = QStringLiteral("TfrmOther");

  void StorePlacement(std::int32_t showCmd, const PlacementRect& normal) {
    file_.Write("[TfrmPlacementA]\n" +
                QString::asprintf("PlaceShowCmd=%d\nPlaceNormalPos.Left=%d\nPlaceNormalPos.Top=%d\n"
                                  "PlaceNormalPos.Right=%d\nPlaceNormalPos.Bottom=%d\n",
                                  showCmd, normal.left, normal.top, normal.right, normal.bottom)
                    .toUtf8());
  }
  std::int32_t Stored(const QString& section, const QString& key) const {
    return TIniFile(file_.Path()).ReadInteger(section, key, INT_MIN);
  }

  testing::TempSettingsFile file_;
  ScopedExecutablePath executable_{file_.Folder() + "/dorvex"};
};

TEST_F(PlacementTest, SavesOuterFrameAndShowStatePerSectionAndRestoresThem) {
  QWidget window;
  QWidget other;
  window.show();
  other.show();
  PlaceFrame(window, QRect(200, 150, 300, 200));
  PlaceFrame(other, QRect(400, 300, 320, 240));
  LoadFormPlacement(window, kSection);  // nothing stored: nothing changes
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));

  SaveFormPlacement(window, kSection);
  SaveFormPlacement(other, kOtherSection);
  EXPECT_EQ(Stored(kSection, "PlaceShowCmd"), kShowNormal);
  EXPECT_EQ(Stored(kSection, "PlaceNormalPos.Left"), 200);
  EXPECT_EQ(Stored(kOtherSection, "PlaceNormalPos.Left"), 400);

  // Maximized: the state is restored with its normal rectangle.
  window.showMaximized();
  SaveFormPlacement(window, kSection);
  EXPECT_EQ(Stored(kSection, "PlaceShowCmd"), kShowMaximized);
  window.showNormal();
  PlaceFrame(window, QRect(600, 400, 350, 250));
  PlaceFrame(other, QRect(600, 400, 350, 250));
  LoadFormPlacement(window, kSection);
  LoadFormPlacement(other, kOtherSection);
  EXPECT_TRUE(window.isMaximized());
  window.showNormal();
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
  EXPECT_EQ(other.frameGeometry(), QRect(400, 300, 320, 240));
}

// Left and Top are always read; the show state and the normal size only when asked for.
TEST_F(PlacementTest, PartsSelectWhatIsReadAndAHiddenWindowStaysHidden) {
  StorePlacement(kShowMaximized, {100, 50, 9000, 9000});
  QWidget window;
  window.show();
  PlaceFrame(window, QRect(500, 300, 300, 200));
  LoadFormPlacement(window, kSection, TPlacementParts());
  EXPECT_FALSE(window.isMaximized());
  EXPECT_EQ(window.frameGeometry(), QRect(100, 50, 300, 200));

  PlaceFrame(window, QRect(500, 300, 300, 200));
  LoadFormPlacement(window, kSection, ppShowState | ppMinMaxPos);
  EXPECT_TRUE(window.isMaximized());
  EXPECT_EQ(GetWindowPlacement(window).normalPosition, (PlacementRect{100, 50, 400, 250}));

  // A window that is not showing stays hidden and gets its frame where the stored frame was.
  QWidget hidden;
  LoadFormPlacement(hidden, kSection, TPlacementParts::All());
  EXPECT_FALSE(hidden.isVisible());
  hidden.show();
  EXPECT_EQ(hidden.frameGeometry().topLeft(), QPoint(100, 50));
}

TEST_F(PlacementTest, ARectangleOnNoScreenMovesOntoThePrimaryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  const std::pair<PlacementRect, QRect> cases[] = {
      {{1400, 100, 1700, 300}, QRect(1400, 100, 300, 200)},  // on the second screen: kept
      {{INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10}, QRect(1270, 0, 10, 10)},
      {{-9000, 0, -7000, 200}, QRect(0, 0, 2000, 200)}};  // wider than the screen: size kept
  for (const auto& [stored, expectedFrame] : cases) {
    StorePlacement(kShowNormal, stored);
    QWidget window;
    window.show();
    LoadFormPlacement(window, kSection);
    EXPECT_EQ(window.frameGeometry(), expectedFrame) << stored.left << "," << stored.top;
  }
}

}  // namespace
}  // namespace dorvex
