#include "tally/shown_text.h"

namespace dorvex {

QChar ShownCharByCategory(QChar c) {
  switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return QChar::ReplacementCharacter;
    default:
      return c;
  }
}

QString ShownText(QString text) {
  for (QChar& c : text) c = ShownChar(c);
  return text;
}

}  // namespace dorvex
