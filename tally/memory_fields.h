#pragma once
// An in-memory set of the window's count fields (the 24 worlds and the temp server row), for the
// headless tool and the tests.

#include <QString>
#include <vector>

#include "tally/field_access.h"

namespace dorvex {

class MemoryFieldSet : public FieldAccess {
 public:
  MemoryFieldSet();  // every field of the window, all empty

  Handle FindField(QStringView controlName) const override;
  QString FieldText(Handle field) const override;
  void SetFieldText(Handle field, const QString& text) override;

  // Test helpers by control name; SetText ignores unknown names.
  void SetText(QStringView controlName, const QString& text);

 private:
  bool IsField(Handle field) const;

  struct Field {
    QString name;
    QString text;
  };
  std::vector<Field> fields_;
};

}  // namespace dorvex
