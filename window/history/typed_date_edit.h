#pragma once
// A date field that takes a date typed in any of the usual forms (2026/11/17, 2026-11-17 or
// 20261117) and shows it as 2026/11/17.

#include <QDateEdit>
#include <optional>

namespace dorvex {

// The date `text` names in one of the three forms, blanks around it ignored; nullopt otherwise.
std::optional<QDate> ParseTypedDate(const QString& text);

class TypedDateEdit : public QDateEdit {
 public:
  explicit TypedDateEdit(QDate date, QWidget* parent = nullptr);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  QDateTime dateTimeFromText(const QString& text) const override;
};

}  // namespace dorvex
