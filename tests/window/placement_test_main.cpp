// Offscreen with two screens side by side (primary at 0,0), window frames, synchronous events.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          "offscreen:configfile=" DORVEX_SOURCE_DIR "/tests/window/two_screens.json");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
