// The program entry: the application "Dorvex" and its one window.

#include <QApplication>
#include <QIcon>

#include "window/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dorvex"));
  QGuiApplication::setDesktopFileName(QStringLiteral("dorvex"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/dorvex/dorvex.png")));

  TfrmDVmain window;
  frmDVmain = &window;
  window.show();
  const int exitCode = QApplication::exec();
  frmDVmain = nullptr;
  return exitCode;
}
