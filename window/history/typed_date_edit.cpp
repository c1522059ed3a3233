#include "window/history/typed_date_edit.h"

#include <QRegularExpression>

namespace dorvex {

namespace {
const QString kShownFormat = QStringLiteral("yyyy/MM/dd");
}  // namespace

std::optional<QDate> ParseTypedDate(const QString& text) {
  const QString trimmed = text.trimmed();
  for (const QString& format :
       {kShownFormat, QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyyMMdd")}) {
    // Every digit written out: "2026/11/1" is still being typed, not the first of November.
    if (trimmed.size() != format.size()) continue;
    const QDate date = QDate::fromString(trimmed, format);
    if (date.isValid()) return date;
  }
  return std::nullopt;
}

TypedDateEdit::TypedDateEdit(QDate date, QWidget* parent) : QDateEdit(date, parent) {
  setDisplayFormat(kShownFormat);
}

// Digits and separators may still become a date while typing; anything else cannot.
QValidator::State TypedDateEdit::validate(QString& input, int&) const {
  if (ParseTypedDate(input)) return QValidator::Acceptable;
  static const QRegularExpression kPartial(QStringLiteral("^\\s*[0-9/-]{0,10}\\s*$"));
  return kPartial.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void TypedDateEdit::fixup(QString& input) const {
  if (const auto date = ParseTypedDate(input)) input = date->toString(kShownFormat);
}

QDateTime TypedDateEdit::dateTimeFromText(const QString& text) const {
  // Keeps the field's own kind of time (local or UTC): a local midnight read in UTC is the day
  // before.
  QDateTime result = dateTime();
  if (const auto date = ParseTypedDate(text)) result.setDate(*date);
  return result;
}

}  // namespace dorvex
