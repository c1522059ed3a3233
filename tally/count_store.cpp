#include "tally/count_store.h"

#include <algorithm>
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
    entry->textOf = kNoNumber;
    return;
  }
  Append(name, std::move(key), countText, kNoNumber);
}

CountStore::Handle CountStore::SetCount(QStringView name, std::uint16_t count) {
  QString key = FoldedKey(name);
  if (Entry* entry = Find(key)) {
    SetNumber(*entry, count);
    return HandleOf(static_cast<std::uint32_t>(entry - slots_.data()), *entry);
  }
  return Append(name.toString(), std::move(key), QString(), count);
}

bool CountStore::SetCountAt(Handle handle, std::uint16_t count) {
  const auto slot = static_cast<std::uint64_t>(handle) & 0xFFFFFFFFu;
  if (handle < 0 || slot >= slots_.size()) return false;
  Entry& entry = slots_[slot];
  if (HandleOf(static_cast<std::uint32_t>(slot), entry) != handle) return false;
  SetNumber(entry, count);
  return true;
}

const QString& CountStore::CountText(int index) const {
  const Entry& entry = EntryAt(index);
  // A reply mostly repeats the counts of the one before, and a name seen once may be given up
  // unread: the text is rendered when read, and again only when the count has changed.
  if (entry.count != kNoNumber && entry.textOf != entry.count) {
    entry.countText = QString::number(entry.count);
    entry.textOf = entry.count;
  }
  return entry.countText;
}

const CountStore::Entry& CountStore::EntryAt(int index) const {
  // A negative index becomes one past the end, which at() rejects.
  return slots_[order_.at(static_cast<std::size_t>(index))];
}

CountStore::Handle CountStore::HandleOf(std::uint32_t slot, const Entry& entry) {
  // 31 bits of the generation, so that a handle is never negative.
  return static_cast<Handle>((std::uint64_t{entry.generation & 0x7FFFFFFFu} << 32) | slot);
}

void CountStore::SetNumber(Entry& entry, std::uint16_t count) {
  entry.count = count;
}

CountStore::Entry* CountStore::Find(const QString& key) {
  const auto slot = slotByKey_.constFind(key);
  return slot == slotByKey_.cend() ? nullptr : &slots_[*slot];
}

CountStore::Handle CountStore::Append(QString name, QString key, QString countText, int count) {
  const bool listed = HasCountField(name);
  std::uint32_t slot;
  if (freeSlots_.empty()) {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  } else {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  }
  Entry& entry = slots_[slot];
  entry.name = std::move(name);
  entry.countText = std::move(countText);
  entry.count = count;
  entry.textOf = kNoNumber;
  entry.listed = listed;
  slotByKey_.insert(key, slot);
  entry.key = std::move(key);
  order_.push_back(slot);
  const Handle handle = HandleOf(slot, entry);
  if (!listed && ++unlisted_ > kMaxUnlisted) GiveUpOldestUnlisted();
  return handle;
}

// Only the last name without a count field is ever shown (in the free row): the oldest such
// names can go without changing what the window shows, unless one of them comes back, which then
// counts as new.
void CountStore::GiveUpOldestUnlisted() {
  const auto oldest = std::find_if(order_.begin(), order_.end(),
                                   [this](std::uint32_t s) { return !slots_[s].listed; });
  const std::uint32_t slot = *oldest;
  order_.erase(oldest);
  Entry& entry = slots_[slot];
  slotByKey_.remove(entry.key);
  ++entry.generation;  // its handles stop working
  entry.name = QString();
  entry.countText = QString();
  entry.key = QString();
  freeSlots_.push_back(slot);
  --unlisted_;
}

}  // namespace dorvex
