// GoogleTest in a QApplication on the offscreen platform, with a runtime folder if none is set.
// A test built with DORVEX_SCREEN_CONFIG gets the screens of that offscreen configuration file;
// otherwise a platform given by the environment is kept.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
#ifdef DORVEX_SCREEN_CONFIG
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" DORVEX_SCREEN_CONFIG);
#else
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QTemporaryDir runtimeFolder;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
