#include "count_store.h"

namespace dorvex {

void CountStore::Set(const QString& name, const QString& countText) {
  for (Entry& entry : entries_) {
    if (QString::compare(entry.name, name, Qt::CaseInsensitive) == 0) {
      entry.countText = countText;
      return;
    }
  }
  entries_.push_back({name, countText});
}

}  // namespace dorvex
