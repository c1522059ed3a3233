#include "tally/memory_fields.h"

#include "tally/world_table.h"

namespace dorvex {

MemoryFieldSet::MemoryFieldSet() {
  const auto worlds = WorldStringTable();
  fields_.reserve(worlds.size() + 2);
  for (const WorldStrings& world : worlds) fields_.push_back({world.fieldName, QString()});
  fields_.push_back({TempServerNameFieldString(), QString()});
  fields_.push_back({TempServerQtyFieldString(), QString()});
}

FieldAccess::Handle MemoryFieldSet::FindField(QStringView controlName) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (SameControlName(fields_[i].name, controlName)) return static_cast<Handle>(i);
  }
  return kNoField;
}

QString MemoryFieldSet::FieldText(Handle field) const {
  return IsField(field) ? fields_[static_cast<std::size_t>(field)].text : QString();
}

void MemoryFieldSet::SetFieldText(Handle field, const QString& text) {
  if (IsField(field)) fields_[static_cast<std::size_t>(field)].text = text;
}

void MemoryFieldSet::SetText(QStringView controlName, const QString& text) {
  SetFieldText(FindField(controlName), text);
}

bool MemoryFieldSet::IsField(Handle field) const {
  return field >= 0 && static_cast<std::size_t>(field) < fields_.size();
}

}  // namespace dorvex
