#include "tally/count_store.h"

#include <algorithm>
#include <utility>

#include "tally/memory_fields.h"
#include "tally/totals.h"
#include "tally/world_table.h"

namespace dorvex {

namespace {

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool HasCountField(QStringView name) {
  static const MemoryFieldSet fields;
  // Control names are letters only (checked once), so that a name with any other character has
  // no count field without a search of the fields.
  static const bool lettersOnly = [] {
    const auto allLetters = [](const QString& text) {
      return std::all_of(text.begin(), text.end(),
                         [](QChar c) { return IsAsciiLetter(c.unicode()); });
    };
    const auto worlds = WorldStringTable();
    return std::all_of(worlds.begin(), worlds.end(),
                       [&](const WorldStrings& world) { return allLetters(world.fieldName); }) &&
           allLetters(TempServerNameFieldString()) && allLetters(TempServerQtyFieldString());
  }();
  if (lettersOnly &&
      !std::all_of(name.begin(), name.end(), [](QChar c) { return IsAsciiLetter(c.unicode()); })) {
    return false;
  }
  return CountFieldOf(fields, name) != FieldAccess::kNoField;
}

}  // namespace

void CountStore::Set(const QString& name, const QString& countText) {
  InlineText key = FoldedKey(name);
  const std::size_t hash = key.Hash();
  if (Entry* entry = Find(key, hash)) {
    entry->countText = countText;
    entry->count = kNoNumber;
    entry->textOf = kNoNumber;
    return;
  }
  Append(InlineText(name), std::move(key), hash, countText, kNoNumber);
}

CountStore::Handle CountStore::SetCount(QStringView name, std::uint16_t count) {
  return SetCount(InlineText(name), count);
}

CountStore::Handle CountStore::SetCount(const InlineText& name, std::uint16_t count) {
  return SetCount(name, FoldedKey(name.View()), count);
}

CountStore::Handle CountStore::SetCount(const InlineText& name, InlineText key,
                                        std::uint16_t count) {
  const std::size_t hash = key.Hash();
  if (Entry* entry = Find(key, hash)) {
    SetNumber(*entry, count);
    return HandleOf(static_cast<std::uint32_t>(entry - slots_.data()), *entry);
  }
  return Append(name, std::move(key), hash, QString(), count);
}

bool CountStore::SetCountAt(Handle handle, std::uint16_t count) {
  const auto slot = static_cast<std::uint64_t>(handle) & 0xFFFFFFFFu;
  if (handle < 0 || slot >= slots_.size()) return false;
  Entry& entry = slots_[slot];
  if (HandleOf(static_cast<std::uint32_t>(slot), entry) != handle) return false;
  SetNumber(entry, count);
  return true;
}

const QString& CountStore::Name(int index) const {
  const Entry& entry = EntryAt(index);
  if (entry.nameText.isNull()) entry.nameText = entry.name.ToString();
  return entry.nameText;
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
  DropGone();
  // A negative index becomes one past the end, which at() rejects.
  return slots_[order_.at(static_cast<std::size_t>(index))];
}

void CountStore::DropGone() const {
  if (gone_ == 0) return;
  std::erase(order_, kGone);
  gone_ = 0;
  unlistedFrom_ = 0;
}

CountStore::Handle CountStore::HandleOf(std::uint32_t slot, const Entry& entry) {
  // 31 bits of the generation, so that a handle is never negative.
  return static_cast<Handle>((std::uint64_t{entry.generation & 0x7FFFFFFFu} << 32) | slot);
}

void CountStore::SetNumber(Entry& entry, std::uint16_t count) {
  entry.count = count;
}

CountStore::Entry* CountStore::Find(const InlineText& key, std::size_t hash) {
  const std::uint32_t slot =
      slotByKey_.Find(hash, [&](std::uint32_t s) { return slots_[s].key == key; });
  return slot == SlotIndex::kNone ? nullptr : &slots_[slot];
}

CountStore::Handle CountStore::Append(const InlineText& name, InlineText key, std::size_t hash,
                                      QString countText, int count) {
  const bool listed = HasCountField(name.View());
  std::uint32_t slot;
  if (freeSlots_.empty()) {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  } else {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  }
  Entry& entry = slots_[slot];
  entry.name = name;
  if (!entry.nameText.isNull()) entry.nameText = QString();
  entry.countText = std::move(countText);
  entry.count = count;
  entry.textOf = kNoNumber;
  entry.listed = listed;
  entry.keyHash = hash;
  slotByKey_.Insert(entry.keyHash, slot);
  entry.key = std::move(key);
  order_.push_back(slot);
  const Handle handle = HandleOf(slot, entry);
  if (!listed && ++unlisted_ > kMaxUnlisted) GiveUpOldestUnlisted();
  return handle;
}

// Only the last name without a count field is ever shown (in the free row): the oldest such
// names can go without changing what the window shows, unless one of them comes back, which then
// counts as new. Entries are only ever appended, so the search for the oldest one resumes where
// the last one ended.
void CountStore::GiveUpOldestUnlisted() {
  while (order_[unlistedFrom_] == kGone || slots_[order_[unlistedFrom_]].listed) ++unlistedFrom_;
  const std::uint32_t slot = order_[unlistedFrom_];
  order_[unlistedFrom_++] = kGone;
  if (++gone_ > static_cast<std::size_t>(kMaxUnlisted)) DropGone();
  Entry& entry = slots_[slot];
  slotByKey_.Erase(entry.keyHash, slot);
  ++entry.generation;  // its handles stop working
  entry.name = InlineText();
  entry.key = InlineText();
  // Most names given up were never read: their texts were never made.
  if (!entry.nameText.isNull()) entry.nameText = QString();
  if (!entry.countText.isNull()) entry.countText = QString();
  freeSlots_.push_back(slot);
  --unlisted_;
}

}  // namespace dorvex
