#pragma once
// The count store: world name = count text entries in order of first arrival. Entries are only
// added or updated, except that of the names without a count field of their own, which only the
// free row shows, the oldest are given up beyond kMaxUnlisted, so that a stream of new names
// cannot grow the store.

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

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
  // Sets the count of the entry of `handle`, as SetCount with its name would; false when that
  // entry has been given up since.
  bool SetCountAt(Handle handle, std::uint16_t count);

  int Count() const { return static_cast<int>(entries_.size()); }
  const QString& Name(int index) const { return entries_.at(Slot(index)).name; }
  const QString& CountText(int index) const { return entries_.at(Slot(index)).countText; }

 private:
  static constexpr int kNoNumber = -1;

  struct Entry {
    QString name;
    QString countText;
    int count;  // the number whose decimal text countText is; kNoNumber when set as text
    Handle handle;
    QString key;  // the case-folded name
    bool listed;  // the name has a count field of its own
  };

  // The position of an entry index; a negative index becomes one past the end, which at() rejects.
  static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }
  Entry* Find(const QString& key);
  Handle Append(QString name, QString key, QString countText, int count);
  void GiveUpOldestUnlisted();
  static void SetNumber(Entry& entry, std::uint16_t count);

  std::vector<Entry> entries_;
  QHash<QString, Handle> handleByKey_;
  QHash<Handle, int> positionByHandle_;
  Handle nextHandle_ = 0;
  int unlisted_ = 0;
};

}  // namespace dorvex
