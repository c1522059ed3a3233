#pragma once
// The fixed table of worlds: names, count fields, world groups, generations and report labels.

#include <QString>
#include <cstddef>
#include <span>
#include <string_view>

namespace dorvex {

inline constexpr int kPvpGroup = 0;      // urdr's group: no group total of its own
inline constexpr int kNoGeneration = 0;  // worlds outside every generation total

struct World {
  std::string_view name;         // as the label beside the count field shows it
  std::string_view fieldName;    // "edt" + Name + "Qty"
  int group;                     // 1..4, or kPvpGroup
  int generation;                // 1..5, or kNoGeneration
  std::string_view reportLabel;  // UTF-8, brackets included
};

// The 24 worlds in table order (the order of the window's rows and of the totals).
inline constexpr std::size_t kWorldTableSize = 24;
std::span<const World, kWorldTableSize> WorldTable();

// The index of the PVP world (urdr) in the table.
std::size_t PvpWorldIndex();

// The free row for a world the table does not know; it sits in group 1 after garm.
inline constexpr std::string_view kTempServerNameField = "edtTempServerName";
inline constexpr std::string_view kTempServerQtyField = "edtTempServerQty";
inline constexpr int kTempServerGroup = 1;
inline constexpr int kTempServerRowIndex = 5;  // its row within group 1

// The table's UTF-8 texts as QString.
inline QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The same texts converted once, row for row in table order, for the per-reply work.
struct WorldStrings {
  QString name;
  QString fieldName;
  QString reportLabel;
};
std::span<const WorldStrings, kWorldTableSize> WorldStringTable();
const QString& TempServerNameFieldString();
const QString& TempServerQtyFieldString();

}  // namespace dorvex
