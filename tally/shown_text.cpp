#include "tally/shown_text.h"

namespace dorvex {

QString ShownText(QString text) {
  for (QChar& c : text) {
    switch (c.category()) {
      case QChar::Other_Control:
      case QChar::Other_Format:
      case QChar::Separator_Line:
      case QChar::Separator_Paragraph:
        c = QChar::ReplacementCharacter;
        break;
      default:
        break;
    }
  }
  return text;
}

}  // namespace dorvex
