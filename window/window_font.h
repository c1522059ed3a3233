#pragma once
// The form's font: "ＭＳ Ｐゴシック" where it is installed, else an installed Japanese font, so
// that the Japanese captions and the report render; a font the program set for the whole
// application instead, where it set one.

#include <QFont>
#include <QString>

namespace dorvex {

// The family the form uses, chosen among the installed fonts.
QString FormFontFamily();

// FormFontFamily() at `pixelSize` pixels.
QFont FormFont(int pixelSize);

}  // namespace dorvex
