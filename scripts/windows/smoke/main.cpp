// A window with a Japanese label and a button: shows that Qt's Windows build starts, finds its
// platform plugin and style, and renders Japanese text. Prints "smoke: shown" once the window is on
// screen, then quits after the milliseconds given as the first argument (default 10000).
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int quit_after_ms = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

  QWidget window;
  window.setWindowTitle(QStringLiteral("Dorvex Windows smoke"));
  auto* layout = new QVBoxLayout(&window);
  auto* label = new QLabel(QStringLiteral(u"拡張表示あり"));
  QFont font = label->font();
  font.setPointSize(20);
  label->setFont(font);
  layout->addWidget(label);
  layout->addWidget(new QPushButton(QStringLiteral("OK")));
  window.resize(360, 160);
  window.move(40, 40);
  window.show();

  QTimer::singleShot(0, &window, [&] {
    std::printf("smoke: shown (platform %s, style %s, label font %s)\n",
                qPrintable(QGuiApplication::platformName()),
                qPrintable(app.style()->name()), qPrintable(label->fontInfo().family()));
    std::fflush(stdout);
  });
  QTimer::singleShot(quit_after_ms, &app, &QApplication::quit);
  return app.exec();
}
