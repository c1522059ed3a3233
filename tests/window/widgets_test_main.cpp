// GoogleTest in a QApplication on the offscreen platform (DORVEX_SCREEN_CONFIG's screens if set).

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
#ifdef DORVEX_SCREEN_CONFIG
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" DORVEX_SCREEN_CONFIG);
#else
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QTemporaryDir runtime;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
