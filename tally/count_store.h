#pragma once
// The count store: world name = count text entries, in order of first arrival, never removed.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dorvex {

class CountStore {
 public:
  // Replaces the count text of the entry whose name equals `name` (letter case ignored, as
  // QString::compare with Qt::CaseInsensitive ignores it), keeping its position and first-seen
  // spelling; otherwise appends a new entry.
  void Set(const QString& name, const QString& countText);
  // The same with the decimal text of `count` ("0" to "65535"). Returns the entry's index,
  // which stays the entry of this name for the store's whole life.
  int SetCount(QStringView name, std::uint16_t count);
  // Sets the count of the entry at `index`, as SetCount with its name would.
  void SetCountAt(int index, std::uint16_t count);

  int Count() const { return static_cast<int>(entries_.size()); }
  const QString& Name(int index) const { return entries_.at(Slot(index)).name; }
  const QString& CountText(int index) const { return entries_.at(Slot(index)).countText; }

 private:
  static constexpr int kNoNumber = -1;

  struct Entry {
    QString name;
    QString countText;
    int count;  // the number whose decimal text countText is; kNoNumber when set as text
  };

  // The position in entries_ of an entry index. A negative index becomes a position past the
  // end, which at() rejects; the indexes the store keeps are all within 0..Count()-1.
  static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

  int Find(QStringView name) const;  // -1 when no entry has this name
  int Append(QString name, QString countText, int count);

  std::vector<Entry> entries_;
  // Entries with ASCII names, by the name with A-Z lowered: two ASCII names are equal, letter
  // case ignored, exactly when their lowered forms are.
  QHash<QByteArray, int> asciiNames_;
  // Entries with other names. An ASCII name may still equal one of them: the Kelvin sign
  // U+212A, for one, folds to k.
  std::vector<int> otherNames_;
};

}  // namespace dorvex
