#include "tally/count_store.h"

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
  if (Entry* entry = Find(key)) {
    entry->countText = countText;
    entry->count = kNoNumber;
    return;
  }
  Append(name, std::move(key), countText, kNoNumber);
}

CountStore::Handle CountStore::SetCount(QStringView name, std::uint16_t count) {
  QString key = FoldedKey(name);
  if (Entry* entry = Find(key)) {
    SetNumber(*entry, count);
    return entry->handle;
  }
  return Append(name.toString(), std::move(key), QString::number(count), count);
}

bool CountStore::SetCountAt(Handle handle, std::uint16_t count) {
  const auto position = positionByHandle_.constFind(handle);
  if (position == positionByHandle_.cend()) return false;
  SetNumber(entries_[static_cast<std::size_t>(*position)], count);
  return true;
}

void CountStore::SetNumber(Entry& entry, std::uint16_t count) {
  // A reply mostly repeats the counts of the one before: render the text only when it changes.
  if (entry.count == count) return;
  entry.countText = QString::number(count);
  entry.count = count;
}

CountStore::Entry* CountStore::Find(const QString& key) {
  const auto handle = handleByKey_.constFind(key);
  if (handle == handleByKey_.cend()) return nullptr;
  return &entries_[static_cast<std::size_t>(positionByHandle_.value(*handle))];
}

CountStore::Handle CountStore::Append(QString name, QString key, QString countText, int count) {
  const Handle handle = nextHandle_++;
  const bool listed = HasCountField(name);
  handleByKey_.insert(key, handle);
  positionByHandle_.insert(handle, Count());
  entries_.push_back(
      {std::move(name), std::move(countText), count, handle, std::move(key), listed});
  if (!listed && ++unlisted_ > kMaxUnlisted) GiveUpOldestUnlisted();
  return handle;
}

// Only the last name without a count field is ever shown (in the free row): the oldest such
// names can go without changing what the window shows, unless one of them comes back, which then
// counts as new.
void CountStore::GiveUpOldestUnlisted() {
  std::size_t oldest = 0;
  while (entries_[oldest].listed) ++oldest;
  handleByKey_.remove(entries_[oldest].key);
  positionByHandle_.remove(entries_[oldest].handle);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(oldest));
  for (std::size_t i = oldest; i < entries_.size(); ++i) {
    positionByHandle_[entries_[i].handle] = static_cast<int>(i);
  }
  --unlisted_;
}

}  // namespace dorvex
