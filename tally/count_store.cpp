#include "tally/count_store.h"

#include <limits>
#include <stdexcept>
#include <utility>

#include "tally/memory_fields.h"
#include "tally/totals.h"

namespace dorvex {

namespace {

// The key under which names equal letter case aside meet: each code point case-folded, as
// QString::compare with Qt::CaseInsensitive folds them.
QString FoldedKey(QStringView name) {
  QString key;
  key.reserve(name.size());
  for (qsizetype i = 0; i < name.size(); ++i) {
    char32_t c = name[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(name[i].unicode(), name[i + 1].unicode());
      ++i;
    }
    const char32_t folded = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(folded)) {
      key += QChar(QChar::highSurrogate(folded));
      key += QChar(QChar::lowSurrogate(folded));
    } else {
      key += QChar(static_cast<char16_t>(folded));
    }
  }
  return key;
}

bool HasCountField(QStringView name) {
  static const MemoryFieldSet fields;
  return CountFieldOf(fields, name) != FieldAccess::kNoField;
}

}  // namespace

void CountStore::Set(const QString& name, const QString& countText) {
  QString key = FoldedKey(name);
  Handle handle = 0;
  if (Entry* entry = Find(key, handle)) {
    entry->countText = countText;
    entry->count = kNoNumber;
    return;
  }
  Add(name, std::move(key), countText, kNoNumber);
}

CountStore::Handle CountStore::SetCount(QStringView name, std::uint16_t count) {
  QString key = FoldedKey(name);
  Handle handle = 0;
  if (Entry* entry = Find(key, handle)) {
    SetNumber(*entry, count);
    return handle;
  }
  return Add(name.toString(), std::move(key), QString::number(count), count);
}

bool CountStore::SetCountAt(Handle handle, std::uint16_t count) {
  if (handle >= 0 && static_cast<std::size_t>(handle) < listed_.size()) {
    SetNumber(listed_[static_cast<std::size_t>(handle)], count);
    return true;
  }
  if (!free_ || handle != FreeHandle()) return false;
  SetNumber(*free_, count);
  return true;
}

void CountStore::SetNumber(Entry& entry, std::uint16_t count) {
  // A reply mostly repeats the counts of the one before: render the text only when it changes.
  if (entry.count == count) return;
  entry.countText = QString::number(count);
  entry.count = count;
}

const CountStore::Entry& CountStore::EntryAt(int index) const {
  if (index >= 0 && static_cast<std::size_t>(index) < listed_.size()) {
    return listed_[static_cast<std::size_t>(index)];
  }
  if (free_ && index == static_cast<int>(listed_.size())) return *free_;
  throw std::out_of_range("no count store entry at this index");
}

CountStore::Entry* CountStore::Find(const QString& key, Handle& handle) {
  const auto listed = listedByKey_.constFind(key);
  if (listed != listedByKey_.cend()) {
    handle = *listed;
    return &listed_[static_cast<std::size_t>(*listed)];
  }
  if (free_ && freeKey_ == key) {
    handle = FreeHandle();
    return &*free_;
  }
  return nullptr;
}

CountStore::Handle CountStore::Add(QString name, QString key, QString countText, int count) {
  if (HasCountField(name)) {
    const int index = static_cast<int>(listed_.size());
    listedByKey_.insert(std::move(key), index);
    listed_.push_back({std::move(name), std::move(countText), count});
    return index;
  }
  freeGeneration_ =
      freeGeneration_ == std::numeric_limits<int>::max() - 2 ? 0 : freeGeneration_ + 1;
  free_ = Entry{std::move(name), std::move(countText), count};
  freeKey_ = std::move(key);
  return FreeHandle();
}

}  // namespace dorvex
