#include "window/window_font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace dorvex {

QString FormFontFamily() {
  // A font the program set for the whole application (QApplication::setFont) was chosen on
  // purpose: it wins over the designed one.
  const QFont application = QGuiApplication::font();
  if (application != QFontDatabase::systemFont(QFontDatabase::GeneralFont)) {
    return application.family();
  }
  // The form's own font under its Japanese and its English name, then common Japanese fonts of
  // Linux desktops.
  static const QStringList kPreferred = {
      QStringLiteral("ＭＳ Ｐゴシック"),  QStringLiteral("MS PGothic"),
      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
      QStringLiteral("VL PGothic"),       QStringLiteral("TakaoPGothic"),
  };
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : kPreferred) {
    if (installed.contains(family, Qt::CaseInsensitive)) return family;
  }
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (!japanese.isEmpty()) return japanese.first();
  return QGuiApplication::font().family();
}

QFont FormFont(int pixelSize) {
  QFont font(FormFontFamily());
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace dorvex
