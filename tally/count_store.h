#pragma once
// The count store: world name = count text entries in order of first arrival. Entries are only
// added or updated, except that of the names without a count field of their own, which only the
// free row shows, the oldest are given up beyond kMaxUnlisted, so that a stream of new names
// cannot grow the store.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

#include "tally/inline_text.h"
#include "tally/slot_index.h"

namespace dorvex {

class CountStore {
 public:
  // A stable reference to an entry, for SetCountAt.
  using Handle = std::int64_t;
  static constexpr int kMaxUnlisted = 64;

  // Replaces the count text of the entry whose name equals `name` (letter case ignored, as
  // QString::compare with Qt::CaseInsensitive ignores it), keeping its position and first-seen
  // spelling; otherwise appends a new entry.
  void Set(const QString& name, const QString& countText);
  // The same with the decimal text of `count` ("0" to "65535"). Returns the entry's handle.
  Handle SetCount(QStringView name, std::uint16_t count);
  Handle SetCount(const InlineText& name, std::uint16_t count);
  // The same with the name's FoldedKey, made by the caller along with the name.
  Handle SetCount(const InlineText& name, InlineText key, std::uint16_t count);
  // Sets the count of the entry of `handle`, as SetCount with its name would; false when that
  // entry has been given up since.
  bool SetCountAt(Handle handle, std::uint16_t count);

  int Count() const { return static_cast<int>(order_.size() - gone_); }
  const QString& Name(int index) const;
  const QString& CountText(int index) const;

 private:
  static constexpr int kNoNumber = -1;

  // Entries live in reusable slots; order_ lists the slots in order of arrival. A handle is a
  // slot and the slot's generation, which changes when the slot's entry is given up, so that
  // neither finding an entry by handle nor giving one up touches the others. A name is kept
  // inline and made a QString when read: most names of a stream of new ones are given up unread.
  struct Entry {
    InlineText name;
    mutable QString nameText;        // name as a QString, made when read (null until then)
    mutable QString countText;       // as set, or the text of count rendered when read
    int count = kNoNumber;           // kNoNumber when set as text
    mutable int textOf = kNoNumber;  // the count countText was rendered from
    InlineText key;                  // the case-folded name
    std::size_t keyHash = 0;         // key.Hash()
    bool listed = false;             // the name has a count field of its own
    std::uint32_t generation = 0;    // changes when the entry in this slot is given up
  };

  const Entry& EntryAt(int index) const;
  Entry* Find(const InlineText& key, std::size_t hash);
  Handle Append(const InlineText& name, InlineText key, std::size_t hash, QString countText,
                int count);
  void GiveUpOldestUnlisted();
  void DropGone() const;
  static Handle HandleOf(std::uint32_t slot, const Entry& entry);
  static void SetNumber(Entry& entry, std::uint16_t count);

  std::vector<Entry> slots_;
  std::vector<std::uint32_t> freeSlots_;
  // order_ lists the slots in order of arrival; a given-up entry leaves kGone in its place until
  // the next read by index or until gone ones pile up, so that a stream of new names gives up
  // the oldest one without moving the others each time.
  static constexpr std::uint32_t kGone = 0xFFFFFFFFu;
  mutable std::vector<std::uint32_t> order_;
  mutable std::size_t gone_ = 0;          // kGone cells in order_
  mutable std::size_t unlistedFrom_ = 0;  // order_ holds no unlisted entry before this cell
  SlotIndex slotByKey_;                   // by the entry's keyHash
  int unlisted_ = 0;
};

}  // namespace dorvex
