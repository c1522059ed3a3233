#include "tally/count_store.h"

#include <QVarLengthArray>
#include <utility>

namespace dorvex {

namespace {

using AsciiKey = QVarLengthArray<char, 32>;

// The key of an ASCII name: the name with A-Z lowered. False when `name` is not ASCII.
bool MakeAsciiKey(QStringView name, AsciiKey& key) {
  key.resize(name.size());
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name[i].unicode();
    if (c >= 0x80) return false;
    key[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return true;
}

bool SameName(const QString& stored, QStringView name) {
  return QString::compare(stored, name, Qt::CaseInsensitive) == 0;
}

}  // namespace

void CountStore::Set(const QString& name, const QString& countText) {
  const int index = Find(name);
  if (index < 0) {
    Append(name, countText, kNoNumber);
    return;
  }
  Entry& entry = entries_[Slot(index)];
  entry.countText = countText;
  entry.count = kNoNumber;
}

int CountStore::SetCount(QStringView name, std::uint16_t count) {
  const int index = Find(name);
  if (index < 0) return Append(name.toString(), QString::number(count), count);
  SetCountAt(index, count);
  return index;
}

void CountStore::SetCountAt(int index, std::uint16_t count) {
  Entry& entry = entries_.at(Slot(index));
  // A reply mostly repeats the counts of the one before: render the text only when it changes.
  if (entry.count == count) return;
  entry.countText = QString::number(count);
  entry.count = count;
}

int CountStore::Find(QStringView name) const {
  // Names equal letter case aside form classes that hold at most one entry each (a name is
  // appended only when no entry equals it), so the first match found is the only one.
  AsciiKey key;
  if (MakeAsciiKey(name, key)) {
    const auto found = asciiNames_.constFind(QByteArray::fromRawData(key.data(), key.size()));
    if (found != asciiNames_.cend()) return *found;
    for (const int index : otherNames_) {
      if (SameName(entries_[Slot(index)].name, name)) return index;
    }
    return -1;
  }
  for (int index = 0; index < Count(); ++index) {
    if (SameName(entries_[Slot(index)].name, name)) return index;
  }
  return -1;
}

int CountStore::Append(QString name, QString countText, int count) {
  const int index = Count();
  AsciiKey key;
  if (MakeAsciiKey(name, key)) {
    asciiNames_.insert(QByteArray(key.data(), key.size()), index);
  } else {
    otherNames_.push_back(index);
  }
  entries_.push_back({std::move(name), std::move(countText), count});
  return index;
}

}  // namespace dorvex
