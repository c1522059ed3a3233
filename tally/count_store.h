#pragma once
// The count store: world name = count text entries, in order of first arrival, never removed.

#include <QString>
#include <vector>

namespace dorvex {

class CountStore {
 public:
  // Replaces the count text of the entry whose name equals `name` (letter case ignored), keeping
  // its position and first-seen spelling; otherwise appends a new entry.
  void Set(const QString& name, const QString& countText);

  int Count() const { return static_cast<int>(entries_.size()); }
  const QString& Name(int index) const { return entries_.at(index).name; }
  const QString& CountText(int index) const { return entries_.at(index).countText; }

 private:
  struct Entry {
    QString name;
    QString countText;
  };
  std::vector<Entry> entries_;
};

}  // namespace dorvex
