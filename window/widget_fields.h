#pragma once
// The window's own edit fields seen through FieldAccess: a control is found by its object name,
// letters A-Z compared without case, among all components of the window.

#include <QList>
#include <QPointer>

#include "tally/field_access.h"

class QLineEdit;
class QObject;
class QWidget;

namespace dorvex {

class WidgetFieldSet : public FieldAccess {
 public:
  // Takes the named components of `window` as they are now (the form is complete after setupUi).
  explicit WidgetFieldSet(QWidget& window);

  Handle FindField(QStringView controlName) const override;
  QString FieldText(Handle field) const override;
  void SetFieldText(Handle field, const QString& text) override;

 private:
  QLineEdit* EditAt(Handle field) const;

  // Every named component in the window's component order; a handle is an index into it.
  QList<QPointer<QObject>> components_;
};

}  // namespace dorvex
