#pragma once
// The count store: world name = count text entries. Names that have a count field of their own
// are kept in order of first arrival and never removed; of the names without one, which only the
// free row shows, the store keeps the latest alone, so that a stream of new names cannot grow it.

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace dorvex {

class CountStore {
 public:
  // A stable reference to an entry, for SetCountAt.
  using Handle = int;

  // Replaces the count text of the entry whose name equals `name` (letter case ignored, as
  // QString::compare with Qt::CaseInsensitive ignores it), keeping its position and first-seen
  // spelling; otherwise adds an entry: appended when the name has a count field, else in place of
  // the free row's name.
  void Set(const QString& name, const QString& countText);
  // The same with the decimal text of `count` ("0" to "65535"). Returns the entry's handle.
  Handle SetCount(QStringView name, std::uint16_t count);
  // Sets the count of the entry of `handle`, as SetCount with its name would; false when the
  // handle no longer names an entry (the free row's name has been replaced since).
  bool SetCountAt(Handle handle, std::uint16_t count);

  // The entries in order: those with a count field, then the free row's name, if any.
  int Count() const { return static_cast<int>(listed_.size()) + (free_ ? 1 : 0); }
  const QString& Name(int index) const { return EntryAt(index).name; }
  const QString& CountText(int index) const { return EntryAt(index).countText; }

 private:
  static constexpr int kNoNumber = -1;

  struct Entry {
    QString name;
    QString countText;
    int count;  // the number whose decimal text countText is; kNoNumber when set as text
  };

  const Entry& EntryAt(int index) const;
  Entry* Find(const QString& key, Handle& handle);
  Handle Add(QString name, QString key, QString countText, int count);
  static void SetNumber(Entry& entry, std::uint16_t count);
  Handle FreeHandle() const { return -2 - freeGeneration_; }

  std::vector<Entry> listed_;
  QHash<QString, int> listedByKey_;  // by the name's case-folded key
  std::optional<Entry> free_;
  QString freeKey_;
  int freeGeneration_ = 0;  // changes whenever free_ holds another name
};

}  // namespace dorvex
