// GoogleTest in a QApplication on the offscreen platform with one 1280×800 screen with window
// frames; the screen scale comes from QT_SCALE_FACTOR as the test is started.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          "offscreen:configfile=" DORVEX_SOURCE_DIR "/tests/window/laptop_screen.json");
  QTemporaryDir runtimeFolder;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
