#include "window/widget_fields.h"

#include <QLineEdit>
#include <QWidget>

namespace dorvex {

WidgetFieldSet::WidgetFieldSet(QWidget& window) {
  for (QObject* component : window.findChildren<QObject*>()) {
    if (!component->objectName().isEmpty()) components_.append(component);
  }
}

FieldAccess::Handle WidgetFieldSet::FindField(QStringView controlName) const {
  for (qsizetype i = 0; i < components_.size(); ++i) {
    const QObject* component = components_[i];
    if (component == nullptr || !SameControlName(component->objectName(), controlName)) continue;
    // The first component of that name decides, whatever its kind.
    return qobject_cast<const QLineEdit*>(component) != nullptr ? static_cast<Handle>(i) : kNoField;
  }
  return kNoField;
}

QString WidgetFieldSet::FieldText(Handle field) const {
  const QLineEdit* edit = EditAt(field);
  return edit != nullptr ? edit->text() : QString();
}

void WidgetFieldSet::SetFieldText(Handle field, const QString& text) {
  if (QLineEdit* edit = EditAt(field)) {
    edit->setText(text);
    edit->setCursorPosition(0);  // show a text longer than the field from its start
  }
}

QLineEdit* WidgetFieldSet::EditAt(Handle field) const {
  if (field < 0 || field >= components_.size()) return nullptr;
  return qobject_cast<QLineEdit*>(components_[field].data());
}

}  // namespace dorvex
