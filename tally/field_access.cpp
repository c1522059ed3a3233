#include "tally/field_access.h"

namespace dorvex {

bool SameControlName(QStringView a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char16_t x = a[i].unicode();
    char16_t y = b[i].unicode();
    if (x >= u'a' && x <= u'z') x -= u'a' - u'A';
    if (y >= u'a' && y <= u'z') y -= u'a' - u'A';
    if (x != y) return false;
  }
  return true;
}

QString FieldAccess::TextOf(QStringView controlName) const {
  const Handle field = FindField(controlName);
  return field == kNoField ? QString() : FieldText(field);
}

}  // namespace dorvex
