// Storing and restoring window placement with real windows on the offscreen platform.

#include "form_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QWidget>
#include <climits>

#include "ini_path.h"
#include "settings_test_support.h"
#include "window_placement.h"

// Two window classes; one in a namespace, as the program's own windows are.
class TfrmPlacementA : public QWidget {
  Q_OBJECT
};
namespace dorvex {
class TfrmDVmain : public QWidget {
  Q_OBJECT
};
}  // namespace dorvex

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

  void StorePlacement(std::int32_t showCmd, const PlacementRect& normal) {
    TIniFile ini(file_.Path());
    ini.WriteInteger(kSection, "PlaceShowCmd", showCmd);
    ini.WriteInteger(kSection, "PlaceNormalPos.Left", normal.left);
    ini.WriteInteger(kSection, "PlaceNormalPos.Top", normal.top);
    ini.WriteInteger(kSection, "PlaceNormalPos.Right", normal.right);
    ini.WriteInteger(kSection, "PlaceNormalPos.Bottom", normal.bottom);
  }
  std::int32_t Stored(const QString& section, const QString& key) const {
    return TIniFile(file_.Path()).ReadInteger(section, key, INT_MIN);
  }

  testing::TempSettingsFile file_;
  ScopedExecutablePath executable_{file_.Folder() + "/dorvex"};
};

TEST_F(PlacementTest, SavesTheOuterFrameAndShowStateAndRestoresThemAfterAMove) {
  TfrmPlacementA window;
  window.show();
  ASSERT_NE(window.frameGeometry(), window.geometry()) << "frame and client must differ here";
  PlaceFrame(window, QRect(200, 150, 300, 200));
  LoadFormPlacement(window);  // nothing stored: nothing changes, no file appears
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
  EXPECT_FALSE(file_.Exists());

  SaveFormPlacement(window);
  EXPECT_EQ(Stored(kSection, "PlaceShowCmd"), kShowNormal);
  EXPECT_EQ(Stored(kSection, "PlaceNormalPos.Left"), 200);
  EXPECT_EQ(Stored(kSection, "PlaceNormalPos.Top"), 150);
  EXPECT_EQ(Stored(kSection, "PlaceNormalPos.Right"), 500);
  EXPECT_EQ(Stored(kSection, "PlaceNormalPos.Bottom"), 350);

  PlaceFrame(window, QRect(600, 400, 350, 250));
  LoadFormPlacement(window);
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
  EXPECT_TRUE(window.isVisible());

  // Maximized: the state is restored with its normal rectangle.
  window.showMaximized();
  SaveFormPlacement(window);
  EXPECT_EQ(Stored(kSection, "PlaceShowCmd"), kShowMaximized);

  window.showNormal();
  PlaceFrame(window, QRect(600, 400, 350, 250));
  LoadFormPlacement(window);
  EXPECT_TRUE(window.isMaximized());
  window.showNormal();
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
}

// Left and Top are always read; the show state and the normal size only when asked for.
TEST_F(PlacementTest, PartsSelectWhatIsRead) {
  StorePlacement(kShowMaximized, {100, 50, 9000, 9000});
  TfrmPlacementA window;
  window.show();
  PlaceFrame(window, QRect(500, 300, 300, 200));
  LoadFormPlacement(window, kSection, TPlacementParts());
  EXPECT_FALSE(window.isMaximized());
  EXPECT_EQ(window.frameGeometry(), QRect(100, 50, 300, 200));

  PlaceFrame(window, QRect(500, 300, 300, 200));
  LoadFormPlacement(window, kSection, ppShowState | ppMinMaxPos);
  EXPECT_TRUE(window.isMaximized());
  EXPECT_EQ(GetWindowPlacement(window).normalPosition, (PlacementRect{100, 50, 400, 250}));
}

TEST_F(PlacementTest, AWindowThatIsNotShowingStaysHidden) {
  StorePlacement(kShowMaximized, {30, 40, 330, 240});
  for (const TPlacementParts parts : {TPlacementParts(), TPlacementParts::All()}) {
    TfrmPlacementA window;
    LoadFormPlacement(window, kSection, parts);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isMaximized());
    // Shown later, it gets its frame where the stored frame was.
    window.show();
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(30, 40));
  }
}

TEST_F(PlacementTest, WindowsOfDifferentClassesKeepTheirPlacementsApart) {
  TfrmPlacementA first;
  TfrmDVmain second;
  first.show();
  second.show();
  PlaceFrame(first, QRect(10, 10, 300, 200));
  PlaceFrame(second, QRect(400, 300, 320, 240));
  SaveFormPlacement(first);
  SaveFormPlacement(second);

  PlaceFrame(first, QRect(700, 500, 300, 200));
  PlaceFrame(second, QRect(700, 500, 300, 200));
  LoadFormPlacement(first);
  LoadFormPlacement(second);
  EXPECT_EQ(first.frameGeometry(), QRect(10, 10, 300, 200));
  EXPECT_EQ(second.frameGeometry(), QRect(400, 300, 320, 240));
  EXPECT_EQ(Stored("TfrmDVmain", "PlaceNormalPos.Left"), 400);  // the class name without namespace
}

struct ScreenCase {
  PlacementRect stored;
  QRect expectedFrame;
};

class PlacementScreenTest : public PlacementTest,
                            public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(PlacementScreenTest, ARectangleOnNoScreenMovesOntoThePrimaryScreen) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1280, 800));
  StorePlacement(kShowNormal, GetParam().stored);
  TfrmPlacementA window;
  window.show();
  LoadFormPlacement(window);
  EXPECT_EQ(window.frameGeometry(), GetParam().expectedFrame);
}

INSTANTIATE_TEST_SUITE_P(Rectangles, PlacementScreenTest,
                         ::testing::Values(
                             // On the second screen: kept.
                             ScreenCase{{1400, 100, 1700, 300}, QRect(1400, 100, 300, 200)},
                             // Below the second screen, and far away: onto the primary screen.
                             ScreenCase{{1400, 780, 1700, 980}, QRect(980, 600, 300, 200)},
                             ScreenCase{{-5000, 100, -4700, 300}, QRect(0, 100, 300, 200)},
                             ScreenCase{{INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10},
                                        QRect(1270, 0, 10, 10)},
                             // Wider than the primary screen: at its left edge, size kept.
                             ScreenCase{{-9000, 0, -7000, 200}, QRect(0, 0, 2000, 200)}));

TEST_F(PlacementTest, RefusedSaveThrowsAndLoadKeepsThePlacement) {
  ASSERT_TRUE(QDir().mkdir(file_.Path()));  // the settings path is a folder
  TfrmPlacementA window;
  window.show();
  PlaceFrame(window, QRect(200, 150, 300, 200));
  EXPECT_THROW(SaveFormPlacement(window), EIniFileException);
  LoadFormPlacement(window);
  EXPECT_EQ(window.frameGeometry(), QRect(200, 150, 300, 200));
}

}  // namespace
}  // namespace dorvex

#include "placement_test.moc"
