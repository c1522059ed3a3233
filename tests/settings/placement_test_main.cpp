// Runs the placement tests in a QApplication on the offscreen platform with two virtual screens
// side by side: "Left" 1280x800 at 0,0 (the primary screen) and "Right" 1024x768 at 1280,0.
// Windows get frame margins, and window system events are delivered at once.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryFile>

int main(int argc, char** argv) {
  QTemporaryFile config;
  if (!config.open()) return 2;
  config.write(R"({
    "synchronousWindowSystemEvents": true,
    "windowFrameMargins": true,
    "screens": [
      {"name": "Left", "x": 0, "y": 0, "width": 1280, "height": 800},
      {"name": "Right", "x": 1280, "y": 0, "width": 1024, "height": 768}
    ]
  })");
  config.flush();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());

  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
