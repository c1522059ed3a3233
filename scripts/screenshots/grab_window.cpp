// grab_window WINDOW_ID FILE.png: saves an X11 window's contents as a PNG (for the screenshot in
// the docs, taken under Xvfb).

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  bool ok = false;
  const WId window = argc == 3 ? QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0) : 0;
  if (!ok) {
    std::fprintf(stderr, "usage: grab_window WINDOW_ID FILE.png\n");
    return 2;
  }
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
  if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "grab_window: cannot grab window %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
