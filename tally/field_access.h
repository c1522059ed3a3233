#pragma once
// The three window operations through which the tally sees count fields.

#include <QString>
#include <QStringView>

namespace dorvex {

// Control names compare equal when they differ at most in the letter case of A to Z.
bool SameControlName(QStringView a, QStringView b);

class FieldAccess {
 public:
  using Handle = int;
  static constexpr Handle kNoField = -1;

  virtual ~FieldAccess() = default;

  // The edit field whose control name equals `controlName`, letters A-Z compared without case;
  // kNoField when there is none (or the component of that name is not an edit field).
  virtual Handle FindField(QStringView controlName) const = 0;
  virtual QString FieldText(Handle field) const = 0;
  virtual void SetFieldText(Handle field, const QString& text) = 0;

  // Convenience: the text of the field named `controlName`, empty when there is none.
  QString TextOf(QStringView controlName) const;
};

}  // namespace dorvex
