#pragma once
// Storing and restoring a window's placement (show state, minimized/maximized positions and the
// restored frame rectangle) as ten integer keys of the settings file.

#include <QString>
#include <cstdint>

#include "settings/ini_file.h"

class QWidget;

namespace dorvex {

enum TPlacementPart : std::uint8_t {
  ppShowState = 1,   // "PlaceFlags", "PlaceShowCmd"
  ppMinMaxPos = 2,   // "PlaceMinPos.X/Y", "PlaceMaxPos.X/Y"
  ppNormalSize = 4,  // "PlaceNormalPos.Right/Bottom" read instead of kept from the current size
};

// A set of TPlacementPart, held as a one-byte bit mask.
class TPlacementParts {
 public:
  constexpr TPlacementParts() = default;
  constexpr TPlacementParts(TPlacementPart part) : mask_(part) {}
  static constexpr TPlacementParts FromMask(std::uint8_t mask) {
    TPlacementParts parts;
    parts.mask_ = mask & kAllMask;
    return parts;
  }
  static constexpr TPlacementParts All() { return FromMask(kAllMask); }

  constexpr bool Has(TPlacementPart part) const { return (mask_ & part) != 0; }
  constexpr std::uint8_t Mask() const { return mask_; }
  friend constexpr TPlacementParts operator|(TPlacementParts a, TPlacementParts b) {
    return FromMask(a.mask_ | b.mask_);
  }
  friend constexpr bool operator==(TPlacementParts, TPlacementParts) = default;

 private:
  static constexpr std::uint8_t kAllMask = ppShowState | ppMinMaxPos | ppNormalSize;
  std::uint8_t mask_ = 0;
};

constexpr TPlacementParts operator|(TPlacementPart a, TPlacementPart b) {
  return TPlacementParts(a) | TPlacementParts(b);
}

// Restores the given parts of the placement of `form` from `section` of the settings file
// (GetIniFileName). Keys that are missing or unreadable keep the current value. A form that is not
// showing stays hidden. Throws nothing but what the settings file throws.
void LoadFormPlacement(QWidget& form, const QString& section, TPlacementParts parts);
void LoadFormPlacement(QWidget& form, const QString& section);  // all parts

// Stores all ten placement keys of `form` in `section` of the settings file. A refused write
// throws EIniFileException; the keys after it are not written.
void SaveFormPlacement(QWidget& form, const QString& section);

// The same on an already bound settings file object.
void ReadFormPlacement(const TIniFile& ini, QWidget& form, const QString& section,
                       TPlacementParts parts);
void WriteFormPlacement(TIniFile& ini, const QWidget& form, const QString& section);

}  // namespace dorvex
